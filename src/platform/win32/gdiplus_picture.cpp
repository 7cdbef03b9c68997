#include "platform/win32/gdiplus_picture.h"

#include <algorithm>
#include <variant>

#include "platform/win32/wide_text.h"

namespace kelvora::win32 {

namespace {

// The flat interface's types, as far as they are used here.
using GpStatus = int;
using REAL = float;
using ARGB = DWORD;
struct GpGraphics;
struct GpPen;
struct GpBrush;
struct GpFont;
struct GpFontFamily;
struct GpFontCollection;
struct GpStringFormat;
struct GdiplusStartupInput {
  UINT32 GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct RectF {
  REAL x, y, width, height;
};

constexpr GpStatus kOk = 0;
constexpr int kUnitWorld = 0;
constexpr int kUnitPoint = 3;
constexpr int kFontStyleRegular = 0;
constexpr int kFontStyleBold = 1;
constexpr int kMatrixOrderAppend = 1;

ARGB Argb(geometry::Rgb color) {
  return 0xFF000000u | (static_cast<ARGB>(color.r) << 16) | (static_cast<ARGB>(color.g) << 8) |
         color.b;
}

}  // namespace

struct GdiplusPictures::Api {
  HMODULE library = nullptr;
  ULONG_PTR token = 0;

  GpStatus(WINAPI* GdiplusStartup)(ULONG_PTR*, const GdiplusStartupInput*, void*) = nullptr;
  void(WINAPI* GdiplusShutdown)(ULONG_PTR) = nullptr;
  GpStatus(WINAPI* GdipCreateFromHDC)(HDC, GpGraphics**) = nullptr;
  GpStatus(WINAPI* GdipDeleteGraphics)(GpGraphics*) = nullptr;
  GpStatus(WINAPI* GdipTranslateWorldTransform)(GpGraphics*, REAL, REAL, int) = nullptr;
  GpStatus(WINAPI* GdipScaleWorldTransform)(GpGraphics*, REAL, REAL, int) = nullptr;
  GpStatus(WINAPI* GdipFillRectangleI)(GpGraphics*, GpBrush*, INT, INT, INT, INT) = nullptr;
  GpStatus(WINAPI* GdipCreatePen1)(ARGB, REAL, int, GpPen**) = nullptr;
  GpStatus(WINAPI* GdipDeletePen)(GpPen*) = nullptr;
  GpStatus(WINAPI* GdipSetPenDashArray)(GpPen*, const REAL*, INT) = nullptr;
  GpStatus(WINAPI* GdipDrawLineI)(GpGraphics*, GpPen*, INT, INT, INT, INT) = nullptr;
  GpStatus(WINAPI* GdipDrawEllipseI)(GpGraphics*, GpPen*, INT, INT, INT, INT) = nullptr;
  GpStatus(WINAPI* GdipDrawArcI)(GpGraphics*, GpPen*, INT, INT, INT, INT, REAL, REAL) = nullptr;
  GpStatus(WINAPI* GdipDrawRectangleI)(GpGraphics*, GpPen*, INT, INT, INT, INT) = nullptr;
  GpStatus(WINAPI* GdipCreateSolidFill)(ARGB, GpBrush**) = nullptr;
  GpStatus(WINAPI* GdipDeleteBrush)(GpBrush*) = nullptr;
  GpStatus(WINAPI* GdipCreateFontFamilyFromName)(const WCHAR*, GpFontCollection*,
                                                 GpFontFamily**) = nullptr;
  GpStatus(WINAPI* GdipGetGenericFontFamilySansSerif)(GpFontFamily**) = nullptr;
  GpStatus(WINAPI* GdipDeleteFontFamily)(GpFontFamily*) = nullptr;
  GpStatus(WINAPI* GdipCreateFont)(const GpFontFamily*, REAL, INT, int, GpFont**) = nullptr;
  GpStatus(WINAPI* GdipDeleteFont)(GpFont*) = nullptr;
  GpStatus(WINAPI* GdipDrawString)(GpGraphics*, const WCHAR*, INT, const GpFont*, const RectF*,
                                   const GpStringFormat*, const GpBrush*) = nullptr;

