#include "ui/ImageList.h"

#include "base/Error.h"
#include "ui/Application.h"

namespace ui {

ImageList::ImageList(int resourceId, int imageSize, COLORREF maskColour)
    : ImageList(ImageListHandle(
          ImageList_LoadImageW(App().ModuleInstance(), MAKEINTRESOURCEW(resourceId), imageSize, 0,
                               maskColour, IMAGE_BITMAP, LR_CREATEDIBSECTION))) {
    if (list_ == nullptr) base::ThrowLastError();
}

ImageList::ImageList(ImageListHandle list) noexcept
    : owned_(std::move(list)), list_(owned_.Get()) {}

ImageList ImageList::Borrowed(HIMAGELIST list) noexcept {
    ImageList borrowed;
    borrowed.list_ = list;
    return borrowed;
}

int ImageList::ImageSize() const noexcept {
    int width = 0, height = 0;
    return ImageList_GetIconSize(list_, &width, &height) ? width : 0;
}

void ImageList::Draw(int index, HDC dc, int x, int y, bool enabled) const {
    if (enabled) {
        ImageList_Draw(list_, index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    IMAGELISTDRAWPARAMS params{};
    params.cbSize = sizeof params;
    params.himl = list_;
    params.i = index;
    params.hdcDst = dc;
    params.x = x;
    params.y = y;
    params.rgbBk = CLR_NONE;
    params.rgbFg = CLR_DEFAULT;
    params.fStyle = ILD_TRANSPARENT;
    params.fState = ILS_SATURATE;
    ImageList_DrawIndirect(&params);
}

}  // namespace ui
