// Speed of the replacement pass against two floors measured in the same run with plain Win32
// calls on the same files: reading and writing each file in place, and the safe scheme the pass
// follows (read, write a new file beside it, rename that over it; with backups a second name of
// the old file first). The first shows what safety costs, the second what the pass adds to it.
//   replace_bench [megabytes [folder]]   size of each corpus (100 unless given) and where it is
//                                        made (the temporary folder unless given)
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/ReplaceEngine.h"

using bench::CountingWindow;
using bench::Now;
using bench::WriteWhole;

namespace {

constexpr size_t kManyFiles = 2000;
// Rounds per corpus: the one long line costs a few seconds a round, so it gets more of them.
constexpr int kRounds = 5;
constexpr int kLineRounds = 15;

// Text of about the given size in lines of ordinary length, with the word lumora now and then.
std::string TextFile(size_t size, unsigned& seed) {
    static const char* const words[] = {"the",  "quick", "brown", "fox",     "jumps", "over",
                                        "lazy", "dog",   "and",   "replace", "text",  "file"};
    std::string text;
    text.reserve(size + 100);
    size_t sinceMatch = 0;
    while (text.size() < size) {
        for (size_t line = 0; line < 12; ++line) {
            seed = seed * 1103515245u + 12345u;
            text += words[(seed >> 16) % 12];
            text += line == 11 ? "\r\n" : " ";
        }
        if ((sinceMatch += 80) > size / 4) {
            text += "see lumora here\r\n";
            sinceMatch = 0;
        }
    }
    return text;
}

struct Corpus {
    std::vector<std::wstring> folders;
    std::vector<std::wstring> files;
    size_t bytes = 0;
};

// fileCount files of text in folderCount folders, or one single-line file when fileCount is 1.
Corpus MakeCorpus(const std::wstring& root, const std::wstring& name, size_t fileCount,
                  size_t folderCount, size_t totalBytes) {
    Corpus corpus;
    unsigned seed = 1;
    for (size_t f = 0; f < folderCount; ++f) {
        corpus.folders.push_back(root + L"\\" + name + L" " + std::to_wstring(f));
        CreateDirectoryW(corpus.folders.back().c_str(), nullptr);
    }
    for (size_t i = 0; i < fileCount; ++i) {
        std::string text;
        if (fileCount == 1) {
            const std::string unit = "ab lumora cd ";
            text.reserve(totalBytes + unit.size());
            while (text.size() < totalBytes) text += unit;
        } else {
            text = TextFile(totalBytes / fileCount, seed);
        }
        corpus.files.push_back(corpus.folders[i % folderCount] + L"\\file " + std::to_wstring(i) +
                               L".txt");
        WriteWhole(corpus.files.back(), text.data(), text.size());
        corpus.bytes += text.size();
    }
    return corpus;
}

void RemoveCorpus(const Corpus& corpus) {
    for (const std::wstring& path : corpus.files) DeleteFileW(path.c_str());
    for (const std::wstring& folder : corpus.folders) RemoveDirectoryW(folder.c_str());
}

// Reads the file at path whole into buffer, which grows as a pass's does; returns its size.
DWORD ReadWhole(const std::wstring& path, std::unique_ptr<char[]>& buffer, size_t& capacity) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    if (size_t(size.QuadPart) > capacity) {
        capacity = size_t(size.QuadPart);
        buffer = std::make_unique_for_overwrite<char[]>(capacity);
    }
    DWORD read = 0;
    ReadFile(file, buffer.get(), DWORD(size.QuadPart), &read, nullptr);
    CloseHandle(file);
    return read;
}

// The floor: every file read whole and written back whole. Like a pass, each run starts with no
// buffer.
double Floor(const Corpus& corpus) {
    const double start = Now();
    std::unique_ptr<char[]> buffer;
    size_t capacity = 0;
    for (const std::wstring& path : corpus.files) {
        const DWORD read = ReadWhole(path, buffer, capacity);
        WriteWhole(path, buffer.get(), read);
    }
    return Now() - start;
}

