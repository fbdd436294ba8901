// Helpers for the tree and list view tests: a form with a crisp font, a recorder of popup menus,
// and a recorder of the custom-draw notifications a control sends to its parent.
#pragma once

#include <functional>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "ui/Form.h"
#include "base/Handle.h"
#include "ui/PopupMenu.h"

namespace testing_support {

class TestCanvas;

// Handles messages until done answers true or ten seconds pass; returns done().
bool PumpUntil(const std::function<bool()>& done);

POINT Centre(const RECT& rect);
POINT ToScreen(HWND hwnd, POINT client);

// A right click on a point of a tree or list, the way the mouse makes one: the platform's
// control tracks the button until it is released, then tells its parent.
void RightClick(HWND control, POINT client);

// A view made in two phases, created at once: as the most derived class it may create in its
// constructor.
template <class View>
class MadeView : public View {
  public:
    MadeView(ui::Window& parent, const RECT& bounds) { this->Create(parent, bounds); }
};

// A view whose drawing events run the test's handler.
template <class Base, class Draw>
class DrawingView : public Base {
  public:
    DrawingView(ui::Window& parent, const RECT& bounds) { this->Create(parent, bounds); }
    std::function<void(Draw&)> onDraw;

  protected:
    void DoCustomDraw(Draw& customDraw) override {
        if (onDraw) onDraw(customDraw);
    }
};

// A shown form whose font is drawn without smoothing, so that text pixels have the text colour.
class ViewForm : public ui::Form {
  public:
    ViewForm();

  private:
    base::FontHandle font_;
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
    // Checks what drawing the first of two items came to, with the second left alone: the
    // item stage's result, the text colour it handed back (red when recoloured) and the pixels.
    void ExpectItems(const TestCanvas& canvas, DWORD_PTR first, const RECT& firstText,
                     DWORD_PTR second, const RECT& secondText, LRESULT firstResult,
                     bool firstRed) const;

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND parent_;
    HWND control_;
    std::vector<CustomDrawRecord> records_;
};

// Counts the messages of one kind a window of someone else's receives.
class MessageCounter {
  public:
    MessageCounter(HWND window, UINT msg);
    ~MessageCounter();
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;

    int Count() const noexcept { return count_; }

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND window_;
    UINT msg_;
    int count_ = 0;
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
