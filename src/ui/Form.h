// A top-level window: caption, menu bar, minimum size, centring when first shown, and the close
// request with its query.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/Menu.h"
#include "ui/Window.h"

namespace ui {

class Form : public Window {
  public:
    // Creates the window hidden, with the given outer size.
    Form(const std::wstring& caption, int width, int height);
    ~Form() override;

    // Takes the menu over as the window's menu bar.
    void SetMenu(std::unique_ptr<Menu> menu);
    Menu* MainMenu() const noexcept { return menu_.get(); }

    // Shows the window; the first time it runs OnShow and centres the window on the screen.
    void Show();
    // A close request, as from the close box: asks OnCloseQuery, then closes and destroys.
    void Close();
    bool Closed() const noexcept { return Handle() == nullptr; }

    void SetCentreOnFirstShow(bool centre) noexcept { centre_ = centre; }
    // Moves the window to the centre of the screen's work area, keeping its size.
    void CentreOnScreen();

    NotifyEvent OnShow;
    // Answers whether the window may close; no handler means yes.
    std::function<bool(Form& sender)> OnCloseQuery;
    NotifyEvent OnClose;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;
    virtual void DoShow();
    virtual bool DoCloseQuery();
    virtual void DoClose();

  private:
    std::unique_ptr<Menu> menu_;
    bool shown_ = false;
    bool centre_ = true;
};

}  // namespace ui
