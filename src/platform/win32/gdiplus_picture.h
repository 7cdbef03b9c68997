// Draws a Picture with GDI+. GDI+ is loaded when first needed, through its flat
// interface: a system where it cannot be loaded loses the pictures, not the
// window, and the failure is told in words.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "geometry/picture.h"

namespace kelvora::win32 {

class GdiplusPictures {
 public:
  // `library` is the DLL to load (GDI+'s own, unless a test names another).
  explicit GdiplusPictures(const wchar_t* library = L"gdiplus.dll");
  ~GdiplusPictures();
  GdiplusPictures(const GdiplusPictures&) = delete;
  GdiplusPictures& operator=(const GdiplusPictures&) = delete;

  // Whether GDI+ is loaded and started; otherwise Failure() says why.
  bool Available() const;
  const std::string& Failure() const { return failure_; }

  // Draws `picture` into `target` of `dc`: at its own size from the target's
  // top-left corner, or, with `zoom`, scaled to fit the target keeping its
  // proportions and centred. The background fills the picture's area. False
  // when GDI+ is not available or refused to draw.
  bool Draw(HDC dc, const geometry::Picture& picture, const RECT& target, bool zoom = false) const;

  struct Api;

 private:
  std::unique_ptr<Api> api_;
  std::string failure_;
};

}  // namespace kelvora::win32
