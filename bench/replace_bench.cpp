// Speed of the replacement pass against the platform floor: reading and writing the same files
// with plain Win32 calls, measured in the same run.
//   replace_bench [megabytes]   size of each corpus, 100 unless given
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ReplaceEngine.h"

namespace {

constexpr size_t kManyFiles = 2000;

class BenchWindow : public ReplaceWindow {
  public:
    BenchWindow(std::wstring find, std::wstring replacement, bool backup)
        : find_(std::move(find)), replacement_(std::move(replacement)), backup_(backup) {}

    std::wstring TextToFind() const override { return find_; }
    std::wstring ReplacementText() const override { return replacement_; }
    bool CaseSensitive() const override { return true; }
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
    bool backup_;
};

double Now() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

void WriteWhole(const std::wstring& path, const char* bytes, size_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "cannot create %ls\n", path.c_str());
        std::exit(1);
    }
    DWORD written = 0;
    WriteFile(file, bytes, DWORD(size), &written, nullptr);
    CloseHandle(file);
}

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
    std::wstring folder;
    std::vector<std::wstring> files;
    size_t bytes = 0;
};

Corpus MakeCorpus(const std::wstring& root, const wchar_t* name, size_t fileCount,
                  size_t totalBytes, bool singleLine) {
    Corpus corpus{root + L"\\" + name, {}, 0};
    CreateDirectoryW(corpus.folder.c_str(), nullptr);
    unsigned seed = 1;
    for (size_t i = 0; i < fileCount; ++i) {
        std::string text;
        if (singleLine) {
            const std::string unit = "ab lumora cd ";
            text.reserve(totalBytes + unit.size());
            while (text.size() < totalBytes) text += unit;
        } else {
            text = TextFile(totalBytes / fileCount, seed);
        }
        corpus.files.push_back(corpus.folder + L"\\file " + std::to_wstring(i) + L".txt");
        WriteWhole(corpus.files.back(), text.data(), text.size());
        corpus.bytes += text.size();
    }
    return corpus;
}

// The floor: every file read whole and written back whole. Like a pass, each run starts with no
// buffer.
double Floor(const Corpus& corpus) {
    const double start = Now();
    std::unique_ptr<char[]> buffer;
    size_t capacity = 0;
    for (const std::wstring& path : corpus.files) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size{};
        GetFileSizeEx(file, &size);
        if (size_t(size.QuadPart) > capacity) {
            capacity = size_t(size.QuadPart);
            buffer = std::make_unique_for_overwrite<char[]>(capacity);
        }
        DWORD read = 0;
        ReadFile(file, buffer.get(), DWORD(size.QuadPart), &read, nullptr);
        CloseHandle(file);
        WriteWhole(path, buffer.get(), read);
    }
    return Now() - start;
}

void RemoveBackups(const Corpus& corpus) {
    for (const std::wstring& path : corpus.files) DeleteFileW(BackupFileName(path).c_str());
}

// One pass; the words swap back and forth so that every run finds the same number of matches.
double Pass(const Corpus& corpus, bool backup, bool& forward, unsigned long long& replacements) {
    BenchWindow window(forward ? L"lumora" : L"nebula", forward ? L"nebula" : L"lumora", backup);
    forward = !forward;
    const double start = Now();
    FindReplaceText(window, corpus.files);
    const double seconds = Now() - start;
    replacements = window.replacements;
    if (backup) RemoveBackups(corpus);
    return seconds;
}

double Best(int times, const std::function<double()>& run) {
    double best = 1e30;
    for (int i = 0; i < times; ++i) best = std::min(best, run());
    return best;
}

void Measure(const char* title, const Corpus& corpus) {
    const double megabytes = double(corpus.bytes) / (1024.0 * 1024.0);
    bool forward = true;
    unsigned long long replacements = 0;
    Floor(corpus);  // warm the cache
    const double floor = Best(3, [&] { return Floor(corpus); });
    const double off = Best(4, [&] { return Pass(corpus, false, forward, replacements); });
    const double on = Best(4, [&] { return Pass(corpus, true, forward, replacements); });
    std::printf("%s: %zu files, %.1f MB, %llu replacements per pass\n", title, corpus.files.size(),
                megabytes, replacements);
    std::printf("  floor (read + write)  %8.1f MB/s\n", megabytes / floor);
    std::printf("  pass, backup off      %8.1f MB/s   %.2fx the floor's time\n", megabytes / off,
                off / floor);
    std::printf("  pass, backup on       %8.1f MB/s   %.2fx the floor's time\n", megabytes / on,
                on / floor);
}

void RemoveCorpus(const Corpus& corpus) {
    for (const std::wstring& path : corpus.files) DeleteFileW(path.c_str());
    RemoveDirectoryW(corpus.folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100;
    if (megabytes == 0) {
        std::fprintf(stderr, "usage: replace_bench [megabytes]\n");
        return 2;
    }
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring root =
        std::wstring(temp) + L"lumora-bench-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(root.c_str(), nullptr);

    const size_t bytes = megabytes << 20;
    const Corpus many = MakeCorpus(root, L"many", kManyFiles, bytes, false);
    Measure("Many text files", many);
    RemoveCorpus(many);
    const Corpus single = MakeCorpus(root, L"single", 1, bytes, true);
    Measure("One single-line file", single);
    RemoveCorpus(single);
    RemoveDirectoryW(root.c_str());
    return 0;
}
