// The program's own Send To submenu, for shell menu objects that cannot fill and draw theirs: the
// process-wide list of Send To entries, the owner-drawn items, their menu keys, and sending data to
// an entry.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <objidl.h>
#include <oleidl.h>
#include <wrl/client.h>

struct TSendToEntry {
    std::wstring name;  // the file name in the Send To folder
    int iconIndex;      // in the small system image list; -1 when there is none
};

// Send To entries sorted by name without regard to case; an equal name is ignored.
class TSendToList {
  public:
    void Add(std::wstring name, int iconIndex);
    // Adds every file of a directory that is neither a folder nor hidden.
    void AddFilesOf(const std::wstring& directory);
    int Count() const noexcept { return int(entries_.size()); }
    const TSendToEntry& operator[](int index) const { return entries_.at(std::size_t(index)); }

  private:
    std::vector<TSendToEntry> entries_;
};

// The process-wide list, created on first use and never cleared: entries found once stay.
TSendToList& SendToList();
// The list when it exists, else null.
TSendToList* ExistingSendToList() noexcept;

// The label of an entry: its name without the extension.
std::wstring SendToCaption(const std::wstring& name);

// Fills the shell's Send To placeholder: when popup holds exactly one greyed item, it is replaced
// by the entries of the Send To folder (added to the process-wide list first). True when filled.
bool FillSendToPopup(HMENU popup);
// Appends one owner-drawn item per entry: identifier k + 1 and item data k for entry k, cut at
// kLastSendToCommand so that they never reach the shell's identifiers.
void AppendSendToItems(HMENU popup, const TSendToList& list);

// Measures and draws a Send To item with the system's menu font, colours and small icons. False
// for anything but a Send To item of the existing list.
bool MeasureSendToItem(MEASUREITEMSTRUCT& item);
bool DrawSendToItem(const DRAWITEMSTRUCT& item);
// The answer to a typed character in a Send To popup: the next entry starting with it, executed
// when it is the only one, selected when several are; close when none is. Nothing for other menus.
std::optional<LRESULT> SendToMenuChar(wchar_t character, UINT flags, HMENU popup);

// The drop target of Send To entry index of the process-wide list. Raises the platform error when
// the Send To folder, the entry or its target cannot be had.
Microsoft::WRL::ComPtr<IDropTarget> SendToTarget(int index);
// Offers data to a target as a left-button drag copying at (0, 0), and drops it there only when
// the target accepts the copy; otherwise it leaves. True when dropped; a failing call raises.
bool DropData(IDropTarget* target, IDataObject* data);
// Sends data to Send To entry index (the item of identifier index + 1). True when dropped.
bool SendTo(int index, IDataObject* data);
