// The pass's file-system calls, each told by its step, with a test's chance to fail one as the
// platform would (a write fails after writing half of its bytes, as on a disk that fills up) or
// to stop the pass before it.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "app/FileOperations.h"

class ScriptedFiles : public FileOperations {
  public:
    enum class Step {
        Open,  // the file, for reading
        Read,
        CreateNew,  // a temporary file for new content
        CreateOld,  // one for old content: a copy beside a file written in place, or a backup
        WriteNew,
        WriteOld,
        OpenInPlace,  // the file, for writing in place
        WriteInPlace,
        Set,     // times, attributes, size, deletion through a handle
        Rename,  // new content taking the file's place
        Link,    // a second name of the file, as its backup
        Delete,
        SetAttributes,
        Other,
    };

    // Called before each step with the path it concerns: 0 lets it go on, an error code makes it
    // fail with that error. A write that fails writes half of its bytes first; one answered
    // kHalfway then calls halfway (which a killed pass never leaves).
    std::function<DWORD(Step, const std::wstring& path)> before;
    static constexpr DWORD kHalfway = 0xFFFFFFFF;
    std::function<void()> halfway;

    HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags,
                SECURITY_ATTRIBUTES* security) override {
        const Step step = OpenStep(path, access, disposition);
        if (!Go(step, path)) return INVALID_HANDLE_VALUE;
        const HANDLE file = FileOperations::Open(path, access, share, disposition, flags, security);
        if (file != INVALID_HANDLE_VALUE) open_[file] = {step, path};
        return file;
    }
    BOOL Read(HANDLE file, void* buffer, DWORD size, DWORD* done) override {
        return Go(Step::Read, PathOf(file)) && FileOperations::Read(file, buffer, size, done);
    }
    BOOL Write(HANDLE file, const void* bytes, DWORD size, DWORD* done, OVERLAPPED* at) override {
        const auto found = open_.find(file);
        const Step step = found == open_.end()                    ? Step::Other
                          : found->second.step == Step::CreateNew ? Step::WriteNew
                          : found->second.step == Step::CreateOld ? Step::WriteOld
                                                                  : Step::WriteInPlace;
        const DWORD error = before ? before(step, PathOf(file)) : 0;
        if (error == 0) return FileOperations::Write(file, bytes, size, done, at);
        FileOperations::Write(file, bytes, size / 2, done, at);
        if (error == kHalfway && halfway) halfway();
        SetLastError(error);
        return FALSE;
    }
    BOOL Set(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) override {
        return Go(Step::Set, PathOf(file)) && FileOperations::Set(file, kind, info, size);
    }
    BOOL Rename(HANDLE file, const std::wstring& target) override {
        return Go(Step::Rename, target) && FileOperations::Rename(file, target);
    }
    DWORD FinalPath(HANDLE file, wchar_t* path, DWORD size) override {
        return Go(Step::Other, PathOf(file)) ? FileOperations::FinalPath(file, path, size) : 0;
    }
    DWORD GetDacl(HANDLE file, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) override {
        return Go(Step::Other, PathOf(file)) ? FileOperations::GetDacl(file, dacl, descriptor)
                                             : GetLastError();
    }
    BOOL Link(const std::wstring& link, const std::wstring& existing) override {
        return Go(Step::Link, link) && FileOperations::Link(link, existing);
    }
    BOOL Delete(const std::wstring& path) override {
        return Go(Step::Delete, path) && FileOperations::Delete(path);
    }
    BOOL SetAttributes(const std::wstring& path, DWORD attributes) override {
        return Go(Step::SetAttributes, path) && FileOperations::SetAttributes(path, attributes);
    }

  private:
    struct OpenFile {
        Step step;
        std::wstring path;
    };

    static Step OpenStep(const std::wstring& path, DWORD access, DWORD disposition) {
        if (disposition == CREATE_NEW)
            return path.find(L"~lumora-old-") != std::wstring::npos ? Step::CreateOld
                                                                    : Step::CreateNew;
        if (disposition != OPEN_EXISTING) return Step::Other;
        return (access & GENERIC_WRITE) != 0 ? Step::OpenInPlace : Step::Open;
    }
    bool Go(Step step, const std::wstring& path) {
        const DWORD error = before ? before(step, path) : 0;
        if (error != 0) SetLastError(error);
        return error == 0;
    }
    std::wstring PathOf(HANDLE file) const {
        const auto found = open_.find(file);
        return found == open_.end() ? std::wstring() : found->second.path;
    }

    std::map<HANDLE, OpenFile> open_;  // handles are reused once closed: the latest wins
};
