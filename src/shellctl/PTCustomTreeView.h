// The base of the shell tree: the common tree view with a context-menu event per node reached
// the same way by mouse and keyboard, light custom-draw objects, image indexes asked for once
// per display request, and care for system colours.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "shellctl/PTCustomDraw.h"
#include "shellctl/ViewControl.h"

namespace shellctl {

class TPTCustomTreeView;

// The handler may move the point (client coordinates), replace the menu, or set it to none to
// show nothing. aNode is none when the menu is for no node.
using TPTTvOnNodeContextMenuEvent =
    std::function<void(TPTCustomTreeView& aSender, HTREEITEM aNode, POINT& aPos, ui::Menu*& aMenu)>;
using TPTTvImageIndexEvent =
    std::function<void(TPTCustomTreeView& aSender, HTREEITEM aNode, int& aIndex)>;

class TPTCustomTreeView : public ViewControl {
  public:
    // Phase one; the window comes with Create.
    TPTCustomTreeView();
    ~TPTCustomTreeView() override;

    // Adds a node as the last child of parent (TVI_ROOT for a top-level node). With
    // callbackImages, the images are asked for when the node is shown.
    HTREEITEM AddNode(HTREEITEM parent, const std::wstring& text, LPARAM data = 0,
                      bool callbackImages = true);
    HTREEITEM Selected() const;
    void Select(HTREEITEM node);
    // The node at a point in client coordinates, or none.
    HTREEITEM NodeAt(POINT client) const;
    // The rectangle of the node's text, in client coordinates.
    RECT NodeTextRect(HTREEITEM node) const;
    LPARAM NodeData(HTREEITEM node) const;

    HWND EditControl() const override;

    // The custom-draw object of the last notification, or none.
    TPTTvCustomDraw* CustomDrawObject() const noexcept { return customDraw_.get(); }

    TPTTvOnNodeContextMenuEvent OnNodeContextMenu;
    TPTTvImageIndexEvent OnGetImageIndex;
    TPTTvImageIndexEvent OnGetSelectedIndex;

  protected:
    // Buttons, lines and lines at the root; without tooltips where the platform's tree view
    // cannot be trusted with them (NT with common controls before 4.72).
    void PrepareCreate(CreateParams& params) override;
    void Created() override;

    virtual std::unique_ptr<TPTTvCustomDraw> CreateCustomDraw(NMCUSTOMDRAW& notify,
                                                              LRESULT& result);
    // The selected node's menu at the centre of its text; with no selection, the popup menu
    // at the top-left corner.
    virtual void ShowSelectionContextMenu();
    // A node's menu (none: the menu for no node) at a point in client coordinates.
    virtual void ShowNodeContextMenu(HTREEITEM node, POINT client);
    // Fires OnNodeContextMenu.
    virtual void NodeContextMenu(HTREEITEM node, POINT& pos, ui::Menu*& menu);
    // Runs DoCustomDraw with a new custom-draw object and sets the notification's result.
    virtual void CustomDraw(NMCUSTOMDRAW& notify, LRESULT& result);
    // The drawing events; the base has none.
    virtual void DoCustomDraw(TPTTvCustomDraw& customDraw);
    // A node's image indexes, when the tree asks for them; the base fires the events.
    virtual int GetImageIndex(HTREEITEM node);
    virtual int GetSelectedIndex(HTREEITEM node);

    bool HandleNotify(NMHDR& header, LRESULT& result) override;
    void ShowKeyboardContextMenu() override { ShowSelectionContextMenu(); }
    void ContextMenuRequested(POINT screen, bool fromKeyboard) override;
    void ApplyColor() override;

  private:
    void RightClick();

    std::unique_ptr<TPTTvCustomDraw> customDraw_;
};

}  // namespace shellctl
