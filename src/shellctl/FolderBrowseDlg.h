// The folder browse dialog: a modal, resizable window in which the user picks one folder of the
// shell namespace from a shell tree, optionally making or deleting folders on the way.
//
//   TPTFolderBrowseDlg browse(&mainForm);
//   browse.SetSelectedFolderPath(L"C:\\work");      // where the tree opens
//   if (browse.Execute()) use(browse.SelectedFolderPath());   // empty for a virtual folder
//
// The component (TPTCustomFolderBrowseDlg) keeps the chosen folder and the window's size between
// runs; the window (TPTFrmFolderBrowseDlg) is made afresh for each run. FolderBrowseDlg.cpp holds
// the component, FolderBrowseForm.cpp the window.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include <windows.h>

#include "base/Handle.h"
#include "shell/ShellLocator.h"
#include "shellctl/PTDialog.h"
#include "shellctl/PTFrame.h"
#include "shellctl/ShellTree.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace shellctl {

enum TPTFolderBrowseDlgOption : unsigned {
    ptfbCreateDeleteButtons,  // "&Create..." and "&Delete..."; OK and Cancel move to the left
    ptfbContextMenus,         // the tree's ptstoContextMenus
    ptfbReadOnly,             // no renaming in the tree
    ptfbIncludeNonFolders,    // the tree's ptstoIncludeNonFolders
    ptfbOleDrag,              // the tree's ptstoOleDrag
    ptfbOleDrop,              // the tree's ptstoOleDrop
    ptfbCreateFolderIcon,     // the small new-folder button
    ptfbDeleteFolderIcon,     // the small delete button
    ptfbVirtualFolders,       // the tree's ptstoVirtualFolders
    ptfbShowHidden,           // the tree's ptstoShowHidden
};

// A set of dialog options: bit n is member n.
class TPTFolderBrowseDlgOptions {
  public:
    constexpr TPTFolderBrowseDlgOptions() noexcept = default;
    constexpr TPTFolderBrowseDlgOptions(
        std::initializer_list<TPTFolderBrowseDlgOption> members) noexcept {
        for (TPTFolderBrowseDlgOption member : members) Include(member);
    }
    static constexpr TPTFolderBrowseDlgOptions FromMask(std::uint16_t mask) noexcept {
        TPTFolderBrowseDlgOptions options;
        options.bits_ = mask;
        return options;
    }
    constexpr std::uint16_t Mask() const noexcept { return bits_; }
    constexpr bool Contains(TPTFolderBrowseDlgOption member) const noexcept {
        return (bits_ & (1u << member)) != 0;
    }
    constexpr TPTFolderBrowseDlgOptions& Include(TPTFolderBrowseDlgOption member) noexcept {
        bits_ |= std::uint16_t(1u << member);
        return *this;
    }
    friend constexpr bool operator==(TPTFolderBrowseDlgOptions,
                                     TPTFolderBrowseDlgOptions) noexcept = default;

  private:
    std::uint16_t bits_ = 0;
};

inline constexpr TPTFolderBrowseDlgOptions kDefaultFolderBrowseDlgOptions{
    ptfbContextMenus, ptfbCreateFolderIcon, ptfbDeleteFolderIcon, ptfbShowHidden};
static_assert(kDefaultFolderBrowseDlgOptions.Mask() == 0x2C2);

// The caption of a dialog without a title of its own.
inline constexpr wchar_t kFolderBrowseDlgTitle[] = L"Browse for Folder";

// The selected folder's absolute list (the empty list for the desktop).
using TPTFolderBrowseSelChangeEvent =
    std::function<void(ui::Window& aSender, const ITEMIDLIST* aNewSel)>;

// The dialog window.
class TPTFrmFolderBrowseDlg : public ui::Form {
  public:
    explicit TPTFrmFolderBrowseDlg(ui::Window* owner = nullptr);
    ~TPTFrmFolderBrowseDlg() override;

    // Shows the buttons and sets the tree's options the dialog options ask for.
    void ApplyOptions(TPTFolderBrowseDlgOptions options);
    TPTFolderBrowseDlgOptions Options() const noexcept { return options_; }
    // The state the window is shown in.
    void SetWindowState(TWindowState state) noexcept { windowState_ = state; }

    // Handlers, named after their control and event.
    void FormCreate();
    void FormResize();
    void PTShellTree1Change(HTREEITEM node);
    void CreateBtnClick(ui::Window& Sender);
    void DeleteBtnClick(ui::Window& Sender);

    TPTFolderBrowseSelChangeEvent OnSelChange;
    ui::NotifyEvent OnFormShow;
    ui::NotifyEvent OnFormClose;

