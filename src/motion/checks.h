// Pieces of the report's checks that hold state of their own or are worth
// testing alone.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

namespace kelvora::motion {

// The deepest Z the program has fed to at each X/Y position, so that a rapid
// straight down into a hole already cut (the re-approach between pecks) is
// told from a rapid into uncut stock. Positions are told apart to 0.001 mm.
// Most questions are about the position last asked or recorded, which is
// answered without a lookup.
class DeepestFeeds {
 public:
  void Record(double x, double y, double z);
  // Whether the program has fed at X/Y down to `z` or deeper (within 1e-6).
  bool ReachedAt(double x, double y, double z);

 private:
  struct Key {
    std::int64_t x;
    std::int64_t y;
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  static Key KeyOf(double x, double y);
  double* Find(const Key& key);

  std::unordered_map<Key, double, KeyHash> deepest_;
  Key lastKey_{};
  double* last_ = nullptr;  // the entry of lastKey_, or null when it has none
};

// The text of an axis and its value as a program writes it: "Z-2", "X1210.5".
std::string AxisDetail(char axis, double value);

}  // namespace kelvora::motion
