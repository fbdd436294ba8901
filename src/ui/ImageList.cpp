#include "ui/ImageList.h"

#include "ui/Application.h"
#include "base/Error.h"

namespace ui {

ImageList::ImageList(int resourceId, int imageSize, COLORREF maskColour)
    : list_(ImageList_LoadImageW(App().ModuleInstance(), MAKEINTRESOURCEW(resourceId), imageSize, 0,
                                 maskColour, IMAGE_BITMAP, LR_CREATEDIBSECTION)),
      size_(imageSize) {
    if (list_ == nullptr) base::ThrowLastError();
}

ImageList::~ImageList() { ImageList_Destroy(list_); }

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
