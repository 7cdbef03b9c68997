// The Windows platform's memory checks, and the host's status string written
// through them by the plug-in when the host's block is not what it seems: the
// status text is skipped, nothing is written or called through a wild pointer,
// and the string of the documented layout still gets its text.
#include <windows.h>
// needs windows.h first

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host_status_string.h"
#include "host_window.h"
#include "plugin/host_interface.h"
#include "plugin/host_string.h"
#include "plugin/load_file_obj.h"
#include "plugin/plugin_module.h"
#include "plugin/system.h"
#include "support/memory_cases.h"
#include "windows_host.h"

namespace kelvora::win32 {
namespace {

using plugin::testing::Address;
using plugin::testing::CodeHere;
using plugin::testing::g_data;
using testhost::HostStatusString;
using testhost::HostStringManager;

const plugin::HostMemory& Memory() {
  return plugin::SystemPlatform().memory;
}

// Pages from VirtualAlloc, released at the end unless released before.
class Pages {
 public:
  explicit Pages(std::size_t count, DWORD protection = PAGE_READWRITE)
      : size_(count * PageSize()),
        start_(static_cast<unsigned char*>(
            VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, protection))) {}
  ~Pages() {
    if (start_ && !released_) VirtualFree(start_, 0, MEM_RELEASE);
  }
  Pages(const Pages&) = delete;
  Pages& operator=(const Pages&) = delete;
  static std::size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
  }
  bool Made() const { return start_ != nullptr; }
  unsigned char* Page(std::size_t index) { return start_ + index * PageSize(); }
  bool Protect(std::size_t index, DWORD protection) {
    DWORD old;
    return VirtualProtect(Page(index), PageSize(), protection, &old) != 0;
  }
  bool Decommit(std::size_t index) { return VirtualFree(Page(index), PageSize(), MEM_DECOMMIT); }
  bool Release() { return released_ = VirtualFree(start_, 0, MEM_RELEASE) != 0; }

 private:
  std::size_t size_;
  unsigned char* start_;
  bool released_ = false;
};

TEST(Win32Memory, AddressesAreJudgedByTheirRegion) {
  // read-write, read-write, no access, read-only, guard, decommitted
  Pages pages(6);
  ASSERT_TRUE(pages.Made());
  ASSERT_TRUE(pages.Protect(2, PAGE_NOACCESS));
  ASSERT_TRUE(pages.Protect(3, PAGE_READONLY));
  ASSERT_TRUE(pages.Protect(4, PAGE_READWRITE | PAGE_GUARD));
  ASSERT_TRUE(pages.Decommit(5));
  Pages runnable(1, PAGE_EXECUTE_READWRITE);
  ASSERT_TRUE(runnable.Made());
  Pages released(1);
  ASSERT_TRUE(released.Made());
  unsigned char* gone = released.Page(0);
  ASSERT_TRUE(released.Release());
  const auto heap = std::make_unique<int>(1);
  int local = 0;

  std::vector<plugin::testing::MemoryCase> cases = plugin::testing::CommonMemoryCases(
      {&local, heap.get(), pages.Page(1), pages.Page(2), pages.Page(3)});
  cases.insert(cases.end(),
               {
                   {"a system library's code", Address(&VirtualQuery), 1, true, false, true},
                   {"a guard page", pages.Page(4), 16, false, false, false},
                   {"a decommitted page", pages.Page(5), 16, false, false, false},
                   {"a released page", gone, 16, false, false, false},
                   // Executable, but no module's: code written at run time is not the host's.
                   {"executable memory of no module", runnable.Page(0), 1, true, true, false},
               });
  plugin::testing::ExpectMemoryVerdicts(Memory(), cases);
}

// ---- The status string in a host played by the test -------------------------

// A manager object: its first word points at a table of five methods.
struct FakeManager {
  const void* table;
};

// The real manager's table of methods, read the way the plug-in reads it.
const void* const* TableOf(HostStringManager& manager) {
  const void* const* table;
  std::memcpy(&table, static_cast<void*>(&manager), sizeof table);
  return table;
}

