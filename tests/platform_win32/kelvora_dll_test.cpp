// Kelvora.dll loaded as a host loads it: the controller link's exports found by
// their decorated names and called with the standard calling convention; the
// datagrams captured on 127.0.0.1.
// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "hwnd_window.h"
#include "platform/win32/wide_text.h"
#include "plugin/host_interface.h"
#include "windows_host.h"

namespace {

using InitController = int(__stdcall*)();
using CommunicationEnable = int(__stdcall*)(const char* host);
using CommunicationDisable = int(__stdcall*)();
using StatusGet = int(__stdcall*)(unsigned char* record);
using SendOut = void(__stdcall*)();

// A UDP socket on 127.0.0.1 at a fixed port, reading datagrams.
class Receiver {
 public:
  explicit Receiver(unsigned short port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    bound_ = bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    const DWORD timeout = 2000;
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
  }
  ~Receiver() {
    closesocket(socket_);
    WSACleanup();
  }
  bool bound() const { return bound_; }
  std::string Receive() {
    char buffer[256];
    const int size = recv(socket_, buffer, sizeof(buffer), 0);
    return size < 0 ? std::string("(nothing)")
                    : std::string(buffer, static_cast<std::size_t>(size));
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  bool bound_ = false;
};

template <typename F>
F Export(HMODULE library, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

TEST(KelvoraDll, TheControllerLinkSpeaksUdpThroughItsDecoratedExports) {
  HMODULE library = LoadLibraryA(KELVORA_DLL);
  ASSERT_NE(library, nullptr) << KELVORA_DLL;
  auto init = Export<InitController>(library, "_Cnc_Init_Controller@0");
  auto enable = Export<CommunicationEnable>(library, "_Cnc_Communication_Enable@4");
  auto disable = Export<CommunicationDisable>(library, "_Cnc_Communication_Disable@0");
  auto status = Export<StatusGet>(library, "_Cnc_Status_Get@4");
  auto sendOut = Export<SendOut>(library, "_my_SendOut@0");
  ASSERT_TRUE(init && enable && disable && status && sendOut);

  Receiver port8000(8000);
  Receiver port8001(8001);
  ASSERT_TRUE(port8000.bound() && port8001.bound());
  EXPECT_EQ(init(), 0);
  EXPECT_EQ(enable("127.0.0.1"), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(port8000.Receive(), "keepalive") << i;
  sendOut();
  EXPECT_EQ(port8000.Receive(), std::string("U\x44\x44\x44\x44\0\0\0\0\xAA\0\0\0", 13));
  unsigned char record[31] = {};
  EXPECT_EQ(status(record), -1);  // nothing ever answers
  EXPECT_EQ(disable(), 0);
  FreeLibrary(library);
}

// The library's windows carry their control names; the host finds them so.
HWND FindByName(HWND form, const std::wstring& name) {
  return kelvora::testhost::FindControl(form, kelvora::win32::Utf8FromWide(name));
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

template <typename F>
bool PumpUntil(F done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!done()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (std::chrono::steady_clock::now() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// The road of one program, as the host and the operator take it: start-up in
// the host's order, the menu entry, the window, typing and clicking through
// window messages, the update cycles, the host's load of temp.tap.
TEST(KelvoraDll, TheCircleRoadFromTheMenuToTheHostsLoad) {
  using namespace kelvora;
  win32::testing::Host host;
  ASSERT_TRUE(host.windowMade);
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelvora-dll-road";
  std::filesystem::create_directories(folder);
  const std::filesystem::path profile = folder / "Mach3Mill.xml";
  std::ofstream(profile, std::ios::binary) << "<?xml version=\"1.0\"?>\n<profile>\n</profile>\n";

  HMODULE library = LoadLibraryA(KELVORA_DLL);
  ASSERT_NE(library, nullptr) << KELVORA_DLL;
  Export<void (*)(plugin::GetMenuRangeFn)>(library,
                                           "SetGetMenuRange")(&win32::testing::GetMenuRange);
  Export<void (*)(plugin::DoButtonFn)>(library, "SetDoButton")(&win32::testing::DoButton);
  Export<void (*)(plugin::SetDROFn)>(library, "SetSetDRO")(&win32::testing::SetDRO);
  Export<void (*)(plugin::GetDROFn)>(library, "SetGetDRO")(&win32::testing::GetDRO);
  Export<void (*)(plugin::GetLEDFn)>(library, "SetGetLED")(&win32::testing::GetLED);
  Export<void (*)(plugin::SetLEDFn)>(library, "SetSetLED")(&win32::testing::SetLED);
  Export<void (*)(plugin::CodeFn)>(library, "SetCode")(&win32::testing::Code);
  const std::string profilePath = profile.string();
  EXPECT_STREQ(Export<const char* (*)(const char*)>(library, "SetProName")(profilePath.c_str()),
               "Kelvora");
  EXPECT_TRUE(Export<bool (*)(void*, void*, void*, void*)>(library, "InitControl")(
      host.engine.data(), host.setup.data(), host.planner.data(), host.machView.data()));
  Export<void (*)()>(library, "PostInitControl")();
  auto update = Export<void (*)()>(library, "Update");

  HMENU plugIns = GetSubMenu(GetMenu(host.window.handle()), 1);
  ASSERT_EQ(GetMenuItemCount(plugIns), 1);
  EXPECT_EQ(GetMenuItemID(plugIns, 0), static_cast<UINT>(win32::testing::kMenuStart));

  Export<void (*)(int)>(library, "Notify")(win32::testing::kMenuStart);
  HWND form = FindWindowW(L"KelvoraForm", nullptr);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form) != FALSE; }));

  const std::pair<const wchar_t*, const wchar_t*> inputs[] = {
      {L"txtXc", L"30"},
      {L"txtYc", L"30"},
      {L"txtR", L"20"},
      {L"txtn", L"2"},
      {L"txtStartAngle", L"0"},
      {L"txtdepth", L"5"},
      {L"txtpassdepth", L"5"},
      {L"txtDrillFeedrate", L"100"},
      {L"txtDrillZretract", L"3"},
      {L"txtZsafe", L"10"},
      {L"txtSpindleSpeed", L"5000"},
  };
  for (const auto& [name, text] : inputs) {
    HWND box = FindByName(form, name);
    ASSERT_NE(box, nullptr) << win32::Utf8FromWide(name);
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (const wchar_t* c = text; *c; ++c) SendMessageW(box, WM_CHAR, *c, 0);
  }
  HWND spin = FindByName(form, L"chkbCirEnSpin");
  if (SendMessageW(spin, BM_GETCHECK, 0, 0) != BST_CHECKED) SendMessageW(spin, BM_CLICK, 0, 0);

  SendMessageW(FindByName(form, L"btnDrillGcodeGen"), BM_CLICK, 0, 0);
  update();
  EXPECT_EQ(host.buttons, (std::vector<int>{169}));  // the host closes its program

  const std::string golden = FileBytes(KELVORA_TEST_DATA "/generators/golden/circle_example.nc");
  ASSERT_FALSE(golden.empty());
  SendMessageW(FindByName(form, L"btnDrillLoadGcode"), BM_CLICK, 0, 0);
  EXPECT_EQ(FileBytes("C:\\Mach3\\PlugIns\\Gcode\\temp.tap"), golden);

  update();
  EXPECT_EQ(host.status->Text(), "script ok");
  ASSERT_TRUE(PumpUntil([&] { return !host.document->load_calls().empty(); }));
  ASSERT_TRUE(PumpUntil([&] {
    update();
    return host.status->Text() == "File Loaded!";
  }));
  const auto calls = host.document->load_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].path, "C:\\Mach3\\Plugins\\Gcode\\temp.tap");
  EXPECT_EQ(calls[0].bytes, golden);
  EXPECT_EQ(calls[0].threadId, GetCurrentThreadId());
  EXPECT_TRUE(host.manager.faults().empty());

  Export<void (*)()>(library, "StopPlug")();
  std::filesystem::remove_all(folder);
  // The library stays loaded: the host unloads its plug-ins only when it ends.
}

}  // namespace
