#include "app/TextReplacer.h"

#include <algorithm>
#include <bit>

#include <windows.h>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LUMORA_SSE2 1
#endif

namespace {

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

FoldTable IdentityTable() {
    FoldTable table;
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<unsigned char>(i);
    return table;
}

}  // namespace

FoldTable AnsiUpperCaseTable() {
    FoldTable table = IdentityTable();
    // One byte at a time: a byte string of the whole range could pair up as double-byte
    // characters in some code pages and change length.
    for (size_t i = 1; i < table.size(); ++i) {
        char c = static_cast<char>(i);
        CharUpperBuffA(&c, 1);
        table[i] = static_cast<unsigned char>(c);
    }
    return table;
}

const char* FindEitherByte(const char* first, const char* last, char a, char b) noexcept {
#ifdef LUMORA_SSE2
    const __m128i va = _mm_set1_epi8(a);
    const __m128i vb = _mm_set1_epi8(b);
    while (last - first >= 32) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + 16));
        const unsigned lowMask = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(low, va), _mm_cmpeq_epi8(low, vb))));
        const unsigned highMask = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(high, va), _mm_cmpeq_epi8(high, vb))));
        if ((lowMask | highMask) != 0) return first + std::countr_zero(lowMask | (highMask << 16));
        first += 32;
    }
#endif
    for (; first != last; ++first)
        if (*first == a || *first == b) return first;
    return last;
}

OutputBuffer::OutputBuffer(ByteSink& sink, size_t capacity)
    : sink_(sink), data_(std::make_unique_for_overwrite<char[]>(capacity)), capacity_(capacity) {}

void OutputBuffer::Flush() {
    if (size_ == 0) return;
    sink_.Write(std::string_view(data_.get(), size_));
    size_ = 0;
}

void OutputBuffer::Spill(const char* bytes, size_t count) {
    Flush();
    if (count >= capacity_) {
        sink_.Write(std::string_view(bytes, count));
    } else {
        std::memcpy(data_.get(), bytes, count);
        size_ = count;
    }
}

namespace {

// The position of the first line break that is not CR LF (a CR without an LF after it, or an LF
// without a CR before it), or npos.
size_t FindLoneLineBreak(std::string_view text) {
    const char* const s = text.data();
    const size_t n = text.size();
    auto lone = [&](size_t i) {
        return (s[i] == '\r' && (i + 1 == n || s[i + 1] != '\n')) ||
               (s[i] == '\n' && (i == 0 || s[i - 1] != '\r'));
    };
    size_t i = 0;
#ifdef LUMORA_SSE2
    if (n >= 18) {
        if (lone(0)) return 0;
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        // Each block of 16 is compared with the bytes one before and one after it.
        for (i = 1; i + 17 <= n; i += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i - 1));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
            const __m128i loneCr =
                _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(here, cr));
            const __m128i loneLf =
                _mm_andnot_si128(_mm_cmpeq_epi8(before, cr), _mm_cmpeq_epi8(here, lf));
            const unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(loneCr, loneLf)));
            if (mask != 0) return i + size_t(std::countr_zero(mask));
        }
    }
#endif
    for (; i < n; ++i)
        if (lone(i)) return i;
    return std::string_view::npos;
}

// Appends text with every line break made CR LF.
void AppendWithCrLf(OutputBuffer& out, std::string_view text) {
    const char* run = text.data();
    const char* const last = text.data() + text.size();
    for (const char* p = run;;) {
        const char* const brk = FindEitherByte(p, last, '\r', '\n');
        if (brk == last) break;
        if (*brk == '\r' && brk + 1 != last && brk[1] == '\n') {
            p = brk + 2;  // already CR LF: stays in the run
            continue;
        }
        if (*brk == '\r') {
            out.Append(run, size_t(brk + 1 - run));
            out.Append("\n", 1);
        } else {
            out.Append(run, size_t(brk - run));
            out.Append("\r\n", 2);
        }
        p = run = brk + 1;
    }
    out.Append(run, size_t(last - run));
}

}  // namespace

