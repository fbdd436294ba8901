#include "app/TextEncoding.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <windows.h>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LUMORA_SSE2 1
#endif

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the UTF-8 sequence at p (valid and without NUL), or 0.
size_t Utf8SequenceLength(const unsigned char* p, size_t left) {
    const unsigned char lead = p[0];
    if (lead < 0x80) return lead != 0 ? 1 : 0;
    // The second byte's range rules out overlong forms, surrogates and code points past 10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (!IsContinuation(p[i])) return 0;
    return length;
}

// The count of leading bytes of [p, p + left) that are ASCII characters other than NUL and
// two-byte sequences, looked at 16 at a time: the text of most languages written in Latin, Greek
// or Cyrillic letters. It ends where a closer look is needed; beyondAscii tells whether it passed
// a two-byte sequence.
size_t PlainUtf8Run(const unsigned char* p, size_t left, bool& beyondAscii) {
    size_t i = 0;
#ifdef LUMORA_SSE2
    // Bytes compared as signed: 01-7F are positive, 80-BF below -64, C2-DF from -62 to -33.
    const __m128i zero = _mm_setzero_si128();
    bool leadBefore = false;  // the block before ended in a lead byte
    for (; i + 16 <= left; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i follows = _mm_cmplt_epi8(bytes, _mm_set1_epi8(-64));
        const __m128i leads = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(-63)),
                                            _mm_cmplt_epi8(bytes, _mm_set1_epi8(-32)));
        const __m128i plain =
            _mm_or_si128(_mm_cmpgt_epi8(bytes, zero), _mm_or_si128(follows, leads));
        // Every continuation byte right after a lead byte, and only there.
        const __m128i expected =
            _mm_or_si128(_mm_slli_si128(leads, 1), _mm_cvtsi32_si128(leadBefore ? 0xFF : 0));
        if (_mm_movemask_epi8(plain) != 0xFFFF ||
            _mm_movemask_epi8(_mm_xor_si128(follows, expected)) != 0)
            break;
        const unsigned leadMask = unsigned(_mm_movemask_epi8(leads));
        beyondAscii |= leadMask != 0;
        leadBefore = (leadMask >> 15) != 0;
    }
    if (leadBefore) return i - 1;  // the sequence it starts is looked at again
#endif
    while (i < left && p[i] != 0 && p[i] < 0x80) ++i;
    return i;
}

// The count of leading units of [p, p + left) that are neither NUL nor surrogates.
size_t PlainUnitRun(const char16_t* p, size_t left) {
    size_t i = 0;
#ifdef LUMORA_SSE2
    const __m128i zero = _mm_setzero_si128();
    const __m128i top5 = _mm_set1_epi16(short(0xF800)), surrogate = _mm_set1_epi16(short(0xD800));
    for (; i + 8 <= left; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i stop = _mm_or_si128(_mm_cmpeq_epi16(units, zero),
                                          _mm_cmpeq_epi16(_mm_and_si128(units, top5), surrogate));
        const unsigned mask = unsigned(_mm_movemask_epi8(stop));
        if (mask != 0) return i + size_t(std::countr_zero(mask)) / 2;
    }
#endif
    while (i < left && p[i] != 0 && (p[i] & 0xF800) != 0xD800) ++i;
    return i;
}

bool IsValidUtf16(std::u16string_view units) {
    const char16_t* const p = units.data();
    for (size_t i = 0, n = units.size(); i < n;) {
        i += PlainUnitRun(p + i, n - i);
        if (i == n) break;
        if (!IsHighSurrogate(p[i]) || i + 1 == n || !IsLowSurrogate(p[i + 1])) return false;
        i += 2;
    }
    return true;
}

// Swaps the two bytes of every unit while copying.
void CopySwapped(const unsigned char* from, unsigned char* to, size_t count) {
    size_t i = 0;
#ifdef LUMORA_SSE2
    for (; i + 8 <= count; i += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 2 * i),
                         _mm_or_si128(_mm_slli_epi16(units, 8), _mm_srli_epi16(units, 8)));
    }
#endif
    for (; i < count; ++i) {
        to[2 * i] = from[2 * i + 1];
        to[2 * i + 1] = from[2 * i];
    }
}

