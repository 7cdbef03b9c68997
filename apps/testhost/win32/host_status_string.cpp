#include "host_status_string.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace kelvora::testhost {

namespace {

// Characters are narrow; a wider size is not the host's string.
constexpr int kCharSize = 1;

bool SizeIsSound(int allocLength, int charSize) {
  return charSize == kCharSize && allocLength >= 0 &&
         allocLength < std::numeric_limits<int>::max() / 2;
}

std::size_t BytesFor(int allocLength) {
  return sizeof(HostStringData) + static_cast<std::size_t>(allocLength) + 1;
}

}  // namespace

static_assert(sizeof(HostStringData) % alignof(HostStringData) == 0);

HostStringManager::HostStringManager() {
  // The nil header is shared by every empty string and never freed: it starts
  // with two references so that releasing it never reaches zero.
  nil_.header.manager = this;
  nil_.header.dataLength = 0;
  nil_.header.allocLength = 0;
  nil_.header.references = 2;
}

HostStringManager::~HostStringManager() {
  for (const HostStringData* data : live_) std::free(const_cast<HostStringData*>(data));
}

HostStringData* HostStringManager::Allocate(int allocLength, int charSize) {
  if (!SizeIsSound(allocLength, charSize)) {
    faults_.push_back("Allocate with length " + std::to_string(allocLength) + " and char size " +
                      std::to_string(charSize));
    return nullptr;
  }
  auto* data = static_cast<HostStringData*>(std::calloc(1, BytesFor(allocLength)));
  if (!data) return nullptr;
  data->manager = this;
  data->dataLength = 0;
  data->allocLength = allocLength;
  data->references = 1;
  live_.insert(data);
  return data;
}

void HostStringManager::Free(HostStringData* data) {
  if (data == &nil_.header) {
    faults_.push_back("Free of the nil string");
    return;
  }
  if (!live_.erase(data)) {
    faults_.push_back("Free of a header this manager did not hand out");
    return;
  }
  if (data->references > 0) faults_.push_back("Free of a header still referenced");
  std::free(data);
}

HostStringData* HostStringManager::Reallocate(HostStringData* data, int allocLength, int charSize) {
  if (!live_.count(data)) {
    faults_.push_back("Reallocate of a header this manager did not hand out");
    return nullptr;
  }
  if (!SizeIsSound(allocLength, charSize)) {
    faults_.push_back("Reallocate with length " + std::to_string(allocLength));
    return nullptr;
  }
  auto* moved = static_cast<HostStringData*>(std::realloc(data, BytesFor(allocLength)));
  if (!moved) return nullptr;
  live_.erase(data);
  live_.insert(moved);
  moved->allocLength = allocLength;
  return moved;
}

HostStringData* HostStringManager::GetNilString() {
  ++nil_.header.references;
  return &nil_.header;
}

HostStringManager* HostStringManager::Clone() {
  return this;
}

bool HostStringManager::Owns(const HostStringData* data) const {
  return data == &nil_.header || live_.count(data) != 0;
}

HostStatusString::HostStatusString(void* slot, HostStringManager& manager)
    : slot_(slot), manager_(manager) {
  char* chars = manager_.GetNilString()->chars();
  std::memcpy(slot_, &chars, sizeof(chars));
}

HostStatusString::~HostStatusString() {
  HostStringData* data = Data();
  if (!manager_.Owns(data)) return;
  if (--data->references <= 0) manager_.Free(data);
}

HostStringData* HostStatusString::Data() const {
  char* chars = nullptr;
  std::memcpy(&chars, slot_, sizeof(chars));
  return reinterpret_cast<HostStringData*>(chars) - 1;
}

std::string HostStatusString::Text() const {
  const HostStringData* data = Data();
  if (!manager_.Owns(data)) {
    manager_.AddFault("the status string holds a header this manager did not hand out");
    return {};
  }
  const char* chars = reinterpret_cast<const char*>(data + 1);
  if (data->dataLength < 0 || data->dataLength > data->allocLength ||
      chars[data->dataLength] != '\0' ||
      std::strlen(chars) != static_cast<std::size_t>(data->dataLength)) {
    manager_.AddFault("the status string's length does not match its characters");
    return {};
  }
  return std::string(chars, static_cast<std::size_t>(data->dataLength));
}

}  // namespace kelvora::testhost