TextReplacer::TextReplacer(std::string_view find, std::string replacement, bool caseSensitive,
                           bool wholeWordsOnly, const FoldTable& upperCase)
    : replacement_(std::move(replacement)),
      wholeWordsOnly_(wholeWordsOnly),
      fold_(caseSensitive ? IdentityTable() : upperCase) {
    for (char c : find) find_ += static_cast<char>(fold_[static_cast<unsigned char>(c)]);
    // Lines hold no line breaks, so a text with one can never be found.
    findable_ = !find_.empty() && find_.find_first_of("\r\n") == std::string::npos;
    if (!findable_) return;

    border_.assign(find_.size(), 0);
    for (size_t i = 1, k = 0; i < find_.size(); ++i) {
        while (k > 0 && find_[i] != find_[k]) k = border_[k - 1];
        if (find_[i] == find_[k]) ++k;
        border_[i] = k;
    }

    for (size_t b = 0; b < 256; ++b)
        firstByte_[b] = fold_[b] == static_cast<unsigned char>(find_[0]);
    filterable_ = Variants(find_.front(), first_) && Variants(find_.back(), last_);

    // Up to 16 bytes compare at once when each folds from itself alone, or from a pair of bytes
    // that differ in bit 0x20 only (a and A, and in most code pages the letters above 0x7F).
    wideCompare_ = find_.size() <= pattern_.size();
    for (size_t j = 0; j < find_.size() && wideCompare_; ++j) {
        std::array<char, 2> bytes{};
        const unsigned char pair = Variants(find_[j], bytes) ? (bytes[0] ^ bytes[1]) : 0xFF;
        wideCompare_ = pair == 0 || pair == 0x20;
        caseBits_[j] = pair;
        pattern_[j] = static_cast<unsigned char>(find_[j]) | pair;
        compareMask_ |= 1u << j;
    }
}

// The bytes that fold to a folded byte, when there are at most two.
bool TextReplacer::Variants(char folded, std::array<char, 2>& bytes) const {
    size_t count = 0;
    for (size_t b = 0; b < 256; ++b) {
        if (fold_[b] != static_cast<unsigned char>(folded)) continue;
        if (count == bytes.size()) return false;
        bytes[count++] = static_cast<char>(b);
    }
    if (count == 1) bytes[1] = bytes[0];
    return count > 0;
}

// Calls visit(candidate) for every occurrence of the find text from the given position on, left
// to right, each search resuming after the previous candidate, until visit returns false.
template <class Visit>
void TextReplacer::ForEachCandidate(std::string_view text, size_t from, Visit&& visit) const {
    const size_t length = find_.size();
#ifdef LUMORA_SSE2
    // Looks at 16 starts at a time, keeping those whose first and last bytes fit, then compares
    // the bytes between. Near the end of the text, and for a stretch in which the bytes between
    // keep nearly fitting (only contrived texts do; it would make this quadratic), the search
    // for the next candidate is left to ScanKmp.
    if (filterable_ && text.size() >= length + 15) {
        const size_t lastBlock = text.size() - length - 15;
        const auto* const s = reinterpret_cast<const unsigned char*>(text.data());
        const __m128i first0 = _mm_set1_epi8(first_[0]), first1 = _mm_set1_epi8(first_[1]);
        const __m128i last0 = _mm_set1_epi8(last_[0]), last1 = _mm_set1_epi8(last_[1]);
        size_t stretch = from, work = 0;
        while (from <= lastBlock) {
            const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + from));
            const __m128i tails =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + from + length - 1));
            unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(
                _mm_or_si128(_mm_cmpeq_epi8(heads, first0), _mm_cmpeq_epi8(heads, first1)),
                _mm_or_si128(_mm_cmpeq_epi8(tails, last0), _mm_cmpeq_epi8(tails, last1)))));
            size_t next = from + 16;
            while (mask != 0) {
                const size_t candidate = from + size_t(std::countr_zero(mask));
                if (!Fits(s, text.size(), candidate, work)) {
                    mask &= mask - 1;
                    continue;
                }
                if (!visit(candidate)) return;
                next = std::max(next, candidate + length);
                stretch = candidate + length;
                work = 0;
                mask = candidate + length - from >= 16
                           ? 0
                           : mask & (~0u << (candidate + length - from));
            }
            from = next;
            if (work > 4 * (from - stretch) + 64) {
                const size_t candidate = ScanKmp(text, from);
                if (candidate == npos || !visit(candidate)) return;
                from = stretch = candidate + length;
                work = 0;
            }
        }
    }
