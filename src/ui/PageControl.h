// A set of pages with tabs, one page shown at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "ui/Controls.h"
#include "ui/Window.h"

namespace ui {

class PageControl;

// One page: a container for the page's controls.
class TabSheet : public Panel {
  public:
    TabSheet(PageControl& owner, const std::wstring& caption, int imageIndex);
    const std::wstring& Caption() const noexcept { return caption_; }
    int PageIndex() const;

  private:
    PageControl& owner_;
    std::wstring caption_;
};

class PageControl : public Window {
  public:
    PageControl(Window& parent, int x, int y, int width, int height);
    ~PageControl() override;

    TabSheet& AddPage(const std::wstring& caption, int imageIndex = -1);
    int PageCount() const noexcept { return int(pages_.size()); }
    TabSheet& Page(int index) const { return *pages_.at(size_t(index)); }
    const std::vector<std::unique_ptr<TabSheet>>& Pages() const noexcept { return pages_; }

    int ActivePageIndex() const;
    TabSheet* ActivePage() const;
    // Shows a page as a click on its tab would, but raises no event.
    void SetActivePageIndex(int index);
    // Shows a page and raises OnChange, as a click on its tab does.
    void SelectPage(int index);

    void SetImages(HIMAGELIST images);
    // The tab strip and every page take the font too.
    void SetFont(HFONT font) override;

    // The user chose another page.
    NotifyEvent OnChange;

  protected:
    void Resized() override;

  private:
    class Tabs;
    friend class Tabs;
    void ShowActivePage();
    void TabChanged();

    std::unique_ptr<Tabs> tabs_;
    std::vector<std::unique_ptr<TabSheet>> pages_;
};

}  // namespace ui
