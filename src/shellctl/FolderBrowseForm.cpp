// The folder browse dialog's window: its layout, the layout's answer to a new size, and the
// buttons that make and delete folders.
#include <algorithm>
#include <iterator>
#include <set>
#include <utility>

#include "shell/ShellCommands.h"
#include "shell/ShellDelete.h"
#include "shellctl/FolderBrowseDlg.h"
#include "ui/Font.h"

namespace shellctl {
namespace {

int S(int pixels) { return ui::Scale(pixels); }

// The layout, in pixels at 96 dots per inch.
constexpr int kClientWidth = 358;
constexpr int kClientHeight = 313;
constexpr int kMinTrackWidth = 366;
constexpr int kMinTrackHeight = 340;
constexpr int kMargin = 8;       // around the status line and the tree
constexpr int kButtonEdge = 16;  // from the client's right edge to the last button
constexpr int kButtonGap = 4;    // between OK and Cancel, and between the glyph buttons
constexpr int kGlyphGap = 8;     // between the delete glyph and the one before it
constexpr int kButtonPanelHeight = 35;
constexpr int kGlyphSize = 16;

constexpr TPTShellTreeOptions kTreeOptions{ptstoAutoFill, ptstoVirtualFolders,
                                           ptstoDesignInteractive, ptstoContextMenus,
                                           ptstoDynamicRefresh};

// Draws a glyph in colour, or in black where it is opaque for its mask.
using GlyphPainter = void (*)(HDC dc, bool mask);

void PaintNewFolder(HDC dc, bool mask) {
    const COLORREF fill = mask ? RGB(0, 0, 0) : RGB(0xF2, 0xC1, 0x4E);
    const COLORREF line = mask ? RGB(0, 0, 0) : RGB(0xA5, 0x7D, 0x1C);
    const COLORREF spark = mask ? RGB(0, 0, 0) : RGB(0x2E, 0x8B, 0x3A);
    base::BrushHandle brush(CreateSolidBrush(fill));
    base::PenHandle pen(CreatePen(PS_SOLID, 1, line));
    HGDIOBJ oldBrush = SelectObject(dc, brush.Get());
    HGDIOBJ oldPen = SelectObject(dc, pen.Get());
    const POINT folder[] = {{1, 6}, {6, 6}, {7, 7}, {13, 7}, {13, 14}, {1, 14}};
    Polygon(dc, folder, int(std::size(folder)));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    base::BrushHandle plus(CreateSolidBrush(spark));
    const RECT bars[] = {{12, 0, 14, 6}, {10, 2, 16, 4}};
    for (const RECT& bar : bars) FillRect(dc, &bar, plus.Get());
}

void PaintDelete(HDC dc, bool mask) {
    base::PenHandle pen(CreatePen(PS_SOLID, 3, mask ? RGB(0, 0, 0) : RGB(0xD6, 0x45, 0x41)));
    HGDIOBJ old = SelectObject(dc, pen.Get());
    MoveToEx(dc, 4, 4, nullptr);
    LineTo(dc, 12, 12);
    MoveToEx(dc, 12, 4, nullptr);
    LineTo(dc, 4, 12);
    SelectObject(dc, old);
}

// An icon of the program's own, so that the dialog needs no resources from the program.
base::IconHandle MakeGlyph(GlyphPainter paint) {
    HDC screen = GetDC(nullptr);
    base::MemoryDcHandle dc(CreateCompatibleDC(screen));
    base::BitmapHandle colour(CreateCompatibleBitmap(screen, kGlyphSize, kGlyphSize));
    ReleaseDC(nullptr, screen);
    base::BitmapHandle mask(CreateBitmap(kGlyphSize, kGlyphSize, 1, 1, nullptr));
    const RECT all{0, 0, kGlyphSize, kGlyphSize};
    // Colour on black and black on white: the icon's transparent parts are black in its colour
    // bitmap and white in its mask.
    HGDIOBJ old = SelectObject(dc.Get(), colour.Get());
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    paint(dc.Get(), false);
    SelectObject(dc.Get(), mask.Get());
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    paint(dc.Get(), true);
    SelectObject(dc.Get(), old);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Get();
    info.hbmColor = colour.Get();
    return base::IconHandle(CreateIconIndirect(&info));
}

void PlaceRight(ui::Window& control, int right) {
    const RECT bounds = control.Bounds();
    const int width = bounds.right - bounds.left;
    control.SetBounds(right - width, bounds.top, width, bounds.bottom - bounds.top);
}

}  // namespace

TPTFrmFolderBrowseDlg::TPTFrmFolderBrowseDlg(ui::Window* owner)
    : ui::Form(L"", S(kMinTrackWidth), S(kMinTrackHeight),
               {.owner = owner, .minimizeBox = false, .sizeGrip = true}),
      font_(ui::CreateUiFont(L"MS Sans Serif", 8)),
      newFolderGlyph_(MakeGlyph(PaintNewFolder)),
      deleteGlyph_(MakeGlyph(PaintDelete)) {
    SetFont(font_.Get());
    SetCentreOnFirstShow(false);  // centred when prepared, before any state is applied
    RECT outer{0, 0, S(kClientWidth), S(kClientHeight)};
    AdjustWindowRectEx(&outer, DWORD(GetWindowLongW(Handle(), GWL_STYLE)), FALSE,
                       DWORD(GetWindowLongW(Handle(), GWL_EXSTYLE)));
    SetSize(outer.right - outer.left, outer.bottom - outer.top);
    SetConstraints({S(kMinTrackWidth), S(kMinTrackHeight)});
    BuildLayout();
    BindEvents();
    FormCreate();
    built_ = true;
    FormResize();
}

TPTFrmFolderBrowseDlg::~TPTFrmFolderBrowseDlg() {
    SetDefaultButton(nullptr);
    SetCancelButton(nullptr);
}

void TPTFrmFolderBrowseDlg::BuildLayout() {
    StatusTxt = std::make_unique<TPTFrame>(*this, S(8), S(8), S(281), S(17));
    StatusTxt->SetFrameStyle(ptfsNone);
    StatusTxt->SetFrameSpace(0);
    StatusTxt->SetAlignment(CaptionAlignment::Left);

    // The glyph buttons carry their short hint as their text, for accessibility tools; the
    // icon is what is drawn.
    CreateNewFolderBtn =
        std::make_unique<ui::Button>(*this, L"Create Folder", S(295), S(3), S(23), S(22));
    CreateNewFolderBtn->SetIcon(newFolderGlyph_.Get());
    CreateNewFolderBtn->SetHint(L"Create Folder|Creates a new, empty folder.");
    DeleteFolderBtn = std::make_unique<ui::Button>(*this, L"Delete", S(325), S(3), S(23), S(22));
    DeleteFolderBtn->SetIcon(deleteGlyph_.Get());
    DeleteFolderBtn->SetHint(L"Delete|Deletes the selected items.");

    PTShellTree1 = std::make_unique<TPTShellTree>();
    // Filled once the window is shown, with the options and folders the run gives it.
    autoFillPending_ = kTreeOptions.Contains(ptstoAutoFill);
    PTShellTree1->SetOptions(TPTShellTreeOptions(kTreeOptions).Exclude(ptstoAutoFill));
    PTShellTree1->SetHideSelection(false);
    PTShellTree1->SetIndent(S(19));
    PTShellTree1->Create(*this, RECT{S(8), S(28), S(8 + 341), S(28 + 245)});

    ButtonPanel = std::make_unique<ui::Panel>(*this, 0, 0, S(kClientWidth), S(kButtonPanelHeight));
    ButtonPanel->SetAlign(ui::Align::Bottom);
    OkBtn = std::make_unique<ui::Button>(*ButtonPanel, L"OK", S(12), S(6), S(75), S(23));
    CancelBtn = std::make_unique<ui::Button>(*ButtonPanel, L"Cancel", S(92), S(6), S(75), S(23));
    CreateBtn =
        std::make_unique<ui::Button>(*ButtonPanel, L"&Create...", S(186), S(6), S(75), S(23));
    DeleteBtn =
        std::make_unique<ui::Button>(*ButtonPanel, L"&Delete...", S(266), S(6), S(75), S(23));
    OkBtn->SetModalResult(ui::ModalResult::Ok);
    CancelBtn->SetModalResult(ui::ModalResult::Cancel);
    SetDefaultButton(OkBtn.get());
    SetCancelButton(CancelBtn.get());
}

void TPTFrmFolderBrowseDlg::BindEvents() {
    PTShellTree1->OnChange = [this](TPTCustomShellTree&, HTREEITEM node) {
        PTShellTree1Change(node);
    };
    CreateBtn->OnClick = [this](ui::Window& sender) { CreateBtnClick(sender); };
    CreateNewFolderBtn->OnClick = [this](ui::Window& sender) { CreateBtnClick(sender); };
    DeleteBtn->OnClick = [this](ui::Window& sender) { DeleteBtnClick(sender); };
    DeleteFolderBtn->OnClick = [this](ui::Window& sender) { DeleteBtnClick(sender); };
}

void TPTFrmFolderBrowseDlg::FormCreate() { PTShellTree1->SetShowRoot(true); }

void TPTFrmFolderBrowseDlg::ApplyOptions(TPTFolderBrowseDlgOptions options) {
    TPTShellTreeOptions tree = PTShellTree1->Options();
    const auto follow = [&](TPTShellTreeOption treeOption, TPTFolderBrowseDlgOption option) {
        if (options.Contains(option))
            tree.Include(treeOption);
        else
            tree.Exclude(treeOption);
    };
    follow(ptstoOleDrag, ptfbOleDrag);
    follow(ptstoOleDrop, ptfbOleDrop);
    follow(ptstoIncludeNonFolders, ptfbIncludeNonFolders);
    follow(ptstoVirtualFolders, ptfbVirtualFolders);
    follow(ptstoContextMenus, ptfbContextMenus);
    follow(ptstoShowHidden, ptfbShowHidden);
    PTShellTree1->SetOptions(tree);
    CreateBtn->SetVisible(options.Contains(ptfbCreateDeleteButtons));
    DeleteBtn->SetVisible(options.Contains(ptfbCreateDeleteButtons));
    CreateNewFolderBtn->SetVisible(options.Contains(ptfbCreateFolderIcon));
    DeleteFolderBtn->SetVisible(options.Contains(ptfbDeleteFolderIcon));
    PTShellTree1->SetReadOnly(options.Contains(ptfbReadOnly));
    options_ = options;
    FormResize();
}

void TPTFrmFolderBrowseDlg::Resized() {
    ui::Form::Resized();
    FormResize();
}

// Everything is placed from the client area, so that no frame width can push a control past
// the window's edge.
void TPTFrmFolderBrowseDlg::FormResize() {
    if (!built_ || IsIconic(Handle())) return;
    const RECT client = ClientRect();
    const RECT status = StatusTxt->Bounds();
    const RECT tree = PTShellTree1->Bounds();
    const int treeTop = status.bottom + S(kMargin);
    const int treeBottom = ButtonPanel->Top() - S(kMargin);
    PTShellTree1->SetBounds(tree.left, treeTop,
                            std::max(0, int(client.right - S(kMargin) - tree.left)),
                            std::max(0, treeBottom - treeTop));

    if (options_.Contains(ptfbCreateDeleteButtons)) {
        PlaceRight(*OkBtn, tree.left + OkBtn->Width());
        PlaceRight(*CancelBtn, OkBtn->Left() + OkBtn->Width() + S(kButtonGap) + CancelBtn->Width());
    } else {
        PlaceRight(*CancelBtn, client.right - S(kButtonEdge));
        PlaceRight(*OkBtn, CancelBtn->Left() - S(kButtonGap));
    }

    int x = client.right - S(kButtonEdge);
    if (DeleteFolderBtn->Visible()) {
        PlaceRight(*DeleteFolderBtn, x);
        x = DeleteFolderBtn->Left() - S(kGlyphGap);
    }
    if (CreateNewFolderBtn->Visible()) {
        PlaceRight(*CreateNewFolderBtn, x);
        x = CreateNewFolderBtn->Left() - S(kButtonGap);
    }
    StatusTxt->SetBounds(status.left, status.top, std::max(0, x - int(status.left)),
                         status.bottom - status.top);
}

void TPTFrmFolderBrowseDlg::DoShow() {
    ui::Form::DoShow();
    if (std::exchange(autoFillPending_, false)) {
        PTShellTree1->SetOptions(
            TPTShellTreeOptions(PTShellTree1->Options()).Include(ptstoAutoFill));
        PTShellTree1->Refill();
    }
    if (windowState_ == wsMaximized) ShowWindow(Handle(), SW_SHOWMAXIMIZED);
    if (Text().empty()) SetText(kFolderBrowseDlgTitle);
    if (OnFormShow) OnFormShow(*this);
}

void TPTFrmFolderBrowseDlg::DoClose() {
    ui::Form::DoClose();
    if (OnFormClose) OnFormClose(*this);
}

void TPTFrmFolderBrowseDlg::PTShellTree1Change(HTREEITEM node) {
    TPTShTreeData* data = PTShellTree1->ShellDataOf(node);
    if (data == nullptr) return;
    const bool hasPath = !data->GetPath().empty();
    const bool deletable = hasPath && node != PTShellTree1->RootNode();
    CreateBtn->SetEnabled(hasPath);
    CreateNewFolderBtn->SetEnabled(hasPath);
    DeleteBtn->SetEnabled(deletable);
    DeleteFolderBtn->SetEnabled(deletable);
    if (OnSelChange) OnSelChange(*this, data->GetAbsIdList());
}

// Makes a folder in the selected one and selects it while its name is edited. The tree does
// not say which node is new: the selected node is filled first, so the new node is the child
// that was not there before.
void TPTFrmFolderBrowseDlg::CreateBtnClick(ui::Window&) {
    TPTShellTree& tree = *PTShellTree1;
    HTREEITEM parent = tree.Selected();
    if (tree.ShellDataOf(parent) == nullptr) return;
    tree.Expand(parent);
    std::set<std::wstring> before;
    for (HTREEITEM child = tree.FirstChild(parent); child; child = tree.NextSibling(child))
        before.insert(tree.NodeText(child));
    tree.SetFocus();
    if (!tree.CreateNewFolder()) return;
    parent = tree.Selected();
    for (HTREEITEM child = tree.FirstChild(parent); child; child = tree.NextSibling(child)) {
        if (before.count(tree.NodeText(child)) == 0) {
            tree.Select(child);
            break;
        }
    }
}

// Deletes the selected folder after the program's one question, never unasked.
void TPTFrmFolderBrowseDlg::DeleteBtnClick(ui::Window&) {
    HTREEITEM node = PTShellTree1->Selected();
    TPTShTreeData* data = PTShellTree1->ShellDataOf(node);
    if (data == nullptr || node == PTShellTree1->RootNode() || data->GetPath().empty()) return;
    IShellFolder* parent = data->GetParentFolder();
    if (parent == nullptr) return;
    const ITEMIDLIST* item = data->RelIdList();
    try {
        if (!DeleteItems(ShellWindow(PTShellTree1->Handle()), parent, ChildPidls(&item, 1))) return;
    } catch (...) {
        // Part of it may be gone.
        PTShellTree1->RefreshNodes();
        throw;
    }
    PTShellTree1->RefreshNodes();
}

}  // namespace shellctl
