#include "findfile/Matching.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

#include "findfile/PathText.h"
#include "base/Handle.h"

namespace findfile {
namespace {

wchar_t AsciiUpper(wchar_t c) noexcept { return c >= L'a' && c <= L'z' ? wchar_t(c - 32) : c; }

bool SameIgnoringAsciiCase(std::wstring_view a, std::wstring_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return AsciiUpper(x) == AsciiUpper(y); });
}

// Base and extension; the extension runs from the last "." of the last component.
struct NameParts {
    std::wstring_view base;
    std::wstring_view extension;
};

NameParts SplitExtension(std::wstring_view name) noexcept {
    const std::size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot < LastComponentStart(name)) return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

// "C:" or "\\server\share"; empty when the path has neither.
std::wstring_view ExtractDrive(std::wstring_view path) noexcept {
    if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) {
        std::size_t end = 2;
        for (int part = 0; part < 2 && end < path.size(); ++part) {
            if (part > 0) ++end;
            while (end < path.size() && !IsPathSeparator(path[end])) ++end;
        }
        return path.substr(0, end);
    }
    return {};
}

// The part of a bound's kind taken from a value: its date, its time of day, or all of it.
double ComparablePart(TDateTime value, TDateTime bound) noexcept {
    if (bound - std::trunc(bound) == 0) return std::trunc(value);
    if (std::trunc(bound) == 0) return value - std::trunc(value);
    return value;
}

// How file bytes are compared with the phrase: through a table that maps each byte to its
// CharLowerBuffA form, or to itself. In a single-byte code page every byte folds on its own, so the
// table gives CharLowerBuffA's result without rewriting the data; a multi-byte code page needs
// the call itself on the data (FoldInPlace), after which the bytes compare as they are.
class ByteFolding {
  public:
    ByteFolding() {
        CPINFO info{};
        singleByte_ = GetCPInfo(CP_ACP, &info) && info.MaxCharSize == 1;
        for (int byte = 0; byte < 256; ++byte) {
            char c = char(byte);
            identity_[std::size_t(byte)] = static_cast<unsigned char>(c);
            if (singleByte_) CharLowerBuffA(&c, 1);
            lower_[std::size_t(byte)] = static_cast<unsigned char>(c);
        }
    }
    const unsigned char* Map(bool foldCase) const noexcept {
        return foldCase && singleByte_ ? lower_.data() : identity_.data();
    }
    void FoldInPlace(bool foldCase, char* data, std::size_t length) const noexcept {
        if (foldCase && !singleByte_) CharLowerBuffA(data, DWORD(length));
    }

  private:
    bool singleByte_ = false;
    std::array<unsigned char, 256> identity_{};
    std::array<unsigned char, 256> lower_{};
};

const ByteFolding& Folding() {
    static const ByteFolding instance;
    return instance;
}

// Scans buffer[matched, end) for the phrase, each byte taken through map; the first `matched`
// bytes of the buffer already hold the start of a match carried over from the previous piece.
// Returns true when found; otherwise leaves the partial match at the end (if any) at the head of
// the buffer and its length in `matched`.
bool ScanPiece(char* buffer, std::size_t end, std::string_view phrase, const unsigned char* map,
               std::size_t& matched) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
    const auto* wanted = reinterpret_cast<const unsigned char*>(phrase.data());
    std::size_t i = matched;
    std::size_t k = matched;
    while (i < end) {
        if (k == 0) {
            // The common case, kept tight: look for the phrase's first byte.
            while (i < end && map[bytes[i]] != wanted[0]) ++i;
            if (i == end) break;
        }
        if (map[bytes[i]] == wanted[k]) {
            ++i;
            if (++k == phrase.size()) return true;
        } else {
            // Restart just after the first byte of the failed partial match.
            i = i - k + 1;
            k = 0;
        }
    }
    if (k > 0) std::memmove(buffer, buffer + end - k, k);
    matched = k;
    return false;
}

}  // namespace

