// Speed of the shell tree against the shell calls it cannot avoid, in one run:
//   expand:  expanding a folder with many subfolders, beside the bare shell enumeration of that
//            folder (EnumObjects, then the attributes the tree asks for and the in-folder name of
//            every item);
//   refresh: RefreshNodes of a tree with many expanded nodes after one folder was added, beside
//            the bare enumeration of every folder the refresh reads.
//   shelltree_bench [subfolders [expanded]]     default 10000 and 2000
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "shell/ShellStrings.h"
#include "shell/ShellUtils.h"
#include "shellctl/ShellTree.h"
#include "ui/Form.h"

using bench::Now;
using bench::RemoveTree;
using Microsoft::WRL::ComPtr;
using shellctl::TPTShellTree;

namespace {

void MakeDir(const std::wstring& path) {
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        std::fprintf(stderr, "cannot create a folder of the tree\n");
        std::exit(1);
    }
}

UniquePidl Parse(const std::wstring& path) {
    UniquePidl pidl;
    if (FAILED(PathToPidl(path, pidl))) {
        std::fprintf(stderr, "cannot parse a folder of the tree\n");
        std::exit(1);
    }
    return pidl;
}

// The floor: one folder's items with the attributes and names the tree reads; the folders
// below are handed to descend when it is given.
long BareEnumeration(IShellFolder* folder,
                     const std::function<void(IShellFolder*, const ITEMIDLIST*)>& descend) {
    ComPtr<IEnumIDList> items;
    if (FAILED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, &items)) ||
        !items)
        return 0;
    long count = 0;
    ITEMIDLIST* raw = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &raw, &fetched) == S_OK && fetched == 1) {
        UniquePidl item(raw);
        const ITEMIDLIST* one = item.Get();
        SFGAOF attributes = 0xF20B8000;  // what the tree asks of each new node
        folder->GetAttributesOf(1, &one, &attributes);
        GetDisplayName(folder, one, dnInFolder);
        ++count;
        if (descend) descend(folder, one);
    }
    return count;
}

long BareWalk(IShellFolder* folder) {
    long folders = 1;
    BareEnumeration(folder, [&](IShellFolder* parent, const ITEMIDLIST* item) {
        ComPtr<IShellFolder> child;
        if (SUCCEEDED(parent->BindToObject(item, nullptr, IID_PPV_ARGS(&child))))
            folders += BareWalk(child.Get());
    });
    return folders;
}

// The best of a few rounds of each, taken in turns, so that both see the same machine.
void Compare(const char* what, const std::function<double()>& component,
             const std::function<void()>& floor) {
    double best = 1e300;
    double bestFloor = 1e300;
    for (int round = 0; round < 5; ++round) {
        double start = Now();
        floor();
        bestFloor = std::min(bestFloor, Now() - start);
        best = std::min(best, component());
    }
    std::printf("%-8s tree %8.3f s   floor %8.3f s   tree/floor %.2f\n", what, best, bestFloor,
                best / bestFloor);
}

class Host : public ui::Form {
  public:
    Host() : ui::Form(L"shelltree_bench", 400, 600) {}
};

std::unique_ptr<TPTShellTree> MakeTree(Host& host, const std::wstring& base) {
    auto tree = std::make_unique<TPTShellTree>();
    tree->SetOptions(shellctl::TPTShellTreeOptions(shellctl::kDefaultShellTreeOptions)
                         .Exclude(shellctl::ptstoDynamicRefresh));
    tree->BaseFolder().SetPath(base);
    tree->Create(host, RECT{0, 0, 380, 560});
    tree->Refill();
    return tree;
}

void ExpandAll(TPTShellTree& tree, HTREEITEM node) {
    tree.Expand(node);
    for (HTREEITEM child = tree.FirstChild(node); child != nullptr; child = tree.NextSibling(child))
        if (tree.HasChildrenMark(child)) ExpandAll(tree, child);
}

}  // namespace

int main(int argc, char** argv) {
    const long wide = argc > 1 ? std::atol(argv[1]) : 10000;
    const long expanded = argc > 2 ? std::atol(argv[2]) : 2000;
    if (wide < 1 || expanded < 50) {
        std::fprintf(stderr, "usage: shelltree_bench [subfolders [expanded]]\n");
        return 2;
    }
    OleInitialize(nullptr);
    InitCommonControls();
    const std::wstring root = bench::MakeRunFolder(L"shelltree-bench");

    // A folder of subfolders, in a folder of its own so that its node can be expanded.
    const std::wstring wideFolder = root + L"\\wide";
    MakeDir(wideFolder);
    for (long i = 0; i < wide; ++i) MakeDir(wideFolder + L"\\folder " + std::to_wstring(i));
    // Groups of 50 folders, each holding one more: every one of them is an expanded node.
    const std::wstring deep = root + L"\\deep";
    MakeDir(deep);
    for (long i = 0; i < expanded / 50; ++i) {
        const std::wstring group = deep + L"\\group " + std::to_wstring(i);
        MakeDir(group);
        for (int j = 0; j < 50; ++j) {
            const std::wstring folder = group + L"\\folder " + std::to_wstring(j);
            MakeDir(folder);
            MakeDir(folder + L"\\inner");
        }
    }
    std::printf("tree     %ld subfolders in one folder; %ld expanded nodes\n", wide,
                expanded / 50 * 51 + 1);

    Host host;
    ComPtr<IShellFolder> wideShellFolder;
    BindToFolder(Parse(wideFolder).Get(), wideShellFolder);
    Compare(
        "expand",
        [&] {
            auto tree = MakeTree(host, root);
            HTREEITEM node = tree->FirstChild(tree->RootNode());
            while (node != nullptr && tree->NodeText(node) != L"wide")
                node = tree->NextSibling(node);
            const double start = Now();
            tree->Expand(node);
            return Now() - start;
        },
        [&] { BareEnumeration(wideShellFolder.Get(), nullptr); });

    auto tree = MakeTree(host, deep);
    ExpandAll(*tree, tree->RootNode());
    ComPtr<IShellFolder> deepShellFolder;
    BindToFolder(Parse(deep).Get(), deepShellFolder);
    int added = 0;
    Compare(
        "refresh",
        [&] {
            MakeDir(deep + L"\\group 0\\folder 0\\added " + std::to_wstring(++added));
            const double start = Now();
            tree->RefreshNodes();
            return Now() - start;
        },
        [&] { BareWalk(deepShellFolder.Get()); });

    tree.reset();
    RemoveTree(root);
    OleUninitialize();
    return 0;
}