  // Finds every function; the name of the first one missing, else empty.
  std::string Bind() {
    std::string missing;
    auto bind = [&](auto& function, const char* name) {
      FARPROC found = GetProcAddress(library, name);
      if (!found && missing.empty()) missing = name;
      function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
          reinterpret_cast<void*>(found));
    };
    bind(GdiplusStartup, "GdiplusStartup");
    bind(GdiplusShutdown, "GdiplusShutdown");
    bind(GdipCreateFromHDC, "GdipCreateFromHDC");
    bind(GdipDeleteGraphics, "GdipDeleteGraphics");
    bind(GdipTranslateWorldTransform, "GdipTranslateWorldTransform");
    bind(GdipScaleWorldTransform, "GdipScaleWorldTransform");
    bind(GdipFillRectangleI, "GdipFillRectangleI");
    bind(GdipCreatePen1, "GdipCreatePen1");
    bind(GdipDeletePen, "GdipDeletePen");
    bind(GdipSetPenDashArray, "GdipSetPenDashArray");
    bind(GdipDrawLineI, "GdipDrawLineI");
    bind(GdipDrawEllipseI, "GdipDrawEllipseI");
    bind(GdipDrawArcI, "GdipDrawArcI");
    bind(GdipDrawRectangleI, "GdipDrawRectangleI");
    bind(GdipCreateSolidFill, "GdipCreateSolidFill");
    bind(GdipDeleteBrush, "GdipDeleteBrush");
    bind(GdipCreateFontFamilyFromName, "GdipCreateFontFamilyFromName");
    bind(GdipGetGenericFontFamilySansSerif, "GdipGetGenericFontFamilySansSerif");
    bind(GdipDeleteFontFamily, "GdipDeleteFontFamily");
    bind(GdipCreateFont, "GdipCreateFont");
    bind(GdipDeleteFont, "GdipDeleteFont");
    bind(GdipDrawString, "GdipDrawString");
    return missing;
  }
};

GdiplusPictures::GdiplusPictures(const wchar_t* library) {
  auto api = std::make_unique<Api>();
  api->library = LoadLibraryW(library);
  if (!api->library) {
    failure_ = "GDI+ could not be loaded (" + Utf8FromWide(library) + ", error " +
               std::to_string(GetLastError()) + "): previews are not drawn";
    return;
  }
  if (const std::string missing = api->Bind(); !missing.empty()) {
    failure_ = "GDI+ lacks " + missing + ": previews are not drawn";
    FreeLibrary(api->library);
    return;
  }
  const GdiplusStartupInput input;
  if (const GpStatus status = api->GdiplusStartup(&api->token, &input, nullptr); status != kOk) {
    failure_ = "GDI+ did not start (status " + std::to_string(status) + "): previews are not drawn";
    FreeLibrary(api->library);
    return;
  }
  api_ = std::move(api);
}

GdiplusPictures::~GdiplusPictures() {
  if (!api_) return;
  api_->GdiplusShutdown(api_->token);
  FreeLibrary(api_->library);
}

bool GdiplusPictures::Available() const {
  return api_ != nullptr;
}

namespace {

// Draws the primitives with a graphics object already placed and scaled.
class PrimitiveDrawer {
 public:
  PrimitiveDrawer(const GdiplusPictures::Api& api, GpGraphics* graphics)
      : api_(api), graphics_(graphics) {}

