#include "app/TempFile.h"

#include <algorithm>

#include "app/FileError.h"

namespace {

std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// Spreads the names a process tries, so that runs side by side rarely meet.
unsigned NextNameSeed() {
    static unsigned seed = GetCurrentProcessId() * 2654435761u ^ GetTickCount();
    return seed += 0x9E3779B9u;
}

}  // namespace

TempFile::TempFile(std::wstring target, DWORD attributes, const FILETIME* created)
    : target_(std::move(target)) {
    const std::wstring folder = FolderOf(target_);
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        wchar_t name[32];
        wsprintfW(name, L"~lum%08x.tmp", NextNameSeed());
        path_ = folder + name;
        file_.Reset(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file_) {
            if (created != nullptr) SetFileTime(file_.Get(), created, nullptr, nullptr);
            return;
        }
        error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS) error = ERROR_FILE_EXISTS;
    }
    path_.clear();
    throw CannotCreateFileError(target_, error);
}

TempFile::~TempFile() {
    Close();
    if (!placed_ && !path_.empty()) DeleteFileW(path_.c_str());
}

void TempFile::Close() { file_.Reset(); }

void TempFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file_.Get(), bytes.data(), chunk, &written, nullptr))
            throw CannotCreateFileError(target_, GetLastError());
        if (written == 0) throw CannotCreateFileError(target_, ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
}

void TempFile::ReplaceTarget() {
    Close();
    if (!MoveFileExW(path_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw CannotCreateFileError(target_, GetLastError());
    placed_ = true;
}

bool TempFile::ReplaceTargetKeeping(const std::wstring& backup) {
    Close();
    if (!MoveFileExW(target_.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    if (!MoveFileExW(path_.c_str(), target_.c_str(), 0))
        throw CannotCreateFileError(target_, GetLastError());
    placed_ = true;
    return true;
}
