// Jobs that descend layer by layer, read back as a machine runs them: no rapid
// ends below the floor the program has already cut at that place (the stock's
// top where it has cut nothing), and where a ramp or helix entry was chosen no
// move goes into material steeper than the ramp angle. LinuxCNC's interpreter
// reads every one of these programs to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/cli_run.h"
#include "motion/recording_sink.h"
#include "motion/rs274_test.h"

namespace kelvora::cli {
namespace {

using motion::Move;
using motion::MoveKind;
using testing::RunArgs;

// Printed numbers are within half their last decimal of their values; an arc's
// end and centre each carry that, so a point on it may be off by a few.
constexpr double kDepthSlack = 0.003;

struct Point {
  double x, y, z;
};

// The points of a move every `step` or closer, its ends included.
std::vector<Point> Samples(const Move& m, double step) {
  std::vector<Point> out;
  const bool arc = m.kind == MoveKind::kArcCw || m.kind == MoveKind::kArcCcw;
  double sweep = 0, radius = 0, a0 = 0, length = 0;
  if (arc) {
    radius = std::hypot(m.start.x - m.centreX, m.start.y - m.centreY);
    a0 = std::atan2(m.start.y - m.centreY, m.start.x - m.centreX);
    const double a1 = std::atan2(m.end.y - m.centreY, m.end.x - m.centreX);
    sweep = a1 - a0;
    const double turn = 2 * std::numbers::pi;
    if (m.kind == MoveKind::kArcCcw) {
      while (sweep <= 1e-12) sweep += turn;
      sweep += turn * m.extraTurns;
    } else {
      while (sweep >= -1e-12) sweep -= turn;
      sweep -= turn * m.extraTurns;
    }
    length = std::abs(sweep) * radius;
  } else {
    length = std::hypot(m.end.x - m.start.x, m.end.y - m.start.y);
  }
  const int n = std::max(1, static_cast<int>(std::ceil(length / step)));
  for (int i = 0; i <= n; ++i) {
    const double t = static_cast<double>(i) / n;
    const double z = m.start.z + (m.end.z - m.start.z) * t;
    if (arc) {
      const double a = a0 + sweep * t;
      out.push_back({m.centreX + radius * std::cos(a), m.centreY + radius * std::sin(a), z});
    } else {
      out.push_back(
          {m.start.x + (m.end.x - m.start.x) * t, m.start.y + (m.end.y - m.start.y) * t, z});
    }
  }
  if (arc) out.back() = {m.end.x, m.end.y, m.end.z};
  return out;
}

// The XY length of a move (an arc along its circle).
double PlanLength(const Move& m) {
  const std::vector<Point> points = Samples(m, 0.01);
  double length = 0;
  for (std::size_t i = 1; i < points.size(); ++i) {
    length += std::hypot(points[i].x - points[i - 1].x, points[i].y - points[i - 1].y);
  }
  return length;
}

// The deepest the tool centre has been fed at each place, on a grid finer than
// any cutter: the floor already cut there (0, the stock's top, where it has not
// been).
class CutFloor {
 public:
  static constexpr double kCell = 0.1;
  static constexpr double kStep = 0.04;  // samples along a move, under half a cell

  double At(double x, double y) const {
    const auto cx = Cell(x);
    const auto cy = Cell(y);
    double floor = 0;
    for (std::int64_t i = -1; i <= 1; ++i) {
      for (std::int64_t j = -1; j <= 1; ++j) {
        const auto it = cells_.find(Key(cx + i, cy + j));
        if (it == cells_.end()) continue;
        for (const Point& p : it->second) {
          if (std::hypot(p.x - x, p.y - y) <= kStep) floor = std::min(floor, p.z);
        }
      }
    }
    return floor;
  }

  void Record(const Move& m) {
    for (const Point& p : Samples(m, kStep)) {
      if (p.z >= 0) continue;
      auto& points = cells_[Key(Cell(p.x), Cell(p.y))];
      // A place passed again at the same depth adds nothing.
      bool deeper = true;
      for (Point& q : points) {
        if (std::hypot(q.x - p.x, q.y - p.y) <= kStep / 4) {
          q.z = std::min(q.z, p.z);
          deeper = false;
          break;
        }
      }
      if (deeper) points.push_back(p);
    }
  }

