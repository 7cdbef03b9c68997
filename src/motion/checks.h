// Pieces of the report's checks that hold state of their own or are worth
// testing alone.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvora::motion {

// The deepest Z the program has plunged to (fed straight down) at each X/Y
// position, so that a rapid straight down into a hole already cut (the
// re-approach between pecks) is told from a rapid into uncut stock. Positions
// are told apart to 0.001 mm.
//
// Pecking re-approaches the hole it has just fed, so the position in hand is
// kept apart and answered without a lookup; a position left behind is only
// appended to a list, and the list is indexed when a question about another
// position comes (rarely: a program that goes back to an earlier hole).
class DeepestFeeds {
 public:
  void Record(double x, double y, double z);
  // Whether the program has fed at X/Y down to `z` or deeper (within 1e-6).
  bool ReachedAt(double x, double y, double z);

 private:
  struct Key {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  struct Entry {
    Key key;
    double z = 0.0;
  };
  static Key KeyOf(double x, double y);
  void IndexLeftBehind();

  bool hasCurrent_ = false;
  Entry current_;
  std::vector<Entry> leftBehind_;
  std::size_t indexed_ = 0;  // how many of leftBehind_ are in index_
  std::unordered_map<Key, double, KeyHash> index_;
};

// The text of an axis and its value as a program writes it: "Z-2", "X1210.5".
std::string AxisDetail(char axis, double value);

}  // namespace kelvora::motion
