// The file-system calls of the replacement pass. The pass makes every one of them through this
// class, so that a test can make any of them fail as the platform would, or stop the pass between
// two of them; the pass itself uses the class as it is, which calls the platform.
#pragma once

#include <string>

#include <windows.h>

class FileOperations {
  public:
    virtual ~FileOperations() = default;

    // Each does what the platform call named beside it does and fails as that call fails
    // (INVALID_HANDLE_VALUE, FALSE, or an error code, with the reason in GetLastError).
    virtual HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                        DWORD flags, SECURITY_ATTRIBUTES* security = nullptr);  // CreateFileW
    virtual BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* done);      // ReadFile
    virtual BOOL Write(HANDLE file, const void* bytes, DWORD size, DWORD* done,
                       OVERLAPPED* at = nullptr);  // WriteFile
    virtual BOOL Query(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info,
                       DWORD size);  // GetFileInformationByHandleEx
    // SetFileInformationByHandle: times and attributes, size, deletion.
    virtual BOOL Set(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size);
    // SetFileInformationByHandle with FileRenameInfo: the open file takes the name of target,
    // replacing the file there in one step.
    virtual BOOL Rename(HANDLE file, const std::wstring& target);
    virtual DWORD FinalPath(HANDLE file, wchar_t* path, DWORD size);  // GetFinalPathNameByHandleW
    virtual DWORD GetDacl(HANDLE file, PACL* dacl,
                          PSECURITY_DESCRIPTOR* descriptor);                    // GetSecurityInfo
    virtual BOOL Link(const std::wstring& link, const std::wstring& existing);  // CreateHardLinkW
    virtual BOOL Delete(const std::wstring& path);                              // DeleteFileW
    virtual BOOL SetAttributes(const std::wstring& path, DWORD attributes);  // SetFileAttributesW
};
