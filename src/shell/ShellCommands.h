// The shell's commands on namespace items: context menus, verbs and the default command, with the
// small window helpers the shell tree and the shell list share around them.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include "base/Handle.h"

// Command identifiers of a shell context menu.
constexpr UINT kNoCommand = 0;             // the menu was cancelled
constexpr UINT kFirstSendToCommand = 1;    // the program's Send To item k runs entry k - 1
constexpr UINT kLastSendToCommand = 999;   //
constexpr UINT kFirstShellCommand = 1000;  // the shell's commands: offset = identifier - 1000
constexpr UINT kLastShellCommand = 0x7FFF;
constexpr UINT kMaxShellCommandOffset = kLastShellCommand - kFirstShellCommand;

// The shell's rename command. Its offset differs between shell versions, so it is recognised by
// its verb.
inline constexpr wchar_t kRenameVerb[] = L"rename";
inline constexpr wchar_t kDeleteVerb[] = L"delete";

// Items of one folder, each given by its list relative to that folder.
using ChildPidls = std::span<const ITEMIDLIST* const>;
// The items as the shell's calls take them (which do not write to the array).
inline PCUITEMID_CHILD_ARRAY PidlArray(ChildPidls items) {
    return const_cast<PCUITEMID_CHILD_ARRAY>(items.data());
}

// A shell context menu: the shell's menu object and the popup menu it filled.
struct ShellContextMenu {
    Microsoft::WRL::ComPtr<IContextMenu> object;
    base::MenuHandle menu;
};

// The window handed to shell calls for a control: its top-level parent (the form it sits on);
// null for a window that is not inside another one.
HWND ShellWindow(HWND control);

// Raises an error whose text is the system's message for the code.
[[noreturn]] void RaisePlatformError(HRESULT code);

// Shows the hourglass for the given time, then the previous cursor again (also on failure).
void PauseWithHourglass(DWORD milliseconds);

// Sets or clears bits of a window's style, writing it only when it changes; true when it did.
bool SetStyleBits(HWND window, DWORD bits, bool on);

// Builds the context menu of items of a folder: the folder's menu object for them, and a new popup
// menu it filled with command identifiers from firstCommand to kLastShellCommand. When the folder
// gives no menu object, that code is returned and nothing is built; when the object cannot fill
// the menu, the platform error is raised (the object and the menu are released).
HRESULT BuildContextMenu(HWND window, IShellFolder* folder, ChildPidls items, UINT flags,
                         UINT firstCommand, ShellContextMenu& result);
inline HRESULT BuildContextMenu(HWND window, IShellFolder* folder, ChildPidls items, UINT flags,
                                ShellContextMenu& result) {
    return BuildContextMenu(window, folder, items, flags, kFirstShellCommand, result);
}

// The verb of a command offset ("copy", "delete"...); empty when the command has none.
std::wstring CommandVerb(IContextMenu* menu, UINT offset);
// The help text of a command offset; empty when the command has none.
std::wstring CommandHelpText(IContextMenu* menu, UINT offset);

// The offset of the first top-level command whose verb equals verb without regard to case, in a
// menu the object fills afresh; submenus and commands without a verb are skipped.
std::optional<UINT> FindVerb(IContextMenu* menu, std::wstring_view verb);

// Invokes a command offset of a menu object that has filled a menu; mask takes CMIC_MASK_* flags.
// Offsets past the shell's range are never invoked. True when the command ran (the user may have
// cancelled its own questions); a failure of the command raises the platform error.
bool RunCommand(HWND window, IContextMenu* menu, UINT offset, DWORD mask = 0);
// The same for a verb; false (nothing invoked) when the menu has no command with that verb.
bool RunCommand(HWND window, IContextMenu* menu, std::wstring_view verb, DWORD mask = 0);

// Runs the default command of the items' context menu; false when the menu has none. A failure to
// build the menu or of the command raises the platform error.
bool RunDefaultCommand(HWND window, IShellFolder* folder, ChildPidls items);

// Runs a verb ("paste") on a folder: from the folder's own menu as an item of its parent, or where
// that menu lacks the verb, from the folder's background menu. False when neither has it.
bool RunFolderVerb(HWND window, const ITEMIDLIST* folder, std::wstring_view verb);

// What a command chosen from a shell context menu asks for.
enum class TShellCommandKind {
    None,    // no command: cancelled, or an identifier outside every range
    SendTo,  // a Send To item: SendTo(command - kFirstSendToCommand, ...)
    Rename,  // the shell's rename: the control edits the item's label itself
    Delete,  // the shell's delete: DeleteItems, with the program's one question
    Shell,   // any other shell command: RunCommand(command - kFirstShellCommand)
};
TShellCommandKind ClassifyCommand(IContextMenu* menu, UINT command);

// Runs a command that says whether it changed anything; refresh follows then, and also when the
// command fails, since part of it may have happened, before its error goes on.
void RunThenRefresh(const std::function<bool()>& command, const std::function<void()>& refresh);
