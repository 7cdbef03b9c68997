// The test host's status string, used the way a foreign caller uses it: the
// manager is reached only through the header before the characters and called
// through its table of virtual methods with the platform's member convention.
#include "host_status_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace kelvora::testhost {
namespace {

// The documented layout, as raw memory. The methods are plain function
// pointers taking `this` first, in ECX on 32-bit (GCC warns that thiscall is
// meant for class methods, but applies it).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
using Allocate = void*(KELVORA_THISCALL*)(void* self, int allocLength, int charSize);
using Free = void(KELVORA_THISCALL*)(void* self, void* header);
using Reallocate = void*(KELVORA_THISCALL*)(void* self, void* header, int allocLength,
                                            int charSize);
using GetNilString = void*(KELVORA_THISCALL*)(void* self);
using Clone = void*(KELVORA_THISCALL*)(void* self);
#pragma GCC diagnostic pop

constexpr std::size_t kHeaderSize = sizeof(void*) == 4 ? 16 : 24;

struct Foreign {
  void* slot;

  char* Chars() const {
    char* chars;
    std::memcpy(&chars, slot, sizeof(chars));
    return chars;
  }
  unsigned char* Header(char* chars) const {
    return reinterpret_cast<unsigned char*>(chars) - kHeaderSize;
  }
  void* Manager(unsigned char* header) const {
    void* manager;
    std::memcpy(&manager, header, sizeof(manager));
    return manager;
  }
  std::int32_t Field(unsigned char* header, int index) const {
    std::int32_t value;
    std::memcpy(&value, header + sizeof(void*) + 4 * index, 4);
    return value;
  }
  void SetField(unsigned char* header, int index, std::int32_t value) const {
    std::memcpy(header + sizeof(void*) + 4 * index, &value, 4);
  }
  template <typename F>
  F Method(void* manager, int index) const {
    void** table;
    std::memcpy(&table, manager, sizeof(table));
    F method;
    std::memcpy(&method, &table[index], sizeof(method));
    return method;
  }

  // Allocates through the old header's manager, copies, then releases the old.
  void Assign(const char* text) const {
    unsigned char* old = Header(Chars());
    void* manager = Manager(old);
    const int length = static_cast<int>(std::strlen(text));
    auto* fresh = static_cast<unsigned char*>(Method<Allocate>(manager, 0)(manager, length, 1));
    ASSERT_NE(fresh, nullptr);
    char* chars = reinterpret_cast<char*>(fresh + kHeaderSize);
    std::memcpy(chars, text, static_cast<std::size_t>(length) + 1);
    SetField(fresh, 0, length);
    std::memcpy(slot, &chars, sizeof(chars));
    const std::int32_t references = Field(old, 2) - 1;
    SetField(old, 2, references);
    if (references <= 0) Method<Free>(manager, 1)(manager, old);
  }
};

TEST(HostStatusString, StartsEmptyOnTheSharedNilString) {
  std::vector<unsigned char> block(64);
  HostStringManager manager;
  HostStatusString status(block.data() + 8, manager);
  Foreign foreign{block.data() + 8};
  unsigned char* header = foreign.Header(foreign.Chars());
  EXPECT_EQ(foreign.Manager(header), &manager);
  EXPECT_EQ(foreign.Field(header, 0), 0);
  EXPECT_EQ(status.Text(), "");
  EXPECT_EQ(manager.live(), 0u);
  EXPECT_TRUE(manager.faults().empty());
}

TEST(HostStatusString, AssignmentsThroughTheManagerAreReadBack) {
  std::vector<unsigned char> block(64);
  HostStringManager manager;
  {
    HostStatusString status(block.data() + 4, manager);
    Foreign foreign{block.data() + 4};
    const char* texts[] = {"script ok", "File Loaded!", "", "Mach3 not registered!"};
    for (const char* text : texts) {
      foreign.Assign(text);
      EXPECT_EQ(status.Text(), text);
      EXPECT_EQ(manager.live(), 1u) << text;  // the previous header was freed
    }
  }
  EXPECT_EQ(manager.live(), 0u);  // the host released its string
  EXPECT_TRUE(manager.faults().empty()) << manager.faults().front();
}

TEST(HostStatusString, TheTableHoldsTheMethodsInTheirOrder) {
  HostStringManager manager;
  Foreign foreign{nullptr};
  void* self = &manager;
  auto* header = static_cast<unsigned char*>(foreign.Method<Allocate>(self, 0)(self, 10, 1));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(foreign.Manager(header), self);
  EXPECT_EQ(foreign.Field(header, 0), 0);   // data length
  EXPECT_EQ(foreign.Field(header, 1), 10);  // allocated length
  EXPECT_EQ(foreign.Field(header, 2), 1);   // references
  header = static_cast<unsigned char*>(foreign.Method<Reallocate>(self, 2)(self, header, 40, 1));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(foreign.Field(header, 1), 40);
  auto* nil = static_cast<unsigned char*>(foreign.Method<GetNilString>(self, 3)(self));
  EXPECT_EQ(foreign.Field(nil, 0), 0);
  EXPECT_EQ(foreign.Method<Clone>(self, 4)(self), self);
  foreign.SetField(header, 2, 0);
  foreign.Method<Free>(self, 1)(self, header);
  EXPECT_EQ(manager.live(), 0u);
  EXPECT_TRUE(manager.faults().empty());
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
  char* chars = stray.data() + kHeaderSize;
  std::memcpy(block.data(), &chars, sizeof(chars));
  EXPECT_EQ(status.Text(), "");
  ASSERT_EQ(manager.faults().size(), 1u);
}

}  // namespace
}  // namespace kelvora::testhost
