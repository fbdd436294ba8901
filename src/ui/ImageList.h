// An owned image list of small images, loaded from a bitmap strip.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace ui {

class ImageList {
  public:
    // Loads a strip of square images from a bitmap resource; maskColour is transparent.
    ImageList(int resourceId, int imageSize, COLORREF maskColour = RGB(255, 0, 255));
    ~ImageList();
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    HIMAGELIST Handle() const noexcept { return list_; }
    int Count() const { return ImageList_GetImageCount(list_); }
    int ImageSize() const noexcept { return size_; }
    // Draws one image at a point.
    void Draw(int index, HDC dc, int x, int y, bool enabled = true) const;

  private:
    HIMAGELIST list_;
    int size_;
};

}  // namespace ui
