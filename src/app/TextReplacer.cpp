#include "app/TextReplacer.h"

#include <algorithm>
#include <bit>

#include <windows.h>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define LUMORA_SSE2 1
#endif

namespace {

template <class Unit>
auto Value(Unit unit) {
    return static_cast<std::make_unsigned_t<Unit>>(unit);
}

template <class Unit>
bool IsWordUnit(Unit unit) {
    const auto c = Value(unit);
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

template <class Unit>
void IdentityTable(BasicFoldTable<Unit>& table) {
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<decltype(Value(Unit()))>(i);
}

#ifdef LUMORA_SSE2
// Lanes of one code unit each, 16 or 8 to a register.
template <class Unit>
__m128i Load(const Unit* units) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
}

template <class Unit>
__m128i Splat(Unit unit) {
    if constexpr (sizeof(Unit) == 1) return _mm_set1_epi8(static_cast<char>(unit));
    return _mm_set1_epi16(static_cast<short>(unit));
}

template <class Unit>
__m128i Equal(__m128i a, __m128i b) {
    if constexpr (sizeof(Unit) == 1) return _mm_cmpeq_epi8(a, b);
    return _mm_cmpeq_epi16(a, b);
}

// One bit per lane of a comparison's result.
template <class Unit>
unsigned LaneBits(__m128i lanes) {
    if constexpr (sizeof(Unit) == 1) return unsigned(_mm_movemask_epi8(lanes));
    return unsigned(_mm_movemask_epi8(_mm_packs_epi16(lanes, _mm_setzero_si128())));
}
#endif

// The first unit equal to a or b in [first, last), or last.
template <class Unit>
const Unit* FindEither(const Unit* first, const Unit* last, Unit a, Unit b) noexcept {
#ifdef LUMORA_SSE2
    constexpr size_t kBlock = 16 / sizeof(Unit);
    const __m128i va = Splat(a);
    const __m128i vb = Splat(b);
    while (size_t(last - first) >= 2 * kBlock) {
        const __m128i low = Load(first);
        const __m128i high = Load(first + kBlock);
        const unsigned lowMask =
            LaneBits<Unit>(_mm_or_si128(Equal<Unit>(low, va), Equal<Unit>(low, vb)));
        const unsigned highMask =
            LaneBits<Unit>(_mm_or_si128(Equal<Unit>(high, va), Equal<Unit>(high, vb)));
        if ((lowMask | highMask) != 0)
            return first + std::countr_zero(lowMask | (highMask << kBlock));
        first += 2 * kBlock;
    }
#endif
    for (; first != last; ++first)
        if (*first == a || *first == b) return first;
    return last;
}

template <class Unit>
void AppendUnits(OutputBuffer& out, const Unit* units, size_t count) {
    out.Append(reinterpret_cast<const char*>(units), count * sizeof(Unit));
}

}  // namespace

FoldTable AnsiUpperCaseTable() {
    FoldTable table;
    IdentityTable<char>(table);
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
    return FindEither(first, last, a, b);
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
template <class Unit>
size_t FindLoneLineBreak(std::basic_string_view<Unit> text) {
    const Unit* const s = text.data();
    const size_t n = text.size();
    auto lone = [&](size_t i) {
        return (s[i] == '\r' && (i + 1 == n || s[i + 1] != '\n')) ||
               (s[i] == '\n' && (i == 0 || s[i - 1] != '\r'));
    };
    size_t i = 0;
#ifdef LUMORA_SSE2
    constexpr size_t kBlock = 16 / sizeof(Unit);
    if (n >= kBlock + 2) {
        if (lone(0)) return 0;
        const __m128i cr = Splat(Unit('\r'));
        const __m128i lf = Splat(Unit('\n'));
        // Each block is compared with the units one before and one after it.
        for (i = 1; i + kBlock + 1 <= n; i += kBlock) {
            const __m128i here = Load(s + i);
            const __m128i loneCr =
                _mm_andnot_si128(Equal<Unit>(Load(s + i + 1), lf), Equal<Unit>(here, cr));
            const __m128i loneLf =
                _mm_andnot_si128(Equal<Unit>(Load(s + i - 1), cr), Equal<Unit>(here, lf));
            const unsigned mask = LaneBits<Unit>(_mm_or_si128(loneCr, loneLf));
            if (mask != 0) return i + size_t(std::countr_zero(mask));
        }
    }
#endif
    for (; i < n; ++i)
        if (lone(i)) return i;
    return std::basic_string_view<Unit>::npos;
}

template <class Unit>
constexpr Unit kCrLf[] = {Unit('\r'), Unit('\n')};

// Appends text with every line break made CR LF.
template <class Unit>
void AppendWithCrLf(OutputBuffer& out, std::basic_string_view<Unit> text) {
    const Unit* run = text.data();
    const Unit* const last = text.data() + text.size();
    for (const Unit* p = run;;) {
        const Unit* const brk = FindEither(p, last, Unit('\r'), Unit('\n'));
        if (brk == last) break;
        if (*brk == '\r' && brk + 1 != last && brk[1] == '\n') {
            p = brk + 2;  // already CR LF: stays in the run
            continue;
        }
        if (*brk == '\r') {
            AppendUnits(out, run, size_t(brk + 1 - run));
            AppendUnits(out, kCrLf<Unit> + 1, 1);
        } else {
            AppendUnits(out, run, size_t(brk - run));
            AppendUnits(out, kCrLf<Unit>, 2);
        }
        p = run = brk + 1;
    }
    AppendUnits(out, run, size_t(last - run));
}

}  // namespace

