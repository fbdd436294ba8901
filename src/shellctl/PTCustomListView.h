// The base of the shell list: the common list view with a context-menu event per item reached
// the same way by mouse and keyboard, light custom-draw objects, care for system colours, and a
// sort mark in the column headers.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "shellctl/PTCustomDraw.h"
#include "shellctl/SortHeader.h"
#include "shellctl/ViewControl.h"

namespace shellctl {

class TPTCustomListView;

// The handler may move the point (client coordinates), replace the menu, or set it to none to
// show nothing. aItem is -1 when there is no item.
using TPTLvOnItemContextMenuEvent =
    std::function<void(TPTCustomListView& aSender, int aItem, POINT& aPos, ui::Menu*& aMenu)>;

class TPTCustomListView : public ViewControl {
  public:
    // Phase one; the window comes with Create (a report view showing its selection always).
    TPTCustomListView();
    ~TPTCustomListView() override;

    // The column that shows the sort mark (-1: none), and its direction (1 ascending, 0
    // descending).
    int SortColumn() const noexcept { return sortColumn_; }
    void SetSortColumn(int column);
    int SortDirection() const noexcept { return sortDirection_; }
    void SetSortDirection(int direction);
    // Stays ptlvNone with common controls up to 4.69, whose headers cannot show a mark.
    TPTLvHeaderSortDisplayMode HeaderSortDisplayMode() const noexcept { return sortMode_; }
    void SetHeaderSortDisplayMode(TPTLvHeaderSortDisplayMode mode);
    // The header control (report view), or none.
    HWND Header() const;
    // Brackets a rebuild of the columns: the header items are rewritten for the sort mark, and the
    // header repainted, once, when the outermost bracket ends, instead of after every column
    // change. Brackets nest; HeaderUpdate is the scope form.
    void BeginHeaderUpdate();
    void EndHeaderUpdate();
    class HeaderUpdate {
      public:
        explicit HeaderUpdate(TPTCustomListView& list) : list_(list) { list_.BeginHeaderUpdate(); }
        ~HeaderUpdate() { list_.EndHeaderUpdate(); }
        HeaderUpdate(const HeaderUpdate&) = delete;
        HeaderUpdate& operator=(const HeaderUpdate&) = delete;

      private:
        TPTCustomListView& list_;
    };

    int AddColumn(const std::wstring& caption, int width, int format = LVCFMT_LEFT);
    void DeleteAllColumns();
    int ColumnCount() const;
    int AddItem(const std::wstring& caption, LPARAM data = 0);
    int ItemCount() const;
    int FocusedItem() const;
    int SelectedCount() const;
    void SetItemState(int item, UINT state, UINT mask);
    // The rectangle of an item's label, in client coordinates.
    RECT ItemLabelRect(int item) const;

    // The custom-draw object of the last notification, or none.
    TPTLvCustomDraw* CustomDrawObject() const noexcept { return customDraw_.get(); }

    HWND EditControl() const override;

    TPTLvOnItemContextMenuEvent OnItemContextMenu;

  protected:
    // The header refresh the window posts to itself once its header surely exists.
    static constexpr UINT kMsgHeaderRefresh = 0x464;

    void PrepareCreate(CreateParams& params) override;
    void Created() override;
    virtual std::unique_ptr<TPTLvCustomDraw> CreateCustomDraw(NMCUSTOMDRAW& notify,
                                                              LRESULT& result);
    // The context menu for a right click or the keyboard, given a point in client coordinates:
    // the focused item's menu at the centre of its label; with no focused item, the popup menu
    // at the point.
    virtual void ShowContextMenu(POINT client);
    // The focused item's menu at a point in client coordinates.
    virtual void ShowFocusedItemContextMenu(POINT client);
    // Fires OnItemContextMenu.
    virtual void ItemContextMenu(int item, POINT& pos, ui::Menu*& menu);
    // Runs DoCustomDraw with a new custom-draw object and sets the notification's result.
    virtual void CustomDraw(NMCUSTOMDRAW& notify, LRESULT& result);
    // The drawing events; the base has none.
    virtual void DoCustomDraw(TPTLvCustomDraw& customDraw);

    // Set when the list view reports the start of a left or right drag.
    bool DragBegun() const noexcept { return dragBegun_; }
    void SetDragBegun(bool value) noexcept { dragBegun_ = value; }
    // Rewrites the header items for the sort settings (not while a rewrite runs; at the end of a
    // header update bracket).
    void UpdateHeaderItems();

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool HandleNotify(NMHDR& header, LRESULT& result) override;
    void ShowKeyboardContextMenu() override { ShowContextMenu(POINT{0, 0}); }
    void ContextMenuRequested(POINT screen, bool fromKeyboard) override;
    void ApplyColor() override;

  private:
    // PTListHeader.cpp
    bool HandleHeaderNotify(WPARAM wParam, NMHDR& header, LRESULT& result);
    void DrawHeaderItem(const DRAWITEMSTRUCT& item);
    void InvalidateHeaderItem(int column) const;
    void RepaintHeader() const;

    std::unique_ptr<TPTLvCustomDraw> customDraw_;
    int sortColumn_ = -1;
    int sortDirection_ = 0;
    TPTLvHeaderSortDisplayMode sortMode_;
    int headerLock_ = 0;
    int headerUpdates_ = 0;
    bool headerRedrawOff_ = false;
    bool dragBegun_ = false;
};

}  // namespace shellctl
