#include "ui/PageControl.h"

#include <algorithm>

namespace ui {
namespace {
constexpr wchar_t kPageControlClass[] = L"LumoraPageControl";
}

// The tab strip: a common tab control filling the page control, below the pages.
class PageControl::Tabs : public Window {
  public:
    explicit Tabs(PageControl& owner) : owner_(owner) {
        CreateParams params;
        params.className = WC_TABCONTROLW;
        params.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | TCS_HOTTRACK |
                       TCS_FOCUSONBUTTONDOWN;
        const RECT area = owner.ClientRect();
        params.width = area.right;
        params.height = area.bottom;
        Create(&owner, params);
    }

  protected:
    bool HandleNotify(NMHDR& header, LRESULT& result) override {
        if (header.code != TCN_SELCHANGE) return false;
        owner_.TabChanged();
        result = 0;
        return true;
    }

  private:
    PageControl& owner_;
};

TabSheet::TabSheet(PageControl& owner, const std::wstring& caption, int)
    : Panel(owner, 0, 0, 0, 0), owner_(owner), caption_(caption) {}

int TabSheet::PageIndex() const {
    for (int i = 0; i < owner_.PageCount(); ++i) {
        if (&owner_.Page(i) == this) return i;
    }
    return -1;
}

PageControl::PageControl(Window& parent, int x, int y, int width, int height) {
    RegisterClass(kPageControlClass);
    CreateParams params;
    params.className = kPageControlClass;
    params.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
    params.exStyle = WS_EX_CONTROLPARENT;
    params.SetBounds(x, y, width, height);
    Create(&parent, params);
    tabs_ = std::make_unique<Tabs>(*this);
}

PageControl::~PageControl() {
    pages_.clear();
    tabs_.reset();
}

TabSheet& PageControl::AddPage(const std::wstring& caption, int imageIndex) {
    auto page = std::make_unique<TabSheet>(*this, caption, imageIndex);
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    item.iImage = imageIndex;
    tabs_->Send(TCM_INSERTITEMW, WPARAM(pages_.size()), LPARAM(&item));
    // Pages lie above the tab strip.
    SetWindowPos(page->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    pages_.push_back(std::move(page));
    if (ActivePageIndex() < 0) tabs_->Send(TCM_SETCURSEL, 0);
    ShowActivePage();
    return *pages_.back();
}

int PageControl::ActivePageIndex() const { return int(tabs_->Send(TCM_GETCURSEL)); }

TabSheet* PageControl::ActivePage() const {
    const int index = ActivePageIndex();
    return index >= 0 && index < PageCount() ? pages_[size_t(index)].get() : nullptr;
}

void PageControl::SetActivePageIndex(int index) {
    tabs_->Send(TCM_SETCURSEL, WPARAM(index));
    ShowActivePage();
}

void PageControl::SelectPage(int index) {
    if (index == ActivePageIndex()) return;
    SetActivePageIndex(index);
    if (OnChange) OnChange(*this);
}

void PageControl::TabChanged() {
    ShowActivePage();
    if (OnChange) OnChange(*this);
}

void PageControl::SetImages(HIMAGELIST images) { tabs_->Send(TCM_SETIMAGELIST, 0, LPARAM(images)); }

void PageControl::SetFont(HFONT font) {
    Window::SetFont(font);
    if (tabs_) tabs_->SetFont(font);
    for (auto& page : pages_) page->SetFont(font);
}

void PageControl::ShowActivePage() {
    RECT area = ClientRect();
    tabs_->SetBounds(0, 0, area.right, area.bottom);
    tabs_->Send(TCM_ADJUSTRECT, FALSE, LPARAM(&area));
    const int active = ActivePageIndex();
    for (int i = 0; i < PageCount(); ++i) {
        TabSheet& page = *pages_[size_t(i)];
        page.SetBounds(area.left, area.top, std::max<LONG>(area.right - area.left, 0),
                       std::max<LONG>(area.bottom - area.top, 0));
        // Hide before showing, so that focus never rests on a hidden page.
        if (i != active) page.SetVisible(false);
    }
    if (TabSheet* page = ActivePage()) page->SetVisible(true);
}

void PageControl::Resized() {
    if (tabs_) ShowActivePage();
}

}  // namespace ui
