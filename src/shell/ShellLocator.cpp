#include "shell/ShellLocator.h"

#include <cstring>

#include "shell/ShellUtils.h"
#include "ui/Application.h"
#include "base/Error.h"
#include "ui/Window.h"

namespace {

HWND MainWindowHandle() {
    ui::Window* main = ui::App().MainWindow();
    return main != nullptr ? main->Handle() : nullptr;
}

[[noreturn]] void ThrowDamaged(const wchar_t* what) {
    throw base::Error(std::wstring(L"The stored shell location is damaged: ") + what + L".");
}

// A held list must be more than the terminator: the desktop is held as none.
UniquePidl HeldCopyOf(const ITEMIDLIST* pidl) {
    return PidlSize(pidl) > 2 ? UniquePidl::CopyOf(pidl) : UniquePidl();
}

}  // namespace

const ITEMIDLIST* TPTShellLocator::Pidl() const {
    if (kind_ == kSpecialFolderKind && !pidl_)
        GetSpecialFolderLocation(MainWindowHandle(), specialFolder_, pidl_);
    return pidl_.Get();
}

void TPTShellLocator::SetPidl(const ITEMIDLIST* pidl) {
    const bool wasSpecial = kind_ == kSpecialFolderKind;
    bool changed;
    if (pidl_) {
        // An incomparable pair counts as unchanged: better no navigation than a spurious one.
        const int order = wasSpecial ? -1 : ComparePidls(pidl_.Get(), pidl);
        changed = order != 0 && order != kPidlsIncomparable;
    } else {
        changed = wasSpecial || (pidl != nullptr && !IsEmptyPidl(pidl));
    }
    UniquePidl copy = HeldCopyOf(pidl);  // before any change, in case memory runs out
    kind_ = kPidlKind;
    pidl_ = std::move(copy);
    specialFolder_ = kNoSpecialFolder;
    if (changed) Change();
}

void TPTShellLocator::SetSpecialFolder(BYTE folder) {
    const bool changed = kind_ != kSpecialFolderKind || specialFolder_ != folder;
    kind_ = kSpecialFolderKind;
    specialFolder_ = folder;
    pidl_.Reset();
    if (changed) Change();
}

std::wstring TPTShellLocator::Path() const { return PidlToPath(Pidl()); }

void TPTShellLocator::SetPath(const std::wstring& path) {
    UniquePidl pidl;
    if (SUCCEEDED(PathToPidl(path, pidl)))
        SetPidl(pidl.Get());
    else
        SetPidl(nullptr);
}

bool TPTShellLocator::IsSame(const TPTShellLocator& other) const {
    if (kind_ != other.kind_) return false;
    if (this == &other) return true;
    if (kind_ == kPidlKind) return ComparePidls(pidl_.Get(), other.pidl_.Get()) == 0;
    return specialFolder_ == other.specialFolder_;
}

void TPTShellLocator::Assign(const TPTShellLocator* source) {
    if (source == nullptr) {
        if (!pidl_) return;
        pidl_.Reset();
        kind_ = kPidlKind;
        Change();
        return;
    }
    if (IsSame(*source)) return;
    UniquePidl copy = source->kind_ == kPidlKind ? HeldCopyOf(source->pidl_.Get()) : UniquePidl();
    pidl_ = std::move(copy);
    kind_ = source->kind_;
    if (kind_ != kPidlKind) specialFolder_ = source->specialFolder_;
    Change();
}

void TPTShellLocator::WriteStoredForm(std::vector<std::uint8_t>& stream) const {
    stream.push_back(kind_);
    if (kind_ != kPidlKind) {
        stream.push_back(specialFolder_);
        return;
    }
    const UINT size = pidl_.Size();
    for (int shift = 0; shift < 32; shift += 8) stream.push_back(std::uint8_t(size >> shift));
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pidl_.Get());
    if (size != 0) stream.insert(stream.end(), bytes, bytes + size);
}

std::size_t TPTShellLocator::ReadStoredForm(std::span<const std::uint8_t> block) {
    if (block.empty()) ThrowDamaged(L"it is empty");
    if (block[0] != kPidlKind) {
        if (block.size() < 2) ThrowDamaged(L"its special folder is missing");
        kind_ = kSpecialFolderKind;
        specialFolder_ = block[1];
        pidl_.Reset();  // a list held before is not this folder's
        return 2;
    }
    if (block.size() < 5) ThrowDamaged(L"the size of its list is missing");
    std::uint32_t size = 0;
    for (int i = 0; i < 4; ++i) size |= std::uint32_t(block[1 + i]) << (8 * i);
    if (size == 0) {
        kind_ = kSpecialFolderKind;
        specialFolder_ = 0;
        pidl_.Reset();
        return 5;
    }
    if (size > block.size() - 5) ThrowDamaged(L"its list runs past the end of the data");
    if (size < 2) ThrowDamaged(L"its list is too short to hold its end");
    const std::uint8_t* bytes = block.data() + 5;
    if (!IsWellFormedPidl(bytes, size)) ThrowDamaged(L"the items of its list do not fit its size");
    UniquePidl pidl(static_cast<ITEMIDLIST*>(ShellAlloc(size)));
    if (!pidl) throw std::bad_alloc();
    std::memcpy(pidl.Get(), bytes, size);
    kind_ = kPidlKind;
    specialFolder_ = kNoSpecialFolder;
    pidl_ = size > 2 ? std::move(pidl) : UniquePidl();
    return 5 + size;
}

void TPTShellLocator::Change() {
    if (OnChange) OnChange(*this);
}
