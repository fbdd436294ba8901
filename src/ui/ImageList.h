// Image lists: owned ones, loaded from a bitmap strip or taken over, and borrowed ones that belong
// to someone else (the system image lists of the shell) and must never be destroyed.
//
//   ui::ImageList glyphs(IDB_GLYPHS, 16);                        // owned, destroyed with the
//   object ui::ImageList icons = ui::ImageList::Borrowed(systemSmall);  // used, never destroyed
#pragma once

#include <utility>

#include <windows.h>
#include <commctrl.h>

#include "base/Handle.h"

namespace ui {

namespace handle_policy {
struct ImageList {
    using Type = HIMAGELIST;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type h) noexcept { ImageList_Destroy(h); }
};
}  // namespace handle_policy

using ImageListHandle = base::UniqueHandle<handle_policy::ImageList>;

class ImageList {
  public:
    // Loads a strip of square images from a bitmap resource; maskColour is transparent.
    ImageList(int resourceId, int imageSize, COLORREF maskColour = RGB(255, 0, 255));
    // Takes an image list over; it is destroyed with this object.
    explicit ImageList(ImageListHandle list) noexcept;
    // An image list owned elsewhere, such as the system's icons: drawn from, never destroyed.
    static ImageList Borrowed(HIMAGELIST list) noexcept;

    ImageList(ImageList&& other) noexcept
        : owned_(std::move(other.owned_)), list_(std::exchange(other.list_, nullptr)) {}
    ImageList& operator=(ImageList&& other) noexcept {
        owned_ = std::move(other.owned_);
        list_ = std::exchange(other.list_, nullptr);
        return *this;
    }

    HIMAGELIST Handle() const noexcept { return list_; }
    bool Owned() const noexcept { return owned_.Valid(); }
    int Count() const { return ImageList_GetImageCount(list_); }
    // The width of the images.
    int ImageSize() const noexcept;
    // Draws one image at a point; a disabled image is drawn greyed.
    void Draw(int index, HDC dc, int x, int y, bool enabled = true) const;

  private:
    ImageList() noexcept = default;

    ImageListHandle owned_;
    HIMAGELIST list_ = nullptr;
};

}  // namespace ui
