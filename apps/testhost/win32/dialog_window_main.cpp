// Shows the plug-in's window through the native back-end, by itself (without a
// host), for looking at it and taking screenshots:
//   kelvora_window.exe [--page NAME] [--click NAME] [--type NAME TEXT] [--probe X Y]
//                      [--select NAME INDEX] [--program-lines N] [--seconds N]
//                      [--edit GRID LINE COLUMN TEXT]
//                      [--open-file PATH] [--quiet] [--time] [--repaint NAME]
//                      [--option KEY TEXT] [--drawing PATH]
// --page selects a tab page (and the pages it lies in), --click presses a button
// (or clicks a link-like label) and --type types into a text box, all through
// the native controls. For measuring: --open-file answers the next open-file
// dialogs with PATH, --quiet writes messages to standard error instead of
// showing them (Yes to every question), --time prints how long each later click
// took until the window was drawn again, and --repaint prints how long a repaint
// of the control takes (the slowest of ten). --option sets an Options form's key
// as its OK does, and --drawing opens a drawing on the router's DXF sub-tab as
// its Open does with the file chosen.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "dialog/program_hand_off.h"
#include "dialog/router_page.h"
#include "dialog/xyz_demo_dialog.h"
#include "platform/win32/native_form.h"
#include "platform/win32/native_prompts.h"
#include "platform/win32/wide_text.h"
#include "ui/data_grid.h"
#include "ui/widgets.h"

namespace {

using kelvora::win32::Utf8FromWide;
using kelvora::win32::WideFromUtf8;

void CALLBACK EndShow(HWND, UINT, UINT_PTR, DWORD) {
  PostQuitMessage(0);
}

// The window's prompts for measuring: the open-file dialog answered with a
// path given beforehand, messages written out instead of waiting for a click.
class MeasuringPrompts : public kelvora::ui::Prompts {
 public:
  explicit MeasuringPrompts(kelvora::win32::NativePrompts& native) : native_(native) {}

  std::string openPath;
  bool quiet = false;

  void Message(std::string_view text, std::string_view caption = {}) override {
    if (!quiet) return native_.Message(text, caption);
    fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
  }
  bool YesNo(std::string_view text, std::string_view caption) override {
    if (!quiet) return native_.YesNo(text, caption);
    fprintf(stderr, "question (Yes): %.*s\n", static_cast<int>(text.size()), text.data());
    return true;
  }
  std::optional<std::string> OpenFile(std::string_view filter) override {
    if (!openPath.empty()) return openPath;
    return native_.OpenFile(filter);
  }
  std::optional<std::string> SaveFile(std::string_view filter) override {
    return native_.SaveFile(filter);
  }
  kelvora::ui::DialogResult ShowModal(kelvora::ui::Form& form) override {
    return native_.ShowModal(form);
  }

