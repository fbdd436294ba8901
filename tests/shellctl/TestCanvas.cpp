#include "TestCanvas.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

TestCanvas::TestCanvas(int width, int height, COLORREF fill)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = SelectObject(dc_, bitmap_);
    const std::uint32_t value = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    std::fill(bits_, bits_ + width * height, value);
}

TestCanvas::~TestCanvas() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF TestCanvas::Pixel(int x, int y) const {
    GdiFlush();
    const std::uint32_t value = bits_[y * width_ + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

int TestCanvas::Count(const RECT& area, const std::function<bool(COLORREF)>& test) const {
    int count = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, height_); ++y)
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, width_); ++x)
            if (test(Pixel(x, y))) ++count;
    return count;
}

bool TestCanvas::SameAs(const TestCanvas& other) const {
    GdiFlush();
    return width_ == other.width_ && height_ == other.height_ &&
           std::memcmp(bits_, other.bits_, size_t(width_) * height_ * 4) == 0;
}

}  // namespace testing_support
