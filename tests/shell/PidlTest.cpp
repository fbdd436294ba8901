#include <gtest/gtest.h>

#include <set>
#include <vector>

#include <wrl/client.h>

#include "ShellTestSupport.h"
#include "common/TempDir.h"
#include "shell/IdListArray.h"
#include "shell/PidlList.h"
#include "base/Error.h"

using shell_test::Bytes;
using shell_test::MakeItems;
using shell_test::ParsePath;

namespace {

// The shell's allocator, noting every block freed through it.
struct RecordingMalloc : IMalloc {
    std::set<void*> freed;
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(void*) Alloc(SIZE_T size) override { return ShellAlloc(size); }
    STDMETHODIMP_(void*) Realloc(void*, SIZE_T) override { return nullptr; }
    STDMETHODIMP_(void) Free(void* block) override { freed.insert(block), ShellFree(block); }
    STDMETHODIMP_(SIZE_T) GetSize(void*) override { return 0; }
    STDMETHODIMP_(int) DidAlloc(void*) override { return -1; }
    STDMETHODIMP_(void) HeapMinimize() override {}
};

// Distinct one-item lists whose byte order is their index order.
std::vector<UniquePidl> OrderedLists(int count) {
    std::vector<UniquePidl> lists;
    for (int i = 0; i < count; ++i) lists.push_back(MakeItems({6}, BYTE(0x10 + i)));
    return lists;
}

}  // namespace

TEST(Pidl, SizeCopyAndConcat) {
    const UniquePidl two = MakeItems({20, 14});
    EXPECT_EQ(PidlSize(nullptr), 0u);
    EXPECT_EQ(PidlSize(EmptyPidl()), 2u);
    EXPECT_EQ(PidlSize(two.Get()), 36u);

    const UniquePidl copy(CopyPidl(nullptr, two.Get()));
    EXPECT_NE(copy.Get(), two.Get());
    EXPECT_EQ(Bytes(copy.Get()), Bytes(two.Get()));
    EXPECT_EQ(Bytes(UniquePidl(CopyPidl(ShellMalloc(), nullptr)).Get()), std::string(2, '\0'));
    EXPECT_EQ(Bytes(UniquePidl(ConcatPidls(nullptr, EmptyPidl(), two.Get())).Get()),
              Bytes(two.Get()));
    EXPECT_EQ(UniquePidl::Concat(two.Get(), two.Get()).Size(), 70u);
}

TEST(Pidl, CompareMissingEmptyAndRealLists) {
    testing_support::TempDir dir;
    const std::wstring folder = dir.MakeDir(L"Sub folder");
    const UniquePidl first = ParsePath(folder);
    const UniquePidl second = ParsePath(folder + L"\\");  // another parse of the same folder
    EXPECT_EQ(ComparePidls(nullptr, nullptr), 0);
    EXPECT_EQ(ComparePidls(nullptr, EmptyPidl()), -1);
    EXPECT_EQ(ComparePidls(EmptyPidl(), nullptr), -1);
    EXPECT_EQ(ComparePidls(EmptyPidl(), EmptyPidl()), 0);
    EXPECT_EQ(ComparePidls(first.Get(), EmptyPidl()), -1);
    EXPECT_EQ(ComparePidls(first.Get(), second.Get()), 0);
}

TEST(IdListArray, SplitsThreeItems) {
    const UniquePidl three = MakeItems({20, 14, 10});
    const std::string all = Bytes(three.Get()), end(2, '\0');
    TPTIdListArray items(three.Get());
    EXPECT_EQ(items.Count(), 3);
    EXPECT_EQ(Bytes(items.ParentPidl(0)), all);
    EXPECT_EQ(Bytes(items.ParentPidl(1)), all.substr(0, 34) + end);
    EXPECT_EQ(Bytes(items.ParentPidl(3)), end);
    EXPECT_EQ(items.ParentPidl(4), nullptr);
    EXPECT_EQ(Bytes(items.ItemPidl(2)), all.substr(34, 10) + end);
    EXPECT_EQ(items.ItemPidl(3), nullptr);
    EXPECT_EQ(Bytes(TPTIdListArray(EmptyPidl()).ItemPidl(0)), end);
    EXPECT_EQ(TPTIdListArray(nullptr).ParentPidl(0), nullptr);
}