 private:
  kelvora::win32::NativePrompts& native_;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The processor time this process has used, user and kernel, in seconds: on a
// busy machine the wall time of a step is more the machine's than the step's.
double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Draws every invalid part of the window now.
void DrawNow(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Selects the page in its tab control and every page it lies in, outermost first.
bool SelectPage(kelvora::dialog::XYZDemoDialog& dialog, const std::string& name) {
  auto* page = dialog.Find<kelvora::ui::TabPage>(name);
  if (!page) return false;
  std::vector<kelvora::ui::TabPage*> chain;
  for (kelvora::ui::Control* c = page; c; c = c->Parent()) {
    if (auto* p = dynamic_cast<kelvora::ui::TabPage*>(c)) chain.insert(chain.begin(), p);
  }
  for (kelvora::ui::TabPage* p : chain) {
    if (auto* tabs = dynamic_cast<kelvora::ui::TabControl*>(p->Parent())) tabs->SelectPage(*p);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  kelvora::win32::NativePrompts nativePrompts;
  MeasuringPrompts prompts(nativePrompts);
  kelvora::dialog::FolderHandOff handOff("C:\\Mach3\\PlugIns\\Gcode");
  kelvora::dialog::XYZDemoDialog dialog(prompts, handOff);
  kelvora::win32::NativeForm native(dialog.GetForm());
  for (kelvora::ui::Timer* timer : dialog.Timers()) native.AddTimer(*timer);
  if (!native.Handle()) {
    fwprintf(stderr, L"%hs\n", native.Failure().c_str());
    return 1;
  }
  if (!native.Failure().empty()) fwprintf(stderr, L"%hs\n", native.Failure().c_str());
  nativePrompts.SetOwner(native.Handle());
  kelvora::win32::InstallDialogMessageHook();
  dialog.ShowAndFocus();

  int seconds = 6;
  bool timed = false;
  HWND window = static_cast<HWND>(native.Handle());
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const std::string value = i + 1 < argc ? Utf8FromWide(argv[i + 1]) : std::string();
    if (arg == L"--page" && i + 1 < argc) {
      if (!SelectPage(dialog, value)) fwprintf(stderr, L"no page %ls\n", argv[i + 1]);
      ++i;
    } else if (arg == L"--click" && i + 1 < argc) {
      kelvora::ui::Control* control = dialog.FindControl(value);
      HWND button = control ? static_cast<HWND>(native.ControlHandle(*control)) : nullptr;
      if (!button) fwprintf(stderr, L"no button %ls\n", argv[i + 1]);
      if (button && control->Kind() == kelvora::ui::ControlKind::kLabel) {
        // A label that answers clicks takes the mouse's, once the window runs
        // (its message shows over the window).
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      } else if (button) {
        DrawNow(window);
        const auto start = std::chrono::steady_clock::now();
        const double cpu = CpuSeconds();
        SendMessageW(button, BM_CLICK, 0, 0);
        DrawNow(window);
        if (timed) {
          fprintf(stderr, "time: click %s: %.3f s (cpu %.3f s)\n", value.c_str(),
                  SecondsSince(start), CpuSeconds() - cpu);
        }
      }
      ++i;
    } else if (arg == L"--type" && i + 2 < argc) {
      kelvora::ui::Control* control = dialog.FindControl(value);
      HWND box = control ? static_cast<HWND>(native.ControlHandle(*control)) : nullptr;
      if (box) {
        SendMessageW(box, EM_SETSEL, 0, -1);
        for (const wchar_t* c = argv[i + 2]; *c; ++c) SendMessageW(box, WM_CHAR, *c, 0);
      } else {
        fwprintf(stderr, L"no text box %ls\n", argv[i + 1]);
      }
      i += 2;
    } else if (arg == L"--probe" && i + 2 < argc) {
      // Names the controls whose windows lie under a point of the client area.
      POINT point = {std::wcstol(argv[i + 1], nullptr, 10), std::wcstol(argv[i + 2], nullptr, 10)};
      kelvora::ui::ForEachControl(dialog.GetForm(), [&](kelvora::ui::Control& c) {
        HWND h = static_cast<HWND>(native.ControlHandle(c));
        RECT r;
        if (!h || !IsWindowVisible(h) || !GetWindowRect(h, &r)) return;
        MapWindowPoints(nullptr, static_cast<HWND>(native.Handle()), reinterpret_cast<POINT*>(&r),
                        2);
        if (PtInRect(&r, point)) fprintf(stderr, "%s\n", c.Name().c_str());
      });
      i += 2;
    } else if (arg == L"--select" && i + 2 < argc) {
      // Picks an item of a drop-down, as the operator does from its list.
      kelvora::ui::Control* control = dialog.FindControl(value);
      HWND combo = control ? static_cast<HWND>(native.ControlHandle(*control)) : nullptr;
      if (combo) {
        SendMessageW(combo, CB_SETCURSEL, std::wcstol(argv[i + 2], nullptr, 10), 0);
        SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
      } else {
        fwprintf(stderr, L"no drop-down %ls\n", argv[i + 1]);
      }
      i += 2;
    } else if (arg == L"--program-lines" && i + 1 < argc) {
      // A long program in the circle tab's program box, to look at how it is shown.
      const long lines = std::wcstol(argv[++i], nullptr, 10);
      std::string program;
      for (long n = 0; n < lines; ++n) {
        program += "N" + std::to_string(n + 1) + "G1X" + std::to_string(n % 1000) + "Y" +
                   std::to_string(n / 1000) + "\r\n";
      }
      dialog.Get<kelvora::ui::TextBox>("txtDrillGcode").SetText(std::move(program));
    } else if (arg == L"--edit" && i + 4 < argc) {
      // Clicks a grid's cell twice (the second click edits it) and types into
      // the editor, leaving the edit open.
      kelvora::ui::Control* control = dialog.FindControl(value);
      HWND list = control ? static_cast<HWND>(native.ControlHandle(*control)) : nullptr;
      if (list) {
        const bool headers = static_cast<kelvora::ui::DataGrid*>(control)->RowHeadersVisible();
        RECT r = {};
        r.top = std::wcstol(argv[i + 3], nullptr, 10) + (headers ? 1 : 0);
        r.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETSUBITEMRECT, std::wcstoul(argv[i + 2], nullptr, 10),
                     reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        for (int click = 0; click < 2; ++click) {
          SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
          SendMessageW(list, WM_LBUTTONUP, 0, at);
        }
        for (const wchar_t* c = argv[i + 4]; *c; ++c) SendMessageW(GetFocus(), WM_CHAR, *c, 0);
      } else {
        fwprintf(stderr, L"no grid %ls\n", argv[i + 1]);
      }
      i += 4;
    } else if (arg == L"--open-file" && i + 1 < argc) {
      prompts.openPath = value;
      ++i;
    } else if (arg == L"--quiet") {
      prompts.quiet = true;
    } else if (arg == L"--time") {
      timed = true;
    } else if (arg == L"--repaint" && i + 1 < argc) {
      kelvora::ui::Control* control = dialog.FindControl(value);
      HWND h = control ? static_cast<HWND>(native.ControlHandle(*control)) : nullptr;
      if (h) {
        DrawNow(window);
        double slowest = 0;
        for (int n = 0; n < 10; ++n) {
          const auto start = std::chrono::steady_clock::now();
          RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
          slowest = std::max(slowest, SecondsSince(start));
        }
        fprintf(stderr, "time: repaint %s: %.3f s\n", value.c_str(), slowest);
      } else {
        fwprintf(stderr, L"no control %ls\n", argv[i + 1]);
      }
      ++i;
    } else if (arg == L"--option" && i + 2 < argc) {
      dialog.SetMirrorValue(value, Utf8FromWide(argv[i + 2]));
      i += 2;
    } else if (arg == L"--drawing" && i + 1 < argc) {
      for (kelvora::dialog::DialogPage* page : dialog.PageObjects()) {
        if (auto* router = dynamic_cast<kelvora::dialog::RouterPage*>(page)) {
          router->OpenDrawing(value);
        }
      }
      ++i;
    } else if (arg == L"--seconds" && i + 1 < argc) {
      seconds = std::wcstol(argv[++i], nullptr, 10);
    } else {
      fwprintf(stderr, L"unknown argument: %ls\n", arg.c_str());
      return 2;
    }
  }
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, EndShow);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  kelvora::win32::RemoveDialogMessageHook();
  return 0;
}
