// A list of item identifier lists with one data reference each, optionally sorted by bytes or by
// a shell folder's order. The shell controls diff what they show against what a folder holds now.
#pragma once

#include <vector>

#include <windows.h>
#include <shlobj.h>

// What adding an equal list to a sorted TPTPidlList does.
enum TDuplicates : unsigned char { dupIgnore = 0, dupAccept = 1, dupError = 2 };

class TPTPidlList {
  public:
    TPTPidlList() = default;
    TPTPidlList(const TPTPidlList&) = delete;
    TPTPidlList& operator=(const TPTPidlList&) = delete;
    virtual ~TPTPidlList();

    // Adds a list without data; returns its position.
    virtual int Add(ITEMIDLIST* pidl);
    // Adds a list with its data (stored as given, not copied); returns its position. On a sorted
    // list an equal entry is kept (dupIgnore: its position is returned), refused (dupError: throws
    // "TPTPidlList: Duplicate PIDL"), or joined by the new one placed before it (dupAccept).
    virtual int AddObject(ITEMIDLIST* pidl, void* object);

    ITEMIDLIST* Pidls(int index) const { return At(index).pidl; }
    void* Objects(int index) const { return At(index).object; }
    int Count() const noexcept { return static_cast<int>(entries_.size()); }
    int Capacity() const noexcept { return static_cast<int>(entries_.capacity()); }
    void SetCapacity(int capacity);

    // The position of an entry equal to pidl, or -1.
    int IndexOf(const ITEMIDLIST* pidl) const;
    // Removes an entry, freeing its list through Malloc when that is set.
    void Delete(int index);
    // Removes every entry, freeing their lists through Malloc when that is set.
    void Clear();

    bool Sorted() const noexcept { return sorted_; }
    // Turning sorting on sorts the entries at once (duplicates stay).
    void SetSorted(bool sorted);
    // When set, entries are ordered by this folder's CompareIDs, else by their bytes. Not owned.
    IShellFolder* ShellFolder() const noexcept { return shellFolder_; }
    void SetShellFolder(IShellFolder* folder) noexcept { shellFolder_ = folder; }
    // When set, the lists of deleted entries are freed through it. Not owned.
    IMalloc* Malloc() const noexcept { return malloc_; }
    void SetMalloc(IMalloc* malloc) noexcept { malloc_ = malloc; }
    TDuplicates Duplicates() const noexcept { return duplicates_; }
    void SetDuplicates(TDuplicates duplicates) noexcept { duplicates_ = duplicates; }

  protected:
    // Orders an entry against a key: negative when the entry sorts first, 0 when equal.
    int Compare(const ITEMIDLIST* entry, const ITEMIDLIST* key) const;
    // Bisection over the sorted entries: the position of the equal entry (the first of them when
    // duplicates are accepted) or the insertion point; true when an equal entry exists.
    bool Find(const ITEMIDLIST* pidl, int& index) const;
    void Sort();

  private:
    struct Entry {
        ITEMIDLIST* pidl;
        void* object;
    };
    const Entry& At(int index) const;
    void CheckIndex(int index) const;

    std::vector<Entry> entries_;
    bool sorted_ = false;
    IShellFolder* shellFolder_ = nullptr;
    IMalloc* malloc_ = nullptr;
    TDuplicates duplicates_ = dupError;
};
