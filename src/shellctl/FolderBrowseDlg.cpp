// The folder browse dialog's component: one run of the window, from its creation to reading
// back what the user chose.
#include "shellctl/FolderBrowseDlg.h"

#include <optional>

#include "base/Error.h"
#include "shellctl/ShellTreeScopes.h"
#include "ui/Cursor.h"

namespace shellctl {

bool TPTCustomFolderBrowseDlg::DoExecute() {
    if (form_ != nullptr) throw base::Error(ClassName() + L" form already active");
    std::optional<ui::CursorGuard> hourglass(std::in_place);
    std::unique_ptr<TPTFrmFolderBrowseDlg> form = CreateForm();
    // Runs before the window goes, on every path.
    Finally forget([this] { form_ = nullptr; });
    PrepareForm(*form);
    form_ = form.get();
    DoInitialized();
    // The user must not wait under the hourglass; filling the tree shows it again meanwhile.
    hourglass.reset();
    const ui::ModalResult result = ShowForm(*form);
    ReadBack(*form, result);
    return result == ui::ModalResult::Ok;
}

std::unique_ptr<TPTFrmFolderBrowseDlg> TPTCustomFolderBrowseDlg::CreateForm() {
    return std::make_unique<TPTFrmFolderBrowseDlg>(OwnerWindow());
}

void TPTCustomFolderBrowseDlg::PrepareForm(TPTFrmFolderBrowseDlg& form) {
    form.OnSelChange = OnSelChange;
    form.OnFormShow = OnFormShow;
    form.OnFormClose = OnFormClose;
    TPTShellTree& tree = *form.PTShellTree1;
    tree.OnAddItem = OnAddItem;
    tree.OnCustomDrawSh = OnTvCustomDrawSh;
    tree.OnCustomDrawShEx = OnTvCustomDrawShEx;
    form.StatusTxt->SetCaption(statusText_);
    ApplyFormSize(form);
    form.SetWindowState(OpeningState());
    form.ApplyOptions(options_);
    form.SetText(title_.empty() ? kFolderBrowseDlgTitle : title_);
    // The base folder first: changing it forgets the tree's folder.
    tree.SetBaseFolder(baseFolder_);
    tree.SetFolder(selectedFolder_);
}

ui::ModalResult TPTCustomFolderBrowseDlg::ShowForm(TPTFrmFolderBrowseDlg& form) {
    return form.ShowModal();
}

void TPTCustomFolderBrowseDlg::ReadBack(TPTFrmFolderBrowseDlg& form, ui::ModalResult result) {
    ReadFormPlacement(form);
    if (result == ui::ModalResult::Ok) selectedFolder_.Assign(&form.PTShellTree1->CurrentFolder());
}

}  // namespace shellctl
