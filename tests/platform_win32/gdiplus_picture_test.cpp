// Pictures drawn with GDI+ into a bitmap, read back pixel by pixel.
#include "platform/win32/gdiplus_picture.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kelvora::win32 {
namespace {

using geometry::Picture;
using geometry::Rgb;

// A 32-bit bitmap selected into a memory DC, cleared to grey.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ =
        CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < width * height; ++i) bits_[i] = 0x808080;
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  Rgb At(int x, int y) const {
    GdiFlush();
    const std::uint32_t v = bits_[y * width_ + x];
    return Rgb{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
               static_cast<std::uint8_t>(v)};
  }
  // Pixels in the rectangle that are neither white nor grey.
  int Inked(int x0, int y0, int x1, int y1) const {
    int count = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        const Rgb c = At(x, y);
        if (!(c == geometry::kWhite) && !(c == Rgb{128, 128, 128})) ++count;
      }
    }
    return count;
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  std::uint32_t* bits_ = nullptr;
};

TEST(GdiplusPictures, PrimitivesLandOnTheirPixels) {
  GdiplusPictures pictures;
  ASSERT_TRUE(pictures.Available()) << pictures.Failure();
  Picture picture;
  picture.width = 100;
  picture.height = 80;
  picture.items.push_back(geometry::LinePrim{{geometry::kRed, 1.0}, 10, 20, 90, 20});
  picture.items.push_back(geometry::RectPrim{{geometry::kBlue, 1.0}, 10, 40, 30, 20});
  picture.items.push_back(geometry::EllipsePrim{{geometry::kDarkGreen, 1.0}, 60, 40, 20, 20});
  picture.items.push_back(geometry::RectPrim{{geometry::kBlue, 1.0}, 0, 0, -5, 10});  // nothing
  Canvas canvas(120, 100);
  ASSERT_TRUE(pictures.Draw(canvas.dc(), picture, RECT{0, 0, 120, 100}));

  EXPECT_EQ(canvas.At(50, 20), geometry::kRed);
  EXPECT_EQ(canvas.At(10, 50), geometry::kBlue);        // the rectangle's left side
  EXPECT_EQ(canvas.At(25, 60), geometry::kBlue);        // its bottom side
  EXPECT_EQ(canvas.At(25, 50), geometry::kWhite);       // an outline only
  EXPECT_GT(canvas.Inked(58, 38, 82, 62), 20);          // the circle
  EXPECT_EQ(canvas.At(70, 50), geometry::kWhite);       // its centre stays empty
  EXPECT_EQ(canvas.At(50, 70), geometry::kWhite);       // the background
  EXPECT_EQ(canvas.At(110, 90), (Rgb{128, 128, 128}));  // outside the picture: untouched
}

TEST(GdiplusPictures, TextIsDrawnInItsFontAndBrush) {
  GdiplusPictures pictures;
  ASSERT_TRUE(pictures.Available()) << pictures.Failure();
  Picture picture;
  picture.width = 200;
  picture.height = 60;
  picture.items.push_back(
      geometry::TextPrim{"R1 = 20", {"Arial", 12.0, true}, geometry::kBlue, 10.0, 10.0});
  // A face the system lacks still draws, in a sans-serif face.
  picture.items.push_back(
      geometry::TextPrim{"Xc", {"No Such Face", 10.0, false}, geometry::kRed, 120.0, 10.0});
  Canvas canvas(200, 60);
  ASSERT_TRUE(pictures.Draw(canvas.dc(), picture, RECT{0, 0, 200, 60}));
  EXPECT_GT(canvas.Inked(10, 10, 110, 40), 30);
  EXPECT_GT(canvas.Inked(120, 10, 180, 40), 10);
  EXPECT_EQ(canvas.Inked(0, 45, 200, 60), 0);  // nothing below the texts
}

TEST(GdiplusPictures, ZoomFitsAndCentresThePicture) {
  GdiplusPictures pictures;
  ASSERT_TRUE(pictures.Available()) << pictures.Failure();
  Picture picture;  // 50 x 25, a red frame around it
  picture.width = 50;
  picture.height = 25;
  picture.items.push_back(geometry::RectPrim{{geometry::kRed, 1.0}, 0, 0, 49, 24});
  Canvas canvas(100, 100);
  ASSERT_TRUE(pictures.Draw(canvas.dc(), picture, RECT{0, 0, 100, 100}, /*zoom=*/true));
  // Twice the size, 100 x 50, centred: rows 25 to 75.
  EXPECT_EQ(canvas.At(50, 10), (Rgb{128, 128, 128}));
  EXPECT_EQ(canvas.At(50, 50), geometry::kWhite);
  EXPECT_EQ(canvas.At(50, 90), (Rgb{128, 128, 128}));
  EXPECT_GT(canvas.Inked(0, 24, 100, 28), 50);  // the frame's top side
}

TEST(GdiplusPictures, AMissingLibraryIsToldAndDrawsNothing) {
  GdiplusPictures pictures(L"no-such-gdiplus.dll");
  EXPECT_FALSE(pictures.Available());
  EXPECT_NE(pictures.Failure().find("GDI+ could not be loaded"), std::string::npos)
      << pictures.Failure();
  Picture picture;
  picture.width = 10;
  picture.height = 10;
  Canvas canvas(10, 10);
  EXPECT_FALSE(pictures.Draw(canvas.dc(), picture, RECT{0, 0, 10, 10}));
  EXPECT_EQ(canvas.At(5, 5), (Rgb{128, 128, 128}));
}

}  // namespace
}  // namespace kelvora::win32