bool WildcardMatch(std::wstring_view name, std::wstring_view mask) {
    std::size_t i = 0;
    for (; i < name.size() && i < mask.size(); ++i) {
        if (mask[i] == L'*') return true;
        if (mask[i] != L'?' && AsciiUpper(name[i]) != AsciiUpper(mask[i])) return false;
    }
    if (i < name.size()) return false;
    while (i < mask.size() && (mask[i] == L'*' || mask[i] == L'?')) ++i;
    return i == mask.size();
}

bool FileNameMatchesMask(std::wstring_view name, std::wstring_view mask) {
    NameParts file = SplitExtension(name);
    const NameParts pattern = SplitExtension(mask);
    if (pattern.extension.empty()) return WildcardMatch(file.base, pattern.base);
    if (file.extension.empty()) file.extension = L".";
    return WildcardMatch(file.extension, pattern.extension) &&
           WildcardMatch(file.base, pattern.base);
}

bool ExcludedEntryMatches(std::wstring_view folder, std::wstring_view name,
                          std::wstring_view entry) {
    const std::size_t nameStart = LastComponentStart(entry);
    std::wstring_view folderPart = entry.substr(0, nameStart);
    const std::wstring_view namePart = entry.substr(nameStart);
    if (!folderPart.empty()) {
        const std::wstring_view folderDrive = ExtractDrive(folder);
        const std::wstring_view entryDrive = ExtractDrive(folderPart);
        if (!entryDrive.empty()) {
            // "?:\" and "*:\" stand for any drive; a network drive is its server and share.
            const bool anyDrive = folderPart[0] == L'*' || folderPart[0] == L'?';
            const bool network = entryDrive.size() > 2;
            if (!anyDrive && (folderDrive.empty() ||
                              (network ? !SameIgnoringAsciiCase(folderDrive, entryDrive)
                                       : AsciiUpper(folderDrive[0]) != AsciiUpper(entryDrive[0]))))
                return false;
            folderPart.remove_prefix(entryDrive.size());
        }
        if (!folderPart.empty()) {
            if (folder.size() - folderDrive.size() < folderPart.size()) return false;
            if (!SameIgnoringAsciiCase(folder.substr(folder.size() - folderPart.size()),
                                       folderPart))
                return false;
        }
    }
    return namePart.empty() || FileNameMatchesMask(name, namePart);
}

bool DateTimeInRange(TDateTime value, TDateTime before, TDateTime after) noexcept {
    bool result = true;
    if (before != 0) result = ComparablePart(value, before) <= before;
    if (after != 0) result = result && ComparablePart(value, after) >= after;
    return result;
}

TDateTime FileTimeToLocalDateTime(const FILETIME& fileTime) noexcept {
    FILETIME local{};
    SYSTEMTIME time{};
    FileTimeToLocalFileTime(&fileTime, &local);
    FileTimeToSystemTime(&local, &time);
    return SystemTimeToDateTime(time);
}

bool FileContainsPhrase(const std::wstring& path, std::string_view phrase, bool foldCase) noexcept {
    try {
        base::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size{};
        if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
        // 64-bit throughout, so files of 2 GiB and more are scanned whole.
        std::uint64_t remaining = std::uint64_t(size.QuadPart);
        const std::size_t length = phrase.size();
        if (remaining < length) return false;
        if (length == 0) return true;
        const std::size_t bufferSize = remaining <= ContentChunkSize
                                           ? std::size_t(remaining)
                                           : std::max(ContentChunkSize, length);
        const std::unique_ptr<char[]> buffer(new char[bufferSize]);
        const ByteFolding& folding = Folding();
        const unsigned char* map = folding.Map(foldCase);
        std::size_t matched = 0;
        while (remaining + matched >= length) {
            const DWORD wanted = DWORD(std::min<std::uint64_t>(bufferSize - matched, remaining));
            DWORD got = 0;
            if (!ReadFile(file.Get(), buffer.get() + matched, wanted, &got, nullptr) || got == 0)
                return false;
            remaining -= std::min<std::uint64_t>(got, remaining);
            folding.FoldInPlace(foldCase, buffer.get() + matched, got);
            if (ScanPiece(buffer.get(), matched + got, phrase, map, matched)) return true;
        }
        return false;
    } catch (...) {
        // Memory for a huge phrase's buffer could not be had: the file does not match.
        return false;
    }
}

}  // namespace findfile
