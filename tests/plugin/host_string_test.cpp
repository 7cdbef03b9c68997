#include "plugin/host_string.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace kelvora::plugin {
namespace {

// A host string manager with the framework's layout, counting what it is asked.
struct Manager {
  struct Table {
    StringAllocateFn allocate;
    StringFreeFn free;
    StringReallocateFn reallocate;
    StringGetNilStringFn getNilString;
    StringCloneFn clone;
  };
  const Table* table;
  std::set<void*> headers;
  std::vector<void*> freed;
  int foreignFrees = 0;
  bool refuse = false;
};

std::int32_t Field(const void* header, std::size_t offset) {
  std::int32_t value;
  std::memcpy(&value, static_cast<const unsigned char*>(header) + offset, 4);
  return value;
}
void SetField(void* header, std::size_t offset, std::int32_t value) {
  std::memcpy(static_cast<unsigned char*>(header) + offset, &value, 4);
}

KELVORA_BEGIN_HOST_MEMBERS
// The manager's methods, with the host's member-function convention.
struct Methods {
  static void* KELVORA_HOST_MEMBER Allocate(void* self, int allocLength, int) {
    auto* manager = static_cast<Manager*>(self);
    if (manager->refuse) return nullptr;
    auto* header = static_cast<unsigned char*>(std::calloc(kStringHeaderSize + allocLength + 1, 1));
    std::memcpy(header, &self, sizeof self);
    SetField(header, kStringHeaderAllocLength, allocLength);
    SetField(header, kStringHeaderRefs, 1);
    manager->headers.insert(header);
    return header;
  }
  static void KELVORA_HOST_MEMBER Free(void* self, void* header) {
    auto* manager = static_cast<Manager*>(self);
    if (manager->headers.erase(header) == 0) {
      ++manager->foreignFrees;
      return;
    }
    manager->freed.push_back(header);
    std::free(header);
  }
  static void* KELVORA_HOST_MEMBER Reallocate(void*, void*, int, int) { return nullptr; }
  static void* KELVORA_HOST_MEMBER GetNil(void*) { return nullptr; }
  static void* KELVORA_HOST_MEMBER Clone(void* self) { return self; }
};
KELVORA_END_HOST_MEMBERS

const Manager::Table kTable{&Methods::Allocate, &Methods::Free, &Methods::Reallocate,
                            &Methods::GetNil, &Methods::Clone};

class HostStringTest : public ::testing::Test {
 protected:
  HostStringTest() {
    manager_.table = &kTable;
    // The string object sits at an address that is not pointer-aligned, as the
    // host's status string does inside its block.
    char* first = StringCharactersOf(Methods::Allocate(&manager_, 0, 1));
    std::memcpy(object_ + 4, &first, sizeof first);
    std::memset(object_, 0, 4);
  }
  ~HostStringTest() override {
    for (void* header : manager_.headers) std::free(header);
  }
  void* Object() { return object_ + 4; }
  void* CurrentHeader() {
    char* characters;
    std::memcpy(&characters, object_ + 4, sizeof characters);
    return characters == nullptr ? nullptr : StringHeaderOf(characters);
  }

  Manager manager_;
  alignas(8) unsigned char object_[4 + sizeof(void*)];
};

TEST_F(HostStringTest, AssignsThroughTheHostsManagerAndFreesTheOldBuffer) {
  void* before = CurrentHeader();
  ASSERT_TRUE(AssignHostString(Object(), "File Loaded!"));
  EXPECT_EQ(ReadHostString(Object()), "File Loaded!");
  void* after = CurrentHeader();
  EXPECT_NE(after, before);
  EXPECT_EQ(manager_.headers.count(after), 1u);
  EXPECT_EQ(Field(after, kStringHeaderDataLength), 12);
  EXPECT_EQ(std::string(StringCharactersOf(after)), "File Loaded!");  // NUL-terminated
  EXPECT_EQ(manager_.freed, std::vector<void*>{before});
  EXPECT_EQ(manager_.foreignFrees, 0);
}

TEST_F(HostStringTest, ASharedBufferIsReleasedNotFreed) {
  void* shared = CurrentHeader();
  SetField(shared, kStringHeaderRefs, 2);  // another string of the host holds it
  ASSERT_TRUE(AssignHostString(Object(), "script ok"));
  EXPECT_TRUE(manager_.freed.empty());
  EXPECT_EQ(Field(shared, kStringHeaderRefs), 1);
  EXPECT_EQ(ReadHostString(Object()), "script ok");
}

TEST_F(HostStringTest, ARefusedAllocationChangesNothing) {
  ASSERT_TRUE(AssignHostString(Object(), "first"));
  manager_.refuse = true;
  EXPECT_FALSE(AssignHostString(Object(), "second"));
  EXPECT_EQ(ReadHostString(Object()), "first");
}

TEST_F(HostStringTest, RepeatedAssignmentsLeaveOneBuffer) {
  for (const char* text : {"a", "", "Mach3 not registered!", "Load failed: 0x80004005"}) {
    ASSERT_TRUE(AssignHostString(Object(), text));
    EXPECT_EQ(ReadHostString(Object()), text);
  }
  EXPECT_EQ(manager_.headers.size(), 1u);
  EXPECT_EQ(manager_.foreignFrees, 0);
}

TEST(HostString, AnObjectWithoutBufferIsNotTouched) {
  void* object = nullptr;
  EXPECT_FALSE(AssignHostString(&object, "x"));
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(ReadHostString(&object), std::nullopt);
}

}  // namespace
}  // namespace kelvora::plugin
