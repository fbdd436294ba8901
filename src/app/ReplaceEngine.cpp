#include "app/ReplaceEngine.h"

#include <algorithm>
#include <memory>
#include <new>
#include <set>
#include <string_view>

#include <windows.h>

#include "app/FileError.h"
#include "app/FileReplacer.h"
#include "app/FileRewrite.h"
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

std::wstring StoppedLine(size_t filesDone) {
    return L"Stopped after " + std::to_wstring(filesDone) + L" file(s)";
}

// Paths name the same file whatever their letter case.
std::wstring PathKey(std::wstring path) {
    if (!path.empty()) CharUpperBuffW(path.data(), DWORD(path.size()));
    return path;
}

class ReplacePass {
  public:
    ReplacePass(const ReplaceWindow& window, const FoldTable& upperCase, FileOperations& files)
        : replacer_(window.TextToFind(), window.ReplacementText(), window.CaseSensitive(),
                    window.WholeWordsOnly(), upperCase),
          backup_(window.MakeBackup()),
          files_(files) {}

    // Processes one file; returns what its log line says after the name.
    std::wstring Process(const std::wstring& path) {
        SourceFile file = Open(path);
        const std::string_view text = Read(file);
        // Files that are no text in their encoding are never rewritten, nor are matches replaced
        // by something else than what was typed.
        switch (Examine(path, text)) {
            case FileReplacer::Outcome::kMatch:
                return Rewrite(file, text);
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

    // Opens the file for reading, denying writers until it has been rewritten.
    SourceFile Open(const std::wstring& path) {
        SourceFile file;
        file.path = path;
        file.handle.Reset(files_.Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN));
        // Not GetFileInformationByHandle: its volume serial number costs Wine a look at the mounts.
        if (!file.handle ||
            !files_.Query(file.handle.Get(), FileBasicInfo, &file.basic, sizeof file.basic) ||
            !files_.Query(file.handle.Get(), FileStandardInfo, &file.standard,
                          sizeof file.standard))
            throw CannotOpenFileError(path, GetLastError());
        return file;
    }

    // Reads the whole file into the pass's buffer.
    std::string_view Read(const SourceFile& file) {
        const size_t size = size_t(file.standard.EndOfFile.QuadPart);
        Reserve(file.path, size);
        size_t total = 0;
        while (total < size) {
            DWORD read = 0;
            if (!files_.Read(file.handle.Get(), buffer_.get() + total,
                             DWORD(std::min<size_t>(size - total, kReadChunk)), &read))
                throw CannotOpenFileError(file.path, GetLastError());
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

    // Backs up and rewrites the file Examine found a match in; text is its content as read.
    std::wstring Rewrite(SourceFile& file, std::string_view text) {
        std::wstring backup;
        if (backup_) {
            backup = BackupFileName(file.path);
            // Never overwrite the file itself, or a backup this run has made of another file.
            if (base::SameTextIgnoringCase(backup, file.path) ||
                backupsMade_.contains(PathKey(backup)))
                return kSkippedBackup;
        } else if (file.basic.FileAttributes & FILE_ATTRIBUTE_READONLY) {
            throw CannotCreateFileError(file.path, ERROR_ACCESS_DENIED);
        }
        FileRewrite rewrite(files_, file, backup, text, newFileAccess_);
        const size_t count = replacer_.Rewrite(rewrite.Content());
        if (!rewrite.Commit()) return kSkippedBackup;
        if (backup_) backupsMade_.insert(PathKey(backup));
        return CountLine(count);
    }

    FileReplacer replacer_;
    bool backup_;
    FileOperations& files_;
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    std::set<std::wstring> backupsMade_;
    NewFileAccess newFileAccess_;
};

void LogSummary(ReplaceWindow& window, size_t fileCount) {
    window.AddLogLine(L"");
    window.AddLogLine(std::to_wstring(fileCount) + L" file(s) processed");
}

}  // namespace

void FindReplaceText(ReplaceWindow& window, const TFileList& fileList) {
    FileOperations platform;
    FindReplaceText(window, fileList, platform);
}

void FindReplaceText(ReplaceWindow& window, const TFileList& fileList, FileOperations& files) {
    if (fileList.size() >= kLargeSet && !window.MakeBackup() &&
        !window.AskYesNo(kLargeSetWarningCaption, kLargeSetWarningText))
        return;
    try {
        ReplacePass pass(window, AnsiUpperCaseTable(), files);
        for (size_t done = 0; done < fileList.size(); ++done) {
            if (!window.ContinuePass(done)) {
                window.AddLogLine(StoppedLine(done));
                break;
            }
            window.AddLogLine(FileNameOf(fileList[done]) + pass.Process(fileList[done]));
        }
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
