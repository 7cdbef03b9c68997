// The host's status string: assigning text to a string object that belongs to the
// host, through the host string's own allocator.
//
// The layout assumed is that of the string class of the common Windows C++
// framework of the host's era (MFC 7 and later, ATL's CStringT over char):
//
//   string object:  one pointer to the first character of a NUL-terminated narrow
//                   text; the characters follow the header below directly.
//   header (just before the characters), four fields:
//     string manager   pointer     the interface that allocated the header
//     data length      32-bit int  characters in use, without the NUL
//     alloc length     32-bit int  characters the buffer holds, without the NUL
//     reference count  32-bit int  shared owners; below zero the buffer is locked
//   The header is padded to pointer alignment: 16 bytes with 32-bit pointers,
//   24 with 64-bit ones.
//   string manager: an object whose first word points to its table of virtual
//   methods, in this order, each called with the platform's member-function
//   convention (thiscall on 32-bit Windows, the object as first argument elsewhere):
//     0 Allocate(allocLength, charSize) -> header   (room for allocLength + 1 chars)
//     1 Free(header)
//     2 Reallocate(header, allocLength, charSize) -> header
//     3 GetNilString() -> header
//     4 Clone() -> manager
//
// Nothing of ours is ever stored in the host's object but a character pointer
// that the host's own manager handed out.
//
// The layout is a guess about a host we do not build, so it is checked before
// anything is written or called: the object's slot, the header and the buffer the
// manager hands out must be writable memory, the manager and its table readable,
// and every method of the table must lie in the executable code of a loaded
// module. A host that does not pass is left alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plugin/platform.h"

#if defined(_WIN32) && defined(__i386__)
#define KELVORA_HOST_MEMBER __attribute__((thiscall))
#else
#define KELVORA_HOST_MEMBER
#endif

// A host (or a test) that defines the manager's methods as plain functions with
// that convention wraps them in these: GCC applies the convention but warns.
#define KELVORA_BEGIN_HOST_MEMBERS \
  _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wattributes\"")
#define KELVORA_END_HOST_MEMBERS _Pragma("GCC diagnostic pop")

namespace kelvora::plugin {

inline constexpr std::size_t kStringHeaderManager = 0;
inline constexpr std::size_t kStringHeaderDataLength = sizeof(void*);
inline constexpr std::size_t kStringHeaderAllocLength = sizeof(void*) + 4;
inline constexpr std::size_t kStringHeaderRefs = sizeof(void*) + 8;
inline constexpr std::size_t kStringHeaderSize =
    (sizeof(void*) + 12 + alignof(void*) - 1) / alignof(void*) * alignof(void*);

// The manager's methods, in table order.
inline constexpr std::size_t kManagerAllocate = 0;
inline constexpr std::size_t kManagerFree = 1;
inline constexpr std::size_t kManagerReallocate = 2;
inline constexpr std::size_t kManagerGetNilString = 3;
inline constexpr std::size_t kManagerClone = 4;

// GCC applies thiscall to plain function types too (the object goes in ECX) but
// says so with a warning; these types describe the host's member functions.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
extern "C" {
using StringAllocateFn = void*(KELVORA_HOST_MEMBER*)(void* manager, int allocLength, int charSize);
using StringFreeFn = void(KELVORA_HOST_MEMBER*)(void* manager, void* header);
using StringReallocateFn = void*(KELVORA_HOST_MEMBER*)(void* manager, void* header, int allocLength,
                                                       int charSize);
using StringGetNilStringFn = void*(KELVORA_HOST_MEMBER*)(void* manager);
using StringCloneFn = void*(KELVORA_HOST_MEMBER*)(void* manager);
}
#pragma GCC diagnostic pop

// The number of methods in the manager's table.
inline constexpr std::size_t kManagerMethodCount = 5;

// Whether the host string object at `stringObject` has the layout above as far as
// `memory` can tell: its slot writable, a buffer whose header is writable, a
// manager and table that can be read, and methods in module code.
bool HostStringLooksSound(void* stringObject, const HostMemory& memory);

// Replaces the text of the host string object at `stringObject`: a new buffer from
// the current buffer's manager, the text copied in, the object pointed at it, the
// old buffer released (its count decremented, freed through the manager when no
// owner is left). Returns false, changing nothing, when the object does not look
// sound (HostStringLooksSound), the text is too long or the manager gives no
// buffer that can be written.
bool AssignHostString(void* stringObject, std::string_view text, const HostMemory& memory);

// The text the host string object holds (its data length), or nullopt when it
// holds no buffer.
std::optional<std::string> ReadHostString(const void* stringObject);

// The header in front of a character pointer, and back.
inline unsigned char* StringHeaderOf(char* characters) {
  return reinterpret_cast<unsigned char*>(characters) - kStringHeaderSize;
}
inline char* StringCharactersOf(void* header) {
  return reinterpret_cast<char*>(static_cast<unsigned char*>(header) + kStringHeaderSize);
}

}  // namespace kelvora::plugin
