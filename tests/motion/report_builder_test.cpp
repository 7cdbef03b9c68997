// The report built from moves handed in directly: extents with arcs' bulges,
// the re-approach rule's memory, one finding per line and kind, the cap on
// findings kept, and which moves are flagged for the path picture.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "motion/report.h"

namespace kelvora::motion {
namespace {

// Hands moves to a builder one after the other from where the last one ended.
class Path {
 public:
  explicit Path(const Machine& machine = {}, const CheckOptions& options = {})
      : builder_(machine, options) {}
  // Returns whether the move was flagged.
  bool Go(MoveKind kind, Position end, double feed = 100, std::uint32_t line = 0) {
    Move move;
    move.kind = kind;
    move.start = at_;
    move.end = end;
    move.feed = feed;
    move.line = line != 0 ? line : ++line_;
    line_ = move.line;
    builder_.OnMove(move);
    at_ = end;
    return builder_.LastMoveFlagged();
  }
  bool Arc(MoveKind kind, Position end, double centreX, double centreY) {
    Move move;
    move.kind = kind;
    move.start = at_;
    move.end = end;
    move.centreX = centreX;
    move.centreY = centreY;
    move.feed = 100;
    move.line = ++line_;
    builder_.OnMove(move);
    at_ = end;
    return builder_.LastMoveFlagged();
  }
  void Spindle() { builder_.OnEvent({EventKind::kSpindleCw, 1000, ++line_}); }
  Report Finish() { return builder_.Finish(line_); }

 private:
  ReportBuilder builder_;
  Position at_;
  std::uint32_t line_ = 0;
};

struct ArcCase {
  std::string name;
  MoveKind kind;
  Position start, end;
  double centreX, centreY;
  double minX, minY, maxX, maxY;
};

TEST(ReportBuilder, ExtentsHoldArcsBulges) {
  const ArcCase cases[] = {
      {"whole turn", MoveKind::kArcCcw, {15, 10, 0, 0}, {15, 10, 0, 0}, 10, 10, 5, 5, 15, 15},
      {"quarter the short way", MoveKind::kArcCcw, {5, 0, 0, 0}, {0, 5, 0, 0}, 0, 0, 0, 0, 5, 5},
      {"three quarters the long way",
       MoveKind::kArcCw,
       {5, 0, 0, 0},
       {0, 5, 0, 0},
       0,
       0,
       -5,
       -5,
       5,
       5},
      {"half through the bottom",
       MoveKind::kArcCcw,
       {-3, 0, 0, 0},
       {3, 0, 0, 0},
       0,
       0,
       -3,
       -3,
       3,
       0},
  };
  for (const ArcCase& c : cases) {
    Path path;
    path.Go(MoveKind::kRapid, c.start);
    path.Arc(c.kind, c.end, c.centreX, c.centreY);
    const Report report = path.Finish();
    ASSERT_TRUE(report.extents.any) << c.name;
    // Where the machine was before the first rapid (the origin) is not in them.
    EXPECT_NEAR(report.extents.minimum[kAxisX], c.minX, 1e-12) << c.name;
    EXPECT_NEAR(report.extents.minimum[kAxisY], c.minY, 1e-12) << c.name;
    EXPECT_NEAR(report.extents.maximum[kAxisX], c.maxX, 1e-12) << c.name;
    EXPECT_NEAR(report.extents.maximum[kAxisY], c.maxY, 1e-12) << c.name;
  }
}

TEST(ReportBuilder, AnAxisCountsFromTheFirstMoveThatNamesIt) {
  struct Case {
    const char* name;
    const char* program;
    std::array<bool, kAxisCount> known;
    double minX, maxX, minZ, maxZ;
  };
  const Case cases[] = {
      // Z named first: X and Y stand where the machine was until line 2.
      {"Z first", "G0Z10\nG0X30Y30\nG1Z-5F100\nG0Z10\n", {true, true, true, false}, 30, 30, -5, 10},
      {"a drilling cycle names its Z",
       "G0X5Y5\nG81X10R2Z-3F100\nG80\n",
       {true, true, true, false},
       5,
       10,
       -3,
       2},
      {"incremental words count from the start",
       "G91G0X10\nX5\n",
       {true, false, false, false},
       10,
       15,
       0,
       0},
  };
  for (const Case& c : cases) {
    const Report report = CheckProgram(c.program, Machine{});
    EXPECT_EQ(report.extents.known, c.known) << c.name;
    EXPECT_DOUBLE_EQ(report.extents.minimum[kAxisX], c.minX) << c.name;
    EXPECT_DOUBLE_EQ(report.extents.maximum[kAxisX], c.maxX) << c.name;
    if (c.known[kAxisZ]) {
      EXPECT_DOUBLE_EQ(report.extents.minimum[kAxisZ], c.minZ) << c.name;
      EXPECT_DOUBLE_EQ(report.extents.maximum[kAxisZ], c.maxZ) << c.name;
    }
  }
  // Nothing named at all: no extents, and the summary says so.
  EXPECT_FALSE(CheckProgram("G1\n", Machine{}).extents.any);
}

TEST(ReportBuilder, RapidDownOnlyIntoAHoleAlreadyFedAsDeep) {
  Path path;
  path.Spindle();
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, 1, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kFeed, {5, 5, -2, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, 1, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, -1.8, 0}));  // re-approach between pecks
  EXPECT_FALSE(path.Go(MoveKind::kFeed, {5, 5, -4, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, 1, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, -4, 0}));  // exactly as deep as fed
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, 1, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {8, 5, 1, 0}));
  EXPECT_TRUE(path.Go(MoveKind::kRapid, {8, 5, -1, 0}));  // a new hole: uncut stock
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {8, 5, 1, 0}));  // up is fine
  EXPECT_FALSE(path.Go(MoveKind::kRapid, {5, 5, 1, 0}));
  EXPECT_TRUE(path.Go(MoveKind::kRapid, {5, 5, -4.5, 0}));  // deeper than fed
  EXPECT_TRUE(path.Go(MoveKind::kRapid, {6, 5, -4.5, 0}));  // sideways below the top
  const Report report = path.Finish();
  ASSERT_EQ(report.findings.size(), 3U);
  EXPECT_EQ(report.findings[0].line, 11U);
  EXPECT_EQ(report.findings[0].detail, "Z-1");
  EXPECT_EQ(report.findings[1].line, 14U);
  EXPECT_EQ(report.findings[2].line, 15U);
  EXPECT_EQ(report.findings[2].detail, "Z-4.5");
  EXPECT_EQ(report.noteCount, 0U);
}

