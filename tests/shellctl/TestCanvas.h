// A memory bitmap to render controls into and read back pixel by pixel.
#pragma once

#include <cstdint>
#include <functional>

#include <windows.h>

namespace testing_support {

class TestCanvas {
  public:
    TestCanvas(int width, int height, COLORREF fill);
    ~TestCanvas();
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    HDC Dc() const noexcept { return dc_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    COLORREF Pixel(int x, int y) const;
    // The number of pixels in the area that pass the test.
    int Count(const RECT& area, const std::function<bool(COLORREF)>& test) const;
    int Count(const RECT& area, COLORREF color) const {
        return Count(area, [color](COLORREF c) { return c == color; });
    }
    bool SameAs(const TestCanvas& other) const;

  private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    std::uint32_t* bits_ = nullptr;
};

}  // namespace testing_support
