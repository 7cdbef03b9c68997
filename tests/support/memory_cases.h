// What a platform's memory checks must say of the places every process has:
// nothing at null, this thread's stack, the heap, the program's data and code,
// and pages a test made with different access.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "plugin/platform.h"

namespace kelvora::plugin::testing {

inline int g_data = 7;  // writable data of this program

inline void CodeHere() {
  g_data = 8;
}

// A function's address as a plain pointer, for the checks and for method tables.
template <typename Fn>
const void* Address(Fn function) {
  const void* address;
  std::memcpy(&address, &function, sizeof address);
  return address;
}

struct MemoryCase {
  const char* name;
  const void* address;
  std::size_t size;
  bool readable, writable, code;
};

// The places the test takes: an int of its own on the stack, an int on the
// heap, and pages it made: a read-write page that follows another, one without
// access right after it, then a read-only one.
struct CommonPlaces {
  const void* stack;
  const void* heap;
  const unsigned char* readWrite;
  const unsigned char* noAccess;
  const unsigned char* readOnly;
};

inline std::vector<MemoryCase> CommonMemoryCases(const CommonPlaces& at) {
  return {
      {"null", nullptr, 1, false, false, false},
      {"the stack", at.stack, sizeof(int), true, true, false},
      {"the heap", at.heap, sizeof(int), true, true, false},
      {"program data", &g_data, sizeof g_data, true, true, false},
      {"program code", Address(&CodeHere), 1, true, false, true},
      {"a read-only page", at.readOnly, 16, true, false, false},
      {"a page without access", at.noAccess, 16, false, false, false},
      {"a range running into it", at.noAccess - 8, 16, false, false, false},
      {"a range across two writable pages", at.readWrite - 8, 16, true, true, false},
  };
}

inline void ExpectMemoryVerdicts(const HostMemory& memory, const std::vector<MemoryCase>& cases) {
  for (const MemoryCase& c : cases) {
    EXPECT_EQ(memory.Readable(c.address, c.size), c.readable) << c.name;
    EXPECT_EQ(memory.Writable(c.address, c.size), c.writable) << c.name;
    EXPECT_EQ(memory.IsModuleCode(c.address), c.code) << c.name;
  }
}

}  // namespace kelvora::plugin::testing