 private:
  static std::int64_t Cell(double v) { return static_cast<std::int64_t>(std::floor(v / kCell)); }
  static std::uint64_t Key(std::int64_t x, std::int64_t y) {
    return (static_cast<std::uint64_t>(x) << 32) ^ (static_cast<std::uint64_t>(y) & 0xffffffffu);
  }
  std::unordered_map<std::uint64_t, std::vector<Point>> cells_;
};

// The first unsafe descent of a program, or "": a rapid that ends (or runs)
// below the floor already cut where it goes; with `rampAngle` set (a ramp or
// helix entry), a feed into material steeper than that angle.
std::string FirstUnsafeDescent(const std::string& program, double rampAngle) {
  const motion::testing::RecordingSink read = motion::testing::Read(program);
  if (!read.notices.empty()) return "notice " + motion::testing::Describe(read.notices.front());
  const double slope = std::tan(rampAngle * std::numbers::pi / 180);
  CutFloor cut;
  for (const Move& m : read.moves) {
    const std::string at =
        "line " + std::to_string(m.line) + " (" + motion::testing::Describe(m) + "): ";
    if (m.kind == MoveKind::kRapid) {
      if (std::min(m.start.z, m.end.z) < 0) {
        for (const Point& p : Samples(m, CutFloor::kStep)) {
          if (p.z < cut.At(p.x, p.y) - kDepthSlack) return at + "a rapid into uncut stock";
        }
      }
      continue;
    }
    const double drop = m.start.z - m.end.z;
    if (rampAngle > 0 && drop > kDepthSlack) {
      bool inMaterial = false;
      for (const Point& p : Samples(m, CutFloor::kStep)) {
        inMaterial = inMaterial || p.z < cut.At(p.x, p.y) - kDepthSlack;
      }
      if (inMaterial && drop > slope * PlanLength(m) + kDepthSlack) {
        return at + "a descent into material steeper than the ramp";
      }
    }
    cut.Record(m);
  }
  return {};
}

std::string Sample(const std::string& name) {
  return testing::DataPath("../samples/" + name);
}

struct Descent {
  std::string label;
  std::vector<std::string> args;
  double rampAngle;  // 0: plunges are allowed
};

const std::string kShelves = "cuts-horizontal-shelves.csv";
const std::string kDividers = "cuts-vertical-dividers.csv";

// The samples' own commands, then the same with retract heights under the
// step-down, and every entry of the contour job on the bracket: plunge, ramp
// and helix, with and without lead-in, outside and inside, on the line, and
// pocketed; the retract under and over the step-down.
std::vector<Descent> Descents() {
  const std::string bracket = Sample("bracket.dxf");
  const std::string contours = testing::DataPath("geometry/dxf/r2000_contours.dxf");
  const std::vector<std::string> machining = {"DxfFeedrate=1200", "DxfPlugFeed=300", "DxfZsafe=10",
                                              "DxfSpinSpeed=18000", "DxfEndScript=M30"};
  auto cuts = [&](const std::string& csv, std::vector<std::string> extra) {
    std::vector<std::string> args = {"cuts", "--cuts", Sample(csv)};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), machining.begin(), machining.end());
    return args;
  };
  auto contour = [&](std::vector<std::string> extra, const std::string& drawing) {
    std::vector<std::string> args = {"dxf", "--dxf", drawing};
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), machining.begin(), machining.end());
    return args;
  };
  std::vector<Descent> runs = {
      {"shelves sample", cuts(kShelves, {"DxfDepth=6", "DxfStepdown=3", "DxfRetract=2"}), 0},
      {"dividers sample", cuts(kDividers, {"DxfDepth=6", "DxfStepdown=3", "DxfRetract=2"}), 0},
      {"strips sample",
       cuts("cuts-strips.csv",
            {"CutToolDia=6", "CutZigZac=True", "DxfDepth=18.5", "DxfStepdown=6.5", "DxfRetract=2"}),
       0},
      {"strips two-way",
       cuts("cuts-strips.csv",
            {"CutToolDia=6", "Cut2Way=True", "DxfDepth=5", "DxfStepdown=1", "DxfRetract=0.5"}),
       0},
      {"shelves, one layer deeper than the retract",
       cuts(kShelves, {"DxfDepth=6", "DxfStepdown=0", "DxfRetract=2"}), 0},
      {"bracket sample", contour({"DxfDepth=3", "DxfStepdown=1", "DxfRetract=2"}, bracket), 0},
      {"bracket, retract under the step-down",
       contour({"DxfDepth=6", "DxfStepdown=3", "DxfRetract=2"}, bracket), 0},
      {"surface, one layer deeper than the retract",
       {"surface", "MsqrXc=0", "MsqrYc=0", "MsqrLx=10", "MsqrLy=4", "MsqrStep=2", "MsqrDepth=3",
        "MsqrStepdown=3", "MsqrRetract=1", "MsqrZsafe=5", "MsqrEnSpin=False"},
       0},
      {"surface, layers deeper than the retract",
       {"surface", "MsqrXc=0", "MsqrYc=0", "MsqrLx=10", "MsqrLy=4", "MsqrStep=2", "MsqrDepth=5",
        "MsqrStepdown=2", "MsqrRetract=0.5", "MsqrZsafe=5", "MsqrEnSpin=False"},
       0},
  };
  const std::vector<std::string> outlines = {"DxfOutlines=All outline entities", "DxfToolDia=3"};
  struct Entry {
    const char* name;
    std::vector<std::string> words;
  };
  const Entry entries[] = {
      {"plunge", {"DxfEntry=Plunge"}},
      {"ramp", {"DxfEntry=Ramp"}},
      {"steep ramp", {"DxfEntry=Ramp", "DxfRampAngle=30"}},
      {"helix", {"DxfEntry=Helix"}},
  };
  const Entry sides[] = {
      {"outside with lead-in", {"DxfSide=Outside", "DxfLeadIn=1"}},
      {"inside with lead-in", {"DxfSide=Inside", "DxfLeadIn=1"}},
      {"outside", {"DxfSide=Outside"}},
      {"on the line", {"DxfSide=On the line"}},
      {"pocket", {"DxfSide=Inside", "DxfPocket=True"}},
  };
  const Entry layers[] = {
      {"retract under the step-down", {"DxfDepth=2", "DxfStepdown=1", "DxfRetract=0.4"}},
      {"default retract", {"DxfDepth=2", "DxfStepdown=1"}},
      {"retract over the step-down", {"DxfDepth=2.5", "DxfStepdown=1", "DxfRetract=1.5"}},
  };
  for (const Entry& entry : entries) {
    for (const Entry& side : sides) {
      for (const Entry& layer : layers) {
        std::vector<std::string> words = outlines;
        for (const Entry* e : {&entry, &side, &layer}) {
          words.insert(words.end(), e->words.begin(), e->words.end());
        }
        const double angle = entry.words[0] == "DxfEntry=Plunge" ? 0
                             : entry.words.size() > 1            ? 30
                                                                 : 3;  // the ramp angle's default
        // The bracket's pockets run to tens of thousands of lines: the pockets
        // are cleared in a smaller drawing of open and closed contours.
        const bool pocket = side.words.back() == "DxfPocket=True";
        runs.push_back({std::string(entry.name) + ", " + side.name + ", " + layer.name,
                        contour(words, pocket ? contours : bracket), angle});
      }
    }
  }
  return runs;
}

