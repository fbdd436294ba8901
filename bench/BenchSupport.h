// What the benchmark programs share: a clock, files written whole, a folder of their own for a
// run and its removal, and a window for the replacement pass that counts the replacements.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "app/ReplaceWindow.h"

namespace bench {

inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / frequency;
}

inline double Seconds(const std::function<void()>& work) {
    const double start = Now();
    work();
    return Now() - start;
}

// A benchmark without its files measures nothing: it ends here.
inline void WriteWhole(const std::wstring& path, const char* bytes, size_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create %ls\n", path.c_str());
        std::exit(1);
    }
    DWORD written = 0;
    WriteFile(file, bytes, DWORD(size), &written, nullptr);
    CloseHandle(file);
}

inline void WriteWhole(const std::wstring& path, const std::string& bytes) {
    WriteWhole(path, bytes.data(), bytes.size());
}

inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + L"\\" + name);
            else
                DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

// A new empty folder for this run, in where (a path from the command line) or else in the
// temporary folder. Process numbers come back under Wine and a killed run leaves its folder
// behind, so the name counts on until it is new. Ends the program when none can be made.
inline std::wstring MakeRunFolder(const wchar_t* prefix, const char* where = nullptr) {
    std::wstring base;
    if (where != nullptr) {
        base = std::wstring(where, where + std::strlen(where)) + L"\\";
    } else {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        base = temp;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = base + prefix + L"-" + std::to_wstring(GetCurrentProcessId()) +
                                    L"-" + std::to_wstring(attempt);
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    }
    std::fprintf(stderr, "cannot create a folder in %ls\n", base.c_str());
    std::exit(1);
}

// The pass's window with whole words and nothing to ask, adding up the counts of its lines.
class CountingWindow : public ReplaceWindow {
  public:
    CountingWindow(std::wstring find, std::wstring replacement, bool caseSensitive, bool backup)
        : find_(std::move(find)),
          replacement_(std::move(replacement)),
          case_(caseSensitive),
          backup_(backup) {}

    std::wstring TextToFind() const override { return find_; }
    std::wstring ReplacementText() const override { return replacement_; }
    bool CaseSensitive() const override { return case_; }
    bool WholeWordsOnly() const override { return true; }
    bool MakeBackup() const override { return backup_; }
    bool AskYesNo(const std::wstring&, const std::wstring&) override { return true; }
    void AddLogLine(const std::wstring& line) override {
        const size_t dash = line.rfind(L" - ");
        if (dash != std::wstring::npos) replacements += std::wcstoull(&line[dash + 3], nullptr, 10);
    }

    unsigned long long replacements = 0;

  private:
    std::wstring find_, replacement_;
    bool case_, backup_;
};

}  // namespace bench
