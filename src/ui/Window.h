// The window base: owns an HWND (or watches one the program did not create), dispatches its
// messages to virtual handlers behind an exception boundary, and lays out aligned children.
//
// Creation. A leaf control makes its window in its constructor (Button, Label, ...). A class
// meant to be derived from is created in two phases, as WTL's Create:
//
//   class MyTree : public shellctl::TPTCustomTreeView {
//     protected:
//       void PrepareCreate(CreateParams& params) override {   // before the window exists
//           TPTCustomTreeView::PrepareCreate(params);
//           params.style |= TVS_EDITLABELS;
//       }
//       void Created() override {                             // once, when it exists
//           TPTCustomTreeView::Created();
//           Post(kMsgFill);
//       }
//   };
//   MyTree tree;                                              // phase one: state only
//   tree.Create(form, RECT{0, 0, 200, 300});                  // phase two: the window
//
// Every message the window gets from its first one on (WM_NCCREATE, WM_CREATE, ...) reaches the
// most derived HandleMessage, common controls included.
//
// Subclassing a window made elsewhere (a label-edit control, a list's header): Attach(hwnd) routes
// its messages to HandleMessage, with DefaultHandler reaching its own procedure; Detach, the
// window's destruction and the object's destruction give it its previous procedure back. The
// object never destroys such a window.
//
// Menus. The menu messages of a popup this window owns (TrackPopupMenu with this window) reach
// HandleMenuMessage, on any window, not only on forms: the base draws the images of our menu
// items, then asks the handler of a MenuMessageScope, through which a shell context menu's
// object (IContextMenu2/3::HandleMenuMsg) can answer for its own items while it is shown.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

namespace ui {

class Window;
class HintWindow;

// Events carry their sender first.
using NotifyEvent = std::function<void(Window& sender)>;

// How a child is placed by its parent's layout: along an edge, filling what is left, or not at
// all (positioned by its bounds).
enum class Align { None, Top, Bottom, Left, Right, Client };

struct SizeConstraints {
    int minWidth = 0;
    int minHeight = 0;
};

// A handler of menu messages (WM_INITMENUPOPUP, WM_MEASUREITEM, WM_DRAWITEM, WM_MENUCHAR,
// WM_MENUSELECT): true when it answered, with the answer in result.
using MenuMessageHandler =
    std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;

class Window {
  public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }
    // The object behind a window of ours (made or attached), or null.
    static Window* FromHandle(HWND hwnd) noexcept;
    Window* Parent() const noexcept { return parent_; }
    // Children in creation order.
    const std::vector<Window*>& Children() const noexcept { return children_; }

    // Phase two of two-phase creation: makes the window as a child of parent, at bounds in the
    // parent's client coordinates, with the class and styles PrepareCreate chose; then Created.
    void Create(Window& parent, const RECT& bounds);
    // Destroys the window (and its children) now; the object stays and can be deleted later.
    void Destroy();

    // Subclasses a window the program did not create; see the top of this file. Raises an error
    // when this object has a window already or the window has an object.
    void Attach(HWND hwnd);
    // Gives an attached window its previous procedure back and forgets it; returns it. An
    // attached window that is destroyed is let go at WM_DESTROY, and Destroyed runs.
    HWND Detach() noexcept;

