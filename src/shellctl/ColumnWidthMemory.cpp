#include "shellctl/ColumnWidthMemory.h"

#include <optional>

#include "base/Handle.h"

namespace shellctl {
namespace {

constexpr wchar_t kExplorerKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr wchar_t kDirectoryCols[] = L"DirectoryCols";
// The widths of Name, Size, Type and Modified, and a fifth that no column uses.
constexpr std::uint16_t kDefaultWidths[] = {200, 60, 100, 120, 50};

void PutInt32(std::vector<std::uint8_t>& bytes, std::int32_t value) {
    const auto bits = std::uint32_t(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(std::uint8_t(bits >> shift));
}

std::int32_t GetInt32(const std::uint8_t* bytes) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = (bits << 8) | bytes[i];
    return std::int32_t(bits);
}

std::optional<ExplorerColumnSetting>& Remembered() {
    static std::optional<ExplorerColumnSetting> setting;
    return setting;
}

}  // namespace

ColumnWidthMemory& ColumnWidthMemory::Instance() {
    static ColumnWidthMemory memory;
    return memory;
}

void ColumnWidthMemory::Store(std::span<const int> widths) {
    bytes_.clear();
    bytes_.reserve(4 + 4 * widths.size());
    PutInt32(bytes_, std::int32_t(widths.size()));
    for (int width : widths) PutInt32(bytes_, width);
}

std::vector<int> ColumnWidthMemory::Widths() const {
    std::vector<int> widths;
    if (bytes_.size() < 4) return widths;
    const std::int32_t count = GetInt32(bytes_.data());
    for (std::size_t at = 4; int(widths.size()) < count && at + 4 <= bytes_.size(); at += 4)
        widths.push_back(GetInt32(bytes_.data() + at));
    return widths;
}

int ExplorerColumnSetting::Width(int index) const noexcept {
    if (index < 0 || std::size_t(index) * 2 + 1 >= bytes.size()) return 0;
    return bytes[std::size_t(index) * 2] | (bytes[std::size_t(index) * 2 + 1] << 8);
}

bool ExplorerColumnSetting::SameAs(const ExplorerColumnSetting& other) const noexcept {
    if (length != other.length) return false;
    for (int i = 0; i < int(length / 2); ++i)
        if (Width(i) != other.Width(i)) return false;
    return true;
}

ExplorerColumnSetting ReadExplorerColumnSetting() {
    ExplorerColumnSetting setting;
    for (std::size_t i = 0; i < std::size(kDefaultWidths); ++i) {
        setting.bytes[2 * i] = std::uint8_t(kDefaultWidths[i]);
        setting.bytes[2 * i + 1] = std::uint8_t(kDefaultWidths[i] >> 8);
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kExplorerKey, 0, KEY_QUERY_VALUE, &opened) !=
        ERROR_SUCCESS)
        return setting;
    const base::RegistryKey key(opened);
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), kDirectoryCols, nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > ExplorerColumnSetting::kMaxBytes)
        return setting;
    // The whole value goes into a buffer of its largest accepted size, over the defaults.
    std::array<std::uint8_t, ExplorerColumnSetting::kMaxBytes> value = setting.bytes;
    DWORD read = ExplorerColumnSetting::kMaxBytes;
    if (RegQueryValueExW(key.Get(), kDirectoryCols, nullptr, nullptr, value.data(), &read) !=
            ERROR_SUCCESS ||
        read > ExplorerColumnSetting::kMaxBytes)
        return setting;
    setting.bytes = value;
    setting.length = read;
    return setting;
}

const ExplorerColumnSetting* RememberedExplorerSetting() noexcept {
    return Remembered() ? &*Remembered() : nullptr;
}

void RememberExplorerSetting(const ExplorerColumnSetting& setting) noexcept {
    Remembered() = setting;
}

void ForgetExplorerSetting() noexcept { Remembered().reset(); }

}  // namespace shellctl
