// The two blocks shell items travel in between programs: the "Shell IDList Array" (the parent
// folder's absolute list followed by the items' lists relative to it) and the file drop list
// (CF_HDROP), plus a checked reader for an array that comes from elsewhere.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include "base/GlobalMemory.h"
#include "shell/Pidl.h"

// The registered number of "Shell IDList Array", registered on the first call (0 when the
// platform refuses).
UINT ShellIdListFormat();
// Registers the program's clipboard formats; called once at start-up.
void RegisterShellClipboardFormats();

// The array block for items relative to parent (the desktop when parent is null). Empty when
// there are no items or no memory.
base::GlobalBlock BuildShellIdListArray(const ITEMIDLIST* parent,
                                        std::span<const ITEMIDLIST* const> items);

// A wide-character file drop list of the parsing names (full paths) of those items of folder
// that are in the file system, in the given order. Empty when none is, or when out of memory.
base::GlobalBlock BuildFileDropList(IShellFolder* folder, std::span<const ITEMIDLIST* const> items);

// The content of an array block, copied out of it.
struct ShellIdListArray {
    UniquePidl parent;
    std::vector<UniquePidl> items;

    std::vector<const ITEMIDLIST*> ItemPointers() const;
};

// Reads an array block of size bytes that may come from another program: the count, every
// offset and every list (its items and terminator) must lie inside the block, offsets must
// point past the header and every item list must name something. False, with nothing read
// outside the block, when it does not hold; throws std::bad_alloc when out of memory.
bool ParseShellIdListArray(const void* block, std::size_t size, ShellIdListArray& contents);

enum class IdListArrayRead {
    Absent,     // the data offers no "Shell IDList Array" in global memory
    Malformed,  // it does, but the block fails the checks of ParseShellIdListArray
    Read,
};

// Fetches and checks the array of a data object; the medium is released on every path.
IdListArrayRead ReadShellIdListArray(IDataObject* data, ShellIdListArray& contents);
