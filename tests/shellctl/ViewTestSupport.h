// Helpers for the tree and list view tests: a form with a crisp font, a recorder of popup menus,
// and a recorder of the custom-draw notifications a control sends to its parent.
#pragma once

#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "ui/Form.h"
#include "ui/Handle.h"
#include "ui/PopupMenu.h"

namespace testing_support {

// A shown form whose font is drawn without smoothing, so that text pixels have the text colour.
class ViewForm : public ui::Form {
  public:
    ViewForm();

  private:
    ui::FontHandle font_;
};

class PopupRecorder {
  public:
    PopupRecorder();
    ~PopupRecorder();
    PopupRecorder(const PopupRecorder&) = delete;
    PopupRecorder& operator=(const PopupRecorder&) = delete;

    const std::vector<ui::PopupMenuRequest>& Popups() const noexcept { return popups_; }
    void Clear() { popups_.clear(); }

  private:
    ui::PopupMenuHandler previous_;
    std::vector<ui::PopupMenuRequest> popups_;
};

struct CustomDrawRecord {
    DWORD stage;
    DWORD_PTR item;
    LRESULT result;
    COLORREF textBefore;  // the notification's text colour as the control sent it
    COLORREF textAfter;   // and as it went back
};

// Watches the notifications a control sends to its parent.
class CustomDrawRecorder {
  public:
    CustomDrawRecorder(HWND parent, HWND control);
    ~CustomDrawRecorder();
    CustomDrawRecorder(const CustomDrawRecorder&) = delete;
    CustomDrawRecorder& operator=(const CustomDrawRecorder&) = delete;

    const std::vector<CustomDrawRecord>& Records() const noexcept { return records_; }
    // The record of the item stage for an item, or null.
    const CustomDrawRecord* ItemPrepaint(DWORD_PTR item) const;
    const CustomDrawRecord* Prepaint() const;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND parent_;
    HWND control_;
    std::vector<CustomDrawRecord> records_;
};

// Sets or clears the state of a key in the thread's keyboard state; restores it when it goes.
class KeyStateGuard {
  public:
    KeyStateGuard(int key, bool down);
    ~KeyStateGuard();

  private:
    BYTE saved_[256];
};

}  // namespace testing_support
