// How a file's bytes hold its text (the ANSI code page, UTF-8 or UTF-16), and the conversions the
// replacement needs between these forms. Nothing here changes a character into another one.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/TextReplacer.h"

enum class TextEncoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

// The encoding a file's byte-order mark announces and the mark's size; ANSI and 0 without one.
struct ByteOrderMark {
    TextEncoding encoding;
    size_t size;
};
ByteOrderMark ReadByteOrderMark(std::string_view bytes);

// What a scan of bytes as UTF-8 finds. A NUL makes them invalid: it is no text.
enum class Utf8Scan { kAscii, kUtf8, kInvalid };
Utf8Scan ScanUtf8(std::string_view bytes);

bool ContainsNul(std::string_view bytes);

// Storage kept from file to file.
template <class T>
class ReusedBuffer {
  public:
    T* Reserve(size_t count) {
        if (count > capacity_) {
            data_.reset();
            capacity_ = 0;
            data_ = std::make_unique_for_overwrite<T[]>(count);
            capacity_ = count;
        }
        return data_.get();
    }
    std::basic_string_view<T> View(size_t count) const { return {data_.get(), count}; }

  private:
    std::unique_ptr<T[]> data_;
    size_t capacity_ = 0;
};
using ByteBuffer = ReusedBuffer<char>;
using UnitBuffer = ReusedBuffer<char16_t>;

// Takes UTF-16 bytes in their byte order as code units; nullopt when they are not valid text (an
// odd count of bytes, a surrogate without its partner, a NUL).
std::optional<std::u16string_view> ReadUtf16(std::string_view bytes, bool bigEndian,
                                             UnitBuffer& buffer);
// Decodes bytes that ScanUtf8 found valid.
std::u16string_view DecodeUtf8(std::string_view bytes, UnitBuffer& buffer);

// Passes code units on to another sink as UTF-8 or as big-endian UTF-16. The pieces it is given
// hold whole code units; a surrogate pair may be split between two.
class Utf16Encoder : public ByteSink {
  public:
    Utf16Encoder(ByteSink& target, TextEncoding encoding) : target_(target), encoding_(encoding) {}
    void Write(std::string_view bytes) override;

  private:
    void WriteSlice(std::string_view bytes);

    ByteSink& target_;
    TextEncoding encoding_;
    char16_t pendingHigh_ = 0;
    std::string scratch_;
};

// The text in a code page (CP_ACP, CP_UTF8), or nullopt when the code page cannot hold all of it:
// no character is replaced by a look-alike or a default character.
std::optional<std::string> ToCodePage(std::wstring_view text, unsigned codePage);
// The text as UTF-16 code units, or nullopt when it holds a surrogate without its partner.
std::optional<std::u16string> ToUtf16(std::wstring_view text);

// Valid UTF-8 with every character folded through a table of UTF-16 code units where its fold
// has as many bytes; the others keep theirs. Positions in the copy are positions in the bytes.
std::string_view FoldUtf8(std::string_view bytes, const WideFoldTable& upperCase,
                          ByteBuffer& buffer);
// Whether FoldUtf8 folds the text's characters as the table does, and every character that folds
// like one of them as well: their folds have their lengths in UTF-8.
bool FoldsAtEqualLength(std::u16string_view text, const WideFoldTable& upperCase);

// Case folding of UTF-8 bytes for a find text of ASCII characters only: the ASCII letters.
FoldTable AsciiUpperCaseTable();
// Case folding of UTF-16 code units: the ASCII letters, and every other character of the basic
// plane by the platform's upper-case mapping unless that would make it ASCII.
std::unique_ptr<WideFoldTable> UnicodeUpperCaseTable();
