// Shows the plug-in's window through the native back-end, by itself (without a
// host), for looking at it and taking screenshots:
//   kelvora_window.exe [--page NAME] [--click NAME] [--type NAME TEXT] [--probe X Y]
//                      [--select NAME INDEX] [--program-lines N] [--seconds N]
//                      [--edit GRID LINE COLUMN TEXT]
// --page selects a tab page (and the pages it lies in), --click presses a button
// (or clicks a link-like label) and --type types into a text box, all through
// the native controls.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "dialog/program_hand_off.h"
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
  kelvora::win32::NativePrompts prompts;
  kelvora::dialog::FolderHandOff handOff("C:\\Mach3\\PlugIns\\Gcode");
  kelvora::dialog::XYZDemoDialog dialog(prompts, handOff);
  kelvora::win32::NativeForm native(dialog.GetForm());
  for (kelvora::ui::Timer* timer : dialog.Timers()) native.AddTimer(*timer);
  if (!native.Handle()) {
    fwprintf(stderr, L"%hs\n", native.Failure().c_str());
    return 1;
  }
  if (!native.Failure().empty()) fwprintf(stderr, L"%hs\n", native.Failure().c_str());
  prompts.SetOwner(native.Handle());
  kelvora::win32::InstallDialogMessageHook();
  dialog.ShowAndFocus();

  int seconds = 6;
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
        SendMessageW(button, BM_CLICK, 0, 0);
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
