#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "TestCanvas.h"
#include "shellctl/PTFrame.h"
#include "shellctl/PTGroup.h"
#include "shellctl/ShellControls.h"
#include "ui/Controls.h"
#include "ui/ControlRegistry.h"
#include "base/Error.h"
#include "ui/DeviceContext.h"
#include "ui/Font.h"
#include "ui/Form.h"

namespace shellctl {
namespace {

using testing_support::TestCanvas;

constexpr COLORREF kOutside = RGB(255, 0, 255);
constexpr COLORREF kFill = RGB(10, 200, 30);

COLORREF Sys(int role) { return GetSysColor(role); }

// Renders the frames of a window's client area (the parent paints, then its frames).
void PrintClient(ui::Window& window, TestCanvas& canvas) {
    window.Send(WM_PRINTCLIENT, WPARAM(canvas.Dc()), PRF_CLIENT);
}

class FrameTest : public testing::Test {
  protected:
    FrameTest() { form.SetFont(font.Get()); }
    base::FontHandle font = ui::CreateUiFont(L"Tahoma", 8);
    ui::Form form{L"Frames", 300, 200};
};

TEST_F(FrameTest, EachStyleDrawsItsLinesInTheSystemColourRoles) {
    struct Expect {
        int x, y;
        COLORREF color;
    };
    const int w = 40, h = 30;
    const COLORREF shadow = Sys(COLOR_BTNSHADOW), light = Sys(COLOR_BTNHIGHLIGHT),
                   dark = Sys(COLOR_3DDKSHADOW), face = Sys(COLOR_BTNFACE),
                   frame = Sys(COLOR_WINDOWFRAME);
    const struct {
        TPTFrameStyle style;
        std::vector<Expect> pixels;
    } cases[] = {
        {ptfsNone, {{0, 0, kFill}, {w - 1, h - 1, kFill}}},
        // The sunken edge: outer top-left shadow, inner dark shadow; inner bottom-right face,
        // outer highlight (which also takes the far corners).
        {ptfsLowered,
         {{0, 0, shadow},
          {1, 1, dark},
          {w - 2, h - 2, face},
          {w - 1, h - 1, light},
          {w - 1, 0, light},
          {0, h - 1, light},
          {2, 2, kFill}}},
        {ptfsRaised,
         {{0, 0, light},
          {1, 1, face},
          {w - 2, h - 2, shadow},
          {w - 1, h - 1, dark},
          {2, 2, kFill}}},
        {ptfsDint, {{0, 0, shadow}, {w - 1, h - 1, light}, {1, 1, kFill}}},
        {ptfsBump, {{0, 0, light}, {w - 1, h - 1, shadow}, {1, 1, kFill}}},
        {ptfsSingle, {{0, 0, frame}, {w - 1, h - 1, frame}, {w - 1, 5, frame}, {1, 1, kFill}}},
        {ptfsHorzLine, {{5, 0, shadow}, {5, 1, light}, {0, 5, kFill}, {5, h - 1, kFill}}},
        {ptfsHorzEdge, {{5, 0, shadow}, {5, 1, light}, {5, h - 2, shadow}, {5, h - 1, light}}},
        {ptfsVertLine, {{0, 5, shadow}, {1, 5, light}, {5, 0, kFill}, {w - 1, 5, kFill}}},
        {ptfsVertEdge, {{0, 5, shadow}, {1, 5, light}, {w - 2, 5, shadow}, {w - 1, 5, light}}},
    };
    for (const auto& c : cases) {
        TPTFrame control(form, 10, 10, w, h);
        control.SetColor(kFill);
        control.SetFrameStyle(c.style);
        TestCanvas canvas(60, 50, kOutside);
        PrintClient(form, canvas);
        for (const Expect& e : c.pixels)
            EXPECT_EQ(canvas.Pixel(10 + e.x, 10 + e.y), e.color)
                << "style " << c.style << " at " << e.x << "," << e.y;
        // Nothing outside the bounds.
        EXPECT_EQ(canvas.Pixel(9, 9), kOutside);
        EXPECT_EQ(canvas.Pixel(10 + w, 10 + h), kOutside);
    }
}

TEST_F(FrameTest, AStatusLineShowsOnlyItsCaptionCutWithAnEllipsis) {
    const std::wstring caption = L"C:\\Some rather long folder\\with a deeper folder inside";
    TPTFrame status(form, 0, 0, 90, 16);
    status.SetColor(kFill);
    status.SetFrameStyle(ptfsNone);
    status.SetFrameSpace(0);
    status.SetAlignment(CaptionAlignment::Left);
    status.SetCaption(caption);
    TestCanvas canvas(90, 16, kOutside);
    PrintClient(form, canvas);

    // What the platform draws for that text cut at the end, and without the cut.
    auto reference = [&](UINT flags) {
        auto out = std::make_unique<TestCanvas>(90, 16, kFill);
        SelectObject(out->Dc(), status.Font());
        SetBkMode(out->Dc(), TRANSPARENT);
        SetTextColor(out->Dc(), Sys(COLOR_BTNTEXT));
        RECT rect{0, 0, 90, 16};
        std::wstring text = caption;
        DrawTextW(out->Dc(), text.data(), int(text.size()), &rect,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | flags);
        return out;
    };
    EXPECT_TRUE(canvas.SameAs(*reference(DT_END_ELLIPSIS)));
    EXPECT_FALSE(canvas.SameAs(*reference(0)));
    // The text starts at the left edge.
    EXPECT_GT(canvas.Count({0, 0, 3, 16}, Sys(COLOR_BTNTEXT)), 0);
}

// Caption, colour and font changes redraw the inner area, without the frame lines; a group frame
// draws its caption in its top edge, so there they redraw the whole frame.
TEST_F(FrameTest, ALookChangeRedrawsWhereTheCaptionIs) {
    form.Show();
    base::FontHandle other = ui::CreateUiFont(L"Tahoma", 12);
    const struct {
        const char* name;
        std::function<void(TPTFrame&)> change;
    } changes[] = {
        {"caption", [](TPTFrame& f) { f.SetCaption(L"Ready"); }},
        {"colour", [](TPTFrame& f) { f.SetColor(kFill); }},
        {"font colour", [](TPTFrame& f) { f.SetFontColor(RGB(1, 2, 3)); }},
        {"font", [&](TPTFrame& f) { f.SetFont(other.Get()); }},
    };
    for (const TPTFrameStyle style : {ptfsLowered, ptfsGroup}) {
        TPTFrame control(form, 20, 20, 100, 40);
        control.SetFrameStyle(style);
        for (const auto& c : changes) {
            SCOPED_TRACE(testing::Message() << c.name << ", style " << style);
            UpdateWindow(form.Handle());
            ValidateRect(form.Handle(), nullptr);
            c.change(control);
            RECT update{};
            ASSERT_TRUE(GetUpdateRect(form.Handle(), &update, FALSE));
            const RECT expected =
                style == ptfsGroup ? RECT{20, 20, 120, 60} : RECT{22, 22, 118, 58};
            EXPECT_TRUE(EqualRect(&update, &expected))
                << update.left << "," << update.top << "," << update.right << "," << update.bottom;
        }
    }
}

// The client area of a group lies inside its frame, whatever the style.
TEST_F(FrameTest, AGroupKeepsItsChildrenInsideTheFrame) {
    TPTGroup group(form, 0, 0, 100, 80);
    group.SetText(L"Options");
    const int captionHeight = GroupCaptionHeight(ui::WindowDc().Get(), group.Font(), true);
    const struct {
        TPTFrameStyle style;
        int width, height;
    } cases[] = {
        {ptfsGroup, 96, 80 - captionHeight - 2},
        {ptfsLowered, 96, 76},
        {ptfsSingle, 98, 78},
        {ptfsHorzLine, 100, 78},
        {ptfsVertEdge, 96, 80},
        {ptfsNone, 100, 80},
    };
    for (const auto& c : cases) {
        group.SetFrameStyle(c.style);
        const RECT client = group.ClientRect();
        EXPECT_EQ(client.right, c.width) << c.style;
        EXPECT_EQ(client.bottom, c.height) << c.style;
    }
    group.SetFrameStyle(ptfsGroup);
    group.SetText(L"");
    EXPECT_EQ(group.ClientRect().bottom, 80 - 2 - 2);
}

TEST_F(FrameTest, TheGroupCaptionInterruptsTheFrameLine) {
    TPTGroup group(form, 0, 0, 160, 60);
    group.SetText(L"Options");
    TestCanvas canvas(160, 60, kOutside);
    group.Send(WM_PRINT, WPARAM(canvas.Dc()), PRF_NONCLIENT);

    const ui::WindowDc screen;
    const int h = GroupCaptionHeight(screen.Get(), group.Font(), true);
    SIZE text{};
    {
        const base::SelectGuard font(screen.Get(), group.Font());
        GetTextExtentPoint32W(screen.Get(), L"Options", 7, &text);
    }
    const int line = h / 2 - 1;
    const COLORREF shadow = Sys(COLOR_BTNSHADOW);
    // The etched line runs in the corners and after the caption...
    EXPECT_EQ(canvas.Pixel(3, line), shadow);
    EXPECT_EQ(canvas.Pixel(3, line + 1), Sys(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(canvas.Pixel(150, line), shadow);
    EXPECT_EQ(canvas.Pixel(0, 30), shadow);
    // ...but not behind the caption, whose box sits on the background colour.
    EXPECT_EQ(canvas.Count({8, line, 8 + text.cx, line + 2}, shadow), 0);
    EXPECT_GT(canvas.Count({8, 0, 8 + text.cx, h}, Sys(COLOR_BTNTEXT)), 0);
}

TEST_F(FrameTest, ADisabledGroupDisablesItsChildrenAndEngravesItsCaption) {
    TPTGroup group(form, 0, 0, 160, 80);
    group.SetText(L"Options");
    ui::Button button(group, L"Go", 10, 10, 60, 20);
    ui::CheckBox check(group, L"Check", 10, 40, 60, 20);
    const int h = GroupCaptionHeight(ui::WindowDc().Get(), group.Font(), true);
    // Highlight-coloured caption pixels, away from the frame's own highlight line.
    auto engravedPixels = [&] {
        TestCanvas canvas(160, 80, kOutside);
        group.Send(WM_PRINT, WPARAM(canvas.Dc()), PRF_NONCLIENT);
        const COLORREF light = Sys(COLOR_BTNHIGHLIGHT);
        return canvas.Count({8, 0, 60, h / 2 - 1}, light) +
               canvas.Count({8, h / 2 + 1, 60, h}, light);
    };
    EXPECT_EQ(engravedPixels(), 0);

    group.SetEnabled(false);
    EXPECT_FALSE(button.Enabled());
    EXPECT_FALSE(check.Enabled());
    EXPECT_GT(engravedPixels(), 0);

    group.SetEnabled(true);
    EXPECT_TRUE(button.Enabled());
    EXPECT_TRUE(check.Enabled());
    EXPECT_EQ(engravedPixels(), 0);
}

TEST_F(FrameTest, APaneCanBeCreatedByNameWhileTheShellControlsAreInitialised) {
    {
        ShellControlsUnit shellControls;
        ASSERT_TRUE(ui::IsControlClassRegistered(L"TPTPane"));
        // A second class under the same name does not replace the first.
        EXPECT_FALSE(ui::RegisterControlClass(L"TPTPane", [](ui::Window& parent) {
            return std::unique_ptr<ui::Window>(new TPTGroup(parent));
        }));
        std::unique_ptr<ui::Window> control = ui::CreateControl(L"TPTPane", form);
        auto* pane = dynamic_cast<TPTPane*>(control.get());
        ASSERT_NE(pane, nullptr);
        EXPECT_EQ(pane->MinSize(), 20);
        EXPECT_EQ(pane->FrameStyle(), ptfsLowered);
        EXPECT_EQ(pane->Width(), 64);
        EXPECT_EQ(pane->Height(), 48);
        EXPECT_THROW(ui::CreateControl(L"TNoSuchControl", form), base::Error);
    }
    EXPECT_FALSE(ui::IsControlClassRegistered(L"TPTPane"));
}

}  // namespace
}  // namespace shellctl