TEST(ReportBuilder, OneFindingPerLineAndKindAndAtMostTheCapKept) {
  Path path;
  path.Spindle();
  // A canned cycle's moves share their line: two rapids into stock, one finding.
  path.Go(MoveKind::kRapid, {0, 0, -1, 0}, 0, 7);
  path.Go(MoveKind::kRapid, {1, 0, -1, 0}, 0, 7);
  // The same line's feed without F is a finding of its own kind.
  path.Go(MoveKind::kFeed, {1, 0, -2, 0}, 0, 7);
  for (std::uint32_t line = 8; line < 8 + kMaxFindings + 500; ++line) {
    path.Go(MoveKind::kRapid, {static_cast<double>(line), 0, -1, 0}, 0, line);
  }
  const Report report = path.Finish();
  EXPECT_EQ(report.findingCount, 2 + kMaxFindings + 500);
  ASSERT_EQ(report.findings.size(), kMaxFindings);
  EXPECT_EQ(report.findings[0].kind, FindingKind::kRapidInStock);
  EXPECT_EQ(report.findings[1].kind, FindingKind::kNoFeed);
  EXPECT_EQ(report.findings[1].line, 7U);
  EXPECT_EQ(report.findings[2].line, 8U);
}

TEST(ReportBuilder, SpindleOffIsOneNoteAndNoRedMove) {
  Path path;
  EXPECT_FALSE(path.Go(MoveKind::kFeed, {0, 0, 1, 0}));  // above the top: no cutting
  EXPECT_FALSE(path.Go(MoveKind::kFeed, {0, 0, -1, 0}));
  EXPECT_FALSE(path.Go(MoveKind::kFeed, {5, 0, -1, 0}));
  const Report report = path.Finish();
  ASSERT_EQ(report.findings.size(), 1U);
  EXPECT_EQ(report.findings[0].kind, FindingKind::kSpindleOff);
  EXPECT_EQ(report.findings[0].line, 2U);
  EXPECT_TRUE(IsNote(report.findings[0].kind));
  EXPECT_EQ(report.findingCount, 1U);
  EXPECT_EQ(report.noteCount, 1U);
}

TEST(ReportBuilder, NoticesBecomeFindingsWithTheirWord) {
  ReportBuilder builder({}, {});
  builder.OnNotice({NoticeKind::kUnknownWord, 3, "M101"});
  builder.OnNotice({NoticeKind::kMalformedNumber, 3, "X1.2.3"});
  builder.OnNotice({NoticeKind::kUnclosedComment, 9, "(open"});
  const Report report = builder.Finish(9);
  ASSERT_EQ(report.findings.size(), 3U);
  EXPECT_EQ(report.findings[0].kind, FindingKind::kUnknownWord);
  EXPECT_EQ(report.findings[0].detail, "M101");
  EXPECT_EQ(report.findings[1].kind, FindingKind::kMalformedNumber);
  EXPECT_EQ(report.findings[2].line, 9U);
  EXPECT_EQ(report.lines, 9U);
}

}  // namespace
}  // namespace kelvora::motion
