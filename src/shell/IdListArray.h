// A read-only view that splits one item identifier list into its items.
#pragma once

#include "shell/Pidl.h"

class TPTIdListArray {
  public:
    // The list is neither copied nor owned; it must outlive the view.
    explicit TPTIdListArray(const ITEMIDLIST* pidl);
    TPTIdListArray(const TPTIdListArray&) = delete;
    TPTIdListArray& operator=(const TPTIdListArray&) = delete;

    // The number of items (0 for a missing or empty list).
    int Count() const noexcept { return count_; }

    // The first Count - levels items as a new list: 1 gives the parent folder, Count the desktop,
    // 0 a full copy. Null for a missing source or levels outside 0..Count.
    // The result belongs to the view and lives until the next ParentPidl or ItemPidl.
    const ITEMIDLIST* ParentPidl(int levels);
    // Item index alone as a single-item list (the empty list when the source is empty).
    // Null for a missing source, a negative index, or an index past the last item.
    // The result belongs to the view and lives until the next ParentPidl or ItemPidl.
    const ITEMIDLIST* ItemPidl(int index);

  private:
    // The start of item index (the terminator when index is Count).
    const BYTE* ItemStart(int index) const;
    // Replaces the result with a new list holding the given item bytes.
    const ITEMIDLIST* Produce(const BYTE* items, std::size_t size);

    const ITEMIDLIST* source_;
    int count_ = 0;
    UniquePidl result_;
};