TEST(PidlList, SortedListsFollowTheDuplicatesModeInEitherInsertionOrder) {
    for (const bool reversed : {false, true}) {
        SCOPED_TRACE(reversed ? "added in reverse order" : "added in order");
        std::vector<UniquePidl> lists = OrderedLists(3);
        const UniquePidl twin = MakeItems({6}, 0x11);  // equal to lists[1]
        const auto fill = [&](TPTPidlList& list, TDuplicates mode) {
            list.SetDuplicates(mode);
            list.SetSorted(true);
            for (int i = 0; i < 3; ++i) list.AddObject(lists[reversed ? 2 - i : i].Get(), &lists);
            for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Pidls(i), lists[i].Get());
        };
        TPTPidlList ignore;
        fill(ignore, dupIgnore);
        EXPECT_EQ(ignore.AddObject(twin.Get(), nullptr), 1);
        EXPECT_EQ(ignore.Count(), 3);
        EXPECT_EQ(ignore.Objects(1), &lists);

        TPTPidlList accept;
        fill(accept, dupAccept);
        EXPECT_EQ(accept.AddObject(twin.Get(), nullptr), 1);  // before the equal entry
        EXPECT_EQ(accept.Pidls(2), lists[1].Get());
        EXPECT_EQ(accept.IndexOf(lists[1].Get()), 1);  // the first of the equal ones

        TPTPidlList refuse;
        fill(refuse, dupError);
        try {
            refuse.Add(twin.Get());
            ADD_FAILURE() << "a duplicate was accepted";
        } catch (const base::Error& e) {
            EXPECT_EQ(e.Message(), L"TPTPidlList: Duplicate PIDL");
        }
        EXPECT_EQ(refuse.Count(), 3);
    }
}

TEST(PidlList, UnsortedListSortsWhenAskedAndFreesOnlyThroughMalloc) {
    std::vector<UniquePidl> lists = OrderedLists(3);
    {
        TPTPidlList borrowed;
        for (const int i : {2, 0, 1}) borrowed.Add(lists[i].Get());
        borrowed.SetSorted(true);
        EXPECT_EQ(borrowed.Pidls(0), lists[0].Get());
        EXPECT_EQ(borrowed.Pidls(2), lists[2].Get());
        borrowed.Delete(0);
    }
    EXPECT_EQ(PidlSize(lists[0].Get()), 8u);  // the owner's lists are untouched

    RecordingMalloc malloc;
    TPTPidlList owning;
    owning.SetMalloc(&malloc);
    ITEMIDLIST* raw[3];
    for (int i = 0; i < 3; ++i) owning.Add(raw[i] = lists[i].Release());
    owning.Delete(1);
    EXPECT_EQ(malloc.freed, std::set<void*>({raw[1]}));
    owning.Clear();
    EXPECT_EQ(malloc.freed, std::set<void*>({raw[0], raw[1], raw[2]}));
}

TEST(PidlList, FolderOrderComparesThroughTheShell) {
    testing_support::TempDir dir;
    // Upper case sorts first by bytes, but not in the folder's order.
    for (const wchar_t* name : {L"B.txt", L"c.txt", L"a.txt"}) dir.Write(name, "x");
    Microsoft::WRL::ComPtr<IShellFolder> folder;
    ASSERT_EQ(BindToFolder(ParsePath(dir.Path()).Get(), folder), S_OK);
    const auto child = [&](std::wstring name) {  // an item relative to the folder
        UniquePidl item;
        folder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, item.Receive(), nullptr);
        return item;
    };
    TPTPidlList list;  // as a refresh of the shell list keeps the folder's items
    list.SetShellFolder(folder.Get());
    list.SetMalloc(ShellMalloc());
    for (const wchar_t* name : {L"c.txt", L"B.txt", L"a.txt"}) list.Add(child(name).Release());
    list.SetSorted(true);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(GetDisplayName(folder.Get(), list.Pidls(i), dnForParsing),
                  dir / (std::wstring(1, L"aBc"[i]) + L".txt"));
    EXPECT_EQ(list.IndexOf(child(L"B.txt").Get()), 1);  // another parse, found
}
