// What the shell lists of the process remember about columns: the widths the user gave the
// columns of the last file-system folder shown (carried to the next folder, in any list), and
// the Explorer's column setting as the last rebuild of the standard columns read it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <windows.h>

namespace shellctl {

class ColumnWidthMemory {
  public:
    // The one memory of the process.
    static ColumnWidthMemory& Instance();

    bool Empty() const noexcept { return bytes_.empty(); }
    void Clear() noexcept { bytes_.clear(); }
    // Replaces what is held with a count and the widths, each a 32-bit little-endian integer.
    void Store(std::span<const int> widths);
    // The widths held: the count's worth, or as many complete widths as there are when the
    // memory is shorter than its count; none when not even the count is there.
    std::vector<int> Widths() const;
    // The memory in its stored form.
    const std::vector<std::uint8_t>& Bytes() const noexcept { return bytes_; }
    void SetBytes(std::vector<std::uint8_t> bytes) { bytes_ = std::move(bytes); }

  private:
    ColumnWidthMemory() = default;
    std::vector<std::uint8_t> bytes_;
};

// The Explorer's "DirectoryCols" value: up to 22 bytes read as 16-bit widths.
struct ExplorerColumnSetting {
    static constexpr DWORD kMaxBytes = 22;
    std::array<std::uint8_t, kMaxBytes> bytes{};
    DWORD length = 0;

    // The 16-bit value at index (0 past the bytes).
    int Width(int index) const noexcept;
    // The same length and the same 16-bit values over it.
    bool SameAs(const ExplorerColumnSetting& other) const noexcept;
};

// Reads the current user's setting over the default widths 200, 60, 100, 120 (and 50), without
// creating the key. A value longer than kMaxBytes, or any registry failure, leaves the defaults
// with length 0.
ExplorerColumnSetting ReadExplorerColumnSetting();

// The setting the last rebuild of standard columns read, if any rebuild has run in the process.
const ExplorerColumnSetting* RememberedExplorerSetting() noexcept;
void RememberExplorerSetting(const ExplorerColumnSetting& setting) noexcept;
// Forgets it, as at the start of the process.
void ForgetExplorerSetting() noexcept;

}  // namespace shellctl