    // Geometry, in the parent's client coordinates (screen coordinates for top-level windows).
    RECT Bounds() const;
    int Left() const { return Bounds().left; }
    int Top() const { return Bounds().top; }
    int Width() const;
    int Height() const;
    void SetBounds(int x, int y, int width, int height);
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, Height()); }
    void SetHeight(int height) { SetSize(Width(), height); }
    RECT ClientRect() const;

    Align GetAlign() const noexcept { return align_; }
    void SetAlign(Align align);
    const SizeConstraints& Constraints() const noexcept { return constraints_; }
    void SetConstraints(SizeConstraints constraints);
    // Keeps the distance between this (unaligned) child's right edge and its parent's right edge
    // as it is now: the child widens and narrows with the parent.
    void AnchorRight();
    // Places the aligned children: top, bottom, left and right edges in creation order, then
    // the client children in what is left, none smaller than its minimum size. Children anchored
    // to the right follow the new width.
    void Realign();

    std::wstring Text() const;
    virtual void SetText(const std::wstring& text);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    virtual void SetEnabled(bool enabled);
    HFONT Font() const noexcept { return font_; }
    // The font is not owned; it must outlive the window.
    virtual void SetFont(HFONT font);
    bool Focused() const;
    void SetFocus();
    void Invalidate();

    // The hint: "short|long"; the short part (all of it without a bar) is shown as a tooltip
    // while the pointer rests on the window. The tooltip belongs to the top-level window of ours
    // that contains this one; a hint set before the window exists is shown once it does.
    const std::wstring& Hint() const noexcept { return hint_; }
    void SetHint(std::wstring hint);

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Whether the message loop gives this top-level window dialog keyboard handling.
    bool UsesDialogKeys() const noexcept { return dialogKeys_; }

  protected:
    Window();

    struct CreateParams {
        const wchar_t* className = nullptr;
        std::wstring text;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        int x = 0, y = 0, width = 0, height = 0;
        // The owner of a top-level window (it stays above its owner and goes with it).
        HWND owner = nullptr;
        void SetBounds(int left, int top, int w, int h) {
            x = left;
            y = top;
            width = w;
            height = h;
        }
    };
    // Makes the window as a child of parent (or top-level when parent is null): PrepareCreate
    // adjusts params first, Created runs last. Leaf controls call it from their constructor,
    // where only the overrides of the classes constructed so far run; classes meant to be
    // derived from leave it to the public Create. The child takes the parent's font.
    void Create(Window* parent, CreateParams params);
    // Chooses the window class and styles before the window exists; overrides call the base
    // first and then add or remove what they need.
    virtual void PrepareCreate(CreateParams& params);
    // The window exists (and is attached): creation-time work, such as registering a drop
    // target or posting a deferred fill. Runs once per window.
    virtual void Created() {}

    // Registers a window class whose procedure dispatches to Window objects.
    static void RegisterClass(const wchar_t* name, UINT classStyle = CS_DBLCLKS,
                              HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1),
                              HICON icon = nullptr);

    // The message handler; overrides handle what they need and pass the rest to the base.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // What the window would do without us: the class's own procedure.
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam);

    // A message a control sent to its parent about itself (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL), handed back to the control. Return
    // true when handled, with the parent's answer in result.
    virtual bool HandleReflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Conveniences called by HandleReflected.
    virtual bool HandleCommand(UINT notifyCode);
    virtual bool HandleNotify(NMHDR& header, LRESULT& result);
    // The menu messages of the popups this window owns; see the top of this file. Return true
    // when handled, with the answer in result; unhandled ones go on to DefaultHandler.
    virtual bool HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // The client size changed; lays out the aligned children.
    virtual void Resized();
    // The window is gone (WM_NCDESTROY has been handled); Handle() is null from here on.
    virtual void Destroyed() {}

    void SetUsesDialogKeys(bool value) noexcept { dialogKeys_ = value; }

  private:
    friend class MenuMessageScope;
    friend class HintWindow;

    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool DrawMenuItemImage(UINT msg, LPARAM lParam);
    bool Bind(HWND hwnd, bool subclass) noexcept;
    void Unbind() noexcept;
    Window& Root() noexcept;
    void ShowHint();

    // Dispatch frames on the stack, so that a handler that deletes its window object is noticed.
    struct Frame {
        bool alive;
        Frame* outer;
    };

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
    LONG_PTR chainProcedure_ = 0;  // the window's procedure while our subclass is in place
    bool owned_ = false;           // made by Create, so destroyed with the object
    bool dialogKeys_ = false;
    Window* parent_ = nullptr;
    std::vector<Window*> children_;
    Align align_ = Align::None;
    SizeConstraints constraints_;
    int rightMargin_ = -1;  // anchored to the right edge when not negative
    // The height last asked for, which for a combo box includes its drop-down list.
    int requestedHeight_ = 0;
    HFONT font_ = nullptr;
    std::wstring hint_;
    std::unique_ptr<HintWindow> hints_;  // the tooltip of a top-level window, made on first use
    MenuMessageHandler* menuHandler_ = nullptr;
    Frame* frames_ = nullptr;
};

// Routes the menu messages of the popups a window owns to a handler for the scope's lifetime,
// after the window's own handling (the images of our items). Scopes nest; the innermost wins.
//
//   ui::MenuMessageScope forward(list, [&](UINT m, WPARAM w, LPARAM l, LRESULT& r) {
//       return SUCCEEDED(menu3->HandleMenuMsg2(m, w, l, &r));
//   });
//   ui::ShowPopupMenu(...) or TrackPopupMenu(hmenu, ..., list.Handle(), ...);
class MenuMessageScope {
  public:
    MenuMessageScope(Window& owner, MenuMessageHandler handler);
    ~MenuMessageScope();
    MenuMessageScope(const MenuMessageScope&) = delete;
    MenuMessageScope& operator=(const MenuMessageScope&) = delete;

  private:
    Window& owner_;
    MenuMessageHandler handler_;
    MenuMessageHandler* previous_;
};

// Pixels at 96 dots per inch scaled to the screen's.
int Scale(int pixels);

}  // namespace ui
