#include "app/FileRewrite.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "app/FileError.h"
#include "base/Error.h"
#include "base/Strings.h"

namespace {

// What a rewritten file keeps of its attributes; it gets the archive bit besides. Read-only is
// not kept: such a file is only rewritten with a backup, as a new file.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kCopyChunk = 1u << 16;

struct LocalFreer {
    void operator()(void* memory) const noexcept { LocalFree(memory); }
};
using LocalMemory = std::unique_ptr<void, LocalFreer>;

// The path of the file the handle is open on, past any link; the given path when unknown.
std::wstring FinalPathOf(FileOperations& files, const SourceFile& source) {
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = files.FinalPath(source.handle.Get(), buffer.data(), DWORD(buffer.size()));
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = files.FinalPath(source.handle.Get(), buffer.data(), DWORD(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) return source.path;
    std::wstring path(buffer.data(), length);
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
    return path;
}

std::optional<AccessList> ReadAccessList(FileOperations& files, HANDLE file) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (files.GetDacl(file, &dacl, &descriptor) != ERROR_SUCCESS) return std::nullopt;
    const LocalMemory owned(descriptor);
    AccessList list;
    ACL_SIZE_INFORMATION size{};
    if (dacl != nullptr && GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) {
        list.words.resize((size.AclBytesInUse + sizeof(DWORD) - 1) / sizeof(DWORD));
        std::memcpy(list.words.data(), dacl, size.AclBytesInUse);
        reinterpret_cast<PACL>(list.words.data())->AclSize =
            WORD(list.words.size() * sizeof(DWORD));
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    list.isProtected = GetSecurityDescriptorControl(descriptor, &control, &revision) &&
                       (control & SE_DACL_PROTECTED) != 0;
    return list;
}

std::wstring FolderKey(const std::wstring& path) {
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    if (!folder.empty()) CharUpperBuffW(folder.data(), DWORD(folder.size()));
    return folder;
}

}  // namespace

FileRewrite::FileRewrite(FileOperations& files, SourceFile& source, std::wstring backup,
                         std::string_view oldContent, NewFileAccess& newFileAccess)
    : files_(files),
      source_(source),
      backup_(std::move(backup)),
      old_(oldContent),
      target_(FinalPathOf(files, source)),
      readOnly_((source.basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0),
      inPlace_(source.standard.NumberOfLinks > 1) {
    if (inPlace_) {
        bytes_.text.reserve(old_.size() + old_.size() / 8 + 64);
        return;
    }
    CreateTemp(newFileAccess);
}

// The temporary file gets the file's access control list when it is made, unless a new file there
// gets the same anyway. Wine maps a list to Unix permissions and back, and a list set on an
// existing file, or one that is not needed, would widen them.
void FileRewrite::CreateTemp(NewFileAccess& newFileAccess) {
    // A new file gets the archive bit by itself.
    const DWORD attributes = source_.basic.FileAttributes & kKeptAttributes;
    const std::optional<AccessList> own = ReadAccessList(files_, source_.handle.Get());
    const std::wstring folder = FolderKey(target_);
    auto known = newFileAccess.find(folder);
    if (known == newFileAccess.end()) {
        temp_.emplace(files_, TempFile::Kind::NewContent, target_, source_.path, attributes);
        known = newFileAccess.emplace(folder, ReadAccessList(files_, temp_->Handle())).first;
        if (!own || own == known->second) return;
        temp_.reset();
    } else if (!own || own == known->second) {
        temp_.emplace(files_, TempFile::Kind::NewContent, target_, source_.path, attributes);
        return;
    }
    AccessList list = *own;
    SECURITY_DESCRIPTOR descriptor{};
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(
        &descriptor, TRUE, list.words.empty() ? nullptr : reinterpret_cast<PACL>(list.words.data()),
        FALSE);
    if (list.isProtected)
        SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    SECURITY_ATTRIBUTES security{sizeof security, &descriptor, FALSE};
    temp_.emplace(files_, TempFile::Kind::NewContent, target_, source_.path, attributes, &security);
}

ByteSink& FileRewrite::Content() noexcept {
    if (temp_) return *temp_;
    return bytes_;
}

bool FileRewrite::Commit() { return inPlace_ ? CommitInPlace() : CommitByRename(); }

// The creation time and the streams go with the content, as the platform's own file replacement
// keeps them: a volume without creation times keeps none, and a failure to copy a stream leaves
// the file as it was.
bool FileRewrite::CommitByRename() {
    FILE_BASIC_INFO times{};
    times.CreationTime = source_.basic.CreationTime;
    files_.Set(temp_->Handle(), FileBasicInfo, &times, sizeof times);
    KeepStreams();
    // A second name of the old file would lose the read-only bit with it, below.
    if (!backup_.empty() && !MakeBackup(!readOnly_)) return false;
    source_.handle.Reset();
    DropReadOnly();
    if (!temp_->TakeTargetsPlace()) Fail(GetLastError());
    return true;
}

bool FileRewrite::CommitInPlace() {
    std::optional<TempFile> oldCopy;
    if (!backup_.empty()) {
        // A second name would see the new content too.
        if (!MakeBackup(false)) return false;
    } else {
        oldCopy.emplace(files_, TempFile::Kind::OldContent, target_, source_.path,
                        FILE_ATTRIBUTE_NORMAL);
        oldCopy->Write(old_);
    }
    source_.handle.Reset();
    DropReadOnly();
    base::FileHandle file(files_.Open(target_, GENERIC_WRITE | FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
    if (!file) Fail(GetLastError());
    FILE_BASIC_INFO archived{};
    archived.FileAttributes =
        (source_.basic.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NORMAL)) |
        FILE_ATTRIBUTE_ARCHIVE;
    if (WriteInPlace(file.Get(), bytes_.text)) {
        files_.Set(file.Get(), FileBasicInfo, &archived, sizeof archived);
        return true;
    }
    const DWORD error = GetLastError();
    // Should the old content not go back either, it waits beside the file.
    if (!WriteInPlace(file.Get(), old_) && oldCopy) oldCopy->Keep();
    Fail(error);
}

void FileRewrite::KeepStreams() {
    std::vector<std::byte> buffer(4096);
    while (
        !files_.Query(source_.handle.Get(), FileStreamInfo, buffer.data(), DWORD(buffer.size()))) {
        // A volume without streams, or a platform that cannot list them, has none to keep.
        if (GetLastError() != ERROR_MORE_DATA || buffer.size() >= (1u << 20)) return;
        buffer.resize(buffer.size() * 4);
    }
    for (size_t offset = 0;;) {
        const auto* info = reinterpret_cast<const FILE_STREAM_INFO*>(buffer.data() + offset);
        const std::wstring name(info->StreamName, info->StreamNameLength / sizeof(wchar_t));
        if (name != L"::$DATA") CopyStream(name);
        if (info->NextEntryOffset == 0) break;
        offset += info->NextEntryOffset;
    }
}

void FileRewrite::CopyStream(const std::wstring& name) {
    base::FileHandle from(files_.Open(target_ + name, GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0));
    base::FileHandle to(files_.Open(temp_->Path() + name, GENERIC_WRITE, 0, CREATE_ALWAYS, 0));
    if (!from || !to) Fail(GetLastError());
    std::vector<char> chunk(kCopyChunk);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!files_.Read(from.Get(), chunk.data(), kCopyChunk, &read)) Fail(GetLastError());
        if (read == 0) return;
        if (!files_.Write(to.Get(), chunk.data(), read, &written)) Fail(GetLastError());
        if (written != read) Fail(ERROR_WRITE_FAULT);
    }
}

bool FileRewrite::MakeBackup(bool mayLink) {
    if (base::SameTextIgnoringCase(backup_, target_)) return false;
    if (mayLink) {
        if (files_.Link(backup_, target_)) return true;
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            if (!files_.Delete(backup_)) return false;
            if (files_.Link(backup_, target_)) return true;
        }
        // No second names on this volume, or none there: a copy does.
    }
    // Written beside the backup, then put in its place in one step: a copy cut short leaves the
    // previous backup as it was, and one over another name of the file itself cannot empty it.
    try {
        TempFile copy(files_, TempFile::Kind::OldContent, backup_, source_.path,
                      FILE_ATTRIBUTE_NORMAL);
        copy.Write(old_);
        return copy.TakeTargetsPlace();
    } catch (const base::Error&) {
        return false;
    }
}

// Windows will not replace or write a read-only file. Such a file is only rewritten with a backup
// made, and comes out without the bit, as a new file would.
void FileRewrite::DropReadOnly() {
    if (!readOnly_) return;
    const DWORD attributes = source_.basic.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
    if (!files_.SetAttributes(target_, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL))
        Fail(GetLastError());
    readOnlyDropped_ = true;
}

void FileRewrite::RestoreReadOnly() noexcept {
    if (readOnlyDropped_) files_.SetAttributes(target_, source_.basic.FileAttributes);
    readOnlyDropped_ = false;
}

bool FileRewrite::WriteInPlace(HANDLE file, std::string_view bytes) {
    for (size_t done = 0; done < bytes.size();) {
        OVERLAPPED at{};
        at.Offset = DWORD(done);
        at.OffsetHigh = DWORD(std::uint64_t(done) >> 32);
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!files_.Write(file, bytes.data() + done, chunk, &written, &at)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += written;
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = LONGLONG(bytes.size());
    return files_.Set(file, FileEndOfFileInfo, &end, sizeof end);
}

void FileRewrite::Fail(DWORD error) {
    RestoreReadOnly();
    throw CannotCreateFileError(source_.path, error);
}