template <class Unit>
BasicTextReplacer<Unit>::BasicTextReplacer(Text find, std::basic_string<Unit> replacement,
                                           bool caseSensitive, bool wholeWordsOnly,
                                           const Table& upperCase)
    : replacement_(std::move(replacement)), wholeWordsOnly_(wholeWordsOnly) {
    if (caseSensitive) {
        IdentityTable<Unit>(fold_);
    } else {
        fold_ = upperCase;
    }
    for (Unit c : find) find_ += static_cast<Unit>(fold_[Value(c)]);
    // Lines hold no line breaks, so a text with one can never be found.
    findable_ = !find_.empty() && std::none_of(find_.begin(), find_.end(),
                                               [](Unit c) { return c == '\r' || c == '\n'; });
    if (!findable_) return;

    border_.assign(find_.size(), 0);
    for (size_t i = 1, k = 0; i < find_.size(); ++i) {
        while (k > 0 && find_[i] != find_[k]) k = border_[k - 1];
        if (find_[i] == find_[k]) ++k;
        border_[i] = k;
    }

    for (size_t u = 0; u < kValues; ++u) firstUnit_[u] = fold_[u] == Value(find_[0]);
    filterable_ = Variants(find_.front(), first_) && Variants(find_.back(), last_);

    // A block of units compares at once when each folds from itself alone, or from a pair of
    // units that differ in bit 0x20 only (a and A, and most letters of the Latin, Greek and
    // Cyrillic alphabets).
    wideCompare_ = find_.size() <= pattern_.size();
    for (size_t j = 0; j < find_.size() && wideCompare_; ++j) {
        std::array<Unit, 2> units{};
        const Bits pair =
            Variants(find_[j], units) ? Bits(Value(units[0]) ^ Value(units[1])) : Bits(0xFF);
        wideCompare_ = pair == 0 || pair == 0x20;
        caseBits_[j] = static_cast<Unit>(pair);
        pattern_[j] = static_cast<Unit>(Value(find_[j]) | pair);
        compareMask_ |= 1u << j;
    }
}

// The units that fold to a folded unit, when there are at most two.
template <class Unit>
bool BasicTextReplacer<Unit>::Variants(Unit folded, std::array<Unit, 2>& units) const {
    size_t count = 0;
    for (size_t u = 0; u < kValues; ++u) {
        if (fold_[u] != Value(folded)) continue;
        if (count == units.size()) return false;
        units[count++] = static_cast<Unit>(u);
    }
    if (count == 1) units[1] = units[0];
    return count > 0;
}