class StatusOnWindows : public ::testing::Test {
 protected:
  StatusOnWindows() {
    module_.GetMenuRange = &testing::GetMenuRange;
    host_.Start(module_);
    slot_ = host_.planner.data() + plugin::kPlannerStatusString;
    saved_ = Slot();
  }
  ~StatusOnWindows() override { Restore(); }
  void* Slot() const { return plugin::ReadHostPointer(slot_, 0); }
  // Points the host's status string at the characters after `header` (at none
  // for null); Restore() gives it back its own.
  void PointAt(void* header) {
    plugin::WriteHostPointer(slot_, 0, header ? plugin::StringCharactersOf(header) : nullptr);
  }
  void Restore() { plugin::WriteHostPointer(slot_, 0, saved_); }
  // A header whose manager is `manager`, with one reference.
  static void MakeHeader(unsigned char* at, const void* manager) {
    std::memset(at, 0, plugin::kStringHeaderSize + 1);
    std::memcpy(at, &manager, sizeof manager);
    const std::int32_t one = 1;
    std::memcpy(at + plugin::kStringHeaderRefs, &one, sizeof one);
  }
  // A Load: the worker's call arrives on this thread and the worker ends; then
  // an update cycle serves what it reported.
  void Load() {
    const int threads = testhost::HostWindow::ThreadCount();
    module_.MyDevice->ThreadLoad(plugin::kTempTapName);
    EXPECT_TRUE(testhost::HostWindow::PumpUntil(
        [&] { return testhost::HostWindow::ThreadCount() <= threads; }, std::chrono::seconds(10)));
    module_.piUpdate();
  }

  testing::Host host_;
  plugin::PluginModule module_{plugin::SystemPlatform(), plugin::SystemDialogs()};
  unsigned char* slot_ = nullptr;
  void* saved_ = nullptr;
};

TEST_F(StatusOnWindows, TheDocumentedLayoutGetsItsText) {
  ASSERT_TRUE(module_.MyDevice->SetMachError("Kelvora"));
  EXPECT_EQ(host_.status->Text(), "Kelvora");
  module_.MyDevice->ThreadLoad(plugin::kTempTapName);
  EXPECT_EQ(host_.status->Text(), "script ok");
  EXPECT_TRUE(testhost::HostWindow::PumpUntil(
      [&] {
        module_.piUpdate();
        return host_.status->Text() == "File Loaded!";
      },
      std::chrono::seconds(10)));
  EXPECT_TRUE(host_.manager.faults().empty());
}

TEST_F(StatusOnWindows, ABadBlockSkipsTheStatusAndTheLoadGoesOn) {
  Pages pages(3);  // a header, a table without access, a table behind a guard
  ASSERT_TRUE(pages.Made());
  Pages gone(1);
  ASSERT_TRUE(gone.Made());
  const void* const* realTable = TableOf(host_.manager);
  const void* dataTable[plugin::kManagerMethodCount];
  for (const void*& method : dataTable) method = &g_data;
  const void* oneOff[plugin::kManagerMethodCount];
  std::memcpy(oneOff, realTable, sizeof oneOff);
  oneOff[plugin::kManagerFree] = &host_.manager;  // a method that points at an object
  std::memcpy(pages.Page(1), realTable, sizeof oneOff);
  std::memcpy(pages.Page(2), realTable, sizeof oneOff);
  ASSERT_TRUE(pages.Protect(1, PAGE_NOACCESS));
  ASSERT_TRUE(pages.Protect(2, PAGE_READWRITE | PAGE_GUARD));
  FakeManager noAccess{pages.Page(1)};
  FakeManager guarded{pages.Page(2)};
  FakeManager data{dataTable};
  FakeManager offByOne{oneOff};
  FakeManager noTable{nullptr};
  MakeHeader(gone.Page(0), &host_.manager);
  ASSERT_TRUE(gone.Release());  // the header's memory is freed

  struct Case {
    const char* name;
    const void* manager;  // of a header made in the page; null: `header` as given
    void* header;
  };
  const Case cases[] = {
      {"a freed header", nullptr, gone.Page(0)},
      {"no manager", nullptr, nullptr},
      {"a manager without table", &noTable, nullptr},
      {"methods that point at data", &data, nullptr},
      {"one method that points at an object", &offByOne, nullptr},
      {"a table in a page without access", &noAccess, nullptr},
      {"a table behind a guard page", &guarded, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* header = c.header;
    if (header == nullptr) {
      header = pages.Page(0);
      MakeHeader(pages.Page(0), c.manager);
    }
    PointAt(header);
    void* before = Slot();
    EXPECT_FALSE(module_.MyDevice->SetMachError("script ok"));
    const std::size_t loads = host_.document->load_calls().size();
    Load();
    EXPECT_EQ(host_.document->load_calls().size(), loads + 1);
    EXPECT_EQ(Slot(), before);
    Restore();
  }
  // A status string that holds no buffer at all.
  PointAt(nullptr);
  EXPECT_FALSE(module_.MyDevice->SetMachError("script ok"));
  EXPECT_EQ(Slot(), nullptr);
  Restore();
  // The host's own string is untouched and still gets its text.
  EXPECT_TRUE(module_.MyDevice->SetMachError("File Loaded!"));
  EXPECT_EQ(host_.status->Text(), "File Loaded!");
  EXPECT_TRUE(host_.manager.faults().empty());
}

}  // namespace
}  // namespace kelvora::win32
