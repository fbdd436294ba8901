// Speed and memory of the shell list in a folder of many files, against the bare shell
// enumeration of the same folder, in one run:
//   floor:    EnumObjects, then GetAttributesOf and the display name of every item;
//   enum:     the enumeration alone (EnumObjects and the items), which any re-reading pays;
//   Refill:   a report-view list window filled from the folder (empty before, and full before);
//   refresh:  RefreshItems after one file was added, beside a Refill and the enumeration, which
//             any refresh pays, as it cannot know what changed;
//   sort:     re-sorting by Name descending, then by Size;
//   memory:   working-set growth of the first fill over the number of items;
//   drawn:    the rows whose texts the list view asked for when it painted;
//   callback: one text callback (name, size) at the start and at the end of the list, beside the
//             messages a callback takes.
//   shelllist_bench [files...]     default 10000 100000
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "shell/ShellUtils.h"
#include "shellctl/ShellList.h"
#include "ui/Application.h"
#include "ui/Form.h"

using bench::Now;
using bench::Seconds;
using Microsoft::WRL::ComPtr;
using shellctl::TPTShellList;

namespace {

double WorkingSetBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return double(counters.WorkingSetSize);
}

std::wstring MakeFolder(long files) {
    const std::wstring folder = bench::MakeRunFolder(L"shelllist-bench");
    for (long i = 0; i < files; ++i)
        bench::WriteWhole(
            folder + L"\\file " + std::to_wstring(1000000 + i * 7919 % files) + L".txt", "");
    return folder;
}

// What no list of a folder can do without: its items, their attributes and their names.
long BareEnumeration(const std::wstring& folder, bool attributesAndNames = true) {
    UniquePidl idList;
    ComPtr<IShellFolder> shellFolder;
    if (FAILED(PathToPidl(folder, idList)) || FAILED(BindToFolder(idList.Get(), shellFolder)))
        return 0;
    ComPtr<IEnumIDList> items;
    if (shellFolder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) != S_OK)
        return 0;
    long count = 0;
    for (;;) {
        UniquePidl item;
        ULONG fetched = 0;
        if (items->Next(1, item.Receive(), &fetched) != S_OK || fetched != 1) break;
        ++count;
        if (!attributesAndNames) continue;
        const ITEMIDLIST* child = item.Get();
        ULONG attributes = 0x720B0000;
        shellFolder->GetAttributesOf(1, &child, &attributes);
        if (GetDisplayName(shellFolder.Get(), child, dnInFolder).empty()) --count;
    }
    return count;
}

// Counts the rows the list view asks texts for, as its parent hears them.
struct DrawnRows {
    std::set<int> items;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR self) {
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW)
            reinterpret_cast<DrawnRows*>(self)->items.insert(
                reinterpret_cast<NMLVDISPINFOW*>(lParam)->item.iItem);
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
};

constexpr int kCalls = 2000;

// One text of a row as the list view asks for it when it draws (the first call may ask the
// shell; the rest show what the callback itself costs).
double CallbackMicroseconds(const TPTShellList& list, int item, int column) {
    wchar_t text[MAX_PATH];
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = MAX_PATH;
    list.Send(LVM_GETITEMTEXTW, WPARAM(item), LPARAM(&request));
    const double seconds = Seconds([&] {
        for (int i = 0; i < kCalls; ++i)
            list.Send(LVM_GETITEMTEXTW, WPARAM(item), LPARAM(&request));
    });
    return seconds / kCalls * 1e6;
}

// The platform's part of a callback: a message to the list view and a notification from it to
// its form that nobody handles.
double MessageMicroseconds(const TPTShellList& list) {
    NMHDR header{list.Handle(), UINT_PTR(GetDlgCtrlID(list.Handle())), 0xFFFFu};
    const HWND parent = GetParent(list.Handle());
    const double seconds = Seconds([&] {
        for (int i = 0; i < kCalls; ++i) {
            list.Send(LVM_GETITEMCOUNT);
            SendMessageW(parent, WM_NOTIFY, header.idFrom, LPARAM(&header));
        }
    });
    return seconds / kCalls * 1e6;
}

