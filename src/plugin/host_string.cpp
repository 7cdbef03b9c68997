#include "plugin/host_string.h"

#include <climits>
#include <cstring>

#include "plugin/host_interface.h"

namespace kelvora::plugin {

namespace {

std::int32_t ReadInt32(const void* at) {
  std::int32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void WriteInt32(void* at, std::int32_t value) {
  std::memcpy(at, &value, sizeof value);
}

// Entry `slot` of the manager's method table.
template <typename Fn>
Fn ManagerMethod(void* manager, std::size_t slot) {
  void* table = ReadHostPointer(manager, 0);
  Fn method;
  std::memcpy(&method, static_cast<unsigned char*>(table) + slot * sizeof(Fn), sizeof method);
  return method;
}

// The header of the buffer the object points at, or null when it points at none
// (a pointer so low that no header can precede it counts as none).
unsigned char* HeaderOfObject(void* stringObject) {
  auto* characters = static_cast<char*>(ReadHostPointer(stringObject, 0));
  if (reinterpret_cast<std::uintptr_t>(characters) < kStringHeaderSize) return nullptr;
  return StringHeaderOf(characters);
}

void ReleaseHeader(unsigned char* header) {
  void* manager = ReadHostPointer(header, kStringHeaderManager);
  std::int32_t refs = ReadInt32(header + kStringHeaderRefs) - 1;
  WriteInt32(header + kStringHeaderRefs, refs);
  // A locked buffer (count below zero) has one owner, the string itself, so it goes
  // as well; the framework releases it the same way.
  if (refs <= 0) ManagerMethod<StringFreeFn>(manager, kManagerFree)(manager, header);
}

}  // namespace

bool HostStringLooksSound(void* stringObject, const HostMemory& memory) {
  if (!memory.Writable(stringObject, sizeof(void*))) return false;
  unsigned char* header = HeaderOfObject(stringObject);
  // The header's count is written; its characters are not touched.
  if (header == nullptr || !memory.Writable(header, kStringHeaderSize)) return false;
  void* manager = ReadHostPointer(header, kStringHeaderManager);
  if (!memory.Readable(manager, sizeof(void*))) return false;
  void* table = ReadHostPointer(manager, 0);
  if (!memory.Readable(table, kManagerMethodCount * sizeof(void*))) return false;
  for (std::size_t slot = 0; slot < kManagerMethodCount; ++slot) {
    if (!memory.IsModuleCode(ReadHostPointer(table, slot * sizeof(void*)))) return false;
  }
  return true;
}

bool AssignHostString(void* stringObject, std::string_view text, const HostMemory& memory) {
  if (text.size() > static_cast<std::size_t>(INT_MAX - 16)) return false;
  if (!HostStringLooksSound(stringObject, memory)) return false;
  unsigned char* oldHeader = HeaderOfObject(stringObject);
  void* manager = ReadHostPointer(oldHeader, kStringHeaderManager);

  const int length = static_cast<int>(text.size());
  void* newHeader = ManagerMethod<StringAllocateFn>(manager, kManagerAllocate)(manager, length, 1);
  // What came back is written to; a manager that is not what it seemed may hand
  // back anything, and such a buffer is better lost than written through.
  if (newHeader == nullptr ||
      !memory.Writable(newHeader, kStringHeaderSize + static_cast<std::size_t>(length) + 1)) {
    return false;
  }
  char* newCharacters = StringCharactersOf(newHeader);
  if (!text.empty()) std::memcpy(newCharacters, text.data(), text.size());
  newCharacters[text.size()] = '\0';
  WriteInt32(static_cast<unsigned char*>(newHeader) + kStringHeaderDataLength, length);
  WriteHostPointer(stringObject, 0, newCharacters);
  ReleaseHeader(oldHeader);
  return true;
}

std::optional<std::string> ReadHostString(const void* stringObject) {
  auto* characters = static_cast<char*>(ReadHostPointer(stringObject, 0));
  if (characters == nullptr) return std::nullopt;
  std::int32_t length = ReadInt32(StringHeaderOf(characters) + kStringHeaderDataLength);
  if (length < 0) return std::nullopt;
  return std::string(characters, static_cast<std::size_t>(length));
}

}  // namespace kelvora::plugin