TEST(LayeredDescent, NoRapidEndsInUncutStockAndRampsKeepTheirAngleInMaterial) {
  const std::vector<Descent> runs = Descents();
  for (const Descent& d : runs) {
    SCOPED_TRACE(d.label);
    const testing::CliRun run = RunArgs(d.args);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string fault = FirstUnsafeDescent(run.out, d.rampAngle);
    EXPECT_EQ(fault, "") << run.out;
  }
}

// The check itself: a rapid below the stock's top, a rapid below the floor one
// layer cut, and a ramp steeper than its angle where the floor is uncut are
// each caught; a rapid down to the floor just cut and a ramp through the open
// slot are not.
TEST(LayeredDescent, TheCheckTellsRapidsIntoStockAndSteepRampsFromSafeOnes) {
  const std::string start = "G90\nG0Z5\nG0X0Y0\n";
  EXPECT_EQ(
      FirstUnsafeDescent(start + "G0Z1\nG1Z-3F100\nG1X10\nG0Z5\nG0X0Y0\nG0Z-3\nG1Z-6\nM30\n", 0),
      "");
  EXPECT_EQ(FirstUnsafeDescent(start + "G0Z-1\nG1Z-3F100\nM30\n", 0),
            "line 4 (G0 0,0,-1,0 @4): a rapid into uncut stock");
  EXPECT_EQ(FirstUnsafeDescent(start + "G0Z1\nG1Z-3F100\nG1X10\nG0Z5\nG0X0Y0\nG0Z-4\nM30\n", 0),
            "line 9 (G0 0,0,-4,0 @9): a rapid into uncut stock");
  // Ramped at 45 degrees from the top: too steep for 3 degrees, not for 45.
  const std::string ramp = start + "G0Z0\nG1X10Z-1F100\nM30\n";
  EXPECT_EQ(FirstUnsafeDescent(ramp, 3),
            "line 5 (G1 10,0,-1,0 F100 @5): a descent into material steeper than the ramp");
  EXPECT_EQ(FirstUnsafeDescent(ramp, 45), "");
  // The second pass falls at 45 degrees through the depth the first cut.
  EXPECT_EQ(
      FirstUnsafeDescent(
          start + "G0Z0\nG1X20Z-1F100\nG1X0\nG0Z5\nG0X0Y0\nG0Z0\nG1X1Z-1\nG1X21Z-2\nM30\n", 3),
      "");
}

using LayeredDescentRs274 = motion::testing::Rs274Test;

// rs274 reads every one of the programs to its end, as the reader reads them.
TEST_F(LayeredDescentRs274, TheProgramsReadCleanly) {
  for (const Descent& d : Descents()) {
    SCOPED_TRACE(d.label);
    const testing::CliRun run = RunArgs(d.args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ReadsAlike(run.out));
  }
}

}  // namespace
}  // namespace kelvora::cli
