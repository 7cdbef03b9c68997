#include "plugin/host_string.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
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
  std::map<void*, std::size_t> headers;  // with their sizes
  std::vector<void*> freed;
  int allocations = 0;
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
    ++manager->allocations;
    if (manager->refuse) return nullptr;
    const std::size_t size = kStringHeaderSize + static_cast<std::size_t>(allocLength) + 1;
    auto* header = static_cast<unsigned char*>(std::calloc(size, 1));
    std::memcpy(header, &self, sizeof self);
    SetField(header, kStringHeaderAllocLength, allocLength);
    SetField(header, kStringHeaderRefs, 1);
    manager->headers[header] = size;
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

template <typename Fn>
const void* CodeAddress(Fn function) {
  const void* address;
  std::memcpy(&address, &function, sizeof address);
  return address;
}

// The memory the host string lives in, as far as the test knows it: each part of
// the layout by name, any of which a case can leave out or make read-only; the
// manager's methods are the only code.
class LayoutMemory final : public HostMemory {
 public:
  struct Part {
    const void* start;
    std::size_t size;
    bool writable;
  };
  std::function<std::map<std::string, Part>()> parts;
  std::map<const void*, std::string> code;
  std::string absent;    // a part or method that is not there (all whose name starts so)
  std::string readOnly;  // a part that can only be read

  bool Readable(const void* address, std::size_t size) const override {
    return Holds(address, size, false);
  }
  bool Writable(const void* address, std::size_t size) const override {
    return Holds(address, size, true);
  }
  bool IsModuleCode(const void* address) const override {
    auto found = code.find(address);
    return found != code.end() && !Names(found->second, absent);
  }

 private:
  static bool Names(const std::string& name, const std::string& prefix) {
    return !prefix.empty() && name.starts_with(prefix);
  }
  bool Holds(const void* address, std::size_t size, bool write) const {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (const auto& [name, part] : parts()) {
      const auto begin = reinterpret_cast<std::uintptr_t>(part.start);
      if (Names(name, absent) || at < begin || at + size > begin + part.size) continue;
      return !write || (part.writable && !Names(name, readOnly));
    }
    return false;
  }
};

class HostStringTest : public ::testing::Test {
 protected:
  HostStringTest() {
    manager_.table = &kTable;
    // The string object sits at an address that is not pointer-aligned, as the
    // host's status string does inside its block.
    first_ = Methods::Allocate(&manager_, 0, 1);
    char* characters = StringCharactersOf(first_);
    std::memcpy(object_ + 4, &characters, sizeof characters);
    std::memset(object_, 0, 4);
    memory_.parts = [this] {
      std::map<std::string, LayoutMemory::Part> parts = {
          {"slot", {object_ + 4, sizeof(void*), true}},
          {"manager", {&manager_, sizeof manager_, false}},
          {"table", {&kTable, sizeof kTable, false}},
      };
      int fresh = 0;
      for (auto [header, size] : manager_.headers) {
        const std::string name =
            header == first_ ? "header" : "new buffer " + std::to_string(fresh++);
        parts[name] = {header, size, true};
      }
      return parts;
    };
    memory_.code = {{CodeAddress(kTable.allocate), "Allocate"},
                    {CodeAddress(kTable.free), "Free"},
                    {CodeAddress(kTable.reallocate), "Reallocate"},
                    {CodeAddress(kTable.getNilString), "GetNilString"},
                    {CodeAddress(kTable.clone), "Clone"}};
  }
  ~HostStringTest() override {
    for (auto [header, size] : manager_.headers) std::free(header);
  }
  void* Object() { return object_ + 4; }
  void* CurrentHeader() {
    char* characters;
    std::memcpy(&characters, object_ + 4, sizeof characters);
    return characters == nullptr ? nullptr : StringHeaderOf(characters);
  }
  bool Assign(std::string_view text) { return AssignHostString(Object(), text, memory_); }

  Manager manager_;
  LayoutMemory memory_;
  void* first_ = nullptr;
  alignas(8) unsigned char object_[4 + sizeof(void*)];
};

TEST_F(HostStringTest, AssignsThroughTheHostsManagerAndFreesTheOldBuffer) {
  void* before = CurrentHeader();
  ASSERT_TRUE(Assign("File Loaded!"));
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
  ASSERT_TRUE(Assign("script ok"));
  EXPECT_TRUE(manager_.freed.empty());
  EXPECT_EQ(Field(shared, kStringHeaderRefs), 1);
  EXPECT_EQ(ReadHostString(Object()), "script ok");
}

TEST_F(HostStringTest, ARefusedAllocationChangesNothing) {
  ASSERT_TRUE(Assign("first"));
  manager_.refuse = true;
  EXPECT_FALSE(Assign("second"));
  EXPECT_EQ(ReadHostString(Object()), "first");
}

TEST_F(HostStringTest, RepeatedAssignmentsLeaveOneBuffer) {
  for (const char* text : {"a", "", "Mach3 not registered!", "Load failed: 0x80004005"}) {
    ASSERT_TRUE(Assign(text));
    EXPECT_EQ(ReadHostString(Object()), text);
  }
  EXPECT_EQ(manager_.headers.size(), 1u);
  EXPECT_EQ(manager_.foreignFrees, 0);
}

TEST_F(HostStringTest, AStringThatDoesNotLookAsExpectedIsLeftAlone) {
  struct Case {
    const char* absent;
    const char* readOnly;
    bool allocates;  // the check that fails comes after the manager's Allocate
  };
  const Case cases[] = {
      {"slot", "", false},         {"", "slot", false},    {"header", "", false},
      {"", "header", false},       {"manager", "", false}, {"table", "", false},
      {"Allocate", "", false},     {"Free", "", false},    {"Reallocate", "", false},
      {"GetNilString", "", false}, {"Clone", "", false},   {"new buffer", "", true},
      {"", "new buffer", true},
  };
  ASSERT_TRUE(HostStringLooksSound(Object(), memory_));
  for (const Case& c : cases) {
    memory_.absent = c.absent;
    memory_.readOnly = c.readOnly;
    const int allocations = manager_.allocations;
    void* before = CurrentHeader();
    EXPECT_FALSE(Assign("File Loaded!")) << c.absent << c.readOnly;
    EXPECT_EQ(CurrentHeader(), before) << c.absent << c.readOnly;
    EXPECT_EQ(Field(before, kStringHeaderRefs), 1) << c.absent << c.readOnly;
    EXPECT_EQ(manager_.allocations - allocations, c.allocates ? 1 : 0) << c.absent << c.readOnly;
    EXPECT_TRUE(manager_.freed.empty()) << c.absent << c.readOnly;
  }
  memory_.absent = memory_.readOnly = "";
  EXPECT_TRUE(Assign("File Loaded!"));
  EXPECT_EQ(ReadHostString(Object()), "File Loaded!");
}

TEST_F(HostStringTest, AnObjectWithoutBufferIsNotTouched) {
  void* object = nullptr;
  memory_.parts = [&] {
    return std::map<std::string, LayoutMemory::Part>{{"slot", {&object, sizeof object, true}}};
  };
  EXPECT_FALSE(AssignHostString(&object, "x", memory_));
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(ReadHostString(&object), std::nullopt);
}

}  // namespace
}  // namespace kelvora::plugin
