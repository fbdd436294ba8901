// The data behind every item of a shell list that stands for a namespace item: its identifier
// list relative to the list's folder, and what is derived from it on first use and kept until
// the item changes (absolute list, display name, icon, detail texts).
#pragma once

#include <memory>
#include <string>

#include <windows.h>
#include <shlobj.h>

#include "shell/Pidl.h"

namespace shellctl {

class TPTCustomShellList;

// What GetAttributes asks the folder for: file system, folder, file-system ancestor, link,
// share, read-only, hidden, and copy, move, link, rename, delete.
constexpr ULONG kItemAttributeRequest = 0x700F0037;

class TPTShListData {
  public:
    // Takes the relative list over.
    TPTShListData(TPTCustomShellList& list, UniquePidl relIdList) noexcept;
    ~TPTShListData();
    TPTShListData(const TPTShListData&) = delete;
    TPTShListData& operator=(const TPTShListData&) = delete;

    TPTCustomShellList& List() const noexcept { return *list_; }
    const ITEMIDLIST* RelIdList() const noexcept { return relIdList_.Get(); }
    // The list's folder joined with the relative list, made on first use.
    const ITEMIDLIST* GetAbsIdList();
    // The file-system path; empty when the item has none.
    std::wstring GetPath();
    // The attributes of kItemAttributeRequest the folder reports (without the read-only bit for
    // items on removable drives); 0 when it cannot say.
    ULONG GetAttributes();
    bool IsFolder() { return (GetAttributes() & SFGAO_FOLDER) != 0; }
    bool CanRename() { return (GetAttributes() & SFGAO_CANRENAME) != 0; }
    // A shortcut file (".lnk", any case).
    bool IsLink();
    // The name shown, asked for once.
    const std::wstring& GetDisplayText();
    // The index of the small system icon, asked for once.
    int GetIconIndex();

    // Puts a new relative list in place of the old one (a rename, a refresh that found the item
    // changed) and forgets what was derived from the old one.
    void ReplaceRelIdList(UniquePidl relIdList);
    void Invalidate() noexcept;

    // The text of a detail cell (ShellListColumns.cpp): the details provider's when the folder
    // has one, else one of the standard texts.
    std::wstring GetColumnText(int column);
    // Reads the standard texts (size, type, modified) once until the item is invalidated.
    void ComputeDetails();
    bool DetailsReady() const noexcept { return details_ != nullptr; }
    // Empty until ComputeDetails has run.
    const std::wstring& SizeText() const noexcept;
    const std::wstring& TypeText() const noexcept;
    const std::wstring& ModifiedText() const noexcept;

    // The attributes the item was accepted with (AcceptItem's request), for its overlay.
    ULONG AcceptedAttributes() const noexcept { return acceptedAttributes_; }
    void SetAcceptedAttributes(ULONG attributes) noexcept { acceptedAttributes_ = attributes; }

  private:
    struct Details {
        std::wstring size;
        std::wstring type;
        std::wstring modified;
    };

    TPTCustomShellList* list_;
    UniquePidl relIdList_;
    UniquePidl absIdList_;
    std::wstring displayName_;
    // Only items that were drawn in the report view carry their texts.
    std::unique_ptr<Details> details_;
    ULONG acceptedAttributes_ = 0;
    int iconIndex_ = -1;
};

}  // namespace shellctl
