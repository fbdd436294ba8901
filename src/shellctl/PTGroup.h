// A windowed container that draws a frame in its non-client area, so that its children sit
// inside the frame; with ptfsGroup it is a captioned group box. TPTPane is a group meant as one
// pane of a split view.
#pragma once

#include <string>

#include "shellctl/FrameDrawing.h"
#include "shellctl/FrameLook.h"
#include "shellctl/PTFrame.h"
#include "ui/Window.h"

namespace shellctl {

class TPTGroup : public ui::Window, public FrameLook {
  public:
    explicit TPTGroup(ui::Window& parent, int x = 0, int y = 0, int width = 64, int height = 48);

    // The caption is the window text (Text, SetText).

    TPTFramePaintEvent<TPTGroup> OnPaint;
    ui::NotifyEvent OnClick;
    ui::NotifyEvent OnDblClick;

  protected:
    TPTGroup(ui::Window& parent, int x, int y, int width, int height, TPTFrameStyle style);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The client area, on a device context with the client's origin.
    virtual void PaintClient(HDC dc);
    // The frame, on a device context with the window's origin.
    virtual void PaintNonClient(HDC dc);
    void LookChanged(Part part) override;

  private:
    HFONT DrawingFont() const;
    RECT Inset() const;
    void EraseClient(HDC dc);
    void Print(HDC dc, LPARAM flags);
    // Has the platform recompute and repaint the non-client frame.
    void FrameChanged();
    // A repaint of the client, and of the frame too when the frame shows the caption.
    void Changed();

    bool styleChanged_ = false;
    bool pressed_ = false;
};

class TPTPane : public TPTGroup {
  public:
    explicit TPTPane(ui::Window& parent, int x = 0, int y = 0, int width = 64, int height = 48);

    int MinSize() const noexcept { return minSize_; }
    void SetMinSize(int size) noexcept { minSize_ = size; }
    int Index() const noexcept { return index_; }
    void SetIndex(int index) noexcept { index_ = index; }

  private:
    int minSize_ = 20;
    int index_ = 0;
};

}  // namespace shellctl
