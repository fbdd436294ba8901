// Menu command identifiers. The program's own menu items take theirs from a range that no shell
// context menu uses: the shell's menus are filled with identifiers from 1 to 0x7FFF (Send To
// items 1 to 999, the shell's own commands 1000 to 0x7FFF), the dialog manager sends IDOK (1)
// and IDCANCEL (2), and the window menu's commands start at 0xF000. So a command the shell
// returns, or a dialog key, can never be taken for one of ours.
//
// ui::MenuItem draws its identifier from ProgramCommandIds() and gives it back when it is
// destroyed; other code needs this only to keep its own identifiers out of the same range.
#pragma once

#include <set>

#include <windows.h>

namespace ui {

constexpr UINT kFirstProgramCommandId = 0x8000;
constexpr UINT kLastProgramCommandId = 0xEFFF;

// Identifiers of a bounded range, each handed out once until it is given back; the lowest free
// one comes first, so identifiers are reused as menus come and go.
class CommandIdRange {
  public:
    CommandIdRange(UINT first, UINT last) noexcept : first_(first), next_(first), last_(last) {}
    CommandIdRange(const CommandIdRange&) = delete;
    CommandIdRange& operator=(const CommandIdRange&) = delete;

    // Raises "No menu command identifier is free" when every one is in use.
    UINT Allocate();
    // Gives an identifier back; one that is not in use is ignored.
    void Free(UINT id) noexcept;
    bool Contains(UINT id) const noexcept { return id >= first_ && id <= last_; }

  private:
    UINT first_;
    UINT next_;  // the lowest identifier never handed out
    UINT last_;
    std::set<UINT> freed_;
};

// The range of the program's menu items: kFirstProgramCommandId to kLastProgramCommandId.
CommandIdRange& ProgramCommandIds();

}  // namespace ui
