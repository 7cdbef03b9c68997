// The test host's status string, used the way the plug-in uses it: the manager
// is reached only through the header before the characters and called through
// its table of virtual methods with the platform's member convention.
#include "host_status_string.h"

#include "plugin/host_string.h"
#include "plugin/system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kelvora::testhost {
namespace {

// The manager reached the way the plug-in reaches it: through the header in
// front of the characters and the table of virtual methods.
template <typename F>
F Method(void* manager, std::size_t index) {
  void** table;
  std::memcpy(&table, manager, sizeof(table));
  F method;
  std::memcpy(&method, &table[index], sizeof(method));
  return method;
}

std::int32_t Field(const void* header, std::size_t offset) {
  std::int32_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(header) + offset, 4);
  return value;
}

TEST(HostStatusString, StartsEmptyOnTheSharedNilString) {
  std::vector<unsigned char> block(64);
  HostStringManager manager;
  HostStatusString status(block.data() + 8, manager);
  EXPECT_EQ(status.Text(), "");
  EXPECT_EQ(plugin::ReadHostString(block.data() + 8), "");
  EXPECT_EQ(manager.live(), 0u);
  EXPECT_TRUE(manager.faults().empty());
}

TEST(HostStatusString, ThePluginsAssignmentsAreReadBack) {
  std::vector<unsigned char> block(64);
  HostStringManager manager;
  {
    HostStatusString status(block.data() + 4, manager);
    const char* texts[] = {"script ok", "File Loaded!", "", "Mach3 not registered!",
                           "Load failed: 0x80020006"};
    for (const char* text : texts) {
      // The platform's own checks: the test host's string passes them.
      ASSERT_TRUE(plugin::AssignHostString(block.data() + 4, text, plugin::SystemPlatform().memory))
          << text;
      EXPECT_EQ(status.Text(), text);
      EXPECT_EQ(manager.live(), 1u) << text;  // the previous header was freed
    }
  }
  EXPECT_EQ(manager.live(), 0u);  // the host released its string
  EXPECT_TRUE(manager.faults().empty()) << manager.faults().front();
}

TEST(HostStatusString, TheTableHoldsTheMethodsInTheirOrder) {
  using namespace plugin;
  HostStringManager manager;
  void* self = &manager;
  void* header = Method<StringAllocateFn>(self, kManagerAllocate)(self, 10, 1);
  ASSERT_NE(header, nullptr);
  void* owner;
  std::memcpy(&owner, header, sizeof(owner));
  EXPECT_EQ(owner, self);
  EXPECT_EQ(Field(header, kStringHeaderDataLength), 0);
  EXPECT_EQ(Field(header, kStringHeaderAllocLength), 10);
  EXPECT_EQ(Field(header, kStringHeaderRefs), 1);
  header = Method<StringReallocateFn>(self, kManagerReallocate)(self, header, 40, 1);
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(Field(header, kStringHeaderAllocLength), 40);
  void* nil = Method<StringGetNilStringFn>(self, kManagerGetNilString)(self);
  EXPECT_EQ(Field(nil, kStringHeaderDataLength), 0);
  EXPECT_EQ(Method<StringCloneFn>(self, kManagerClone)(self), self);
  const std::int32_t released = 0;
  std::memcpy(static_cast<unsigned char*>(header) + kStringHeaderRefs, &released, 4);
  Method<StringFreeFn>(self, kManagerFree)(self, header);
  EXPECT_EQ(manager.live(), 0u);
  EXPECT_TRUE(manager.faults().empty());
  EXPECT_EQ(sizeof(HostStringData), kStringHeaderSize);
}

TEST(HostStatusString, HeadersNotHandedOutAreFaults) {
  HostStringManager manager;
  HostStringManager other;
  HostStringData* mine = manager.Allocate(4, 1);
  HostStringData* theirs = other.Allocate(4, 1);
  struct Case {
    const char* label;
    void (*call)(HostStringManager&, HostStringData*, HostStringData*);
  };
  const Case cases[] = {
      {"free of another manager's header",
       [](HostStringManager& m, HostStringData*, HostStringData* t) { m.Free(t); }},
      {"reallocate of another manager's header",
       [](HostStringManager& m, HostStringData*, HostStringData* t) {
         EXPECT_EQ(m.Reallocate(t, 8, 1), nullptr);
       }},
      {"free of the nil string",
       [](HostStringManager& m, HostStringData*, HostStringData*) { m.Free(m.GetNilString()); }},
      {"free of a referenced header",
       [](HostStringManager& m, HostStringData* own, HostStringData*) { m.Free(own); }},
      {"free of a freed header",
       [](HostStringManager& m, HostStringData* own, HostStringData*) { m.Free(own); }},
      {"wide characters", [](HostStringManager& m, HostStringData*,
                             HostStringData*) { EXPECT_EQ(m.Allocate(4, 2), nullptr); }},
  };
  std::size_t faults = 0;
  for (const Case& c : cases) {
    c.call(manager, mine, theirs);
    EXPECT_EQ(manager.faults().size(), ++faults) << c.label;
  }
  theirs->references = 0;
  other.Free(theirs);  // its own, released: no fault
  EXPECT_TRUE(other.faults().empty());
}

TEST(HostStatusString, AForeignPointerInTheSlotIsAFault) {
  std::vector<unsigned char> block(16);
  HostStringManager manager;
  HostStatusString status(block.data(), manager);
  std::vector<char> stray(64, '\0');
  char* chars = stray.data() + plugin::kStringHeaderSize;
  std::memcpy(block.data(), &chars, sizeof(chars));
  EXPECT_EQ(status.Text(), "");
  ASSERT_EQ(manager.faults().size(), 1u);
}

}  // namespace
}  // namespace kelvora::testhost
