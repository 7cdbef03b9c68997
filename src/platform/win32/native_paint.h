// Painting of the native window back-end: the fonts and brushes of a form's
// controls, the colours behind them, the owner-drawn buttons, the picture boxes
// and panels, and the insides of group boxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/win32/gdiplus_picture.h"
#include "platform/win32/native_window.h"
#include "ui/form.h"

namespace kelvora::win32 {

// The pictures are drawn by one GDI+ for the whole process, loaded when the
// first window is made. It is never shut down: GDI+ must not be stopped while a
// library is being unloaded, and the process's end releases it.
GdiplusPictures& Pictures();

class FormPainter {
 public:
  FormPainter(ui::Form& form, FormSite& site) : form_(form), site_(site) {}
  ~FormPainter();
  FormPainter(const FormPainter&) = delete;
  FormPainter& operator=(const FormPainter&) = delete;

  // The window procedure of picture boxes and panels, whose user data is their
  // form's painter.
  static LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Makes a group box fill its inside before drawing its frame and caption.
  void SubclassGroupBox(HWND window);

  // One font per family, size and weight, made when first asked for.
  HFONT FontFor(const ui::Control& control);
  HBRUSH Brush(COLORREF color);
  // The colour behind a control: the nearest own background colour of it or a
  // control it lies in; tab pages are white, the form its caption gradient's.
  COLORREF BackgroundOf(const ui::Control& control) const;

  // WM_CTLCOLOR*: the colours a native control draws `handle` with.
  LRESULT OnColor(HDC dc, HWND handle);
  // WM_DRAWITEM of an owner-drawn button.
  void DrawButton(const DRAWITEMSTRUCT& item);
  // WM_ERASEBKGND of the form's window.
  void EraseForm(HWND window, HDC dc);

  // The picture of a picture box or panel changed: its drawing is made again at
  // the next repaint.
  void PictureChanged(HWND handle);
  // How many times a picture box or panel has been drawn into its kept bitmap
  // in this process (a repaint that only copies the bitmap does not count).
  static std::size_t RenderCount();

 private:
  // A picture box's or panel's drawing, kept between repaints: a repaint copies
  // it and draws nothing, unless the picture, the size or (for a panel, whose
  // picture is asked for anew) the picture's content changed.
  struct KeptDrawing {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
    bool stale = true;
    std::uint64_t content = 0;  // a panel's picture, hashed
  };

  void PaintPicture(HWND handle);
  // Draws the control's picture into `kept`'s bitmap of `client`'s size.
  void Render(HWND handle, HDC dc, const RECT& client, KeptDrawing& kept);
  LRESULT GroupMessage(HWND window, UINT message, WPARAM& wParam, LPARAM lParam, bool& handled);

  ui::Form& form_;
  FormSite& site_;
  std::map<std::tuple<std::string, double, bool>, HFONT> fonts_;
  std::unordered_map<COLORREF, HBRUSH> brushes_;
  std::unordered_map<HWND, KeptDrawing> kept_;
};

}  // namespace kelvora::win32