    // The layout, under its names.
    std::unique_ptr<TPTFrame> StatusTxt;
    std::unique_ptr<ui::Button> CreateNewFolderBtn;
    std::unique_ptr<ui::Button> DeleteFolderBtn;
    std::unique_ptr<TPTShellTree> PTShellTree1;
    std::unique_ptr<ui::Panel> ButtonPanel;
    std::unique_ptr<ui::Button> OkBtn;
    std::unique_ptr<ui::Button> CancelBtn;
    std::unique_ptr<ui::Button> CreateBtn;
    std::unique_ptr<ui::Button> DeleteBtn;

  protected:
    void DoShow() override;
    void DoClose() override;
    void Resized() override;

  private:
    void BuildLayout();
    void BindEvents();

    base::FontHandle font_;
    base::IconHandle newFolderGlyph_;
    base::IconHandle deleteGlyph_;
    TPTFolderBrowseDlgOptions options_ = kDefaultFolderBrowseDlgOptions;
    TWindowState windowState_ = wsNormal;
    // The tree is not filled while the window is built: it is filled once, when shown.
    bool autoFillPending_ = false;
    bool built_ = false;
};

// The component: what the dialog opens with and what it gave back.
class TPTCustomFolderBrowseDlg : public TPTDialog {
  public:
    explicit TPTCustomFolderBrowseDlg(ui::Window* owner = nullptr) noexcept : TPTDialog(owner) {}

    // The caption; empty means "Browse for Folder".
    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(std::wstring title) { title_ = std::move(title); }
    TPTFolderBrowseDlgOptions Options() const noexcept { return options_; }
    void SetOptions(TPTFolderBrowseDlgOptions options) noexcept { options_ = options; }
    // The root of the dialog's tree (the desktop when empty).
    TPTShellLocator& BaseFolder() noexcept { return baseFolder_; }
    void SetBaseFolder(const TPTShellLocator& folder) { baseFolder_.Assign(&folder); }
    // The folder selected when the dialog opens, and the one chosen when it was confirmed.
    TPTShellLocator& SelectedFolder() noexcept { return selectedFolder_; }
    void SetSelectedFolder(const TPTShellLocator& folder) { selectedFolder_.Assign(&folder); }
    // The selected folder's file-system path: empty for a virtual folder. A path the shell
    // cannot parse selects the desktop.
    std::wstring SelectedFolderPath() const { return selectedFolder_.Path(); }
    void SetSelectedFolderPath(const std::wstring& path) { selectedFolder_.SetPath(path); }
    // The text of the dialog's status line.
    const std::wstring& StatusText() const noexcept { return statusText_; }
    void SetStatusText(std::wstring text) { statusText_ = std::move(text); }

    // The dialog window while a run has one.
    TPTFrmFolderBrowseDlg* ActiveForm() const noexcept { return form_; }

    TPTFolderBrowseSelChangeEvent OnSelChange;
    TPTCustomShellTree::TPTShAddItemEvent OnAddItem;
    TPTShTvCustomDrawEvent OnTvCustomDrawSh;
    TPTShTvCustomDrawEvent OnTvCustomDrawShEx;
    ui::NotifyEvent OnFormShow;
    ui::NotifyEvent OnFormClose;

  protected:
    std::wstring ClassName() const override { return L"TPTCustomFolderBrowseDlg"; }
    // A run: create the window, prepare it, OnInitialized, show it modally, read it back. On
    // any failure the window goes and the cursor comes back before the error passes on.
    bool DoExecute() override;
    virtual std::unique_ptr<TPTFrmFolderBrowseDlg> CreateForm();
    virtual void PrepareForm(TPTFrmFolderBrowseDlg& form);
    virtual ui::ModalResult ShowForm(TPTFrmFolderBrowseDlg& form);
    virtual void ReadBack(TPTFrmFolderBrowseDlg& form, ui::ModalResult result);

  private:
    std::wstring title_;
    TPTFolderBrowseDlgOptions options_ = kDefaultFolderBrowseDlgOptions;
    TPTShellLocator baseFolder_;
    TPTShellLocator selectedFolder_;
    std::wstring statusText_;
    TPTFrmFolderBrowseDlg* form_ = nullptr;
};

// The dialog as the program places it; all behaviour is TPTCustomFolderBrowseDlg's.
class TPTFolderBrowseDlg : public TPTCustomFolderBrowseDlg {
  public:
    using TPTCustomFolderBrowseDlg::TPTCustomFolderBrowseDlg;

  protected:
    std::wstring ClassName() const override { return L"TPTFolderBrowseDlg"; }
};

}  // namespace shellctl
