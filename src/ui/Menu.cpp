#include "ui/Menu.h"

#include <map>

#include "base/Error.h"
#include "ui/CommandIds.h"

namespace ui {
namespace {

std::map<UINT, MenuItem*>& Registry() {
    static std::map<UINT, MenuItem*> items;
    return items;
}

}  // namespace

MenuItem::MenuItem(Menu& owner, std::wstring caption)
    : owner_(owner), id_(ProgramCommandIds().Allocate()), caption_(std::move(caption)) {
    Registry()[id_] = this;
}

MenuItem::~MenuItem() {
    Registry().erase(id_);
    ProgramCommandIds().Free(id_);
}

MenuItem* MenuItem::FromId(UINT id) {
    if (!ProgramCommandIds().Contains(id)) return nullptr;
    auto found = Registry().find(id);
    return found == Registry().end() ? nullptr : found->second;
}

bool MenuItem::Dispatch(UINT id) {
    MenuItem* item = FromId(id);
    if (item == nullptr) return false;
    item->Click();
    return true;
}

void MenuItem::Click() {
    if (OnClick) OnClick(*this);
}

bool MenuItem::Enabled() const {
    const UINT state = GetMenuState(owner_.handle_, id_, MF_BYCOMMAND);
    return state != UINT(-1) && (state & (MF_DISABLED | MF_GRAYED)) == 0;
}

void MenuItem::SetEnabled(bool enabled) {
    EnableMenuItem(owner_.handle_, id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MenuItem::SetImage(const ImageList& images, int index) {
    images_ = &images;
    imageIndex_ = index;
    // The window that shows the menu draws the image when asked (WM_DRAWITEM).
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_BITMAP;
    info.hbmpItem = HBMMENU_CALLBACK;
    SetMenuItemInfoW(owner_.handle_, id_, FALSE, &info);
}

Menu::Menu(Kind kind)
    : owned_(kind == Kind::Bar ? CreateMenu() : CreatePopupMenu()), handle_(owned_.Get()) {
    if (handle_ == nullptr) base::ThrowLastError();
}

Menu::~Menu() {
    // The items first: they give their identifiers back.
    items_.clear();
}

MenuItem& Menu::AddItem(std::wstring caption, std::function<void(MenuItem&)> onClick) {
    auto item = std::unique_ptr<MenuItem>(new MenuItem(*this, std::move(caption)));
    item->OnClick = std::move(onClick);
    if (!AppendMenuW(handle_, MF_STRING, item->id_, item->caption_.c_str())) base::ThrowLastError();
    items_.push_back(std::move(item));
    return *items_.back();
}

Menu& Menu::AddSubMenu(std::wstring caption) {
    auto item = std::unique_ptr<MenuItem>(new MenuItem(*this, std::move(caption)));
    item->subMenu_ = std::make_unique<Menu>(Kind::Popup);
    Menu& sub = *item->subMenu_;
    if (!AppendMenuW(handle_, MF_POPUP, UINT_PTR(sub.handle_), item->caption_.c_str()))
        base::ThrowLastError();
    sub.HandOver();
    items_.push_back(std::move(item));
    return sub;
}

void Menu::AddSeparator() { AppendMenuW(handle_, MF_SEPARATOR, 0, nullptr); }

MenuItem* Menu::Find(std::initializer_list<std::wstring_view> path) const {
    const Menu* menu = this;
    MenuItem* found = nullptr;
    for (std::wstring_view caption : path) {
        if (menu == nullptr) return nullptr;
        found = nullptr;
        for (const auto& item : menu->items_) {
            if (item->caption_ == caption) found = item.get();
        }
        if (found == nullptr) return nullptr;
        menu = found->SubMenu();
    }
    return found;
}

}  // namespace ui
