// The plug-in's automation connection against the test host's "Mach4.Document"
// object, registered in the running-object table on this (the host's) thread.
#include "platform/win32/host_automation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "host_document.h"
#include "host_window.h"
#include "platform/win32/automation.h"
#include "platform/win32/wide_text.h"

namespace kelvora::win32 {
namespace {

using testhost::HostDocument;
using testhost::HostWindow;
using testhost::RunningObjectEntry;
using namespace std::chrono_literals;

class HostAutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    document_ = new HostDocument;
  }
  void TearDown() override {
    entry_.Revoke();
    document_->Release();
    CoUninitialize();
  }

  HostDocument* document_ = nullptr;
  RunningObjectEntry entry_;
};

TEST_F(HostAutomationTest, CreateObjectFindsTheRunningDocumentByItsClassId) {
  ASSERT_EQ(entry_.Register(document_), S_OK);
  IDispatch* object = nullptr;
  ASSERT_EQ(CreateObject(kHostProgId, &object), S_OK);
  ASSERT_NE(object, nullptr);
  VARIANT result;
  ASSERT_EQ(
      Invoke(object, DISPATCH_PROPERTYGET, &result, nullptr, nullptr, L"GetScriptDispatch", ""),
      S_OK);
  EXPECT_EQ(V_VT(&result), VT_DISPATCH);
  EXPECT_NE(DispatchFromVariant(result), nullptr);
  VariantClear(&result);
  object->Release();
  EXPECT_EQ(document_->script_requests(), 1);
}

TEST_F(HostAutomationTest, NothingRegisteredMeansNoScriptObject) {
  HostAutomation automation;
  EXPECT_FALSE(automation.Connect());
  EXPECT_FALSE(automation.script_registered());
  EXPECT_FALSE(automation.StartLoad(L"C:\\Mach3\\Plugins\\Gcode\\temp.tap"));
}

TEST_F(HostAutomationTest, AScriptAnswerThatIsNoDispatchMeansNotRegistered) {
  for (HostDocument::ScriptAnswer answer :
       {HostDocument::ScriptAnswer::kEmpty, HostDocument::ScriptAnswer::kNumber}) {
    document_->set_script_answer(answer);
    ASSERT_EQ(entry_.Register(document_), S_OK);
    HostAutomation automation;
    EXPECT_FALSE(automation.Connect());
    EXPECT_FALSE(automation.script_registered());
    EXPECT_EQ(document_->script_requests(), answer == HostDocument::ScriptAnswer::kEmpty ? 1 : 2);
  }
}

TEST_F(HostAutomationTest, TheLoaderThreadsCallArrivesOnTheHostsThread) {
  HostWindow window;  // the host's thread owns a window and pumps its messages
  ASSERT_TRUE(window.Create({}));
  ASSERT_EQ(entry_.Register(document_), S_OK);
  HostAutomation automation;
  ASSERT_TRUE(automation.Connect());

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "kelvora-automation-test";
  std::filesystem::create_directories(folder);
  const std::filesystem::path file = folder / "temp.tap";
  const std::string program = "G0X10Y20\r\nM30\r\n";
  std::ofstream(file, std::ios::binary) << program;

  ASSERT_TRUE(automation.StartLoad(file.wstring()));
  // The host's object is called on the host's thread: while that thread does not
  // pump messages, the call cannot arrive.
  Sleep(300);
  EXPECT_TRUE(document_->load_calls().empty());

  std::optional<LoadOutcome> outcome;
  ASSERT_TRUE(
      HostWindow::PumpUntil([&] { return (outcome = automation.TakeOutcome()).has_value(); }, 10s));
  EXPECT_EQ(outcome->result, S_OK);
  const std::vector<HostDocument::LoadCall> calls = document_->load_calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].path, Utf8FromWide(file.wstring()));
  EXPECT_EQ(calls[0].bytes, program);
  EXPECT_EQ(calls[0].threadId, GetCurrentThreadId());
  EXPECT_FALSE(automation.TakeOutcome().has_value());  // reported once
  std::filesystem::remove_all(folder);
}

TEST_F(HostAutomationTest, AMissingFileStillReachesTheHost) {
  ASSERT_EQ(entry_.Register(document_), S_OK);
  HostAutomation automation;
  ASSERT_TRUE(automation.Connect());
  ASSERT_TRUE(automation.StartLoad(L"C:\\no such folder\\temp.tap"));
  ASSERT_TRUE(HostWindow::PumpUntil([&] { return !document_->load_calls().empty(); }, 10s));
  EXPECT_EQ(document_->load_calls()[0].path, "C:\\no such folder\\temp.tap");
  EXPECT_FALSE(document_->load_calls()[0].bytes.has_value());
}

TEST_F(HostAutomationTest, APathLongerThanTheHostsBufferIsRefused) {
  ASSERT_EQ(entry_.Register(document_), S_OK);
  HostAutomation automation;
  ASSERT_TRUE(automation.Connect());
  EXPECT_FALSE(automation.StartLoad(std::wstring(260, L'a')));
  EXPECT_TRUE(automation.StartLoad(std::wstring(259, L'a')));
  ASSERT_TRUE(HostWindow::PumpUntil([&] { return automation.TakeOutcome().has_value(); }, 10s));
}

}  // namespace
}  // namespace kelvora::win32