// Calls visit(candidate) for every occurrence of the find text from the given position on, left
// to right, each search resuming after the previous candidate, until visit returns false.
template <class Unit>
template <class Visit>
void BasicTextReplacer<Unit>::ForEachCandidate(Text text, size_t from, Visit&& visit) const {
    const size_t length = find_.size();
#ifdef LUMORA_SSE2
    // Looks at a block of starts at a time, keeping those whose first and last units fit, then
    // compares the units between. Near the end of the text, and for a stretch in which the units
    // between keep nearly fitting (only contrived texts do; it would make this quadratic), the
    // search for the next candidate is left to ScanKmp.
    if (filterable_ && text.size() >= length + kBlock - 1) {
        const size_t lastBlock = text.size() - length - (kBlock - 1);
        const Unit* const s = text.data();
        const __m128i first0 = Splat(first_[0]), first1 = Splat(first_[1]);
        const __m128i last0 = Splat(last_[0]), last1 = Splat(last_[1]);
        size_t stretch = from, work = 0;
        while (from <= lastBlock) {
            const __m128i heads = Load(s + from);
            const __m128i tails = Load(s + from + length - 1);
            unsigned mask = LaneBits<Unit>(
                _mm_and_si128(_mm_or_si128(Equal<Unit>(heads, first0), Equal<Unit>(heads, first1)),
                              _mm_or_si128(Equal<Unit>(tails, last0), Equal<Unit>(tails, last1))));
            size_t next = from + kBlock;
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
                mask = candidate + length - from >= kBlock
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
// Whether the find text stands at candidate, whose first and last units are known to fit. Adds
// the units compared one by one to work.
template <class Unit>
bool BasicTextReplacer<Unit>::Fits(const Unit* s, size_t size, size_t candidate,
                                   size_t& work) const {
    if (wideCompare_ && candidate + kBlock <= size) {
        const __m128i folded =
            _mm_or_si128(Load(s + candidate),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(caseBits_.data())));
        const unsigned equal = LaneBits<Unit>(
            Equal<Unit>(folded, _mm_load_si128(reinterpret_cast<const __m128i*>(pattern_.data()))));
        return (equal & compareMask_) == compareMask_;
    }
    const size_t length = find_.size();
    size_t j = 1;
    while (j + 1 < length && fold_[Value(s[candidate + j])] == Value(find_[j])) ++j;
    work += j;
    return j + 1 >= length;
}
#endif

// Knuth-Morris-Pratt over the folded units: each unit of the text is looked at a bounded number
// of times, whatever the find text and the line.
template <class Unit>
size_t BasicTextReplacer<Unit>::ScanKmp(Text text, size_t from) const {
    const Unit* const base = text.data();
    const Unit* const last = base + text.size();
    const size_t length = find_.size();
    const Unit* p = base + from;
    size_t matched = 0;
    for (;;) {
        if (matched == 0) {
            while (p != last && !firstUnit_[Value(*p)]) ++p;
            if (p == last) return npos;
            matched = 1;
        } else {
            if (p == last) return npos;
            const Unit c = static_cast<Unit>(fold_[Value(*p)]);
            while (matched > 0 && c != find_[matched]) matched = border_[matched - 1];
            if (c == find_[matched]) ++matched;
        }
        ++p;
        if (matched == length) return size_t(p - base) - length;
    }
}

template <class Unit>
bool BasicTextReplacer<Unit>::IsWholeWord(Text text, size_t position) const {
    const size_t end = position + find_.size();
    if (position > 0 && IsWordUnit(text[position - 1])) return false;
    return end == text.size() || !IsWordUnit(text[end]);
}

template <class Unit>
size_t BasicTextReplacer<Unit>::NextMatch(Text text, size_t from) const {
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

template <class Unit>
size_t BasicTextReplacer<Unit>::Rewrite(Text search, Text text, size_t firstMatch,
                                        OutputBuffer& out) const {
    // Most files end every line with CR LF already; their text between matches is copied as is.
    const bool crLfOnly = FindLoneLineBreak(text) == npos;
    size_t count = 0;
    size_t position = 0;
    auto copyUpTo = [&](size_t end) {
        if (crLfOnly) {
            AppendUnits(out, text.data() + position, end - position);
        } else {
            AppendWithCrLf(out, text.substr(position, end - position));
        }
    };
    auto replace = [&](size_t match) {
        copyUpTo(match);
        AppendUnits(out, replacement_.data(), replacement_.size());
        ++count;
        position = match + find_.size();
        return true;
    };
    replace(firstMatch);
    ForEachCandidate(search, position, [&](size_t candidate) {
        return wholeWordsOnly_ && !IsWholeWord(text, candidate) ? true : replace(candidate);
    });
    copyUpTo(text.size());
    if (!text.empty() && text.back() != '\r' && text.back() != '\n')
        AppendUnits(out, kCrLf<Unit>, 2);
    out.Flush();
    return count;
}

template class BasicTextReplacer<char>;
template class BasicTextReplacer<char16_t>;
