#include <gtest/gtest.h>

#include <cstring>

#include "TransferTestSupport.h"
#include "base/Error.h"
#include "common/TempDir.h"
#include "shell/DataObject.h"
#include "shell/ShellDataBlocks.h"
#include "shell/ShellTransfer.h"

using Microsoft::WRL::ComPtr;
using shell_test::Bytes;
using shell_test::MakeItems;
using shell_test::ParsePath;
using shell_test::RealItems;
using shell_test::RecordingHandler;
using testing_support::TempDir;

namespace {

using ItemSpan = std::span<const ITEMIDLIST* const>;

// Bytes placed at the very end of a readable page that is followed by one that cannot be read:
// a read past the block faults.
class GuardedBlock {
  public:
    explicit GuardedBlock(const std::string& bytes) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        const size_t page = system.dwPageSize;
        base_ = static_cast<BYTE*>(
            VirtualAlloc(nullptr, 2 * page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(base_ + page, page, PAGE_NOACCESS, &old);
        data_ = base_ + page - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
    const BYTE* Data() const { return data_; }

  private:
    BYTE* base_;
    BYTE* data_;
};

// The medium's owner in a foreign data object: frees the block when the medium is released.
class BlockOwner final : public ComObject<IUnknown> {
  public:
    explicit BlockOwner(base::GlobalMemoryHandle block) : block_(std::move(block)) {}

  private:
    ~BlockOwner() override = default;
    base::GlobalMemoryHandle block_;
};

// A data object of another program that hands out the given bytes as its item array.
class ForeignData final : public ComObject<IDataObject> {
  public:
    explicit ForeignData(std::string block) : block_(std::move(block)) {}
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != ShellIdListFormat()) return DV_E_FORMATETC;
        base::GlobalMemoryHandle copy = base::AllocGlobal(block_.size());
        std::memcpy(base::ScopedGlobalLock<>(copy.Get()).Data(), block_.data(), block_.size());
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy.Get();
        medium->pUnkForRelease = MakeComObject<BlockOwner>(std::move(copy)).Detach();
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  private:
    ~ForeignData() override = default;
    std::string block_;
};

std::string ArrayBytes(const ITEMIDLIST* parent, std::vector<const ITEMIDLIST*> items) {
    base::GlobalBlock block = BuildShellIdListArray(parent, items);
    return std::string(
        reinterpret_cast<const char*>(base::ScopedGlobalLock<>(block.memory.Get()).Data()),
        block.size);
}

std::string WithUInt32(std::string bytes, size_t at, uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
    return bytes;
}

}  // namespace

TEST(ShellTransfer, AForeignItemArrayIsCheckedBeforeAnyUse) {
    const UniquePidl parent = MakeItems({6}), first = MakeItems({4}), second = MakeItems({5});
    // count at 0, offsets at 4, 8, 12; parent at 16, first at 24, second at 30, 37 bytes.
    const std::string valid = ArrayBytes(parent.Get(), {first.Get(), second.Get()});
    ASSERT_EQ(valid.size(), 37u);
    std::string unterminated = valid;
    unterminated[35] = 5;
    const struct Case {
        const char* what;
        std::string bytes;
        bool accepted;
    } cases[] = {
        {"well formed", valid, true},
        {"truncated", valid.substr(0, 36), false},
        {"truncated in the header", valid.substr(0, 10), false},
        {"too short for a count", valid.substr(0, 4), false},
        {"no items", WithUInt32(valid, 0, 0), false},
        {"count past the block", WithUInt32(valid, 0, 0xFFFFFFFF), false},
        {"offset at the end", WithUInt32(valid, 12, 37), false},
        {"offset far outside", WithUInt32(valid, 8, 0x7FFFFFF0), false},
        {"offset into the header", WithUInt32(valid, 4, 0), false},
        {"list running past the end", unterminated, false},
        {"item shorter than its count", WithUInt32(valid, 24, 1), false},
        {"empty item list", WithUInt32(valid, 8, 22), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GuardedBlock block(c.bytes);
        ShellIdListArray read;
        EXPECT_EQ(ParseShellIdListArray(block.Data(), c.bytes.size(), read), c.accepted);
        EXPECT_EQ(read.items.size(), c.accepted ? 2u : 0u);
        const long live = ComObjectCounter::Live();
        const auto data = MakeComObject<ForeignData>(c.bytes);
        EXPECT_EQ(CommonDropEffects(data.Get()) == DROPEFFECT_NONE, !c.accepted);
        EXPECT_EQ(ComObjectCounter::Live(), live + 1);  // the medium was released
    }
    ShellIdListArray read;
    ASSERT_TRUE(ParseShellIdListArray(valid.data(), valid.size(), read));
    ASSERT_EQ(read.items.size(), 2u);
    EXPECT_EQ(Bytes(read.parent.Get()), Bytes(parent.Get()));
    EXPECT_EQ(Bytes(read.items[1].Get()), Bytes(second.Get()));
}

TEST(ShellTransfer, EffectsFollowTheItemsAttributes) {
    TempDir dir;
    dir.Write(L"a.txt", "x");
    dir.Write(L"b.txt", "x");
    RealItems files(dir.Path(), {L"a.txt", L"b.txt"});
    RealItems computer(L"", {shell_test::kComputer});
    const DWORD computerEffects = SourceDropEffects(computer.folder.Get(), computer.Pointers());
    EXPECT_EQ(computerEffects & (DROPEFFECT_COPY | DROPEFFECT_MOVE), 0u);
    EXPECT_EQ(SourceDropEffects(files.folder.Get(), files.Pointers()), kAllDropEffects);
    EXPECT_EQ(SourceDropEffects(nullptr, files.Pointers()), kAllDropEffects);

    const long live = ComObjectCounter::Live();
    const struct Case {
        const char* what;
        ComPtr<IDataObject> data;
        DWORD effects;
        bool dropped;  // on a shell target, given copy or move, Ctrl and the left button
    } cases[] = {
        {"files",
         MakeComObject<TDataObject_shlv>(files.parent.Get(), files.folder.Get(),
                                         ItemSpan(files.Pointers())),
         kAllDropEffects, true},
        {"virtual item",
         MakeComObject<TDataObject_shlv>(nullptr, computer.folder.Get(), computer.Pointers()),
         computerEffects, false},
        {"no array",
         MakeComObject<TDataObject_shtv>(nullptr, files.folder.Get(), files.items[0].Get()),
         kAllDropEffects, true},
        {"foreign", MakeComObject<ForeignData>(ArrayBytes(files.parent.Get(), files.Pointers())),
         kAllDropEffects, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CommonDropEffects(c.data.Get()), c.effects);
        RecordingHandler shell;
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(DropOnShellTarget(MakeComObject<TDropTarget_shlv>(&shell).Get(), c.data.Get(),
                                    MK_LBUTTON | MK_CONTROL, {}, &effect),
                  S_OK);
        EXPECT_EQ(shell.calls, (std::vector<std::string>{"enter 9 3", "over 9 3",
                                                         c.dropped ? "drop 9 3" : "leave 0 0"}));
        EXPECT_EQ(effect, DWORD(c.dropped ? DROPEFFECT_COPY : DROPEFFECT_NONE));
    }
    // A parent that is no folder cannot be asked: the platform's error, the medium released.
    const auto notAFolder = MakeComObject<ForeignData>(
        ArrayBytes(ParsePath(dir / L"a.txt").Get(), {files.items[1].Get()}));
    EXPECT_THROW(CommonDropEffects(notAFolder.Get()), base::PlatformError);
    EXPECT_EQ(ComObjectCounter::Live(), live + 5);
}

TEST(ShellTransfer, UIObjectsOfAbsoluteListsAndARealShellDrop) {
    TempDir dir;
    dir.MakeDir(L"target");
    dir.Write(L"a.txt", "x");
    dir.Write(L"source\\b.txt", "x");
    const UniquePidl file = ParsePath(dir / L"a.txt"), folder = ParsePath(dir / L"target");
    const UniquePidl inAFile = UniquePidl::Concat(file.Get(), file.Get());
    const struct Case {
        const ITEMIDLIST* pidl;
        const IID& iid;
        bool found;
    } cases[] = {
        {folder.Get(), IID_IDropTarget, true},   {file.Get(), IID_IContextMenu, true},
        {EmptyPidl(), IID_IDropTarget, true},    {nullptr, IID_IDropTarget, true},
        {inAFile.Get(), IID_IDropTarget, false},
    };
    for (const Case& c : cases) {
        ComPtr<IUnknown> object;
        const HRESULT hr = GetUIObjectOfAbsolute(c.pidl, c.iid, &object);
        EXPECT_EQ(SUCCEEDED(hr) && object, c.found) << std::hex << hr;
    }

    // The shell's own target of a folder, with data built from real files of another folder.
    // (Wine answers with its parent's target, whose Drop only logs what it would copy.)
    ComPtr<IDropTarget> target;
    ASSERT_EQ(GetUIObjectOfAbsolute(folder.Get(), target), S_OK);
    RealItems files(dir.MakeDir(L"source"), {L"b.txt"});
    const auto data = MakeComObject<TDataObject_shlv>(files.parent.Get(), files.folder.Get(),
                                                      ItemSpan(files.Pointers()));
    const struct Keys {
        DWORD keys;
        DWORD effect;
    } keys[] = {{MK_LBUTTON, DROPEFFECT_MOVE},
                {MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY},
                {MK_LBUTTON | MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK}};
    for (const Keys& k : keys) {
        DWORD effect = kAllDropEffects;
        EXPECT_EQ(AskShellDropTarget(target.Get(), data.Get(), k.keys, {}, &effect, true), S_OK);
        EXPECT_EQ(effect, k.effect);
    }
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(DropOnShellTarget(target.Get(), data.Get(), MK_CONTROL, {}, &effect), S_OK);
    EXPECT_TRUE(testing_support::FileExists(dir / L"source\\b.txt"));
}