#endif
    for (size_t candidate = ScanKmp(text, from); candidate != npos;
         candidate = ScanKmp(text, candidate + length)) {
        if (!visit(candidate)) return;
    }
}

#ifdef LUMORA_SSE2
// Whether the find text stands at candidate, whose first and last bytes are known to fit. Adds
// the bytes compared one by one to work.
bool TextReplacer::Fits(const unsigned char* s, size_t size, size_t candidate, size_t& work) const {
    if (wideCompare_ && candidate + 16 <= size) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + candidate));
        const __m128i folded =
            _mm_or_si128(bytes, _mm_load_si128(reinterpret_cast<const __m128i*>(caseBits_.data())));
        const unsigned equal = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(
            folded, _mm_load_si128(reinterpret_cast<const __m128i*>(pattern_.data())))));
        return (equal & compareMask_) == compareMask_;
    }
    const size_t length = find_.size();
    size_t j = 1;
    while (j + 1 < length && fold_[s[candidate + j]] == static_cast<unsigned char>(find_[j])) ++j;
    work += j;
    return j + 1 >= length;
}
#endif

// Knuth-Morris-Pratt over the folded bytes: each byte of the text is looked at a bounded number
// of times, whatever the find text and the line.
size_t TextReplacer::ScanKmp(std::string_view text, size_t from) const {
    const char* const base = text.data();
    const char* const last = base + text.size();
    const size_t length = find_.size();
    const char* p = base + from;
    size_t matched = 0;
    for (;;) {
        if (matched == 0) {
            while (p != last && !firstByte_[static_cast<unsigned char>(*p)]) ++p;
            if (p == last) return npos;
            matched = 1;
        } else {
            if (p == last) return npos;
            const char c = static_cast<char>(fold_[static_cast<unsigned char>(*p)]);
            while (matched > 0 && c != find_[matched]) matched = border_[matched - 1];
            if (c == find_[matched]) ++matched;
        }
        ++p;
        if (matched == length) return size_t(p - base) - length;
    }
}

bool TextReplacer::IsWholeWord(std::string_view text, size_t position) const {
    const size_t end = position + find_.size();
    if (position > 0 && IsWordByte(static_cast<unsigned char>(text[position - 1]))) return false;
    return end == text.size() || !IsWordByte(static_cast<unsigned char>(text[end]));
}

size_t TextReplacer::NextMatch(std::string_view text, size_t from) const {
    size_t match = npos;
    if (findable_) {
        ForEachCandidate(text, from, [&](size_t candidate) {
            if (wholeWordsOnly_ && !IsWholeWord(text, candidate)) return true;
            match = candidate;
            return false;
        });
    }
    return match;
}

size_t TextReplacer::Rewrite(std::string_view text, size_t firstMatch, OutputBuffer& out) const {
    // Most files end every line with CR LF already; their text between matches is copied as is.
    const bool crLfOnly = FindLoneLineBreak(text) == npos;
    size_t count = 0;
    size_t position = 0;
    auto copyUpTo = [&](size_t end) {
        if (crLfOnly) {
            out.Append(text.data() + position, end - position);
        } else {
            AppendWithCrLf(out, text.substr(position, end - position));
        }
    };
    auto replace = [&](size_t match) {
        copyUpTo(match);
        out.Append(replacement_.data(), replacement_.size());
        ++count;
        position = match + find_.size();
        return true;
    };
    replace(firstMatch);
    ForEachCandidate(text, position, [&](size_t candidate) {
        return wholeWordsOnly_ && !IsWholeWord(text, candidate) ? true : replace(candidate);
    });
    copyUpTo(text.size());
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') out.Append("\r\n", 2);
    out.Flush();
    return count;
}
