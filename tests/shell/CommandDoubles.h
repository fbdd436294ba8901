// Test doubles at the shell's seams for the command tests: a menu object, a folder that hands it
// out, a drop target; and a watch for dialogs the platform shows on its own.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "ShellTestSupport.h"
#include "shell/ComObject.h"
#include "shell/Pidl.h"
#include "shell/ShellCommands.h"

namespace shell_test {

// One command of a FakeMenu, added with identifier first + offset.
struct FakeCommand {
    UINT offset = 0;
    std::string narrowVerb = {};  // empty: the narrow request fails
    std::wstring wideVerb = {};   // empty: the wide request fails
    std::string narrowHelp = {};
    std::wstring wideHelp = {};
    bool submenu = false;
    bool isDefault = false;
};

// A shell menu object answering to IContextMenu, IContextMenu2 or IContextMenu3 (level 1 to 3).
class FakeMenu final : public ComObject<IContextMenu3> {
  public:
    FakeMenu(int level, std::vector<FakeCommand> commands)
        : level_(level), commands_(std::move(commands)) {}

    HRESULT queryResult = S_OK;  // S_OK: the number of identifiers used
    HRESULT invokeResult = S_OK;
    HRESULT handleResult = S_OK;
    LRESULT handleAnswer = 0;
    std::vector<CMINVOKECOMMANDINFO> invoked;
    std::vector<UINT> handled;  // messages given to HandleMenuMsg / HandleMenuMsg2
    UINT lastQueryFlags = 0;

    std::vector<UINT> InvokedOffsets() const {
        std::vector<UINT> offsets;
        for (const CMINVOKECOMMANDINFO& info : invoked)
            offsets.push_back(UINT(reinterpret_cast<ULONG_PTR>(info.lpVerb)));
        return offsets;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IContextMenu &&
            (iid != IID_IContextMenu2 || level_ < 2) && (iid != IID_IContextMenu3 || level_ < 3))
            return E_NOINTERFACE;
        *object = static_cast<IContextMenu3*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT, UINT first, UINT,
                                               UINT flags) override {
        lastQueryFlags = flags;
        if (FAILED(queryResult)) return queryResult;
        for (const FakeCommand& command : commands_) {
            const UINT id = first + command.offset;
            if (command.submenu) {
                HMENU sub = CreatePopupMenu();
                AppendMenuW(sub, MF_STRING, id + 100, L"inner");
                AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"sub");
            } else {
                AppendMenuW(menu, MF_STRING, id, L"command");
            }
            if (command.isDefault) SetMenuDefaultItem(menu, id, FALSE);
        }
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, 5, L"below the shell's range");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, commands_.size() + 1);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        invoked.push_back(*info);
        return invokeResult;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, char* name,
                                               UINT size) override {
        for (const FakeCommand& command : commands_)
            if (command.offset == offset) return CommandString(command, type, name, size);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT msg, WPARAM, LPARAM) override {
        handled.push_back(msg);
        return handleResult;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
        handled.push_back(msg);
        if (result != nullptr) *result = handleAnswer;
        return handleResult;
    }

  private:
    // "*" stands for a verb that fills the whole buffer without a terminator.
    static HRESULT Copy(const std::string& text, char* name, UINT size) {
        if (text.empty()) return E_FAIL;
        if (text == "*") {
            std::memset(name, 'x', size);
            return S_OK;
        }
        lstrcpynA(name, text.c_str(), int(size));
        return S_OK;
    }
    static HRESULT CopyWide(const std::wstring& text, char* name, UINT size) {
        if (text.empty()) return E_FAIL;
        lstrcpynW(reinterpret_cast<wchar_t*>(name), text.c_str(), int(size));
        return S_OK;
    }
    static HRESULT CommandString(const FakeCommand& command, UINT type, char* name, UINT size) {
        switch (type) {
            case GCS_VERBA:
                return Copy(command.narrowVerb, name, size);
            case GCS_VERBW:
                return CopyWide(command.wideVerb, name, size);
            case GCS_HELPTEXTA:
                return Copy(command.narrowHelp, name, size);
            case GCS_HELPTEXTW:
                return CopyWide(command.wideHelp, name, size);
        }
        return E_INVALIDARG;
    }

    int level_;
    std::vector<FakeCommand> commands_;
};

// A folder of virtual items that hands out a given menu object (or fails with uiResult).
class FakeFolder final : public ComObject<IShellFolder> {
  public:
    explicit FakeFolder(IContextMenu* menu) : menu_(menu) {}
    HRESULT uiResult = S_OK;
    SFGAOF attributes = SFGAO_CANDELETE;
    UINT lastItemCount = 0;

    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT count, PCUITEMID_CHILD_ARRAY, REFIID iid,
                                            UINT*, void** object) override {
        lastItemCount = count;
        *object = nullptr;
        if (FAILED(uiResult)) return uiResult;
        return menu_ ? menu_->QueryInterface(iid, object) : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY,
                                              SFGAOF* wanted) override {
        *wanted &= attributes;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF flags,
                                               STRRET* name) override {
        if (flags & SHGDN_FORPARSING) return E_FAIL;  // no path: a virtual item
        name->uType = STRRET_CSTR;
        lstrcpyA(name->cStr, "Virtual item");
        return S_OK;
    }
    // clang-format off
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override { return E_NOTIMPL; }
    // clang-format on

  private:
    Microsoft::WRL::ComPtr<IContextMenu> menu_;
};

// Records the calls it gets and grants the given effects.
class FakeDropTarget final : public ComObject<IDropTarget> {
  public:
    DWORD enterEffect = DROPEFFECT_COPY;
    DWORD overEffect = DROPEFFECT_COPY;
    HRESULT enterResult = S_OK;
    std::vector<std::string> calls;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        calls.push_back(Offered("enter", keys, *effect));
        *effect = enterEffect;
        return enterResult;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD* effect) override {
        calls.push_back(Offered("over", keys, *effect));
        *effect = overEffect;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        calls.push_back("leave");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD keys, POINTL, DWORD* effect) override {
        calls.push_back(Offered("drop", keys, *effect));
        return S_OK;
    }

  private:
    // A call is recorded bare when it offers a left-button copy, as Send To must.
    static std::string Offered(const char* call, DWORD keys, DWORD effect) {
        return keys == MK_LBUTTON && effect == DROPEFFECT_COPY ? call : std::string(call) + "?";
    }
};

// Closes and records every window the calling thread activates while the watch lives: a dialog
// of the platform's own would otherwise wait for a person forever.
class DialogWatch {
  public:
    DialogWatch() : hook_(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId())) {
        Captions().clear();
    }
    ~DialogWatch() { UnhookWindowsHookEx(hook_); }
    DialogWatch(const DialogWatch&) = delete;
    DialogWatch& operator=(const DialogWatch&) = delete;
    const std::vector<std::wstring>& Shown() const { return Captions(); }

  private:
    static std::vector<std::wstring>& Captions() {
        static std::vector<std::wstring> captions;
        return captions;
    }
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            wchar_t caption[256] = {};
            GetWindowTextW(reinterpret_cast<HWND>(wParam), caption, 256);
            Captions().push_back(caption);
            PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, IDCANCEL, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

}  // namespace shell_test
