// The options of the shell list: a set over TPTShellListOption, stored as 16 bits whose bit n is
// member n.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace shellctl {

enum TPTShellListOption {
    ptsloAutoFill,                     // fills itself when created, refills when the filter changes
    ptsloNonFilesystemAncestors,       // lists virtual items that lead to no file-system item too
    ptsloDesignInteractive,            // stored only
    ptsloDefaultKeyHandling,           // Backspace, Enter and the shell key bindings
    ptsloContextMenus,                 // the shell's context menu on a right click
    ptsloDontChangeFolder,             // opening a folder or going up does nothing
    ptsloDontGoBelowBase,              // stored only
    ptsloDynamicRefresh,               // watches its folder and refreshes on change
    ptsloHideFoldersWhenLinkedToTree,  // leaves file-system folders to a linked tree
    ptsloOleDrag,                      // items can be dragged out
    ptsloOleDrop,                      // shell items can be dropped in
    ptsloFolderContextMenu,            // stored only
    ptsloShowHidden,                   // hidden items are listed
};

class TPTShellListOptions {
  public:
    constexpr TPTShellListOptions() noexcept = default;
    constexpr TPTShellListOptions(std::initializer_list<TPTShellListOption> members) noexcept {
        for (TPTShellListOption member : members) bits_ |= Bit(member);
    }
    // Bits past the last member are dropped.
    static constexpr TPTShellListOptions FromMask(std::uint16_t mask) noexcept {
        TPTShellListOptions options;
        options.bits_ = std::uint16_t(mask & ((1u << (ptsloShowHidden + 1)) - 1));
        return options;
    }
    constexpr std::uint16_t Mask() const noexcept { return bits_; }
    constexpr bool Contains(TPTShellListOption member) const noexcept {
        return (bits_ & Bit(member)) != 0;
    }
    constexpr TPTShellListOptions& Include(TPTShellListOption member) noexcept {
        bits_ = std::uint16_t(bits_ | Bit(member));
        return *this;
    }
    constexpr TPTShellListOptions& Exclude(TPTShellListOption member) noexcept {
        bits_ = std::uint16_t(bits_ & ~Bit(member));
        return *this;
    }
    friend constexpr bool operator==(TPTShellListOptions, TPTShellListOptions) noexcept = default;

  private:
    static constexpr std::uint16_t Bit(TPTShellListOption member) noexcept {
        return std::uint16_t(1u << member);
    }
    std::uint16_t bits_ = 0;
};

inline constexpr TPTShellListOptions kDefaultShellListOptions{
    ptsloAutoFill,     ptsloNonFilesystemAncestors, ptsloDefaultKeyHandling,
    ptsloContextMenus, ptsloDynamicRefresh,         ptsloOleDrag,
    ptsloOleDrop,      ptsloFolderContextMenu,      ptsloShowHidden};
static_assert(kDefaultShellListOptions.Mask() == 7835);

}  // namespace shellctl
