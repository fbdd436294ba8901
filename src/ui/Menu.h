// Menus: a bar or a popup of items whose clicks call back. Every item has a command identifier of
// the program's own range (ui/CommandIds.h), given back when the item is destroyed. An item with
// an image is drawn by the window that shows the menu, whichever window that is: the menu
// messages of every ui::Window draw the images of our items (Window::HandleMenuMessage).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "base/Handle.h"

namespace ui {

class ImageList;
class Menu;

class MenuItem {
  public:
    ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    UINT Id() const noexcept { return id_; }
    const std::wstring& Caption() const noexcept { return caption_; }
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The image shown beside the caption, drawn from an image list that must outlive the menu.
    void SetImage(const ImageList& images, int index);
    const ImageList* Images() const noexcept { return images_; }
    int ImageIndex() const noexcept { return imageIndex_; }
    // The submenu, or null for a command item.
    Menu* SubMenu() const noexcept { return subMenu_.get(); }

    std::function<void(MenuItem& sender)> OnClick;
    void Click();

    // Runs the item with this command identifier; false when there is none.
    static bool Dispatch(UINT id);
    static MenuItem* FromId(UINT id);

  private:
    friend class Menu;
    MenuItem(Menu& owner, std::wstring caption);

    Menu& owner_;
    UINT id_;
    std::wstring caption_;
    std::unique_ptr<Menu> subMenu_;
    const ImageList* images_ = nullptr;
    int imageIndex_ = -1;
};

class Menu {
  public:
    enum class Kind { Bar, Popup };
    explicit Menu(Kind kind);
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    HMENU Handle() const noexcept { return handle_; }
    MenuItem& AddItem(std::wstring caption, std::function<void(MenuItem&)> onClick = {});
    // Adds an item that opens a submenu, and returns the submenu.
    Menu& AddSubMenu(std::wstring caption);
    void AddSeparator();
    const std::vector<std::unique_ptr<MenuItem>>& Items() const noexcept { return items_; }
    // Finds an item by caption along a path of captions ("File", "Exit"); null when missing.
    MenuItem* Find(std::initializer_list<std::wstring_view> path) const;

    // The handle now belongs to a parent menu (as a submenu), which destroys it with itself.
    void HandOver() noexcept { owned_.Release(); }

  private:
    friend class MenuItem;
    base::MenuHandle owned_;
    HMENU handle_;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

}  // namespace ui
