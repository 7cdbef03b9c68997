// The methods of a host string manager as the tests play it: Allocate hands out
// a zeroed buffer of the string layout (the manager at its start, one
// reference), Free frees it, and the others do nothing.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "plugin/host_string.h"

namespace kelvora::plugin::testing {

KELVORA_BEGIN_HOST_MEMBERS
struct HostStringMethods {
  static void* KELVORA_HOST_MEMBER Allocate(void* self, int length, int) {
    auto* header = static_cast<unsigned char*>(
        std::calloc(kStringHeaderSize + static_cast<std::size_t>(length) + 1, 1));
    std::memcpy(header, &self, sizeof self);
    const std::int32_t one = 1;
    std::memcpy(header + kStringHeaderRefs, &one, sizeof one);
    return header;
  }
  static void KELVORA_HOST_MEMBER Free(void*, void* header) { std::free(header); }
  static void* KELVORA_HOST_MEMBER Reallocate(void*, void*, int, int) { return nullptr; }
  static void* KELVORA_HOST_MEMBER GetNil(void*) { return nullptr; }
  static void* KELVORA_HOST_MEMBER Clone(void* self) { return self; }
};
KELVORA_END_HOST_MEMBERS

}  // namespace kelvora::plugin::testing
