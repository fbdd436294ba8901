#include "app/ReplaceEngine.h"

#include <algorithm>
#include <memory>
#include <new>
#include <set>
#include <string_view>

#include <windows.h>

#include "app/FileError.h"
#include "app/FileReplacer.h"
#include "app/TempFile.h"
#include "base/Handle.h"
#include "base/Strings.h"

const wchar_t kLargeSetWarningCaption[] = L"Warning";
const wchar_t kLargeSetWarningText[] =
    L"You are about to replace text in a large number of files.\r\n"
    L"You have selected NOT to backup the original files.\r\n"
    L"\r\n"
    L"Are you sure you wish to continue?";

namespace {

constexpr size_t kLargeSet = 10;
constexpr DWORD kReadChunk = DWORD(1) << 30;
// What a file rewritten in place keeps; a read-only one is refused before writing.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

const wchar_t kSkippedBinary[] = L" - skipped (binary file)";
const wchar_t kSkippedBackup[] = L" - skipped (backup could not be made)";
const wchar_t kSkippedUtf8[] = L" - skipped (not valid UTF-8 text)";
const wchar_t kSkippedUtf16[] = L" - skipped (not valid UTF-16 text)";
const wchar_t kSkippedCodePage[] =
    L" - skipped (replacement cannot be written in the file's code page)";
const wchar_t kSkippedEncoding[] =
    L" - skipped (replacement cannot be written in the file's encoding)";

std::wstring CountLine(size_t count) {
    return L" - " + std::to_wstring(count) + L" replacement(s)";
}

// Paths name the same file whatever their letter case.
std::wstring PathKey(std::wstring path) {
    if (!path.empty()) CharUpperBuffW(path.data(), DWORD(path.size()));
    return path;
}

class ReplacePass {
  public:
    ReplacePass(const ReplaceWindow& window, const FoldTable& upperCase)
        : replacer_(window.TextToFind(), window.ReplacementText(), window.CaseSensitive(),
                    window.WholeWordsOnly(), upperCase),
          backup_(window.MakeBackup()) {}

    // Processes one file; returns what its log line says after the name.
    std::wstring Process(const std::wstring& path) {
        FILE_BASIC_INFO info{};
        const std::string_view text = Read(path, info);
        // Files that are no text in their encoding are never rewritten, nor are matches replaced
        // by something else than what was typed.
        switch (Examine(path, text)) {
            case FileReplacer::Outcome::kMatch:
                return Rewrite(path, info);
            case FileReplacer::Outcome::kNoMatch:
                return CountLine(0);
            case FileReplacer::Outcome::kBinary:
                return kSkippedBinary;
            case FileReplacer::Outcome::kInvalidUtf8:
                return kSkippedUtf8;
            case FileReplacer::Outcome::kInvalidUtf16:
                return kSkippedUtf16;
            case FileReplacer::Outcome::kUnwritableInCodePage:
                return kSkippedCodePage;
            case FileReplacer::Outcome::kUnwritableInEncoding:
                return kSkippedEncoding;
        }
        return CountLine(0);
    }

  private:
    // Text in another encoding than the file's bytes takes memory of its own.
    FileReplacer::Outcome Examine(const std::wstring& path, std::string_view text) {
        try {
            return replacer_.Examine(text);
        } catch (const std::bad_alloc&) {
            throw CannotOpenFileError(path, ERROR_NOT_ENOUGH_MEMORY);
        }
    }

    // Reads the whole file into the pass's buffer, denying writers meanwhile.
    std::string_view Read(const std::wstring& path, FILE_BASIC_INFO& info) {
        base::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        // Not GetFileInformationByHandle: its volume serial number costs Wine a look at the mounts.
        LARGE_INTEGER fileSize{};
        if (!file || !GetFileInformationByHandleEx(file.Get(), FileBasicInfo, &info, sizeof info) ||
            !GetFileSizeEx(file.Get(), &fileSize))
            throw CannotOpenFileError(path, GetLastError());
        const size_t size = size_t(fileSize.QuadPart);
        Reserve(path, size);
        size_t total = 0;
        while (total < size) {
            DWORD read = 0;
            if (!ReadFile(file.Get(), buffer_.get() + total,
                          DWORD(std::min<size_t>(size - total, kReadChunk)), &read, nullptr))
                throw CannotOpenFileError(path, GetLastError());
            if (read == 0) break;
            total += read;
        }
        return std::string_view(buffer_.get(), total);
    }

    void Reserve(const std::wstring& path, size_t size) {
        if (size <= capacity_) return;
        buffer_.reset();
        capacity_ = 0;
        try {
            buffer_ = std::make_unique_for_overwrite<char[]>(size);
        } catch (const std::bad_alloc&) {
            throw CannotOpenFileError(path, ERROR_NOT_ENOUGH_MEMORY);
        }
        capacity_ = size;
    }

    // Writes the new content beside the file, then puts it in the file's place.
    std::wstring Rewrite(const std::wstring& path, const FILE_BASIC_INFO& info) {
        std::wstring backup;
        if (backup_) {
            backup = BackupFileName(path);
            // Never overwrite the file itself, or a backup this run has made of another file.
            if (base::SameTextIgnoringCase(backup, path) || backupsMade_.contains(PathKey(backup)))
                return kSkippedBackup;
        } else if (info.FileAttributes & FILE_ATTRIBUTE_READONLY) {
            throw CannotCreateFileError(path, ERROR_ACCESS_DENIED);
        }

        // Rewritten in place, a file stays the same file; with a backup it is a new one.
        const FILETIME created{info.CreationTime.LowPart, DWORD(info.CreationTime.HighPart)};
        TempFile temp = backup_
                            ? TempFile(path, backup, FILE_ATTRIBUTE_NORMAL)
                            : TempFile(path, L"", info.FileAttributes & kKeptAttributes, &created);
        const size_t count = replacer_.Rewrite(temp);
        if (!temp.TakeTargetsPlace()) return kSkippedBackup;
        if (backup_) backupsMade_.insert(PathKey(backup));
        return CountLine(count);
    }

    FileReplacer replacer_;
    bool backup_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    std::set<std::wstring> backupsMade_;
};

void LogSummary(ReplaceWindow& window, size_t fileCount) {
    window.AddLogLine(L"");
    window.AddLogLine(std::to_wstring(fileCount) + L" file(s) processed");
}

}  // namespace

void FindReplaceText(ReplaceWindow& window, const TFileList& fileList) {
    if (fileList.size() >= kLargeSet && !window.MakeBackup() &&
        !window.AskYesNo(kLargeSetWarningCaption, kLargeSetWarningText))
        return;
    try {
        ReplacePass pass(window, AnsiUpperCaseTable());
        for (const std::wstring& path : fileList)
            window.AddLogLine(FileNameOf(path) + pass.Process(path));
    } catch (...) {
        LogSummary(window, fileList.size());
        throw;
    }
    LogSummary(window, fileList.size());
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring BackupFileName(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    const size_t dot = path.rfind(L'.');
    const bool hasExtension =
        dot != std::wstring::npos && (separator == std::wstring::npos || dot > separator);
    return (hasExtension ? path.substr(0, dot) : path) + L".bak";
}