void Measure(long files) {
    std::wstring folder;
    const double made = Seconds([&] { folder = MakeFolder(files); });
    std::printf("folder   %ld files (made in %.1f s)\n", files, made);

    ui::Form form(L"Bench", 600, 400);
    form.Show();
    TPTShellList list;
    list.SetOptions({shellctl::ptsloAutoFill, shellctl::ptsloDefaultKeyHandling,
                     shellctl::ptsloContextMenus, shellctl::ptsloShowHidden});
    list.SetMultiSelect(true);
    list.Create(form, RECT{0, 0, 580, 380});
    ui::App().ProcessMessages();  // the deferred first fill, of the desktop

    // The first fill of the folder in this process: what the items themselves take.
    const double before = WorkingSetBytes();
    double fill = Seconds([&] { list.Folder().SetPath(folder); });
    const double growth = WorkingSetBytes() - before;

    // Best of two rounds each, in turns, so that all see the same machine.
    double floor = 1e300, enumeration = 1e300, refill = 1e300;
    long listed = 0;
    for (int round = 0; round < 2; ++round) {
        floor = std::min(floor, Seconds([&] { listed = BareEnumeration(folder); }));
        enumeration = std::min(enumeration, Seconds([&] { BareEnumeration(folder, false); }));
        list.Folder().Clear();
        fill = std::min(fill, Seconds([&] { list.Folder().SetPath(folder); }));
        refill = std::min(refill, Seconds([&] { list.Refill(); }));
    }
    std::printf("floor    %8.2f s  (%ld items, %.0f items/s)\n", floor, listed, listed / floor);
    std::printf("enum     %8.2f s  the enumeration alone (%.2f of the floor)\n", enumeration,
                enumeration / floor);
    std::printf("Refill   %8.2f s  ratio %.2f of the floor (from an empty list)\n", fill,
                fill / floor);
    std::printf("Refill   %8.2f s  ratio %.2f of the floor (over a full list)\n", refill,
                refill / floor);
    std::printf("memory   %8.0f bytes per item (working-set growth of the first fill)\n",
                growth / double(list.ShellItemCount()));

    DrawnRows drawn;
    SetWindowSubclass(form.Handle(), DrawnRows::Proc, 1, DWORD_PTR(&drawn));
    RedrawWindow(list.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ui::App().ProcessMessages();
    RemoveWindowSubclass(form.Handle(), DrawnRows::Proc, 1);
    std::printf("drawn    %8zu rows asked for texts and icons by a paint, of %d\n",
                drawn.items.size(), list.ShellItemCount());
    const int last = list.ItemCount() - 1;
    std::printf(
        "callback %8.1f us name, %.1f us size at the first row; %.1f us, %.1f us at the "
        "last (messages alone %.1f us)\n",
        CallbackMicroseconds(list, 0, 0), CallbackMicroseconds(list, 0, 1),
        CallbackMicroseconds(list, last, 0), CallbackMicroseconds(list, last, 1),
        MessageMicroseconds(list));

    // Best of three, each after one more file, beside the enumeration of the same moment.
    double refresh = 1e300, enumerationNow = 1e300;
    for (int round = 0; round < 3; ++round) {
        bench::WriteWhole(folder + L"\\added " + std::to_wstring(round) + L".txt", "");
        enumerationNow = std::min(enumerationNow, Seconds([&] { BareEnumeration(folder, false); }));
        refresh = std::min(refresh, Seconds([&] { list.RefreshItems(); }));
    }
    std::printf(
        "refresh  %8.2f s  ratio %.2f of a Refill, %.2f of the enumeration alone (one "
        "file added; %d items)\n",
        refresh, refresh / refill, refresh / enumerationNow, list.ShellItemCount());
    std::printf("sort     %8.2f s  by Name descending\n", Seconds([&] { list.SetSortColumn(-1); }));
    std::printf("sort     %8.2f s  by Size\n", Seconds([&] { list.SetSortColumn(2); }));

    list.Destroy();
    bench::RemoveTree(folder);
}

}  // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    InitCommonControls();
    std::vector<long> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::atol(argv[i]));
    if (counts.empty()) counts = {10000, 100000};
    for (long files : counts) {
        if (files < 1) {
            std::fprintf(stderr, "usage: shelllist_bench [files...]\n");
            return 2;
        }
        Measure(files);
    }
    OleUninitialize();
    return 0;
}
