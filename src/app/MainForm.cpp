#include "app/MainForm.h"

#include <memory>

#include "ui/Application.h"

namespace {
constexpr wchar_t kCaption[] = L"Lumora 2.0 - Velquist Software";
constexpr int kInitialWidth = 500;
constexpr int kInitialHeight = 454;
constexpr int kMinWidth = 500;
constexpr int kMinHeight = 200;
}  // namespace

TMainForm::TMainForm()
    : ui::Form(kCaption, ui::Scale(kInitialWidth), ui::Scale(kInitialHeight)),
      font_(ui::CreateUiFont(L"Tahoma", 8, true)) {
    SetFont(font_.Get());
    SetConstraints({ui::Scale(kMinWidth), ui::Scale(kMinHeight)});
    BuildMenu();
}

void TMainForm::BuildMenu() {
    auto menu = std::make_unique<ui::Menu>(ui::Menu::Kind::Bar);
    ui::Menu& file = menu->AddSubMenu(L"File");
    file.AddItem(L"Exit", [this](ui::MenuItem& item) { MenuItem_ExitClick(item); });
    SetMenu(std::move(menu));
}

void TMainForm::MenuItem_ExitClick(ui::MenuItem&) { Close(); }
