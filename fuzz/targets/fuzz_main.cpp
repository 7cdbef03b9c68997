// The libFuzzer entry point of one target; which one is chosen when it is built
// (KELVORA_FUZZ_TARGET names it in harness.cpp's table).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const kelvora::fuzz::Target* target = [] {
    const kelvora::fuzz::Target* t = kelvora::fuzz::FindTarget(KELVORA_FUZZ_TARGET);
    if (!t) std::abort();
    return t;
  }();
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (auto broken = target->run(input)) {
    std::fprintf(stderr, "\n*** %s: %s\n", KELVORA_FUZZ_TARGET, broken->c_str());
    std::abort();
  }
  return 0;
}
