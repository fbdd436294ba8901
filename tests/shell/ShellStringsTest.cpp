#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "ShellTestSupport.h"
#include "shell/ShellStrings.h"
#include "base/Error.h"

TEST(ShellStrings, StrRetOffsetStaysInsideTheItem) {
    UniquePidl item = shell_test::MakeItems({10});
    STRRET offset{};
    offset.uType = STRRET_OFFSET;
    offset.uOffset = 4;
    std::memcpy(reinterpret_cast<char*>(item.Get()) + 4, "name", 5);
    EXPECT_EQ(StrRetToString(item.Get(), offset), L"name");
    std::memset(reinterpret_cast<char*>(item.Get()) + 2, 'z', 8);  // no terminator in the item
    EXPECT_EQ(StrRetToString(item.Get(), offset), L"zzzzzz");
    offset.uOffset = 40;
    EXPECT_EQ(StrRetToString(item.Get(), offset), L"");
}

TEST(ShellStrings, TrailingCharactersAndSurrogatePairs) {
    const std::wstring pair = L"\U0001F600";
    EXPECT_EQ(IncludeTrailingChar(L"C:\\Data", L'\\'), L"C:\\Data\\");
    EXPECT_EQ(IncludeTrailingChar(L"C:\\", L'\\'), L"C:\\");
    EXPECT_EQ(IncludeTrailingChar(L"", L'\\'), L"");
    EXPECT_EQ(IncludeTrailingChar(L"x" + pair, L'\\'), L"x" + pair + L"\\");
    EXPECT_EQ(IncludeTrailingChar(pair, pair[1]), pair + pair[1]);  // half a pair is no match

    const std::wstring source = L"a" + pair + L"b\xD800";  // ends in a lone high surrogate
    std::wstring copied;
    std::vector<std::size_t> positions;
    for (std::size_t position = 0; position < source.size(); positions.push_back(position))
        AppendChar(position, source, copied);
    EXPECT_EQ(copied, source);
    EXPECT_EQ(positions, (std::vector<std::size_t>{1, 3, 4, 5}));
}

TEST(ShellStrings, FormatStrPosTakesUpToFiftyStrings) {
    const std::wstring example[] = {L"Access is denied.", L"C:\\New folder"};
    EXPECT_EQ(FormatStrPos(L"Unable to create the folder '%2'\n\n%1", example),
              L"Unable to create the folder 'C:\\New folder'\r\n\r\nAccess is denied.");
    EXPECT_EQ(FormatStrPos(L"", example), L"");
    // Inserts the caller did not pass are empty, never read from elsewhere.
    EXPECT_EQ(FormatStrPos(L"[%1|%7|%99]", std::span(example, 1)), L"[Access is denied.||]");

    std::vector<std::wstring> strings;
    for (int i = 1; i <= 50; ++i) strings.push_back(L"s" + std::to_wstring(i));
    EXPECT_EQ(FormatStrPos(L"%50 %1 %25", strings), L"s50 s1 s25");
    strings.push_back(L"s51");
    try {
        FormatStrPos(L"%1", strings);
        ADD_FAILURE() << "51 strings were taken";
    } catch (const base::Error& e) {
        EXPECT_EQ(e.Message(), L"FormatStrPos: Too many substitution strings");
    }
}