size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// Appends the UTF-8 form of a code point.
char* EncodeUtf8(char32_t c, char* out) {
    if (c < 0x80) {
        *out++ = char(c);
    } else if (c < 0x800) {
        *out++ = char(0xC0 | c >> 6);
        *out++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = char(0xE0 | c >> 12);
        *out++ = char(0x80 | (c >> 6 & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    } else {
        *out++ = char(0xF0 | c >> 18);
        *out++ = char(0x80 | (c >> 12 & 0x3F));
        *out++ = char(0x80 | (c >> 6 & 0x3F));
        *out++ = char(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace

ByteOrderMark ReadByteOrderMark(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return {TextEncoding::kUtf8, 3};
    if (bytes.starts_with("\xFF\xFE")) return {TextEncoding::kUtf16Le, 2};
    if (bytes.starts_with("\xFE\xFF")) return {TextEncoding::kUtf16Be, 2};
    return {TextEncoding::kAnsi, 0};
}

Utf8Scan ScanUtf8(std::string_view bytes) {
    const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    bool beyondAscii = false;
    for (size_t i = 0; i < n;) {
        i += PlainUtf8Run(p + i, n - i, beyondAscii);
        if (i == n) break;
        const size_t length = Utf8SequenceLength(p + i, n - i);
        if (length == 0) return Utf8Scan::kInvalid;
        beyondAscii |= length > 1;
        i += length;
    }
    return beyondAscii ? Utf8Scan::kUtf8 : Utf8Scan::kAscii;
}

bool ContainsNul(std::string_view bytes) {
    const char* const last = bytes.data() + bytes.size();
    return FindEitherByte(bytes.data(), last, '\0', '\0') != last;
}

std::optional<std::u16string_view> ReadUtf16(std::string_view bytes, bool bigEndian,
                                             UnitBuffer& buffer) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    const size_t count = bytes.size() / 2;
    char16_t* const units = buffer.Reserve(count);
    if (bigEndian) {
        CopySwapped(reinterpret_cast<const unsigned char*>(bytes.data()),
                    reinterpret_cast<unsigned char*>(units), count);
    } else {
        std::memcpy(units, bytes.data(), bytes.size());
    }
    const std::u16string_view text = buffer.View(count);
    if (!IsValidUtf16(text)) return std::nullopt;
    return text;
}

std::u16string_view DecodeUtf8(std::string_view bytes, UnitBuffer& buffer) {
    const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    char16_t* const out = buffer.Reserve(n);  // never more units than bytes
    size_t i = 0, o = 0;
    while (i < n) {
#ifdef LUMORA_SSE2
        const __m128i zero = _mm_setzero_si128();
        // Sixteen bytes at a time, up to the next byte beyond ASCII.
        if (i + 16 <= n) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o + 8),
                             _mm_unpackhi_epi8(chunk, zero));
            const unsigned beyond = unsigned(_mm_movemask_epi8(chunk));
            const size_t ascii = beyond == 0 ? 16 : size_t(std::countr_zero(beyond));
            i += ascii;
            o += ascii;
            if (beyond == 0) continue;
        }
#endif
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            out[o++] = lead;
            ++i;
            continue;
        }
        const size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) c = c << 6 | (p[i + k] & 0x3F);
        if (c >= 0x10000) {
            out[o++] = char16_t(0xD800 + ((c - 0x10000) >> 10));
            out[o++] = char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[o++] = char16_t(c);
        }
        i += length;
    }
    return buffer.View(o);
}

void Utf16Encoder::Write(std::string_view bytes) {
    // In slices, so that a long stretch without matches is never copied whole.
    constexpr size_t kSlice = size_t(1) << 16;
    for (size_t offset = 0; offset < bytes.size(); offset += kSlice)
        WriteSlice(bytes.substr(offset, kSlice));
}

void Utf16Encoder::WriteSlice(std::string_view bytes) {
    const size_t count = bytes.size() / 2;
    const auto* const from = reinterpret_cast<const unsigned char*>(bytes.data());
    if (encoding_ == TextEncoding::kUtf16Be) {
        scratch_.resize(bytes.size());
        CopySwapped(from, reinterpret_cast<unsigned char*>(scratch_.data()), count);
        target_.Write(scratch_);
        return;
    }
    scratch_.resize(3 * count + 4);
    char* out = scratch_.data();
    for (size_t i = 0; i < count; ++i) {
#ifdef LUMORA_SSE2
        // Runs of ASCII, eight units at a time.
        const __m128i nonAscii = _mm_set1_epi16(short(0xFF80)), zero = _mm_setzero_si128();
        while (pendingHigh_ == 0 && i + 8 <= count) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2 * i));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, nonAscii), zero)) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
            out += 8;
            i += 8;
        }
        if (i == count) break;
#endif
        char16_t unit;
        std::memcpy(&unit, from + 2 * i, 2);
        if (pendingHigh_ != 0) {
            out = EncodeUtf8(0x10000 + (char32_t(pendingHigh_ - 0xD800) << 10) + (unit - 0xDC00),
                             out);
            pendingHigh_ = 0;
        } else if (IsHighSurrogate(unit)) {
            pendingHigh_ = unit;
        } else {
            out = EncodeUtf8(unit, out);
        }
    }
    target_.Write(std::string_view(scratch_.data(), size_t(out - scratch_.data())));
}

