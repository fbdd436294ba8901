#include "shell/ShellDataBlocks.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include <shellapi.h>

#include "shell/ShellUtils.h"

namespace {

std::uint32_t ReadUInt32(const BYTE* bytes) {
    std::uint32_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

void WriteUInt32(BYTE* bytes, std::size_t value) {
    const auto narrow = static_cast<std::uint32_t>(value);
    std::memcpy(bytes, &narrow, sizeof narrow);
}

// The size of the list that starts at offset, its terminator included; 0 when the block ends
// before the terminator or an item is shorter than its own count field.
std::size_t TerminatedListSize(const BYTE* bytes, std::size_t size, std::size_t offset) {
    std::size_t position = offset;
    while (position <= size && size - position >= 2) {
        const std::size_t count = bytes[position] | (bytes[position + 1] << 8);
        if (count == 0) return position + 2 - offset;
        if (count < 2) return 0;
        position += count;
    }
    return 0;
}

UniquePidl CopyBytes(const BYTE* bytes, std::size_t size) {
    UniquePidl pidl(static_cast<ITEMIDLIST*>(ShellAlloc(size)));
    if (!pidl) throw std::bad_alloc();
    std::memcpy(pidl.Get(), bytes, size);
    return pidl;
}

// Releases a medium the platform filled in, on every path.
class MediumScope {
  public:
    MediumScope() noexcept = default;
    ~MediumScope() {
        if (filled_) ReleaseStgMedium(&medium_);
    }
    MediumScope(const MediumScope&) = delete;
    MediumScope& operator=(const MediumScope&) = delete;

    STGMEDIUM* Receive() noexcept { return &medium_; }
    void Filled() noexcept { filled_ = true; }
    const STGMEDIUM& Get() const noexcept { return medium_; }

  private:
    STGMEDIUM medium_{};
    bool filled_ = false;
};

bool IsFileSystemItem(IShellFolder* folder, const ITEMIDLIST* item) {
    SFGAOF attributes = SFGAO_FILESYSTEM;
    return SUCCEEDED(folder->GetAttributesOf(1, &item, &attributes)) &&
           (attributes & SFGAO_FILESYSTEM) != 0;
}

}  // namespace

UINT ShellIdListFormat() {
    static const UINT format = RegisterClipboardFormatW(L"Shell IDList Array");
    return format;
}

void RegisterShellClipboardFormats() { ShellIdListFormat(); }

base::GlobalBlock BuildShellIdListArray(const ITEMIDLIST* parent,
                                        std::span<const ITEMIDLIST* const> items) {
    if (items.empty()) return {};
    const ITEMIDLIST* parentList = PidlOrEmpty(parent);
    const std::size_t header = 4 * (items.size() + 2);
    std::size_t size = header + PidlSize(parentList);
    for (const ITEMIDLIST* item : items) size += PidlSize(PidlOrEmpty(item));
    if (size > std::numeric_limits<std::uint32_t>::max()) return {};

    base::GlobalBlock block{base::AllocGlobal(size), size};
    base::ScopedGlobalLock<> lock(block.memory.Get());
    if (lock.Data() == nullptr) return {};
    BYTE* bytes = lock.Data();
    WriteUInt32(bytes, items.size());
    std::size_t offset = header;
    const auto append = [&](std::size_t index, const ITEMIDLIST* list) {
        WriteUInt32(bytes + 4 * (index + 1), offset);
        std::memcpy(bytes + offset, list, PidlSize(list));
        offset += PidlSize(list);
    };
    append(0, parentList);
    for (std::size_t i = 0; i < items.size(); ++i) append(i + 1, PidlOrEmpty(items[i]));
    return block;
}

base::GlobalBlock BuildFileDropList(IShellFolder* folder,
                                    std::span<const ITEMIDLIST* const> items) {
    if (folder == nullptr) return {};
    std::wstring names;  // each name with its terminator, then the closing terminator
    for (const ITEMIDLIST* item : items) {
        if (item == nullptr || !IsFileSystemItem(folder, item)) continue;
        const std::wstring name = GetDisplayName(folder, item, dnForParsing);
        if (name.empty()) continue;
        names += name;
        names += L'\0';
    }
    if (names.empty()) return {};
    names += L'\0';

    const std::size_t size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    base::GlobalBlock block{base::AllocGlobal(size), size};
    base::ScopedGlobalLock<DROPFILES> lock(block.memory.Get());
    if (lock.Data() == nullptr) return {};
    lock.Data()->pFiles = sizeof(DROPFILES);
    lock.Data()->fWide = TRUE;
    std::memcpy(lock.Data() + 1, names.data(), names.size() * sizeof(wchar_t));
    return block;
}

std::vector<const ITEMIDLIST*> ShellIdListArray::ItemPointers() const {
    std::vector<const ITEMIDLIST*> pointers;
    pointers.reserve(items.size());
    for (const UniquePidl& item : items) pointers.push_back(item.Get());
    return pointers;
}

bool ParseShellIdListArray(const void* block, std::size_t size, ShellIdListArray& contents) {
    contents = {};
    const auto* bytes = static_cast<const BYTE*>(block);
    if (bytes == nullptr || size < 8) return false;
    const std::size_t count = ReadUInt32(bytes);
    if (count == 0 || count > size / 4 || 4 * (count + 2) > size) return false;
    const std::size_t header = 4 * (count + 2);

    ShellIdListArray read;
    read.items.reserve(count);
    for (std::size_t index = 0; index <= count; ++index) {
        const std::size_t offset = ReadUInt32(bytes + 4 * (index + 1));
        if (offset < header || offset >= size) return false;
        const std::size_t listSize = TerminatedListSize(bytes, size, offset);
        if (listSize == 0 || (index != 0 && listSize == 2)) return false;
        UniquePidl list = CopyBytes(bytes + offset, listSize);
        if (index == 0)
            read.parent = std::move(list);
        else
            read.items.push_back(std::move(list));
    }
    contents = std::move(read);
    return true;
}

IdListArrayRead ReadShellIdListArray(IDataObject* data, ShellIdListArray& contents) {
    contents = {};
    const UINT format = ShellIdListFormat();
    if (data == nullptr || format == 0) return IdListArrayRead::Absent;
    FORMATETC asked{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    MediumScope medium;
    if (FAILED(data->GetData(&asked, medium.Receive()))) return IdListArrayRead::Absent;
    medium.Filled();
    if (medium.Get().tymed != TYMED_HGLOBAL) return IdListArrayRead::Malformed;
    base::ScopedGlobalLock<> lock(medium.Get().hGlobal);
    return ParseShellIdListArray(lock.Data(), lock.Size(), contents) ? IdListArrayRead::Read
                                                                     : IdListArrayRead::Malformed;
}
