#include <algorithm>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <windows.h>

#include <gtest/gtest.h>

#include "PlainReplace.h"
#include "app/FileReplacer.h"
#include "app/ReplaceEngine.h"
#include "base/Strings.h"
#include "common/TempDir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;

struct Window : ReplaceWindow {
    std::wstring find, replacement;
    bool caseSensitive = false, wholeWords = false;
    std::vector<std::wstring> log;

    std::wstring TextToFind() const override { return find; }
    std::wstring ReplacementText() const override { return replacement; }
    bool CaseSensitive() const override { return caseSensitive; }
    bool WholeWordsOnly() const override { return wholeWords; }
    bool MakeBackup() const override { return false; }
    bool AskYesNo(const std::wstring&, const std::wstring&) override { return true; }
    void AddLogLine(const std::wstring& line) override { log.push_back(line); }
};

struct StringSink : ByteSink {
    std::string bytes;
    void Write(std::string_view piece) override { bytes += piece; }
};

std::string Utf16(std::wstring_view text, bool bigEndian) {
    std::string bytes;
    for (wchar_t unit : text) {
        const char low = char(unit & 0xFF), high = char(unit >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}
std::string Le(std::wstring_view text) { return "\xFF\xFE" + Utf16(text, false); }
std::string Be(std::wstring_view text) { return "\xFE\xFF" + Utf16(text, true); }

TEST(FindReplaceText, ReplacesInEachFilesOwnEncodingKeepingItsMark) {
    struct Row {
        const wchar_t* name;
        std::string input;
        const wchar_t* find;
        const wchar_t* replacement;
        bool caseSensitive, wholeWords;
        std::string expected;  // empty: the file keeps its bytes
        const wchar_t* log;
    };
    const std::wstring cafe = L"Caf\u00E9 caf\u00E9s CAF\u00C9\n";
    std::vector<Row> rows = {
        {L"utf8 insert", "caf\xC3\xA9 x", L"x", L"\u00E9", true, false, "caf\xC3\xA9 \xC3\xA9\r\n",
         L"1 replacement(s)"},
        {L"utf8", "Un caf\xC3\xA9.", L"caf\u00E9", L"th\u00E9", true, true, "Un th\xC3\xA9.\r\n",
         L"1 replacement(s)"},
        {L"utf8 mark", "\xEF\xBB\xBFUn caf\xC3\xA9.", L"caf\u00E9", L"th\u00E9", true, true,
         "\xEF\xBB\xBFUn th\xC3\xA9.\r\n", L"1 replacement(s)"},
        {L"utf8 folded", "CAF\xC3\x89 caf\xC3\xA9", L"caf\u00C9", L"th\u00E9", false, false,
         "th\xC3\xA9 th\xC3\xA9\r\n", L"2 replacement(s)"},
        {L"utf8 case", "CAF\xC3\x89 caf\xC3\xA9", L"CAF\u00C9", L"-", true, false,
         "- caf\xC3\xA9\r\n", L"1 replacement(s)"},
        // A capital shorter than its small letter in UTF-8 (through UTF-16 and back, in pieces
        // that split a character outside the basic plane).
        {L"utf8 long", "\xE2\xB1\xA5 " + std::string(32765, 'a') + "\xF0\x9F\x98\x80 \xC8\xBA",
         L"\u023A", L"x", false, false, "x " + std::string(32765, 'a') + "\xF0\x9F\x98\x80 x\r\n",
         L"2 replacement(s)"},
        {L"le", Le(cafe), L"caf\u00E9", L"th\u00E9", true, false,
         Le(L"Caf\u00E9 th\u00E9s CAF\u00C9\r\n"), L"1 replacement(s)"},
        {L"le folded", Le(cafe), L"CAF\u00C9", L"th\u00E9", false, false,
         Le(L"th\u00E9 th\u00E9s th\u00E9\r\n"), L"3 replacement(s)"},
        {L"le words", Le(cafe), L"caf\u00E9", L"th\u00E9", false, true,
         Le(L"th\u00E9 caf\u00E9s th\u00E9\r\n"), L"2 replacement(s)"},
        {L"be", Be(cafe), L"caf\u00E9", L"th\u00E9", true, true, "", L"0 replacement(s)"},
        {L"be folded", Be(cafe), L"caf\u00E9", L"th\u00E9", false, true,
         Be(L"th\u00E9 caf\u00E9s th\u00E9\r\n"), L"2 replacement(s)"},
        {L"be lines", Be(L"a\rb\nc"), L"b", L"\u0394", true, false, Be(L"a\r\n\u0394\r\nc\r\n"),
         L"1 replacement(s)"},
        // Matches never start or end inside a character.
        {L"utf8 tail", "caf\xC3\xA9", L"\u00A9", L"x", true, false, "", L"0 replacement(s)"},
        {L"le halves", Le(L"\u4100\u0100"), L"A", L"x", true, false, "", L"0 replacement(s)"},
        {L"le surrogate", Le(L"\U0001F600"), L"\xD83D", L"x", true, false, "", L"0 replacement(s)"},
        {L"le unwritable", Le(L"abc"), L"abc", L"\xD800", true, false, "",
         L"skipped (replacement cannot be written in the file's encoding)"},
        {L"binary", std::string("abc\0abc", 7), L"abc", L"x", true, false, "",
         L"skipped (binary file)"},
        {L"utf8 invalid",
         "\xEF\xBB\xBF"
         "abc\xFF",
         L"abc", L"x", true, false, "", L"skipped (not valid UTF-8 text)"},
        {L"utf8 nul",
         std::string("\xEF\xBB\xBF"
                     "abc\0",
                     7),
         L"abc", L"x", true, false, "", L"skipped (not valid UTF-8 text)"},
        {L"le odd",
         "\xFF\xFE"
         "a\0b",
         L"a", L"x", true, false, "", L"skipped (not valid UTF-16 text)"},
        {L"le unpaired", Le(L"abc\xD800"), L"abc", L"x", true, false, "",
         L"skipped (not valid UTF-16 text)"},
        {L"le nul", Le(std::wstring(L"abc\0", 4)), L"abc", L"x", true, false, "",
         L"skipped (not valid UTF-16 text)"},
    };
    if (GetACP() == 1252) {  // the code page lacks ł and holds é as E9
        rows.push_back({L"ansi", "hello world", L"he\u0142\u0142o", L"x", true, false, "",
                        L"0 replacement(s)"});
        rows.push_back({L"ansi unwritable", "hello world", L"hello", L"he\u0142\u0142o", true,
                        false, "",
                        L"skipped (replacement cannot be written in the file's code page)"});
        rows.push_back({L"ansi bytes", "caf\xE9 CAF\xC9\n", L"caf\u00E9", L"th\u00E9", false, false,
                        "th\xE9 th\xE9\r\n", L"2 replacement(s)"});
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::wstring path = dir.Write(std::wstring(row.name) + L".txt", row.input);
        Window window;
        window.find = row.find;
        window.replacement = row.replacement;
        window.caseSensitive = row.caseSensitive;
        window.wholeWords = row.wholeWords;
        FindReplaceText(window, {path});
        EXPECT_EQ(window.log.at(0), row.name + (L".txt - " + std::wstring(row.log)));
        EXPECT_EQ(ReadFileBytes(path), row.expected.empty() ? row.input : row.expected);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    }
}

// UTF-8 is recognised as the platform's strict decoder reads it, and decoded and encoded again
// without a change, in pieces as the replacement writes them.
TEST(TextEncoding, ReadsAndWritesUtf8AsThePlatformDoes) {
    // Mostly ASCII and two-byte sequences, some longer ones, and bytes that break sequences.
    const std::vector<std::string> pieces = {"a", "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                                             std::string(1, '\0')};
    const std::string singles =
        "\x7F\x80\xBF\xC0\xC1\xC2\xDF\xE0\xED\xEF\xF0\xF4\xF5\xA0\x9F\x90\x8F";
    std::mt19937 random(20240613);
    for (int i = 0; i < 50000; ++i) {
        std::string bytes;
        for (size_t n = random() % 40; n > 0; --n)
            bytes += random() % 10 < 8   ? pieces[random() % 2]
                     : random() % 2 == 0 ? pieces[random() % pieces.size()]
                                         : singles.substr(random() % singles.size(), 1);
        SCOPED_TRACE(testing::PrintToString(bytes));
        const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                              int(bytes.size()), nullptr, 0);
        const bool valid = bytes.find('\0') == bytes.npos && (bytes.empty() || units > 0);
        const bool ascii = size_t(units) == bytes.size();
        ASSERT_EQ(ScanUtf8(bytes), !valid  ? Utf8Scan::kInvalid
                                   : ascii ? Utf8Scan::kAscii
                                           : Utf8Scan::kUtf8);
        if (!valid) continue;
        UnitBuffer buffer;
        const std::u16string_view decoded = DecodeUtf8(bytes, buffer);
        ASSERT_EQ(std::wstring(decoded.begin(), decoded.end()), base::Utf8ToWide(bytes));
        StringSink sink;
        Utf16Encoder encoder(sink, TextEncoding::kUtf8);
        const size_t split = 2 * (random() % (decoded.size() + 1));
        const std::string_view units16(reinterpret_cast<const char*>(decoded.data()),
                                       2 * decoded.size());
        encoder.Write(units16.substr(0, split));
        encoder.Write(units16.substr(split));
        ASSERT_EQ(sink.bytes, bytes);
    }
}

enum class Form { kUtf8, kUtf8Mark, kUtf16Le, kUtf16Be };

std::string Encode(Form form, const std::wstring& text) {
    if (form == Form::kUtf16Le) return Le(text);
    if (form == Form::kUtf16Be) return Be(text);
    return (form == Form::kUtf8Mark ? "\xEF\xBB\xBF" : "") + base::WideToUtf8(text);
}

// Whether the text holds no half of a character.
bool IsWhole(const std::wstring& text) {
    return text.empty() || WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(),
                                               int(text.size()), nullptr, 0, nullptr, nullptr) > 0;
}

// Each code unit on its own: ASCII letters, then the platform's capital of a letter of the basic
// plane unless that is ASCII.
wchar_t FoldUnit(wchar_t c) {
    if (c < 0x80) return c >= 'a' && c <= 'z' ? wchar_t(c - 0x20) : c;
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    wchar_t upper = c;
    CharUpperBuffW(&upper, 1);
    return upper < 0x80 ? c : upper;
}

struct Model {
    FileReplacer::Outcome outcome;
    std::string bytes;
    size_t count;
};

// The plain replacement on the UTF-16 code units, everything outside the matches kept.
Model ModelOf(Form form, const std::wstring& text, const std::wstring& find,
              const std::wstring& replacement, bool caseSensitive, bool wholeWords) {
    using Outcome = FileReplacer::Outcome;
    const auto [out, count] =
        ReplaceLineByLine(text, find, replacement, wholeWords,
                          [&](wchar_t c) { return caseSensitive ? c : FoldUnit(c); });
    if (count == 0 || !IsWhole(find)) return {Outcome::kNoMatch, "", 0};
    if (!IsWhole(replacement)) return {Outcome::kUnwritableInEncoding, "", 0};
    return {Outcome::kMatch, Encode(form, out), count};
}

// Bytes that make a file invalid wherever they go (after its mark, at a unit's start).
std::string Poison(Form form, unsigned pick) {
    if (form == Form::kUtf8) return std::string(1, '\0');
    if (form == Form::kUtf8Mark) return pick % 2 ? "\x80" : std::string(1, '\0');
    const std::string unit =
        Utf16(std::wstring(L"\xD800\xDC00\0", 3).substr(pick % 3, 1), form == Form::kUtf16Be);
    return pick % 4 == 3 ? unit.substr(1) : unit;
}

TEST(FileReplacer, GivesTheResultsOfThePlainReplacementOnCodeUnits) {
    using Outcome = FileReplacer::Outcome;
    const Outcome invalid[] = {Outcome::kBinary, Outcome::kInvalidUtf8, Outcome::kInvalidUtf16,
                               Outcome::kInvalidUtf16};
    // ASCII, Latin letters, Greek with two small sigmas, a letter whose capital is shorter in
    // UTF-8, one without case, characters outside the basic plane (with case, which folds by code
    // unit only), and line breaks last.
    const std::vector<std::wstring> letters = {
        L"a",      L"A",          L"b",          L"_",          L" ",      L".",
        L"\u00E9", L"\u00C9",     L"\u0161",     L"\u0160",     L"\u00FF", L"\u0178",
        L"\u0142", L"\u03C3",     L"\u03C2",     L"\u03A3",     L"\u2C65", L"\u023A",
        L"\u4E2D", L"\U0001F600", L"\U00010428", L"\U00010400", L"\r",     L"\n"};
    std::mt19937 random(20240612);
    auto pick = [&](size_t maxLength, bool lineBreaks) {
        std::wstring s;
        for (size_t n = random() % (maxLength + 1); n > 0; --n)
            s += letters[random() % (letters.size() - (lineBreaks ? 0 : 2))];
        return s;
    };
    for (int setup = 0; setup < 600; ++setup) {
        // Now and then a text with half a character, which no valid file holds.
        std::wstring find = pick(3, random() % 10 == 0);
        std::wstring replacement = pick(2, true);
        if (random() % 20 == 0) (random() % 2 ? find : replacement) += L'\xD800';
        const bool caseSensitive = random() % 2, wholeWords = random() % 2;
        FileReplacer replacer(find, replacement, caseSensitive, wholeWords, AnsiUpperCaseTable());
        for (int file = 0; file < 15; ++file) {
            const Form form = Form(random() % 4);
            std::wstring text = pick(40, true);
            // Half of the texts hold the find text, in its own letters or in capitals.
            if (random() % 2 && IsWhole(find)) {
                std::wstring found = find;
                for (wchar_t& c : found) c = random() % 2 ? FoldUnit(c) : c;
                size_t at = random() % (text.size() + 1);
                if (at < text.size() && text[at] >= 0xDC00 && text[at] <= 0xDFFF) ++at;
                text.insert(at, found);
            }
            if (form == Form::kUtf8 && base::WideToUtf8(text).size() == text.size())
                text += L"\u00E9";  // else it would be ASCII, which is ANSI
            std::string bytes = Encode(form, text);
            Model model = ModelOf(form, text, find, replacement, caseSensitive, wholeWords);
            if (random() % 8 == 0) {
                const size_t mark = Encode(form, L"").size();
                const size_t unit = form >= Form::kUtf16Le ? 2 : 1;
                bytes.insert(mark + unit * (random() % ((bytes.size() - mark) / unit + 1)),
                             Poison(form, random()));
                model = Model{invalid[int(form)], "", 0};
            }
            SCOPED_TRACE(testing::PrintToString(bytes) + " / " + base::WideToUtf8(find) + " / " +
                         base::WideToUtf8(replacement) + (caseSensitive ? " case" : "") +
                         (wholeWords ? " words" : ""));
            ASSERT_EQ(replacer.Examine(bytes), model.outcome);
            if (model.outcome != Outcome::kMatch) continue;
            StringSink sink;
            ASSERT_EQ(replacer.Rewrite(sink), model.count);
            ASSERT_EQ(sink.bytes, model.bytes);
        }
    }
}

}  // namespace