namespace {

// Folds the character at p[i] into out[i], where it has the same length; returns its length.
size_t FoldCharacter(const unsigned char* p, size_t i, const WideFoldTable& upperCase, char* out) {
    const size_t length = p[i] < 0x80 ? 1 : p[i] < 0xE0 ? 2 : p[i] < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? p[i] : p[i] & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) c = c << 6 | (p[i + k] & 0x3F);
    const char32_t folded = length < 4 ? upperCase[c] : c;
    if (Utf8Length(folded) == length) {
        EncodeUtf8(folded, out + i);
    } else {
        std::memcpy(out + i, p + i, length);
    }
    return length;
}

}  // namespace

std::string_view FoldUtf8(std::string_view bytes, const WideFoldTable& upperCase,
                          ByteBuffer& buffer) {
    const auto* const p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    char* const out = buffer.Reserve(n);
    size_t i = 0;
#ifdef LUMORA_SSE2
    // Sixteen bytes at a time, a to z becoming A to Z; then the characters beyond ASCII that
    // begin among them (the last may end past them).
    while (i + 16 <= n) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i small = _mm_and_si128(_mm_cmpgt_epi8(chunk, _mm_set1_epi8('a' - 1)),
                                            _mm_cmplt_epi8(chunk, _mm_set1_epi8('z' + 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_sub_epi8(chunk, _mm_and_si128(small, _mm_set1_epi8(0x20))));
        const unsigned leads =
            unsigned(_mm_movemask_epi8(_mm_cmpgt_epi8(chunk, _mm_set1_epi8(-65))) &
                     _mm_movemask_epi8(chunk));
        size_t end = i + 16;
        for (unsigned m = leads; m != 0; m &= m - 1) {
            const size_t at = i + size_t(std::countr_zero(m));
            end = std::max(end, at + FoldCharacter(p, at, upperCase, out));
        }
        i = end;
    }
#endif
    while (i < n) i += FoldCharacter(p, i, upperCase, out);
    return buffer.View(n);
}

bool FoldsAtEqualLength(std::u16string_view text, const WideFoldTable& upperCase) {
    for (char16_t unit : text) {
        const char16_t folded = upperCase[unit];
        for (size_t u = 0; u < upperCase.size(); ++u)
            if (upperCase[u] == folded && Utf8Length(char32_t(u)) != Utf8Length(folded))
                return false;
    }
    return true;
}

std::optional<std::string> ToCodePage(std::wstring_view text, unsigned codePage) {
    if (text.empty()) return std::string();
    const UINT target = codePage == CP_ACP ? GetACP() : codePage;
    // UTF-8 takes no best-fit flag and reports no default character; it refuses what it cannot
    // encode when asked to.
    const bool utf8 = target == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const reportDefault = utf8 ? nullptr : &usedDefault;
    const int length = WideCharToMultiByte(target, flags, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, reportDefault);
    if (length <= 0 || usedDefault) return std::nullopt;
    std::string result(size_t(length), '\0');
    WideCharToMultiByte(target, flags, text.data(), int(text.size()), result.data(), length,
                        nullptr, reportDefault);
    if (usedDefault) return std::nullopt;
    return result;
}

std::optional<std::u16string> ToUtf16(std::wstring_view text) {
    std::u16string units(text.begin(), text.end());
    if (!IsValidUtf16(units)) return std::nullopt;
    return units;
}

FoldTable AsciiUpperCaseTable() {
    FoldTable table;
    for (size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 0x20 : i);
    return table;
}

std::unique_ptr<WideFoldTable> UnicodeUpperCaseTable() {
    auto table = std::make_unique_for_overwrite<WideFoldTable>();
    std::wstring upper(0x10000, L'\0');
    for (size_t i = 0; i < upper.size(); ++i) upper[i] = wchar_t(i);
    // Surrogates are halves of characters outside the basic plane: they fold as themselves.
    CharUpperBuffW(&upper[0x80], 0xD800 - 0x80);
    CharUpperBuffW(&upper[0xE000], 0x10000 - 0xE000);
    for (size_t i = 0; i < table->size(); ++i) {
        const char16_t mapped = char16_t(upper[i]);
        if (i < 0x80) {
            (*table)[i] = char16_t(i >= 'a' && i <= 'z' ? i - 0x20 : i);
        } else {
            // A letter beyond ASCII never becomes an ASCII one (nor half of a character), so that
            // an ASCII text is found by its bytes alone.
            (*table)[i] =
                mapped < 0x80 || (mapped >= 0xD800 && mapped <= 0xDFFF) ? char16_t(i) : mapped;
        }
    }
    return table;
}
