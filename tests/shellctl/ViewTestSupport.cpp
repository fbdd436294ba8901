#include "ViewTestSupport.h"

#include <cwchar>

#include <gtest/gtest.h>

#include "TestCanvas.h"
#include "ui/Application.h"

namespace testing_support {

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

POINT ToScreen(HWND hwnd, POINT client) {
    ClientToScreen(hwnd, &client);
    return client;
}

void RightClick(HWND control, POINT client) {
    const POINT screen = ToScreen(control, client);
    SetCursorPos(screen.x, screen.y);
    PostMessageW(control, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    SendMessageW(control, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
    ui::App().ProcessMessages();
}

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

void CustomDrawRecorder::ExpectItems(const TestCanvas& canvas, DWORD_PTR first,
                                     const RECT& firstText, DWORD_PTR second,
                                     const RECT& secondText, LRESULT firstResult,
                                     bool firstRed) const {
    const COLORREF red = RGB(255, 0, 0);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_NE(Prepaint(), nullptr);
    EXPECT_EQ(Prepaint()->result, CDRF_NOTIFYITEMDRAW);
    const CustomDrawRecord* one = ItemPrepaint(first);
    const CustomDrawRecord* two = ItemPrepaint(second);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(one->result, firstResult);
    EXPECT_EQ(one->textAfter, firstRed ? red : one->textBefore);
    EXPECT_EQ(two->result, 0);
    EXPECT_EQ(two->textAfter, two->textBefore);
    // Drawn by the control unless skipped, in red when recoloured.
    EXPECT_EQ(canvas.Count(firstText, red) > 0, firstRed);
    EXPECT_EQ(canvas.Count(firstText, text) > 0, firstResult == 0);
    EXPECT_GT(canvas.Count(secondText, text), 0);
    EXPECT_EQ(canvas.Count(secondText, red), 0);
}

MessageCounter::MessageCounter(HWND window, UINT msg) : window_(window), msg_(msg) {
    SetWindowSubclass(window_, Proc, UINT_PTR(this), DWORD_PTR(this));
}

MessageCounter::~MessageCounter() { RemoveWindowSubclass(window_, Proc, UINT_PTR(this)); }

LRESULT CALLBACK MessageCounter::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR refData) {
    auto* self = reinterpret_cast<MessageCounter*>(refData);
    if (msg == self->msg_) ++self->count_;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

KeyStateGuard::KeyStateGuard(int key, bool down) {
    GetKeyboardState(saved_);
    BYTE state[256];
    GetKeyboardState(state);
    state[key] = down ? 0x80 : 0;
    SetKeyboardState(state);
}

KeyStateGuard::~KeyStateGuard() { SetKeyboardState(saved_); }

bool PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (!done() && GetTickCount64() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        ui::App().ProcessMessages();
    }
    return done();
}

}  // namespace testing_support
