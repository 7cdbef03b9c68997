// Pieces the native window back-end's parts share: the window classes and the
// names they carry, the texts of native controls, and what a part (a grid, the
// program views, painting) asks of the form it belongs to.
#pragma once

#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <string>

#include "geometry/picture.h"
#include "ui/control.h"

namespace kelvora::win32 {

inline constexpr wchar_t kFormClass[] = L"KelvoraForm";
inline constexpr wchar_t kPictureClass[] = L"KelvoraPicture";
inline constexpr wchar_t kProgramViewClass[] = L"KelvoraProgramView";
// The drop-down list's height below a combo box.
inline constexpr int kDropDownHeight = 240;

// Every window carries its control's name, as a global atom, so a test host
// can find the controls it drives.
void NameWindow(HWND window, const std::string& name);
void UnnameWindow(HWND window);

// The module this code lies in (the plug-in's library, or a program): window
// classes belong to it, so a host or another module with classes of the same
// names never meets ours.
HINSTANCE ThisModule();

inline COLORREF ColorOf(geometry::Rgb rgb) {
  return RGB(rgb.r, rgb.g, rgb.b);
}

std::wstring WindowText(HWND window);
// A control's text as its native control shows it: multi-line boxes show line
// breaks only as CR LF.
std::wstring NativeText(const ui::Control& control);
// Code points of a UTF-16 prefix (the models count characters, not units).
std::size_t CodePoints(const std::wstring& text, std::size_t units);

// What the form's parts ask of the form they belong to.
class FormSite {
 public:
  // The form's window, the parent of every control.
  virtual HWND Window() const = 0;
  // The native control of a model control, or null.
  virtual HWND Handle(const ui::Control& control) const = 0;
  // The model control a native control shows, or null.
  virtual ui::Control* ControlOf(HWND handle) const = 0;
  // Names something that could not be made (see NativeForm::Failure).
  virtual void Fail(const std::string& what) = 0;
  // Shows or hides a control's windows as it and its containers are.
  virtual void SyncVisible(ui::Control& control) = 0;
  // After the models acted on the operator's input: brings the grids and the
  // timers up to date.
  virtual void AfterEvent() = 0;

 protected:
  ~FormSite() = default;
};

// Set while the back-end writes into a native control, so the notifications
// that writing raises are not taken for the operator's.
class WriteScope {
 public:
  explicit WriteScope(int& depth) : depth_(depth) { ++depth_; }
  ~WriteScope() { --depth_; }
  WriteScope(const WriteScope&) = delete;
  WriteScope& operator=(const WriteScope&) = delete;

 private:
  int& depth_;
};

// A subclass procedure over a member of the part that installed it (its
// pointer is the subclass data): the member answers the messages it handles
// and sets `handled`; everything else, and the subclass's removal when the
// window goes, is done here.
template <typename Part, LRESULT (Part::*Member)(HWND, UINT, WPARAM&, LPARAM, bool& handled)>
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR data) {
  bool handled = false;
  const LRESULT result =
      (reinterpret_cast<Part*>(data)->*Member)(window, message, wParam, lParam, handled);
  if (handled) return result;
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &SubclassProc<Part, Member>, 0);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

template <typename Part, LRESULT (Part::*Member)(HWND, UINT, WPARAM&, LPARAM, bool& handled)>
void Subclass(HWND window, Part* part) {
  SetWindowSubclass(window, &SubclassProc<Part, Member>, 0, reinterpret_cast<DWORD_PTR>(part));
}

}  // namespace kelvora::win32
