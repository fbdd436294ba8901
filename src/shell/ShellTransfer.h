// What drag-and-drop, the clipboard and Send To share: the UI objects of items named by absolute
// lists, the effects a drag may offer and the effects incoming data allows, and the way a drop is
// handed to the shell's own drop target.
#pragma once

#include <span>

#include <windows.h>
#include <oleidl.h>
#include <shlobj.h>
#include <wrl/client.h>

constexpr DWORD kAllDropEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// A UI object (IDropTarget, IContextMenu, IDataObject...) of the item an absolute list names, from
// its parent folder. The empty or a missing list stands for the desktop, addressed as its
// file-system directory so that it takes drops.
HRESULT GetUIObjectOfAbsolute(const ITEMIDLIST* pidl, REFIID iid, void** object,
                              HWND owner = nullptr);

template <class Interface>
HRESULT GetUIObjectOfAbsolute(const ITEMIDLIST* pidl, Microsoft::WRL::ComPtr<Interface>& object,
                              HWND owner = nullptr) {
    object.Reset();
    return GetUIObjectOfAbsolute(pidl, __uuidof(Interface),
                                 reinterpret_cast<void**>(object.GetAddressOf()), owner);
}

// The effects a drag of items of folder offers: copy, move and link as the items' attributes
// allow for all of them; all three when the attributes cannot be read.
DWORD SourceDropEffects(IShellFolder* folder, std::span<const ITEMIDLIST* const> items);

// The effects incoming data allows: copy, move and link as its "Shell IDList Array" items allow
// for all of them; all three when it carries no such array, none when the array is malformed.
// Throws base::PlatformError when the array's parent cannot be bound or the attributes not read.
DWORD CommonDropEffects(IDataObject* data);

// Asks a shell target what a drop would do without dropping: DragEnter, then DragOver when
// asked, then DragLeave. effect holds the offered effects and receives the answer (none on
// failure).
HRESULT AskShellDropTarget(IDropTarget* target, IDataObject* data, DWORD keys, POINTL point,
                           DWORD* effect, bool withDragOver);

// Drops data on a shell target: DragEnter and DragOver (their answers unused), then Drop with
// the offered effects restricted to what the data allows (CommonDropEffects). When nothing is
// left the target gets DragLeave instead, and effect is none. Never throws.
HRESULT DropOnShellTarget(IDropTarget* target, IDataObject* data, DWORD keys, POINTL point,
                          DWORD* effect);
