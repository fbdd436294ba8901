#include "ViewTestSupport.h"

#include <cwchar>

namespace testing_support {

ViewForm::ViewForm() : ui::Form(L"Views", 400, 300) {
    LOGFONTW logFont{};
    logFont.lfHeight = -11;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfQuality = NONANTIALIASED_QUALITY;
    wcscpy(logFont.lfFaceName, L"Tahoma");
    font_.Reset(CreateFontIndirectW(&logFont));
    SetFont(font_.Get());
    SetCentreOnFirstShow(false);
    Show();
}

PopupRecorder::PopupRecorder()
    : previous_(ui::SetPopupMenuHandler(
          [this](const ui::PopupMenuRequest& request) { popups_.push_back(request); })) {}

PopupRecorder::~PopupRecorder() { ui::SetPopupMenuHandler(std::move(previous_)); }

CustomDrawRecorder::CustomDrawRecorder(HWND parent, HWND control)
    : parent_(parent), control_(control) {
    SetWindowSubclass(parent_, Proc, UINT_PTR(this), DWORD_PTR(this));
}

CustomDrawRecorder::~CustomDrawRecorder() { RemoveWindowSubclass(parent_, Proc, UINT_PTR(this)); }

LRESULT CALLBACK CustomDrawRecorder::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR refData) {
    auto* self = reinterpret_cast<CustomDrawRecorder*>(refData);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (msg != WM_NOTIFY || header->hwndFrom != self->control_ || header->code != NM_CUSTOMDRAW)
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    // Tree and list notifications both carry the text colour right after the common part.
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(lParam);
    const COLORREF before = draw->clrText;
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    self->records_.push_back(
        {draw->nmcd.dwDrawStage, draw->nmcd.dwItemSpec, result, before, draw->clrText});
    return result;
}

const CustomDrawRecord* CustomDrawRecorder::ItemPrepaint(DWORD_PTR item) const {
    for (const auto& record : records_)
        if (record.stage == CDDS_ITEMPREPAINT && record.item == item) return &record;
    return nullptr;
}

const CustomDrawRecord* CustomDrawRecorder::Prepaint() const {
    for (const auto& record : records_)
        if (record.stage == CDDS_PREPAINT) return &record;
    return nullptr;
}

KeyStateGuard::KeyStateGuard(int key, bool down) {
    GetKeyboardState(saved_);
    BYTE state[256];
    GetKeyboardState(state);
    state[key] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

KeyStateGuard::~KeyStateGuard() { SetKeyboardState(saved_); }

}  // namespace testing_support
