// The object handed to drawing handlers at each custom-draw notification of the tree and list
// view bases: the notification, a font and a brush the handler may edit, and marks that say
// what the handler did. Finishing the object turns all that into the notification's result.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <windows.h>
#include <commctrl.h>

#include "base/Handle.h"

namespace shellctl {

// A copy of the control's font with a colour. Reading changes nothing; every edit marks it
// changed.
class TPTCustomDrawFont {
  public:
    TPTCustomDrawFont(HFONT source, COLORREF color, std::function<void()> changed);

    const LOGFONTW& LogFont() const noexcept { return logFont_; }
    COLORREF Color() const noexcept { return color_; }
    bool Bold() const noexcept { return logFont_.lfWeight >= FW_BOLD; }
    bool Italic() const noexcept { return logFont_.lfItalic != 0; }

    void SetColor(COLORREF color);
    void SetBold(bool bold);
    void SetItalic(bool italic);
    void SetUnderline(bool underline);
    void SetStrikeOut(bool strikeOut);
    void SetHeight(LONG height);
    void SetName(const std::wstring& name);
    void SetLogFont(const LOGFONTW& logFont);

    // The platform font, made on first use after a change; owned.
    HFONT Handle();

  private:
    void Changed();

    LOGFONTW logFont_{};
    COLORREF color_;
    base::FontHandle handle_;
    std::function<void()> changed_;
};

// A solid brush. Every edit marks it changed.
class TPTCustomDrawBrush {
  public:
    TPTCustomDrawBrush(COLORREF color, std::function<void()> changed);

    COLORREF Color() const noexcept { return color_; }
    void SetColor(COLORREF color);
    // The platform brush, made on first use after a change; owned.
    HBRUSH Handle();

  private:
    COLORREF color_;
    base::BrushHandle handle_;
    std::function<void()> changed_;
};

class TPTCustomDraw {
  public:
    virtual ~TPTCustomDraw();
    TPTCustomDraw(const TPTCustomDraw&) = delete;
    TPTCustomDraw& operator=(const TPTCustomDraw&) = delete;

    // Takes the notification and the address of its result; the result is set by Finish. The
    // notification, and so everything read from it, is valid only while it is being handled.
    virtual void Initialize(NMCUSTOMDRAW& notify, LRESULT& result);
    // Turns the marks, the font and the brush into the notification's result.
    virtual void Finish();

    // 1 before painting the control, 2 after it, 4 before painting an item, 5 after it, 0 at
    // any other stage.
    int Stage() const noexcept;
    HDC Canvas() const noexcept { return notify_->hdc; }
    NMCUSTOMDRAW& Notification() const noexcept { return *notify_; }
    LRESULT& Result() const noexcept { return *result_; }
    // The text and background colours of the notification record.
    COLORREF TextColor() const noexcept { return *textColor_; }
    void SetTextColor(COLORREF color) noexcept { *textColor_ = color; }
    COLORREF TextBackground() const noexcept { return *textBackground_; }
    void SetTextBackground(COLORREF color) noexcept { *textBackground_ = color; }

    // The control's font; not owned.
    HFONT ControlFont() const noexcept { return controlFont_; }
    // The control's font in the device context's text colour; made on first use.
    TPTCustomDrawFont& Font();
    // A solid brush in the device context's background colour; made on first use.
    TPTCustomDrawBrush& Brush();
    bool FontChanged() const noexcept { return fontChanged_; }
    bool BrushChanged() const noexcept { return brushChanged_; }

    // Ask for the item stages after the control's pre-paint stage.
    bool NotifyItems() const noexcept { return notifyItems_; }
    void SetNotifyItems(bool value) noexcept { notifyItems_ = value; }
    // The handler painted the item itself: the control skips its own drawing.
    bool SkipDefault() const noexcept { return skipDefault_; }
    void SetSkipDefault(bool value) noexcept { skipDefault_ = value; }
    // The handler set the result itself.
    bool Handled() const noexcept { return handled_; }
    void SetHandled(bool value) noexcept { handled_ = value; }

  protected:
    explicit TPTCustomDraw(HFONT controlFont) noexcept;
    virtual std::unique_ptr<TPTCustomDrawFont> CreateFont();
    virtual std::unique_ptr<TPTCustomDrawBrush> CreateBrush();
    // Where the notification keeps its text colours (they follow the common header).
    void SetColorFields(COLORREF& text, COLORREF& background) noexcept;
    // Whether a handled object leaves the result to its handler.
    void SetHandledKeepsResult(bool value) noexcept { handledKeepsResult_ = value; }

  private:
    HFONT controlFont_;
    NMCUSTOMDRAW* notify_ = nullptr;
    LRESULT* result_ = nullptr;
    COLORREF* textColor_ = nullptr;
    COLORREF* textBackground_ = nullptr;
    std::unique_ptr<TPTCustomDrawFont> font_;
    std::unique_ptr<TPTCustomDrawBrush> brush_;
    bool fontChanged_ = false;
    bool brushChanged_ = false;
    bool notifyItems_ = false;
    bool skipDefault_ = false;
    bool handled_ = false;
    bool handledKeepsResult_ = false;
    // The device context, and the font that was current in it before ours was selected.
    HDC dc_ = nullptr;
    HGDIOBJ replacedFont_ = nullptr;
};

// For the tree view: asks for the item stages, and a handled object keeps its handler's result.
class TPTTvCustomDraw : public TPTCustomDraw {
  public:
    explicit TPTTvCustomDraw(HFONT controlFont) noexcept;
    void Initialize(NMCUSTOMDRAW& notify, LRESULT& result) override;

    NMTVCUSTOMDRAW& TvNotification() const noexcept {
        return reinterpret_cast<NMTVCUSTOMDRAW&>(Notification());
    }
    HTREEITEM Node() const noexcept {
        return reinterpret_cast<HTREEITEM>(Notification().dwItemSpec);
    }
    int Level() const noexcept { return TvNotification().iLevel; }
};

class TPTLvCustomDraw : public TPTCustomDraw {
  public:
    explicit TPTLvCustomDraw(HFONT controlFont) noexcept;
    void Initialize(NMCUSTOMDRAW& notify, LRESULT& result) override;

    NMLVCUSTOMDRAW& LvNotification() const noexcept {
        return reinterpret_cast<NMLVCUSTOMDRAW&>(Notification());
    }
    int Item() const noexcept { return int(Notification().dwItemSpec); }
    int SubItem() const noexcept { return LvNotification().iSubItem; }
};

// A custom-draw object of a class, initialised with a notification.
template <class Draw>
std::unique_ptr<Draw> MakeCustomDraw(HFONT controlFont, NMCUSTOMDRAW& notify, LRESULT& result) {
    auto customDraw = std::make_unique<Draw>(controlFont);
    customDraw->Initialize(notify, result);
    return customDraw;
}

}  // namespace shellctl
