// Heap accounting for the memory figures of a benchmark: every allocation
// carries its size in a header, so the bytes in use and their peak are known.
// Include in exactly one file of a benchmark program: it replaces the global
// operator new and delete.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace kelvora::bench {

inline std::atomic<std::size_t> gHeapNow{0};
inline std::atomic<std::size_t> gHeapPeak{0};

// Peak heap while `run` runs, above what was in use before it.
template <typename F>
std::size_t PeakDuring(F run) {
  const std::size_t before = gHeapNow.load();
  gHeapPeak.store(before);
  run();
  return gHeapPeak.load() - before;
}

namespace detail {
constexpr std::size_t kHeader = alignof(std::max_align_t);

inline void* CountedAlloc(std::size_t size) {
  void* raw = std::malloc(size + kHeader);
  if (!raw) throw std::bad_alloc();
  *static_cast<std::size_t*>(raw) = size;
  const std::size_t now = gHeapNow.fetch_add(size) + size;
  std::size_t peak = gHeapPeak.load();
  while (now > peak && !gHeapPeak.compare_exchange_weak(peak, now)) {
  }
  return static_cast<char*>(raw) + kHeader;
}

inline void CountedFree(void* p) {
  if (!p) return;
  void* raw = static_cast<char*>(p) - kHeader;
  gHeapNow.fetch_sub(*static_cast<std::size_t*>(raw));
  std::free(raw);
}
}  // namespace detail

}  // namespace kelvora::bench

void* operator new(std::size_t size) {
  return kelvora::bench::detail::CountedAlloc(size);
}
void* operator new[](std::size_t size) {
  return kelvora::bench::detail::CountedAlloc(size);
}
void operator delete(void* p) noexcept {
  kelvora::bench::detail::CountedFree(p);
}
void operator delete[](void* p) noexcept {
  kelvora::bench::detail::CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
  kelvora::bench::detail::CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  kelvora::bench::detail::CountedFree(p);
}
