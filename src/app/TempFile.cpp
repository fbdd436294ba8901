#include "app/TempFile.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

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

TempFile::TempFile(std::wstring target, std::wstring backup, DWORD attributes,
                   const FILETIME* created)
    : target_(std::move(target)), backup_(std::move(backup)) {
    const std::wstring folder = FolderOf(target_);
    // Without a backup the content takes the target's place through this handle, which needs
    // DELETE access; with one it moves by name, after the handle is closed and the target has
    // moved away.
    const DWORD access = backup_.empty() ? GENERIC_WRITE | DELETE : GENERIC_WRITE;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        wchar_t name[32];
        wsprintfW(name, L"~lum%08x.tmp", NextNameSeed());
        path_ = folder + name;
        file_.Reset(CreateFileW(path_.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_NEW,
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
    file_.Reset();
    if (!placed_ && !path_.empty()) DeleteFileW(path_.c_str());
}

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

bool TempFile::TakeTargetsPlace() {
    if (backup_.empty()) {
        RenameThroughHandle();
        return true;
    }
    file_.Reset();
    if (!MoveFileExW(target_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    if (!MoveFileExW(path_.c_str(), target_.c_str(), 0))
        throw CannotCreateFileError(target_, GetLastError());
    placed_ = true;
    return true;
}

// One request to the file system where MoveFileExW makes several, which under Wine costs about
// as much as writing the file.
void TempFile::RenameThroughHandle() {
    const size_t nameBytes = target_.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(nameBytes);
    std::memcpy(info->FileName, target_.c_str(), nameBytes + sizeof(wchar_t));
    if (!SetFileInformationByHandle(file_.Get(), FileRenameInfo, info, DWORD(buffer.size())))
        throw CannotCreateFileError(target_, GetLastError());
    placed_ = true;
    file_.Reset();
}
