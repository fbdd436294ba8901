#include "app/MainForm.h"

#include "../res/resource.h"
#include "app/FileTypes.h"
#include "app/Product.h"
#include "app/ShellListItems.h"
#include "shellctl/FolderBrowseDlg.h"
#include "ui/Application.h"

namespace {

constexpr int kInitialWidth = 500;
constexpr int kInitialHeight = 454;

// Image list indexes.
constexpr int kImageSelectFiles = 0;
constexpr int kImageHelp = 1;
constexpr int kImageWebsite = 2;
constexpr int kImageAbout = 3;
constexpr int kImageBrowse = 4;
constexpr int kImageScanFolders = 13;

int S(int pixels) { return ui::Scale(pixels); }

}  // namespace

TMainFormResources::TMainFormResources()
    : ImageList1(std::make_unique<ui::ImageList>(IDB_IMAGES, 16)),
      formFont_(ui::CreateUiFont(L"Tahoma", 8, true)),
      pageFont_(ui::CreateUiFont(L"Tahoma", 8)),
      panelFont_(ui::CreateUiFont(L"MS Sans Serif", 8)) {}

TMainForm::TMainForm()
    : ui::Form(kProductCaption, S(kInitialWidth), S(kInitialHeight)), settingsKey_(kSettingsKey) {
    SetFont(formFont_.Get());
    SetConstraints({S(500), S(200)});
    BuildLayout();
    BuildMenu();
    BindEvents();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildLayout() {
    FindFile1 = std::make_unique<findfile::TFindFile>();
    PTFolderBrowseDlg1 = std::make_unique<shellctl::TPTFolderBrowseDlg>(this);
    TopRule = std::make_unique<ui::Panel>(*this, 0, 0, 0, S(4), ui::Panel::Bevel::TopRule);
    TopRule->SetAlign(ui::Align::Top);

    StatusBar = std::make_unique<ui::StatusBar>(*this, std::vector<int>{S(150), S(500)});
    StatusBar->SetFont(pageFont_.Get());
    StatusBar->SetPanelText(1, kStatusNotice);

    PanelRight = std::make_unique<ui::Panel>(*this, 0, 0, S(240), 0);
    PanelRight->SetConstraints({S(240), 0});
    PanelRight->SetAlign(ui::Align::Right);
    PanelRight->SetFont(panelFont_.Get());
    Splitter2 = std::make_unique<ui::Splitter>(*this, ui::Align::Right, *PanelRight, S(200));

    PageControl1 = std::make_unique<ui::PageControl>(*this, 0, 0, S(250), S(380));
    PageControl1->SetFont(pageFont_.Get());
    PageControl1->SetImages(ImageList1->Handle());
    PageControl1->SetConstraints({S(200), S(380)});
    PageControl1->SetAlign(ui::Align::Client);
    TabSheet1 = &PageControl1->AddPage(L"Select files", kImageSelectFiles);
    TabSheet2 = &PageControl1->AddPage(L"Scan folder(s)", kImageScanFolders);

    BuildSelectFilesTab();
    BuildScanTab();
    BuildRightPanel();
    Realign();
}

void TMainForm::BuildSelectFilesTab() {
    ui::TabSheet& page = *TabSheet1;
    PanelFilter = std::make_unique<ui::Panel>(page, 0, 0, 0, S(30));
    PanelFilter->SetAlign(ui::Align::Bottom);
    ComboFilter = std::make_unique<ui::ComboBox>(*PanelFilter, ui::ComboBox::Style::DropDown, S(4),
                                                 S(4), S(200), S(200));
    ComboFilter->SetItems(FileTypeItems());
    ComboFilter->SetText(kAllSupportedFileTypes);
    ComboFilter->AnchorRight();

    // The folder tree above the file list, which shows the tree's folder.
    BuildShellTree(page);
    Splitter1 = std::make_unique<ui::Splitter>(page, ui::Align::Top, *PTShellTree1, S(50));
    BuildShellList(page);
    PTShellTree1->SetShellList(PTShellList1.get());
    page.Realign();
}

void TMainForm::BuildShellTree(ui::Window& page) {
    PTShellTree1 = std::make_unique<shellctl::TPTShellTree>();
    shellctl::TPTShellTree& tree = *PTShellTree1;
    tree.SetHideSelection(false);
    tree.SetIndent(S(19));
    tree.Create(page, RECT{0, 0, S(200), S(102)});
    tree.SetConstraints({0, S(40)});
    tree.SetAlign(ui::Align::Top);
}

void TMainForm::BuildShellList(ui::Window& page) {
    using namespace shellctl;
    PTShellList1 = std::make_unique<TPTShellList>();
    TPTShellList& list = *PTShellList1;
    list.SetOptions({ptsloAutoFill, ptsloDefaultKeyHandling, ptsloContextMenus,
                     ptsloHideFoldersWhenLinkedToTree, ptsloFolderContextMenu, ptsloShowHidden});
    list.SetFileFilter(L"*.*");
    list.SetViewStyle(LV_VIEW_DETAILS);
    list.SetMultiSelect(true);
    list.SetRowSelect(true);
    list.SetHideSelection(false);
    list.Create(page, RECT{0, 0, S(200), S(90)});
    list.SetConstraints({0, S(90)});
    list.SetAlign(ui::Align::Client);
    shellListItems_ = std::make_unique<ShellListItems>(list);
    fileListItems_ = shellListItems_.get();
}

void TMainForm::BuildScanTab() {
    ui::TabSheet& page = *TabSheet2;
    const int x = S(8), w = S(214);
    lblStartFolder = std::make_unique<ui::Label>(page, L"Start folder:", x, S(8), w, S(14));
    editFolder = std::make_unique<ui::ComboBox>(page, ui::ComboBox::Style::DropDown, x, S(24),
                                                w - S(26), S(200));
    editFolder->AnchorRight();
    btnBrowse = std::make_unique<ui::Button>(page, L"", x + w - S(22), S(23), S(23), S(23));
    browseIcon_.Reset(ImageList_GetIcon(ImageList1->Handle(), kImageBrowse, ILD_TRANSPARENT));
    btnBrowse->SetIcon(browseIcon_.Get());
    cbSubFolders = std::make_unique<ui::CheckBox>(page, L"Include subfolders", x, S(52), w, S(17));

    lblFileTypes = std::make_unique<ui::Label>(page, L"File types:", x, S(78), w, S(14));
    comboFileExt =
        std::make_unique<ui::ComboBox>(page, ui::ComboBox::Style::DropDown, x, S(94), w, S(200));
    comboFileExt->SetItems(FileTypeItems());
    comboFileExt->SetText(L"*.txt");
    comboFileExt->AnchorRight();
    lblFileTypesHint = std::make_unique<ui::Label>(
        page, L"Select any file type(s) in the list above, or enter your own filter", x, S(120), w,
        S(28), true);
    lblFileTypesHint->AnchorRight();

    cbFileSize = std::make_unique<ui::CheckBox>(page, L"Size:", x, S(156), S(60), S(17));
    lblAtLeast = std::make_unique<ui::Label>(page, L"At least:", S(24), S(176), S(70), S(14));
    SizeMin = std::make_unique<ui::SpinEdit>(page, S(24), S(192), S(72), S(21), 1, 10);
    lblAtMost = std::make_unique<ui::Label>(page, L"At most:", S(108), S(176), S(70), S(14));
    SizeMax = std::make_unique<ui::SpinEdit>(page, S(108), S(192), S(72), S(21), 100, 10);
    lblKB = std::make_unique<ui::Label>(page, L"KB", S(186), S(195), S(24), S(14));
    SizeMin->SetEnabled(false);
    SizeMax->SetEnabled(false);

    cbDate = std::make_unique<ui::CheckBox>(page, L"Date:", x, S(226), S(60), S(17));
    comboDateRange = std::make_unique<ui::ComboBox>(page, ui::ComboBox::Style::DropDownList, S(24),
                                                    S(246), S(156), S(120));
    comboDateRange->SetItems({L"Modified date", L"Created date", L"Accessed date"});
    AD = std::make_unique<ui::CheckBox>(page, L"From date:", S(24), S(278), S(80), S(17));
    AfterDate = std::make_unique<ui::DateTimePicker>(page, S(106), S(276), S(100), S(21));
    BD = std::make_unique<ui::CheckBox>(page, L"To date:", S(24), S(306), S(80), S(17));
    BeforeDate = std::make_unique<ui::DateTimePicker>(page, S(106), S(304), S(100), S(21));
    for (ui::Window* control : std::initializer_list<ui::Window*>{
             comboDateRange.get(), AD.get(), AfterDate.get(), BD.get(), BeforeDate.get()})
        control->SetEnabled(false);
}

void TMainForm::BuildRightPanel() {
    ui::Panel& panel = *PanelRight;
    PanelTopOnRigthSide = std::make_unique<ui::Panel>(panel, 0, 0, 0, S(237));
    PanelTopOnRigthSide->SetAlign(ui::Align::Top);
    ui::Panel& top = *PanelTopOnRigthSide;
    const int x = S(8), w = S(224);
    lblFind = std::make_unique<ui::Label>(top, L"Text to find", x, S(8), w, S(14));
    edtFind =
        std::make_unique<ui::ComboBox>(top, ui::ComboBox::Style::DropDown, x, S(24), w, S(200));
    edtFind->AnchorRight();
    lblReplace = std::make_unique<ui::Label>(top, L"Replace with", x, S(52), w, S(14));
    edtReplace =
        std::make_unique<ui::ComboBox>(top, ui::ComboBox::Style::DropDown, x, S(68), w, S(200));
    edtReplace->AnchorRight();
    cbCase = std::make_unique<ui::CheckBox>(top, L"&Case sensitive", x, S(100), w, S(17));
    cbWhole = std::make_unique<ui::CheckBox>(top, L"&Whole words only", x, S(120), w, S(17), true);
    cbBackup =
        std::make_unique<ui::CheckBox>(top, L"&Make backup (*.bak)", x, S(140), w, S(17), true);
    btnStart = std::make_unique<ui::Button>(top, L"&Start", x, S(166), S(96), S(26));
    btnSelectAll = std::make_unique<ui::Button>(top, L"Select all", x, S(204), S(72), S(23));
    cbExtension = std::make_unique<ui::ComboBox>(top, ui::ComboBox::Style::DropDownList, S(86),
                                                 S(205), S(80), S(200));
    cbExtension->SetItems({L"*.*", L"*.txt", L"*.html", L"*.htm", L"*.php", L"*.asp", L"*.shtml",
                           L"*.dhtml", L"*.ini", L"*.diz", L"*.me"});
    Label1 = std::make_unique<ui::Label>(top, L"files", S(172), S(208), S(40), S(14));

    memLog = std::make_unique<ui::Memo>(panel, 0, 0, 0, 0);
    memLog->SetAlign(ui::Align::Client);
}

void TMainForm::BuildMenu() {
    auto menu = std::make_unique<ui::Menu>(ui::Menu::Kind::Bar);
    ui::Menu& file = menu->AddSubMenu(L"File");
    MenuItem_Exit =
        &file.AddItem(L"Exit", [this](ui::MenuItem& item) { MenuItem_ExitClick(item); });
    ui::Menu& help = menu->AddSubMenu(L"Help");
    Help2 = &help.AddItem(L"Help", [this](ui::MenuItem& item) { Help2Click(item); });
    Website1 = &help.AddItem(L"Website", [this](ui::MenuItem& item) { Website1Click(item); });
    About1 = &help.AddItem(L"About", [this](ui::MenuItem& item) { About1Click(item); });
    Help2->SetImage(*ImageList1, kImageHelp);
    Website1->SetImage(*ImageList1, kImageWebsite);
    About1->SetImage(*ImageList1, kImageAbout);
    SetMenu(std::move(menu));
}
