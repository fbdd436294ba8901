#include "common/TempDir.h"

#include <stdexcept>

#include "base/Strings.h"

namespace testing_support {
namespace {

void MakeParents(const std::wstring& path) {
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos;
         slash = path.find(L'\\', slash + 1)) {
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    }
}

}  // namespace

TempDir::TempDir() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"lumora-test-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(++counter);
        if (CreateDirectoryW(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temp folder");
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::wstring TempDir::Write(const std::wstring& relative, const std::string& bytes) const {
    const std::wstring full = *this / relative;
    MakeParents(full);
    WriteFileBytes(full, bytes);
    return full;
}

std::wstring TempDir::MakeDir(const std::wstring& relative) const {
    const std::wstring full = *this / relative;
    MakeParents(full + L"\\");
    return full;
}

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open file for reading");
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create file");
    DWORD written = 0;
    const bool ok =
        bytes.empty() || WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw std::runtime_error("cannot write file");
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = path + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

namespace {

// Runs a Unix command through Wine on a Windows path and waits (within reason) until its work
// shows: Wine does not let us wait for the Unix process itself.
bool RunOnUnixPath(const std::wstring& command, const std::wstring& path, bool thenExists) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    static const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unixPath = unixFileName ? unixFileName(path.c_str()) : nullptr;
    if (unixPath == nullptr) return false;
    std::wstring commandLine = command + L" \"" + base::Utf8ToWide(unixPath) + L"\"";
    HeapFree(GetProcessHeap(), 0, unixPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int attempt = 0; attempt < 500; ++attempt, Sleep(20))
        if ((GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) == thenExists)
            return true;
    return false;
}

}  // namespace

UnixLinks::~UnixLinks() {
    for (const std::wstring& link : links_) RunOnUnixPath(L"/bin/rm -f", link, false);
}

bool UnixLinks::Make(const std::wstring& path, const std::wstring& target) {
    links_.push_back(path);
    return RunOnUnixPath(L"/bin/ln -s \"" + target + L"\"", path, true);
}

MessageBoxRecorder::MessageBoxRecorder() {
    previous_ = ui::SetMessageBoxHandler([this](const ui::MessageBoxRequest& request) {
        boxes_.push_back(request);
        if (answers_.empty()) return IDOK;
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { ui::SetMessageBoxHandler(std::move(previous_)); }

}  // namespace testing_support
