// Deleting shell items with exactly one question, the program's own: the tree, the list and the
// folder browse dialog all delete through here (Del and Shift+Del alike).
#pragma once

#include <string>

#include <windows.h>
#include <shlobj.h>

#include "shell/ShellCommands.h"

inline constexpr wchar_t kConfirmDeleteCaption[] = L"Confirm Delete";

// The question asked before deleting: the item by name, several items by their number.
std::wstring DeleteQuestion(IShellFolder* folder, ChildPidls items);

// Asks the user whether to delete the items of folder and, when the answer is yes, deletes them
// without any further question: file-system items through the shell's file operation, to the
// recycle bin where the volume has one, other items through the shell's "delete" command told not
// to ask. True when they were deleted; false when there was nothing to delete or the user said no.
// Raises an error naming the item when an item cannot be deleted (before asking) and when the
// deletion fails.
bool DeleteItems(HWND window, IShellFolder* folder, ChildPidls items);
