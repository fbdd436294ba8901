// Speed of the replacement pass on UTF-8 and UTF-16 files against the same pass on ANSI files of
// the same size, measured in the same run, with an ASCII and a non-ASCII find text, case
// sensitive and not.
//   encoding_bench [megabytes [folder]]   size of each corpus (50 unless given) and where it is
//                                         made (the temporary folder unless given)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/ReplaceEngine.h"
#include "base/Strings.h"

using bench::CountingWindow;
using bench::Now;
using bench::WriteWhole;

namespace {

// The site of the replacement benchmark, where opening and writing files weighs most, and a few
// large files, where the work on the text does (and more rounds are cheap).
struct Shape {
    const char* name;
    size_t files, folders;
    int rounds;
};
constexpr Shape kShapes[] = {{"site", 2000, 20, 5}, {"large files", 10, 1, 9}};

enum class Encoding { kAnsi, kUtf8, kUtf16 };
const wchar_t* const kEncodingNames[] = {L"ANSI", L"UTF-8", L"UTF-16"};

size_t EncodedSize(const std::wstring& text, Encoding encoding) {
    if (encoding == Encoding::kUtf16) return 2 * text.size();
    if (encoding == Encoding::kAnsi) return text.size();
    return base::WideToUtf8(text).size();
}

std::string Encode(const std::wstring& text, Encoding encoding) {
    if (encoding == Encoding::kAnsi) return base::WideToAnsi(text);
    if (encoding == Encoding::kUtf8) return base::WideToUtf8(text);
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), 2 * text.size());
}

// Lines of ordinary length in mostly ASCII words with some accented ones, and now and then a
// line with both find texts, up to about the given size in the encoding.
std::string TextFile(size_t size, Encoding encoding, unsigned& seed) {
    static const wchar_t* const words[] = {L"the",   L"quick",      L"brown", L"fox",
                                           L"jumps", L"over",       L"lazy",  L"dog",
                                           L"and",   L"text",       L"file",  L"caf\u00E9",
                                           L"with",  L"na\u00EFve", L"of",    L"r\u00E9sum\u00E9"};
    std::wstring text;
    size_t bytes = 0, sinceMatch = 0;
    const size_t matchEvery = std::max<size_t>(size / 5, 4000);
    while (bytes < size) {
        std::wstring line;
        for (size_t word = 0; word < 12; ++word) {
            seed = seed * 1103515245u + 12345u;
            line += words[(seed >> 16) % 16];
            line += word == 11 ? L"\r\n" : L" ";
        }
        if (sinceMatch > matchEvery) {
            line += L"see lumora and d\u00E9j\u00E0 vu here\r\n";
            sinceMatch = 0;
        }
        bytes += EncodedSize(line, encoding);
        sinceMatch += EncodedSize(line, encoding);
        text += line;
    }
    return Encode(text, encoding);
}

struct Corpus {
    std::vector<std::wstring> folders;
    std::vector<std::wstring> files;
    size_t bytes = 0;
};

Corpus MakeCorpus(const std::wstring& root, const Shape& shape, Encoding encoding,
                  size_t totalBytes) {
    Corpus corpus;
    unsigned seed = 1;
    for (size_t f = 0; f < shape.folders; ++f) {
        corpus.folders.push_back(root + L"\\" + kEncodingNames[int(encoding)] + L" " +
                                 std::to_wstring(f));
        CreateDirectoryW(corpus.folders.back().c_str(), nullptr);
    }
    for (size_t i = 0; i < shape.files; ++i) {
        const std::string text = TextFile(totalBytes / shape.files, encoding, seed);
        corpus.files.push_back(corpus.folders[i % shape.folders] + L"\\file " + std::to_wstring(i) +
                               L".txt");
        WriteWhole(corpus.files.back(), text);
        corpus.bytes += text.size();
    }
    return corpus;
}

void RemoveCorpus(const Corpus& corpus) {
    for (const std::wstring& path : corpus.files) DeleteFileW(path.c_str());
    for (const std::wstring& folder : corpus.folders) RemoveDirectoryW(folder.c_str());
}

struct Search {
    const char* name;      // UTF-8
    const wchar_t* there;  // in the files at the start
    const wchar_t* back;   // what a pass puts in its place
    bool caseSensitive;
};

// Two passes, the word replaced and put back, so that every pass finds the same number of matches.
double Pass(const Corpus& corpus, const Search& search, unsigned long long& replacements) {
    double best = 1e30;
    for (bool forward : {true, false}) {
        CountingWindow window(forward ? search.there : search.back,
                              forward ? search.back : search.there, search.caseSensitive, false);
        const double start = Now();
        FindReplaceText(window, corpus.files);
        best = std::min(best, Now() - start);
        replacements = window.replacements;
    }
    return best;
}

}  // namespace

// Every search over the three corpora of a shape, in rounds side by side so that whatever else
// the machine does weighs on all alike; the best round of each counts.
void Measure(const std::wstring& root, const Shape& shape, size_t bytes) {
    std::vector<Corpus> corpora;
    for (Encoding encoding : {Encoding::kAnsi, Encoding::kUtf8, Encoding::kUtf16})
        corpora.push_back(MakeCorpus(root, shape, encoding, bytes));
    const Search searches[] = {
        {"lumora, case sensitive", L"lumora", L"nebula", true},
        {"lumora, any case      ", L"lumora", L"nebula", false},
        {"d\xC3\xA9j\xC3\xA0, case sensitive  ", L"d\u00E9j\u00E0", L"voil\u00E0", true},
        {"D\xC3\x89J\xC3\x80, any case        ", L"D\u00C9J\u00C0", L"voil\u00E0", false}};
    std::printf(
        "%s: %zu file(s) in %zu folder(s), %.1f MB in each encoding; whole words; best of "
        "%d rounds\n",
        shape.name, shape.files, shape.folders, double(corpora[0].bytes) / 1048576.0, shape.rounds);
    std::printf("%-22s %16s %27s %27s\n", "find", "ANSI", "UTF-8", "UTF-16");
    for (const Search& search : searches) {
        double best[3] = {1e30, 1e30, 1e30};
        unsigned long long replacements[3] = {};
        for (int round = 0; round < shape.rounds; ++round)
            for (size_t c = 0; c < corpora.size(); ++c)
                best[c] = std::min(best[c], Pass(corpora[c], search, replacements[c]));
        std::printf("%s %8.3f s %5llu", search.name, best[0], replacements[0]);
        for (size_t c = 1; c < corpora.size(); ++c)
            std::printf("   %8.3f s %5llu %.2fx", best[c], replacements[c], best[c] / best[0]);
        std::printf("\n");
        std::fflush(stdout);
    }
    for (const Corpus& corpus : corpora) RemoveCorpus(corpus);
}

int main(int argc, char** argv) {
    const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 50;
    if (megabytes == 0) {
        std::fprintf(stderr, "usage: encoding_bench [megabytes [folder]]\n");
        return 2;
    }
    const std::wstring root =
        bench::MakeRunFolder(L"lumora-encoding", argc > 2 ? argv[2] : nullptr);
    for (const Shape& shape : kShapes) Measure(root, shape, megabytes << 20);
    RemoveDirectoryW(root.c_str());
    return 0;
}
