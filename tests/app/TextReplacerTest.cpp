#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/TextReplacer.h"

namespace {

bool IsWord(char c) { return isalnum(static_cast<unsigned char>(c)) || c == '_'; }

struct StringSink : ByteSink {
    std::string bytes;
    void Write(std::string_view piece) override { bytes += piece; }
};

// The replacement done the slow, plain way: split into lines, then per line search the rest
// again after each candidate, copying what is left every time.
std::pair<std::string, size_t> ReplaceLineByLine(const std::string& text, std::string find,
                                                 const std::string& replacement, bool caseSensitive,
                                                 bool wholeWords, const FoldTable& upper) {
    auto fold = [&](std::string s) {
        if (!caseSensitive)
            for (char& c : s) c = static_cast<char>(upper[static_cast<unsigned char>(c)]);
        return s;
    };
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);

    find = fold(find);
    size_t count = 0;
    std::string out;
    for (const std::string& whole : lines) {
        std::string done, rest = whole, search = fold(whole);
        size_t offset = 0;
        for (size_t at; !find.empty() && (at = search.find(find)) != std::string::npos;) {
            const size_t start = offset + at, end = start + find.size();
            const bool rejected = wholeWords && ((start > 0 && IsWord(whole[start - 1])) ||
                                                 (end < whole.size() && IsWord(whole[end])));
            done += rejected ? rest.substr(0, at + find.size()) : rest.substr(0, at) + replacement;
            count += rejected ? 0 : 1;
            rest.erase(0, at + find.size());
            search.erase(0, at + find.size());
            offset = end;
        }
        out += done + rest + "\r\n";
    }
    return {out, count};
}

// Replaces with TextReplacer and with the plain way and compares count and bytes.
void ExpectSameAsLineByLine(const std::string& text, const std::string& find,
                            const std::string& replacement, bool caseSensitive, bool wholeWords,
                            size_t bufferSize) {
    static const FoldTable upper = AnsiUpperCaseTable();
    SCOPED_TRACE(testing::PrintToString(text) + " / " + testing::PrintToString(find));
    const auto [expected, expectedCount] =
        ReplaceLineByLine(text, find, replacement, caseSensitive, wholeWords, upper);
    const TextReplacer replacer(find, replacement, caseSensitive, wholeWords, upper);
    const size_t first = replacer.NextMatch(text, 0);
    ASSERT_EQ(first == TextReplacer::npos, expectedCount == 0);
    if (expectedCount == 0) return;
    StringSink sink;
    OutputBuffer out(sink, bufferSize);
    ASSERT_EQ(replacer.Rewrite(text, first, out), expectedCount);
    ASSERT_EQ(sink.bytes, expected);
}

TEST(TextReplacer, GivesTheResultsOfThePlainLineByLineReplacement) {
    // Letters whose two cases differ in bit 0x20 and in other bits; line breaks last.
    const std::string alphabet = "aAb_ .\xE9\xC9\x9A\x8A\r\n";
    const size_t letters = alphabet.size() - 2;
    std::mt19937 random(20240611);
    auto pick = [&](size_t maxLength, size_t choices) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s) c = alphabet[random() % choices];
        return s;
    };
    for (int i = 0; i < 30000; ++i) {
        // Half of the texts end their lines with CR LF only.
        std::string text = pick(60, alphabet.size());
        if (i % 2 == 0) {
            text.clear();
            for (size_t lines = random() % 4; lines > 0; --lines)
                text += pick(30, letters) + "\r\n";
            text += pick(30, letters);
        }
        // Mostly texts without line breaks; now and then one that can never be found.
        const std::string find = pick(3, random() % 10 == 0 ? alphabet.size() : letters);
        const std::string replacement = pick(2, alphabet.size());
        const bool caseSensitive = random() % 2, wholeWords = random() % 2;
        // A small buffer, so that pieces spill over.
        ExpectSameAsLineByLine(text, find, replacement, caseSensitive, wholeWords,
                               1 + random() % 8);
        if (testing::Test::HasFatalFailure()) return;
    }
}

// Texts in which nearly every position almost matches, and long lines with many matches.
TEST(TextReplacer, GivesTheSameResultsOnRepetitiveTexts) {
    const std::string a(19, 'a');
    const std::string almost = std::string(500, 'a') + "b" + std::string(300, 'a') + "b" +
                               std::string(40, 'a') + "\r\n" + a + "ba";
    for (bool wholeWords : {false, true}) {
        ExpectSameAsLineByLine(almost, a + "ba", "X", true, wholeWords, 64);
        ExpectSameAsLineByLine(almost, "A" + a + "b", "", false, wholeWords, 64);
        std::string many;
        for (int i = 0; i < 1000; ++i) many += i % 7 ? "ab cat cd " : "bobcat ";
        ExpectSameAsLineByLine(many, "cat", "dog", true, wholeWords, 4096);
        ExpectSameAsLineByLine(many + "\n" + many, "CAT", "", false, wholeWords, 4096);
    }
}

}  // namespace
