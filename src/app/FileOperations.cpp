#include "app/FileOperations.h"

#include <aclapi.h>

#include <cstddef>
#include <cstring>
#include <vector>

HANDLE FileOperations::Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                            DWORD flags, SECURITY_ATTRIBUTES* security) {
    return CreateFileW(path.c_str(), access, share, security, disposition, flags, nullptr);
}

BOOL FileOperations::Read(HANDLE file, void* buffer, DWORD size, DWORD* done) {
    return ReadFile(file, buffer, size, done, nullptr);
}

BOOL FileOperations::Write(HANDLE file, const void* bytes, DWORD size, DWORD* done,
                           OVERLAPPED* at) {
    return WriteFile(file, bytes, size, done, at);
}

BOOL FileOperations::Query(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
    return GetFileInformationByHandleEx(file, kind, info, size);
}

BOOL FileOperations::Set(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
    return SetFileInformationByHandle(file, kind, info, size);
}

// One request to the file system where MoveFileExW makes several, which under Wine costs about
// as much as writing the file.
BOOL FileOperations::Rename(HANDLE file, const std::wstring& target) {
    const size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<std::byte> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = DWORD(nameBytes);
    std::memcpy(info->FileName, target.c_str(), nameBytes + sizeof(wchar_t));
    return SetFileInformationByHandle(file, FileRenameInfo, info, DWORD(buffer.size()));
}

DWORD FileOperations::FinalPath(HANDLE file, wchar_t* path, DWORD size) {
    return GetFinalPathNameByHandleW(file, path, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
}

// As GetSecurityInfo, which asks twice (once for the size): with room enough from the start, one
// request to Wine's server rather than two.
DWORD FileOperations::GetDacl(HANDLE file, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
    DWORD size = 1024;
    for (int attempt = 0; attempt < 2; ++attempt) {
        *descriptor = LocalAlloc(LMEM_FIXED, size);
        if (*descriptor == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
        BOOL present = FALSE, defaulted = FALSE;
        if (GetKernelObjectSecurity(file, DACL_SECURITY_INFORMATION, *descriptor, size, &size) &&
            GetSecurityDescriptorDacl(*descriptor, &present, dacl, &defaulted)) {
            if (!present) *dacl = nullptr;
            return ERROR_SUCCESS;
        }
        const DWORD error = GetLastError();
        LocalFree(*descriptor);
        *descriptor = nullptr;
        if (error != ERROR_INSUFFICIENT_BUFFER) return error;
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

BOOL FileOperations::Link(const std::wstring& link, const std::wstring& existing) {
    return CreateHardLinkW(link.c_str(), existing.c_str(), nullptr);
}

BOOL FileOperations::Delete(const std::wstring& path) { return DeleteFileW(path.c_str()); }

BOOL FileOperations::SetAttributes(const std::wstring& path, DWORD attributes) {
    return SetFileAttributesW(path.c_str(), attributes);
}
