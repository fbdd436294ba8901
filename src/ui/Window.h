// The window base: owns an HWND, subclasses common controls, dispatches messages to virtual
// handlers behind an exception boundary, and lays out aligned children.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

namespace ui {

class Window;

// Events carry their sender first.
using NotifyEvent = std::function<void(Window& sender)>;

// How a child is placed by its parent's layout: along an edge, filling what is left, or not at
// all (positioned by its bounds).
enum class Align { None, Top, Bottom, Left, Right, Client };

struct SizeConstraints {
    int minWidth = 0;
    int minHeight = 0;
};

class Window {
  public:
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }
    // The object behind a window of ours, or null.
    static Window* FromHandle(HWND hwnd) noexcept;
    Window* Parent() const noexcept { return parent_; }
    // Children in creation order.
    const std::vector<Window*>& Children() const noexcept { return children_; }

    // Destroys the window (and its children) now; the object stays and can be deleted later.
    void Destroy();

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
    void SetText(const std::wstring& text);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    virtual void SetEnabled(bool enabled);
    HFONT Font() const noexcept { return font_; }
    // The font is not owned; it must outlive the window.
    void SetFont(HFONT font);
    bool Focused() const;
    void SetFocus();
    void Invalidate();

    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Post(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // Whether the message loop gives this top-level window dialog keyboard handling.
    bool UsesDialogKeys() const noexcept { return dialogKeys_; }

  protected:
    Window() = default;

    struct CreateParams {
        const wchar_t* className = nullptr;
        std::wstring text;
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD exStyle = 0;
        int x = 0, y = 0, width = 0, height = 0;
        void SetBounds(int left, int top, int w, int h) {
            x = left;
            y = top;
            width = w;
            height = h;
        }
    };
    // Creates the window as a child of parent (or top-level when parent is null). A class of
    // ours (see RegisterClass) dispatches to this object from its first message on; any other
    // class (a common control) is subclassed as soon as it exists. The child takes the parent's
    // font.
    void Create(Window* parent, const CreateParams& params);
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

    // The client size changed; lays out the aligned children.
    virtual void Resized();
    // The window is gone (WM_NCDESTROY has been handled); Handle() is null from here on.
    virtual void Destroyed() {}

    void SetUsesDialogKeys(bool value) noexcept { dialogKeys_ = value; }

  private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void Attach(HWND hwnd, bool subclass);
    void Detach();

    // Dispatch frames on the stack, so that a handler that deletes its window object is noticed.
    struct Frame {
        bool alive;
        Frame* outer;
    };

    HWND hwnd_ = nullptr;
    bool subclassed_ = false;
    bool dialogKeys_ = false;
    Window* parent_ = nullptr;
    std::vector<Window*> children_;
    Align align_ = Align::None;
    SizeConstraints constraints_;
    int rightMargin_ = -1;  // anchored to the right edge when not negative
    // The height last asked for, which for a combo box includes its drop-down list.
    int requestedHeight_ = 0;
    HFONT font_ = nullptr;
    Frame* frames_ = nullptr;
};

// Pixels at 96 dots per inch scaled to the screen's.
int Scale(int pixels);

}  // namespace ui
