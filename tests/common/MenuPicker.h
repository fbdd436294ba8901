// A person at the context menus the program tracks: the tests' way to choose a command from the
// shell's menus while they are open.
#pragma once

#include <functional>
#include <vector>

#include <windows.h>

namespace testing_support {

// Answers the context menus the thread tracks while it lives, with the keyboard as a person
// would: the first command that pick accepts is chosen; without one the menu is closed.
class MenuPicker {
  public:
    explicit MenuPicker(std::function<bool(UINT command)> pick = {});
    ~MenuPicker();
    MenuPicker(const MenuPicker&) = delete;
    MenuPicker& operator=(const MenuPicker&) = delete;

    int MenusShown() const noexcept { return shown_; }
    // The commands of the last menu shown, in position order (submenus left out).
    const std::vector<UINT>& Commands() const noexcept { return commands_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void Seen(const CWPSTRUCT& message);

    std::function<bool(UINT)> pick_;
    HHOOK hook_;
    int shown_ = 0;
    std::vector<UINT> commands_;
    bool open_ = false;
    UINT target_ = 0;
    int steps_ = 0;
};

}  // namespace testing_support
