// The posix platform's memory checks on the real process, and the host status
// string assigned through them when the host's block is not what it seems.
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugin/host_string.h"
#include "plugin/system.h"
#include "support/host_string_methods.h"
#include "support/memory_cases.h"

namespace kelvora::plugin {
namespace {

using testing::Address;
using testing::CodeHere;
using testing::CommonMemoryCases;
using testing::ExpectMemoryVerdicts;
using testing::g_data;
using testing::MemoryCase;

const HostMemory& Memory() {
  return SystemPlatform().memory;
}

// An address that is never mapped: the page above the lowest one, below the
// lowest address the kernel lets a program map. (A page unmapped by the test
// could be mapped again by the next allocation before it is looked at.)
const void* Unmapped() {
  return reinterpret_cast<const void*>(std::uintptr_t{0x1000});
}

// Pages of this process, mapped for the test and unmapped after it.
class Pages {
 public:
  explicit Pages(std::size_t count)
      : size_(count * PageSize()),
        start_(static_cast<unsigned char*>(
            mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0))) {}
  ~Pages() {
    if (start_ != MAP_FAILED) munmap(start_, size_);
  }
  Pages(const Pages&) = delete;
  Pages& operator=(const Pages&) = delete;
  static std::size_t PageSize() { return static_cast<std::size_t>(sysconf(_SC_PAGESIZE)); }
  bool Mapped() const { return start_ != MAP_FAILED; }
  unsigned char* Page(std::size_t index) { return start_ + index * PageSize(); }
  bool Protect(std::size_t index, int protection) {
    return mprotect(Page(index), PageSize(), protection) == 0;
  }

 private:
  std::size_t size_;
  unsigned char* start_;
};

TEST(PosixMemory, AddressesAreJudgedByTheirMapping) {
  Pages pages(4);  // read-write, read-write, no access, read-only
  ASSERT_TRUE(pages.Mapped());
  ASSERT_TRUE(pages.Protect(2, PROT_NONE));
  ASSERT_TRUE(pages.Protect(3, PROT_READ));
  const auto heap = std::make_unique<int>(1);
  int local = 0;

  std::vector<MemoryCase> cases =
      CommonMemoryCases({&local, heap.get(), pages.Page(1), pages.Page(2), pages.Page(3)});
  cases.push_back({"an address no mapping covers", Unmapped(), 16, false, false, false});
  cases.push_back({"anonymous memory as code", pages.Page(0), 1, true, true, false});
  ExpectMemoryVerdicts(Memory(), cases);
}

// ---- A host status string of the documented layout, and broken ones ---------

using HostMethods = testing::HostStringMethods;

struct MethodTable {
  const void* methods[kManagerMethodCount];
};
const MethodTable kMethods = {{Address(&HostMethods::Allocate), Address(&HostMethods::Free),
                               Address(&HostMethods::Reallocate), Address(&HostMethods::GetNil),
                               Address(&HostMethods::Clone)}};

struct Manager {
  const void* table;
};

// The host's status string: a slot in its block pointing at the characters of a
// buffer its manager handed out.
class StatusString : public ::testing::Test {
 protected:
  StatusString() {
    header_ = HostMethods::Allocate(&manager_, 0, 1);
    Point(header_);
  }
  ~StatusString() override {
    char* characters = Characters();
    if (characters != nullptr && owned_) std::free(StringHeaderOf(characters));
  }
  void Point(void* header) {
    char* characters = header ? StringCharactersOf(header) : nullptr;
    std::memcpy(slot_, &characters, sizeof characters);
  }
  char* Characters() {
    char* characters;
    std::memcpy(&characters, slot_, sizeof characters);
    return characters;
  }

  Manager manager_{&kMethods};
  void* header_ = nullptr;
  bool owned_ = true;  // the slot's buffer came from the manager
  alignas(void*) unsigned char slot_[sizeof(void*)] = {};
};

TEST_F(StatusString, TheDocumentedLayoutGetsItsText) {
  ASSERT_TRUE(AssignHostString(slot_, "File Loaded!", Memory()));
  EXPECT_EQ(ReadHostString(slot_), "File Loaded!");
}

TEST_F(StatusString, ATableThatCannotBeReadIsNeverCalled) {
  Pages page(1);
  ASSERT_TRUE(page.Mapped());
  std::memcpy(page.Page(0), &kMethods, sizeof kMethods);
  ASSERT_TRUE(page.Protect(0, PROT_NONE));
  manager_.table = page.Page(0);
  char* before = Characters();
  EXPECT_FALSE(AssignHostString(slot_, "File Loaded!", Memory()));
  EXPECT_EQ(Characters(), before);
}

TEST_F(StatusString, MethodsThatPointAtDataAreNeverCalled) {
  MethodTable data = kMethods;
  data.methods[kManagerAllocate] = &g_data;
  manager_.table = &data;
  char* before = Characters();
  EXPECT_FALSE(AssignHostString(slot_, "File Loaded!", Memory()));
  EXPECT_EQ(Characters(), before);
  data = kMethods;
  data.methods[kManagerClone] = &manager_;  // one method of five off is enough
  EXPECT_FALSE(AssignHostString(slot_, "File Loaded!", Memory()));
}

TEST_F(StatusString, AHeaderInUnmappedMemoryIsNeverTouched) {
  // The slot points at characters whose header would lie in a page that is
  // never mapped.
  Point(const_cast<void*>(Unmapped()));
  owned_ = false;
  char* before = Characters();
  EXPECT_FALSE(AssignHostString(slot_, "File Loaded!", Memory()));
  EXPECT_EQ(Characters(), before);
  std::free(header_);
}

TEST_F(StatusString, NullPointersAreNeverFollowed) {
  void* manager = nullptr;
  std::memcpy(header_, &manager, sizeof manager);  // a header without manager
  EXPECT_FALSE(AssignHostString(slot_, "File Loaded!", Memory()));
  Point(nullptr);  // a slot without buffer
  owned_ = false;
  EXPECT_FALSE(AssignHostString(slot_, "File Loaded!", Memory()));
  EXPECT_EQ(Characters(), nullptr);
  std::free(header_);
}

}  // namespace
}  // namespace kelvora::plugin
