// Pieces of the report's checks that hold state of their own or are worth
// testing alone.
#pragma once

#include <cstddef>
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

// The last feed moves the program has cut below the stock top, as the paths of
// the tool's tip: a rapid that runs inside one of them at or above its floor
// (back along a slot just cut, or straight down into the middle of one) moves
// through material already taken away. A bounded number is kept (the memory
// stays the same for a program of any size): a rapid into a cut made longer ago
// is reported as any other. Points are matched to 0.001 mm.
class RecentCuts {
 public:
  struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
  };
  void AddLine(const Point& from, const Point& to);
  // An arc round (cx, cy) of `radius` from `startAngle` turning `sweep` radians
  // (positive counter-clockwise, whole extra turns included), Z running evenly
  // from `z0` to `z1`.
  void AddArc(double cx, double cy, double radius, double startAngle, double sweep, double z0,
              double z1);
  // Whether the straight path from `from` to `to` runs inside one cut at or
  // above its floor: both ends on the same straight cut (or, for a path
  // straight down, its lower end on any cut) no lower than the cut there.
  bool Holds(const Point& from, const Point& to) const;

  static constexpr std::size_t kKept = 256;

 private:
  struct Cut {
    bool arc = false;
    Point from, to;  // a line; an arc's Z is from.z to to.z
    double cx = 0.0, cy = 0.0, radius = 0.0, startAngle = 0.0, sweep = 0.0;
  };
  void Add(const Cut& cut);
  // The deepest Z the cut reaches at (x, y), or nothing when it does not pass there.
  static bool FloorAt(const Cut& cut, double x, double y, double& floor);

  std::vector<Cut> cuts_;
  std::size_t next_ = 0;  // where the next cut goes once kKept are held
};

// The text of an axis and its value as a program writes it: "Z-2", "X1210.5".
std::string AxisDetail(char axis, double value);

}  // namespace kelvora::motion
