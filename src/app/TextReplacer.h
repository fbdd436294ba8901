// Replacement of a text in the code units of a file (bytes, or UTF-16 code units), line by line,
// with CR LF after every line.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Maps every code unit to its upper-case counterpart, never changing the length of a text.
template <class Unit>
using BasicFoldTable = std::array<std::make_unsigned_t<Unit>, size_t(1) << (8 * sizeof(Unit))>;
using FoldTable = BasicFoldTable<char>;
using WideFoldTable = BasicFoldTable<char16_t>;

// Upper case in the active ANSI code page, the way CharUpperBuffA maps single bytes.
FoldTable AnsiUpperCaseTable();

// The first byte equal to a or b in [first, last), or last.
const char* FindEitherByte(const char* first, const char* last, char a, char b) noexcept;

// Receives rewritten text in pieces.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes) = 0;
};

// Gathers many small pieces into large writes.
class OutputBuffer {
  public:
    OutputBuffer(ByteSink& sink, size_t capacity);
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void Append(const char* bytes, size_t count) {
        if (count <= 16 && capacity_ - size_ >= 16) {
            AppendShort(data_.get() + size_, bytes, count);
            size_ += count;
        } else if (count <= capacity_ - size_) {
            std::memcpy(data_.get() + size_, bytes, count);
            size_ += count;
        } else {
            Spill(bytes, count);
        }
    }
    void Flush();

  private:
    // Short pieces are many (the text between close matches); a call to memcpy each costs more
    // than the copy.
    static void AppendShort(char* to, const char* from, size_t count) {
        if (count >= 8) {
            std::memcpy(to, from, 8);
            std::memcpy(to + count - 8, from + count - 8, 8);
        } else if (count >= 4) {
            std::memcpy(to, from, 4);
            std::memcpy(to + count - 4, from + count - 4, 4);
        } else {
            for (size_t i = 0; i < count; ++i) to[i] = from[i];
        }
    }
    void Spill(const char* bytes, size_t count);

    ByteSink& sink_;
    std::unique_ptr<char[]> data_;
    size_t capacity_;
    size_t size_ = 0;
};

// Finds the text in a file's code units and rewrites them with the replacement.
//
// The units are taken as lines ended by CR LF, a lone CR or a lone LF; a match never spans two
// lines. Matches are found left to right without overlapping, the search resuming after each
// candidate. With whole words only, a candidate counts when neither of its neighbours in the line
// is a word character (0-9, A-Z, a-z, _). The whole text is searched at once, in time linear in
// its length: a line break is no word character, so its neighbours judge as the line's ends do.
template <class Unit>
class BasicTextReplacer {
  public:
    using Text = std::basic_string_view<Unit>;
    using Table = BasicFoldTable<Unit>;
    static constexpr size_t npos = Text::npos;

    // upperCase folds both sides when the search ignores case.
    BasicTextReplacer(Text find, std::basic_string<Unit> replacement, bool caseSensitive,
                      bool wholeWordsOnly, const Table& upperCase);

    // The position of the first accepted match at or after from, or npos.
    size_t NextMatch(Text text, size_t from) const;

    // Writes text with every match replaced and CR LF after every line; firstMatch is
    // NextMatch(text, 0). Returns the number of replacements.
    size_t Rewrite(Text text, size_t firstMatch, OutputBuffer& out) const {
        return Rewrite(text, text, firstMatch, out);
    }
    // The same for a text searched in another form of the same length (its letters folded).
    size_t Rewrite(Text search, Text text, size_t firstMatch, OutputBuffer& out) const;

  private:
    using Bits = std::make_unsigned_t<Unit>;
    static constexpr size_t kValues = size_t(1) << (8 * sizeof(Unit));
    static constexpr size_t kBlock = 16 / sizeof(Unit);  // the units in 16 bytes

    bool Variants(Unit folded, std::array<Unit, 2>& units) const;
    template <class Visit>
    void ForEachCandidate(Text text, size_t from, Visit&& visit) const;
    bool Fits(const Unit* s, size_t size, size_t candidate, size_t& work) const;
    size_t ScanKmp(Text text, size_t from) const;
    bool IsWholeWord(Text text, size_t position) const;

    std::basic_string<Unit> find_;  // folded
    std::basic_string<Unit> replacement_;
    bool wholeWordsOnly_;
    bool findable_;
    Table fold_;
    std::vector<size_t> border_;             // longest proper border of each prefix of find_
    std::array<bool, kValues> firstUnit_{};  // the units that fold to find_[0]
    std::array<Unit, 2> first_{}, last_{};   // those of find_'s first and last unit...
    bool filterable_ = false;                // ...when there are at most two of each
    // find_ for comparing 16 bytes at once: the bit that tells the two units folding to each
    // unit apart, the units with that bit set, the positions that count.
    bool wideCompare_ = false;
    alignas(16) std::array<Unit, kBlock> caseBits_{}, pattern_{};
    unsigned compareMask_ = 0;
};

// Bytes: the ANSI code page's and UTF-8's. The UTF-16 replacer is large (its tables cover every
// code unit): keep it off the stack.
using TextReplacer = BasicTextReplacer<char>;
using WideTextReplacer = BasicTextReplacer<char16_t>;
