// Measures how long the window's program box (a multi-line edit control, as the
// native back-end makes it) takes to show a program of N lines:
//   program_box_speed.exe [LINES]      (default 5000000)
// Prints the seconds for building the text and for showing it.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  const long lines = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 5000000;
  using Clock = std::chrono::steady_clock;
  const auto begin = Clock::now();
  std::wstring program;
  program.reserve(static_cast<std::size_t>(lines) * 20);
  for (long i = 0; i < lines; ++i) {
    program += L"G1X" + std::to_wstring(i % 1000) + L".5Y" + std::to_wstring(i / 1000) + L"\r\n";
  }
  const auto built = Clock::now();
  HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL |
                                 ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL,
                             0, 0, 400, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!box) return 1;
  SendMessageW(box, EM_SETLIMITTEXT, 0, 0);
  const auto created = Clock::now();
  const BOOL set = SetWindowTextW(box, program.c_str());
  UpdateWindow(box);
  const auto shown = Clock::now();
  const auto seconds = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
  std::printf("%ld lines (%zu characters): text built in %.2f s, shown in %.2f s, %s\n", lines,
              program.size(), seconds(begin, built), seconds(created, shown),
              set ? "accepted" : "refused");
  std::printf("characters held by the box: %d\n", GetWindowTextLengthW(box));
  DestroyWindow(box);
  return 0;
}
