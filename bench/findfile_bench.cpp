// Speed of the file search component against the platform calls it cannot avoid, in one run:
//   scan:    files/s of a search for "*.txt" beside a bare FindFirstFile walk of the same tree
//            (one enumeration of the mask and one of the subfolders per folder);
//   content: MB/s of a search for a phrase that no file holds beside a walk that plainly reads
//            the same files.
//   findfile_bench [files [folders]]     default 50000 files in 2000 folders
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "findfile/FindFile.h"
#include "findfile/Matching.h"

using bench::Now;
using bench::RemoveTree;
using findfile::TFindFile;
using findfile::TSearchRec;

namespace {

struct Tree {
    std::wstring root;
    long files = 0;
    long textFiles = 0;
    double textBytes = 0;
};

// Folders two levels deep below the root; two of three files are ".txt", of mixed sizes with an
// occasional one larger than a content chunk.
Tree MakeTree(long files, long folders) {
    Tree tree;
    tree.root = bench::MakeRunFolder(L"findfile-bench");
    const long top = std::max(1L, folders / 50);
    std::vector<std::wstring> paths;
    for (long i = 0; i < folders; ++i) {
        const std::wstring parent = i < top ? tree.root : paths[std::size_t(i % top)];
        paths.push_back(parent + L"\\folder " + std::to_wstring(i));
        CreateDirectoryW(paths.back().c_str(), nullptr);
    }
    std::string text;
    for (int i = 0; i < 200000; ++i) text += char('a' + (i * 7 + i / 13) % 26);
    for (long i = 0; i < files; ++i) {
        const bool isText = i % 3 != 2;
        const std::size_t size = i % 50 == 0 ? 100000 : 256 + std::size_t(i * 2654435761u % 16128);
        const std::wstring name = L"\\file " + std::to_wstring(i) + (isText ? L".txt" : L".dat");
        bench::WriteWhole(paths[std::size_t(i % folders)] + name, text.substr(i % 1000, size));
        if (isText) {
            ++tree.textFiles;
            tree.textBytes += double(size);
        }
    }
    tree.files = files;
    return tree;
}

// The floor: per folder, the mask's enumeration and the subfolders' enumeration, nothing more.
void BareWalk(const std::wstring& folder, const std::function<void(const std::wstring&)>& onFile) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"*.txt").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                onFile(folder + data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    find = FindFirstFileW((folder + L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            BareWalk(folder + name + L"\\", onFile);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void ReadWhole(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    static std::vector<char> buffer(findfile::ContentChunkSize);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), DWORD(buffer.size()), &read, nullptr) && read > 0) {
    }
    CloseHandle(file);
}

long Search(const Tree& tree, const std::string& phrase) {
    TFindFile finder;
    finder.Criteria().Files().SetLocation(tree.root);
    finder.Criteria().Files().SetFileName(L"*.txt");
    finder.Criteria().Content().SetPhrase(phrase);
    long matches = 0;
    finder.OnFileMatch = [&](TFindFile&, const std::wstring&, const TSearchRec&) { ++matches; };
    finder.Execute();
    return matches;
}

// The best of a few rounds of each, taken in turns, so that both see the same machine.
void Compare(const char* what, double amount, const char* unit,
             const std::function<void()>& component, const std::function<void()>& floor) {
    double best = 1e300;
    double bestFloor = 1e300;
    for (int round = 0; round < 5; ++round) {
        double start = Now();
        floor();
        bestFloor = std::min(bestFloor, Now() - start);
        start = Now();
        component();
        best = std::min(best, Now() - start);
    }
    std::printf("%-8s component %10.1f %s   floor %10.1f %s   ratio %.2f\n", what, amount / best,
                unit, amount / bestFloor, unit, bestFloor / best);
}

}  // namespace

int main(int argc, char** argv) {
    const long files = argc > 1 ? std::atol(argv[1]) : 50000;
    const long folders = argc > 2 ? std::atol(argv[2]) : 2000;
    if (files < 1 || folders < 1) {
        std::fprintf(stderr, "usage: findfile_bench [files [folders]]\n");
        return 2;
    }
    const Tree tree = MakeTree(files, folders);
    std::printf("tree     %ld files in %ld folders, %ld .txt files, %.1f MB of them\n", tree.files,
                folders, tree.textFiles, tree.textBytes / 1e6);
    const std::wstring rootFolder = tree.root + L"\\";

    long found = 0;
    Compare(
        "scan", double(tree.files), "files/s", [&] { found = Search(tree, ""); },
        [&] { BareWalk(rootFolder, [](const std::wstring&) {}); });
    if (found != tree.textFiles) std::printf("scan found %ld of %ld\n", found, tree.textFiles);

    Compare(
        "content", tree.textBytes / 1e6, "MB/s",
        [&] { found = Search(tree, "no such phrase anywhere"); },
        [&] { BareWalk(rootFolder, ReadWhole); });
    if (found != 0) std::printf("content found %ld, expected none\n", found);

    RemoveTree(tree.root);
    return 0;
}
