#include "shellctl/PTCustomDraw.h"

#include <cwchar>

namespace shellctl {

TPTCustomDrawFont::TPTCustomDrawFont(HFONT source, COLORREF color, std::function<void()> changed)
    : color_(color), changed_(std::move(changed)) {
    if (source == nullptr) source = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectW(source, sizeof logFont_, &logFont_);
}

void TPTCustomDrawFont::Changed() {
    handle_.Reset();
    if (changed_) changed_();
}

void TPTCustomDrawFont::SetColor(COLORREF color) {
    color_ = color;
    if (changed_) changed_();
}

void TPTCustomDrawFont::SetBold(bool bold) {
    logFont_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    Changed();
}

void TPTCustomDrawFont::SetItalic(bool italic) {
    logFont_.lfItalic = italic;
    Changed();
}

void TPTCustomDrawFont::SetUnderline(bool underline) {
    logFont_.lfUnderline = underline;
    Changed();
}

void TPTCustomDrawFont::SetStrikeOut(bool strikeOut) {
    logFont_.lfStrikeOut = strikeOut;
    Changed();
}

void TPTCustomDrawFont::SetHeight(LONG height) {
    logFont_.lfHeight = height;
    Changed();
}

void TPTCustomDrawFont::SetName(const std::wstring& name) {
    wcsncpy(logFont_.lfFaceName, name.c_str(), LF_FACESIZE - 1);
    logFont_.lfFaceName[LF_FACESIZE - 1] = L'\0';
    Changed();
}

void TPTCustomDrawFont::SetLogFont(const LOGFONTW& logFont) {
    logFont_ = logFont;
    Changed();
}

HFONT TPTCustomDrawFont::Handle() {
    if (!handle_) handle_.Reset(CreateFontIndirectW(&logFont_));
    return handle_.Get();
}

TPTCustomDrawBrush::TPTCustomDrawBrush(COLORREF color, std::function<void()> changed)
    : color_(color), changed_(std::move(changed)) {}

void TPTCustomDrawBrush::SetColor(COLORREF color) {
    color_ = color;
    handle_.Reset();
    if (changed_) changed_();
}

HBRUSH TPTCustomDrawBrush::Handle() {
    if (!handle_) handle_.Reset(CreateSolidBrush(color_));
    return handle_.Get();
}

TPTCustomDraw::TPTCustomDraw(HFONT controlFont) noexcept : controlFont_(controlFont) {}

TPTCustomDraw::~TPTCustomDraw() {
    // The control may still have our font selected for drawing; put its own back before ours
    // goes.
    if (replacedFont_ != nullptr && GetCurrentObject(dc_, OBJ_FONT) == font_->Handle())
        SelectObject(dc_, replacedFont_);
}

void TPTCustomDraw::Initialize(NMCUSTOMDRAW& notify, LRESULT& result) {
    notify_ = &notify;
    result_ = &result;
    dc_ = notify.hdc;
}

void TPTCustomDraw::SetColorFields(COLORREF& text, COLORREF& background) noexcept {
    textColor_ = &text;
    textBackground_ = &background;
}

int TPTCustomDraw::Stage() const noexcept {
    switch (notify_->dwDrawStage) {
        case CDDS_PREPAINT:
            return 1;
        case CDDS_POSTPAINT:
            return 2;
        case CDDS_ITEMPREPAINT:
            return 4;
        case CDDS_ITEMPOSTPAINT:
            return 5;
    }
    return 0;
}

std::unique_ptr<TPTCustomDrawFont> TPTCustomDraw::CreateFont() {
    return std::make_unique<TPTCustomDrawFont>(controlFont_, GetTextColor(notify_->hdc),
                                               [this] { fontChanged_ = true; });
}

std::unique_ptr<TPTCustomDrawBrush> TPTCustomDraw::CreateBrush() {
    return std::make_unique<TPTCustomDrawBrush>(GetBkColor(notify_->hdc),
                                                [this] { brushChanged_ = true; });
}

TPTCustomDrawFont& TPTCustomDraw::Font() {
    if (!font_) font_ = CreateFont();
    return *font_;
}

TPTCustomDrawBrush& TPTCustomDraw::Brush() {
    if (!brush_) brush_ = CreateBrush();
    return *brush_;
}

void TPTCustomDraw::Finish() {
    const bool keepResult = handledKeepsResult_ && handled_;
    if (!keepResult) *result_ = 0;
    const int stage = Stage();
    if (stage == 1 && notifyItems_ && !keepResult) *result_ |= CDRF_NOTIFYITEMDRAW;
    if (stage != 4) return;
    if (skipDefault_) {
        if (!keepResult) *result_ |= CDRF_SKIPDEFAULT;
        return;
    }
    if (fontChanged_) {
        HFONT font = Font().Handle();
        if (GetCurrentObject(notify_->hdc, OBJ_FONT) != font)
            replacedFont_ = SelectObject(notify_->hdc, font);
        *result_ |= CDRF_NEWFONT;
        *textColor_ = font_->Color();
    }
    if (brushChanged_) *textBackground_ = brush_->Color();
}

TPTTvCustomDraw::TPTTvCustomDraw(HFONT controlFont) noexcept : TPTCustomDraw(controlFont) {
    SetNotifyItems(true);
    SetHandledKeepsResult(true);
}

void TPTTvCustomDraw::Initialize(NMCUSTOMDRAW& notify, LRESULT& result) {
    TPTCustomDraw::Initialize(notify, result);
    auto& tv = reinterpret_cast<NMTVCUSTOMDRAW&>(notify);
    SetColorFields(tv.clrText, tv.clrTextBk);
}

TPTLvCustomDraw::TPTLvCustomDraw(HFONT controlFont) noexcept : TPTCustomDraw(controlFont) {}

void TPTLvCustomDraw::Initialize(NMCUSTOMDRAW& notify, LRESULT& result) {
    TPTCustomDraw::Initialize(notify, result);
    auto& lv = reinterpret_cast<NMLVCUSTOMDRAW&>(notify);
    SetColorFields(lv.clrText, lv.clrTextBk);
}

}  // namespace shellctl