  void operator()(const geometry::LinePrim& p) const {
    WithPen(p.pen, [&](GpPen* pen) { api_.GdipDrawLineI(graphics_, pen, p.x1, p.y1, p.x2, p.y2); });
  }
  void operator()(const geometry::EllipsePrim& p) const {
    WithPen(p.pen, [&](GpPen* pen) {
      api_.GdipDrawEllipseI(graphics_, pen, p.x, p.y, p.width, p.height);
    });
  }
  void operator()(const geometry::ArcPrim& p) const {
    WithPen(p.pen, [&](GpPen* pen) {
      api_.GdipDrawArcI(graphics_, pen, p.x, p.y, p.width, p.height,
                        static_cast<REAL>(p.startAngle), static_cast<REAL>(p.sweepAngle));
    });
  }
  void operator()(const geometry::RectPrim& p) const {
    if (p.width < 0 || p.height < 0) return;
    if (p.filled) {
      GpBrush* brush = nullptr;
      if (api_.GdipCreateSolidFill(Argb(p.pen.color), &brush) != kOk) return;
      api_.GdipFillRectangleI(graphics_, brush, p.x, p.y, p.width, p.height);
      api_.GdipDeleteBrush(brush);
      return;
    }
    WithPen(p.pen, [&](GpPen* pen) {
      api_.GdipDrawRectangleI(graphics_, pen, p.x, p.y, p.width, p.height);
    });
  }
  void operator()(const geometry::TextPrim& p) const {
    const std::wstring family = WideFromUtf8(p.TextFont().family);
    GpFontFamily* fontFamily = nullptr;
    if (api_.GdipCreateFontFamilyFromName(family.c_str(), nullptr, &fontFamily) != kOk) {
      // A face the system lacks is drawn in its generic sans-serif face.
      fontFamily = nullptr;
      if (api_.GdipGetGenericFontFamilySansSerif(&fontFamily) != kOk) return;
    }
    GpFont* font = nullptr;
    if (api_.GdipCreateFont(fontFamily, static_cast<REAL>(p.TextFont().points),
                            p.TextFont().bold ? kFontStyleBold : kFontStyleRegular, kUnitPoint,
                            &font) == kOk) {
      GpBrush* brush = nullptr;
      if (api_.GdipCreateSolidFill(Argb(p.Brush()), &brush) == kOk) {
        const std::wstring text = WideFromUtf8(p.Text());
        // A layout box of no size: the text is neither wrapped nor clipped.
        const RectF box{static_cast<REAL>(p.x), static_cast<REAL>(p.y), 0, 0};
        api_.GdipDrawString(graphics_, text.c_str(), static_cast<INT>(text.size()), font, &box,
                            nullptr, brush);
        api_.GdipDeleteBrush(brush);
      }
      api_.GdipDeleteFont(font);
    }
    api_.GdipDeleteFontFamily(fontFamily);
  }

 private:
  template <typename Draw>
  void WithPen(const geometry::Pen& pen, Draw draw) const {
    GpPen* gpPen = nullptr;
    if (api_.GdipCreatePen1(Argb(pen.color), static_cast<REAL>(pen.width), kUnitWorld, &gpPen) !=
        kOk) {
      return;
    }
    if (pen.dashed) {
      // Dashes of 4 and gaps of 3 pen widths, as the SVG pictures draw them.
      const REAL dashes[] = {4, 3};
      api_.GdipSetPenDashArray(gpPen, dashes, 2);
    }
    draw(gpPen);
    api_.GdipDeletePen(gpPen);
  }

  const GdiplusPictures::Api& api_;
  GpGraphics* graphics_;
};

}  // namespace

bool GdiplusPictures::Draw(HDC dc, const geometry::Picture& picture, const RECT& target,
                           bool zoom) const {
  if (!api_ || picture.width <= 0 || picture.height <= 0) return false;
  GpGraphics* graphics = nullptr;
  if (api_->GdipCreateFromHDC(dc, &graphics) != kOk) return false;

  double scale = 1.0;
  double left = target.left;
  double top = target.top;
  if (zoom) {
    const double width = target.right - target.left;
    const double height = target.bottom - target.top;
    scale = std::min(width / picture.width, height / picture.height);
    left += (width - picture.width * scale) / 2;
    top += (height - picture.height * scale) / 2;
  }
  api_->GdipScaleWorldTransform(graphics, static_cast<REAL>(scale), static_cast<REAL>(scale),
                                kMatrixOrderAppend);
  api_->GdipTranslateWorldTransform(graphics, static_cast<REAL>(left), static_cast<REAL>(top),
                                    kMatrixOrderAppend);

  GpBrush* background = nullptr;
  if (api_->GdipCreateSolidFill(Argb(picture.background), &background) == kOk) {
    api_->GdipFillRectangleI(graphics, background, 0, 0, picture.width, picture.height);
    api_->GdipDeleteBrush(background);
  }
  const PrimitiveDrawer drawer(*api_, graphics);
  for (const geometry::Primitive& item : picture.items) std::visit(drawer, item);
  api_->GdipDeleteGraphics(graphics);
  return true;
}

}  // namespace kelvora::win32
