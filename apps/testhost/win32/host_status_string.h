// The host's status string, with the layout of the string class of the host's
// framework (the common Windows C++ framework's CStringT):
//
//   the string object:  one pointer to NUL-terminated narrow characters;
//   before the characters, a header of four 32-bit fields:
//     manager (pointer), data length, allocated length, reference count;
//   the manager: an interface whose virtual methods are, in this order,
//     Allocate(allocLength, charSize) -> header, Free(header),
//     Reallocate(header, allocLength, charSize) -> header, GetNilString() -> header,
//     Clone() -> manager,
//   called with the platform's member-function convention (thiscall on 32-bit).
//
// A reference count below zero marks a locked buffer; the empty ("nil") string's
// header is shared and never freed. The test host owns the manager and checks
// that every header handed back to it is one it handed out.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#if defined(__i386__)
#define KELVORA_THISCALL __attribute__((thiscall))
#else
#define KELVORA_THISCALL
#endif

namespace kelvora::testhost {

class HostStringManager;

// The header before the characters. On 32-bit Windows it is 16 bytes.
struct HostStringData {
  HostStringManager* manager;
  std::int32_t dataLength;
  std::int32_t allocLength;
  std::int32_t references;
  char* chars() { return reinterpret_cast<char*>(this + 1); }
};

class HostStringManager final {
 public:
  HostStringManager();
  HostStringManager(const HostStringManager&) = delete;
  HostStringManager& operator=(const HostStringManager&) = delete;
  ~HostStringManager();

  // The interface, in its order; nothing else of this class is virtual.
  virtual HostStringData* KELVORA_THISCALL Allocate(int allocLength, int charSize);
  virtual void KELVORA_THISCALL Free(HostStringData* data);
  virtual HostStringData* KELVORA_THISCALL Reallocate(HostStringData* data, int allocLength,
                                                      int charSize);
  virtual HostStringData* KELVORA_THISCALL GetNilString();
  virtual HostStringManager* KELVORA_THISCALL Clone();

  // Whether `data` is a live header of this manager (or its nil header).
  bool Owns(const HostStringData* data) const;
  // Headers allocated and not yet freed (the nil header not counted).
  std::size_t live() const { return live_.size(); }
  // What went wrong in the calls made to this manager: foreign or freed headers,
  // bad sizes. Empty when every call was sound.
  const std::vector<std::string>& faults() const { return faults_; }
  void AddFault(std::string fault) { faults_.push_back(std::move(fault)); }

 private:
  // The shared empty string: its header and, right after it, its characters.
  struct NilString {
    HostStringData header;
    char chars[sizeof(HostStringData)];
  };
  NilString nil_ = {};
  std::set<const HostStringData*> live_;
  std::vector<std::string> faults_;
};

// The status string object, living at `slot` in the host's planner block.
class HostStatusString {
 public:
  HostStatusString(void* slot, HostStringManager& manager);
  HostStatusString(const HostStatusString&) = delete;
  HostStatusString& operator=(const HostStatusString&) = delete;
  ~HostStatusString();

  // The current text, read as the host reads it; a header that did not come
  // from the manager, or one whose length does not match its characters, is
  // recorded as a fault of the manager and gives the empty text.
  std::string Text() const;

 private:
  HostStringData* Data() const;

  void* slot_;
  HostStringManager& manager_;
};

}  // namespace kelvora::testhost
