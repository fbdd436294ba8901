#include "app/TempFile.h"

#include <algorithm>

#include "app/FileError.h"
#include "base/Strings.h"

namespace {

constexpr wchar_t kPrefix[] = L"~lumora-";
constexpr wchar_t kSuffix[] = L".tmp";

std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// Spreads the names a process tries, so that runs side by side rarely meet.
unsigned NextNameSeed() {
    static unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    return seed += 0x9E3779B9u;
}

std::wstring TempName(TempFile::Kind kind, const std::wstring& target) {
    wchar_t number[16];
    wsprintfW(number, L"%08x", NextNameSeed());
    if (kind == TempFile::Kind::NewContent)
        return kPrefix + (L"new-" + (number + std::wstring(kSuffix)));
    const size_t separator = target.find_last_of(L"\\/:");
    return kPrefix + (L"old-" + (number + (L"-" + target.substr(separator + 1) + kSuffix)));
}

}  // namespace

bool IsTempFileName(std::wstring_view name) {
    const std::wstring_view prefix(kPrefix), suffix(kSuffix);
    return name.size() >= prefix.size() + suffix.size() &&
           base::SameTextIgnoringCase(name.substr(0, prefix.size()), prefix) &&
           base::SameTextIgnoringCase(name.substr(name.size() - suffix.size()), suffix);
}

TempFile::TempFile(FileOperations& files, Kind kind, const std::wstring& target,
                   const std::wstring& path, DWORD attributes, SECURITY_ATTRIBUTES* security)
    : files_(files), target_(target), userPath_(path) {
    const std::wstring folder = FolderOf(target_);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        path_ = folder + TempName(kind, target_);
        // The file takes the target's place, or goes, through this handle.
        file_.Reset(files_.Open(path_, GENERIC_WRITE | DELETE | READ_CONTROL, FILE_SHARE_READ,
                                CREATE_NEW, attributes | FILE_FLAG_SEQUENTIAL_SCAN, security));
        if (file_) return;
        error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    }
    path_.clear();
    throw CannotCreateFileError(userPath_, error);
}

TempFile::~TempFile() {
    if (gone_ || path_.empty()) return;
    FILE_DISPOSITION_INFO dispose{TRUE};
    const bool disposed = files_.Set(file_.Get(), FileDispositionInfo, &dispose, sizeof dispose);
    file_.Reset();
    if (!disposed) files_.Delete(path_);
}

void TempFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!files_.Write(file_.Get(), bytes.data(), chunk, &written))
            throw CannotCreateFileError(userPath_, GetLastError());
        if (written == 0) throw CannotCreateFileError(userPath_, ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
}

bool TempFile::TakeTargetsPlace() {
    if (!files_.Rename(file_.Get(), target_)) return false;
    gone_ = true;
    file_.Reset();
    return true;
}

void TempFile::Keep() noexcept {
    gone_ = true;
    file_.Reset();
}