// The floor of the safe scheme: each file read whole and written whole to a new file beside
// it, which then takes its place in one rename; with backups, the old file gets a second name
// first. Backups go between rounds, as the pass's do.
double SafeFloor(const Corpus& corpus, bool backup) {
    const double start = Now();
    std::unique_ptr<char[]> buffer;
    size_t capacity = 0;
    for (const std::wstring& path : corpus.files) {
        const DWORD read = ReadWhole(path, buffer, capacity);
        const std::wstring temp = path.substr(0, path.rfind(L'\\') + 1) + L"~floor.tmp";
        HANDLE written = CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                     CREATE_NEW, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        DWORD done = 0;
        WriteFile(written, buffer.get(), read, &done, nullptr);
        if (backup) CreateHardLinkW(BackupFileName(path).c_str(), path.c_str(), nullptr);
        std::vector<std::byte> rename(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(rename.data());
        info->ReplaceIfExists = TRUE;
        info->FileNameLength = DWORD(path.size() * sizeof(wchar_t));
        std::memcpy(info->FileName, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        SetFileInformationByHandle(written, FileRenameInfo, info, DWORD(rename.size()));
        CloseHandle(written);
    }
    const double seconds = Now() - start;
    if (backup) {
        for (const std::wstring& path : corpus.files) DeleteFileW(BackupFileName(path).c_str());
    }
    return seconds;
}

// One pass; the words swap back and forth so that every pass finds the same number of matches.
double Pass(const Corpus& corpus, bool backup, bool& forward, unsigned long long& replacements) {
    CountingWindow window(forward ? L"lumora" : L"nebula", forward ? L"nebula" : L"lumora", true,
                          backup);
    forward = !forward;
    const double start = Now();
    FindReplaceText(window, corpus.files);
    const double seconds = Now() - start;
    replacements = window.replacements;
    if (backup) {
        for (const std::wstring& path : corpus.files) DeleteFileW(BackupFileName(path).c_str());
    }
    return seconds;
}

// Rounds of the floors and the passes side by side, so that whatever else the machine does
// weighs on all alike; the best of each counts.
void Measure(const std::wstring& root, const std::wstring& name, size_t fileCount,
             size_t folderCount, size_t bytes, int rounds) {
    const Corpus corpus = MakeCorpus(root, name, fileCount, folderCount, bytes);
    const double megabytes = double(corpus.bytes) / (1024.0 * 1024.0);
    bool forward = true;
    unsigned long long replacements = 0;
    Floor(corpus);  // warm the cache
    double floor = 1e30, safeOff = 1e30, safeOn = 1e30, off = 1e30, on = 1e30;
    for (int round = 0; round < rounds; ++round) {
        floor = std::min(floor, Floor(corpus));
        safeOff = std::min(safeOff, SafeFloor(corpus, false));
        off = std::min(off, Pass(corpus, false, forward, replacements));
        safeOn = std::min(safeOn, SafeFloor(corpus, true));
        on = std::min(on, Pass(corpus, true, forward, replacements));
    }
    RemoveCorpus(corpus);
    std::printf("%ls: %zu file(s) in %zu folder(s), %.1f MB, %llu replacements per pass\n",
                name.c_str(), corpus.files.size(), corpus.folders.size(), megabytes, replacements);
    std::printf("  floor, read + write in place  %8.1f MB/s\n", megabytes / floor);
    std::printf("  floor, safe, backup off       %8.1f MB/s   %.2fx in place\n",
                megabytes / safeOff, safeOff / floor);
    std::printf("  floor, safe, backup on        %8.1f MB/s   %.2fx in place\n", megabytes / safeOn,
                safeOn / floor);
    std::printf(
        "  pass, backup off              %8.1f MB/s   %.2fx the safe floor, %.2fx in place\n",
        megabytes / off, off / safeOff, off / floor);
    std::printf(
        "  pass, backup on               %8.1f MB/s   %.2fx the safe floor, %.2fx in place\n",
        megabytes / on, on / safeOn, on / floor);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    if (megabytes == 0) {
        std::fprintf(stderr, "usage: replace_bench [megabytes [folder]]\n");
        return 2;
    }
    const std::wstring root = bench::MakeRunFolder(L"lumora-bench", argc > 2 ? argv[2] : nullptr);
    const size_t bytes = megabytes << 20;
    Measure(root, L"site", kManyFiles, 20, bytes, kRounds);
    Measure(root, L"flat", kManyFiles, 1, bytes, kRounds);
    Measure(root, L"line", 1, 1, bytes, kLineRounds);
    RemoveDirectoryW(root.c_str());
    return 0;
}
