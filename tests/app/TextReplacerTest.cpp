#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PlainReplace.h"
#include "app/TextEncoding.h"
#include "app/TextReplacer.h"

namespace {

struct StringSink : ByteSink {
    std::string bytes;
    void Write(std::string_view piece) override { bytes += piece; }
};

const FoldTable& AnsiUpper() {
    static const FoldTable upper = AnsiUpperCaseTable();
    return upper;
}

// Replaces with the replacer and with the plain way and compares count and bytes.
template <class Unit>
void ExpectSameAsLineByLine(const std::basic_string<Unit>& text,
                            const std::basic_string<Unit>& find,
                            const std::basic_string<Unit>& replacement, bool caseSensitive,
                            bool wholeWords, size_t bufferSize, const BasicFoldTable<Unit>& upper) {
    SCOPED_TRACE(testing::PrintToString(text) + " / " + testing::PrintToString(find));
    const auto [expected, expectedCount] =
        ReplaceLineByLine(text, find, replacement, wholeWords, [&](Unit c) {
            return caseSensitive ? c : static_cast<Unit>(upper[std::make_unsigned_t<Unit>(c)]);
        });
    const auto replacer = std::make_unique<BasicTextReplacer<Unit>>(
        find, replacement, caseSensitive, wholeWords, upper);
    const size_t first = replacer->NextMatch(text, 0);
    ASSERT_EQ(first == TextReplacer::npos, expectedCount == 0);
    if (expectedCount == 0) return;
    StringSink sink;
    OutputBuffer out(sink, bufferSize);
    ASSERT_EQ(replacer->Rewrite(text, first, out), expectedCount);
    ASSERT_EQ(sink.bytes, std::string(reinterpret_cast<const char*>(expected.data()),
                                      expected.size() * sizeof(Unit)));
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
        ExpectSameAsLineByLine(text, find, replacement, caseSensitive, wholeWords, 1 + random() % 8,
                               AnsiUpper());
        if (testing::Test::HasFatalFailure()) return;
    }
}

// Texts in which nearly every position almost matches, and long lines with many matches, in
// bytes and in UTF-16 code units.
template <class Unit>
void ExpectSameOnRepetitiveTexts(const BasicFoldTable<Unit>& upper) {
    using String = std::basic_string<Unit>;
    auto units = [](const std::string& bytes) { return String(bytes.begin(), bytes.end()); };
    const String a(19, 'a');
    const String almost = String(500, 'a') + units("b") + String(300, 'a') + units("b") +
                          String(40, 'a') + units("\r\n") + a + units("ba");
    String many;
    for (int i = 0; i < 1000; ++i) many += units(i % 7 ? "ab cat cd " : "bobcat ");
    for (bool wholeWords : {false, true}) {
        ExpectSameAsLineByLine(almost, a + units("ba"), units("X"), true, wholeWords, 64, upper);
        ExpectSameAsLineByLine(almost, units("A") + a + units("b"), {}, false, wholeWords, 64,
                               upper);
        ExpectSameAsLineByLine(many, units("cat"), units("dog"), true, wholeWords, 4096, upper);
        ExpectSameAsLineByLine(many + units("\n") + many, units("CAT"), {}, false, wholeWords, 4096,
                               upper);
    }
}

TEST(TextReplacer, GivesTheSameResultsOnRepetitiveTexts) {
    ExpectSameOnRepetitiveTexts<char>(AnsiUpper());
    ExpectSameOnRepetitiveTexts<char16_t>(*UnicodeUpperCaseTable());
}

}  // namespace
