// The link between a shell tree and the shell list it keeps in step: what each side asks of the
// other. The tree implements TPTShellTreeLink and the list TPTShellListLink, so that neither
// control's header needs the other's, and each side can be tested against a stand-in.
#pragma once

#include <shtypes.h>

class TPTShellLocator;

// What a linked list asks of its tree.
class TPTShellTreeLink {
  public:
    // The list's folder changed: the tree selects that folder, adding the nodes on the way
    // (ignored while the tree's own update lock is held).
    virtual void NavigateTo(const ITEMIDLIST* absIdList) = 0;
    // The list's up-one-level key: the tree selects the ancestor that many levels up.
    virtual void GoUp(int levels) = 0;
    // Runs a pending selection pass or refresh now, before the list acts on its folder.
    virtual void FlushPendingSync() = 0;
    // The tree's current folder. A list that opens a folder sets it here; the tree navigates and
    // hands its new selection back through TreeSelectionChanged.
    virtual TPTShellLocator& CurrentFolder() = 0;
    // The list is being destroyed: the tree forgets it.
    virtual void ShellListDestroyed() = 0;

  protected:
    ~TPTShellTreeLink() = default;
};

// What a tree asks of its linked list.
class TPTShellListLink {
  public:
    // Called by the tree's ShellList setter only: links the tree, or unlinks it with null (also
    // when the tree is destroyed).
    virtual void SetLinkedTree(TPTShellTreeLink* tree) = 0;
    // The tree's selection settled on a folder: the list shows it unless it is loading, without
    // telling the tree back.
    virtual void TreeSelectionChanged(const ITEMIDLIST* absIdList) = 0;
    // Whether the list leaves file-system folders out while a tree is linked; the tree then
    // expands the last node it navigates to.
    virtual bool HidesFoldersWhenLinked() const = 0;
    // Items were dropped onto the tree's node of a folder: a list showing that folder refreshes,
    // since it may not be watching it.
    virtual void ItemsDroppedInto(const ITEMIDLIST* folderAbsIdList) { (void)folderAbsIdList; }

  protected:
    ~TPTShellListLink() = default;
};
