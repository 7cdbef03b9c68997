// The point list's pockets entered along a helix instead of a plunge.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "generators/point_list.h"
#include "text_lookup.h"

namespace kelvora::generators {
namespace {

using testing::MapTexts;

using Values = testing::TextMap;

std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

// R1 2, R2 4, step-over 1, tool 4: two rings, at 1 and 2 around the centre.
Values SmallPocket() {
  return {{"AnyPocket", "True"},  {"AnyRo", "2"},        {"AnyHoleSize", "4"},
          {"AnyStepOvr", "1"},    {"Anyd", "4"},         {"AnyDepth", "1.5"},
          {"AnyStepdown", "1"},   {"AnyFeedrate", "50"}, {"AnyFeedrate2", "100"},
          {"AnyRetract", "1"},    {"AnyZsafe", "10"},    {"AnySpinSpeed", "0"},
          {"AnyEnSpin", "False"}, {"AnyEntry", "Helix"}};
}

TEST(PocketEntry, HelixWrittenOutByHand) {
  const auto program = PointsJob({{"", "10", "0"}}, MapTexts(SmallPocket()));
  ASSERT_TRUE(program.ok()) << program.failure().message;
  // Layer 1 starts at the retract height 1 and drops 2.5 to -1: two turns of 1.
  // Layer 2 starts 0.2 above the first floor and drops 0.7 to -1.5: one turn.
  EXPECT_EQ(program->text,
            "G90\r\nG0Z10.000\r\nG0X10.000Y0.000\r\nG0Z1.000\r\n"
            "G0X11.000Y0.000\r\nG0Z1.000\r\n"
            "G3X11.000Y0.000Z0.000I-1.000F50.000\r\n"
            "G3X11.000Y0.000Z-1.000I-1.000F50.000\r\n"
            "G3X11.000Y0.000I-1.000F100.0\r\n"
            "G1X12.000Y0.000F100.0\r\nG3X12.000Y0.000I-2.000F100.0\r\n"
            "G0Z1.000\r\n"
            "G0X11.000Y0.000\r\nG0Z-0.800\r\n"
            "G3X11.000Y0.000Z-1.500I-1.000F50.000\r\n"
            "G3X11.000Y0.000I-1.000F100.0\r\n"
            "G1X12.000Y0.000F100.0\r\nG3X12.000Y0.000I-2.000F100.0\r\n"
            "G0Z1.000\r\nG0Z10.000\r\nM5\r\nM30\r\n");
}

TEST(PocketEntry, PlungeIsTheDefaultAndBadInputsAreRefused) {
  Values plunge = SmallPocket();
  plunge["AnyEntry"] = "Plunge";
  Values absent = SmallPocket();
  absent.erase("AnyEntry");
  const auto a = PointsJob({{"", "10", "0"}}, MapTexts(plunge));
  const auto b = PointsJob({{"", "10", "0"}}, MapTexts(absent));
  ASSERT_TRUE(a.ok());
  ASSERT_TRUE(b.ok());
  EXPECT_EQ(a->text, b->text);
  EXPECT_NE(a->text.find("G1Z-1.000F50.000"), std::string::npos);

  struct Case {
    const char* what;
    Values changes;
    std::string message, detail;
  };
  const std::vector<Case> cases = {
      {"unknown entry", {{"AnyEntry", "helix"}}, "Parameters error", "AnyEntry"},
      {"hole as wide as the tool", {{"AnyHoleSize", "2"}}, "Tool diameter>R1", "AnyHoleSize"},
      {"hole narrower than the tool", {{"AnyHoleSize", "1.5"}}, "Tool diameter>R1", "AnyHoleSize"},
      {"no step-down", {{"AnyStepdown", "0"}}, "Parameters error", "AnyStepdown"},
      {"floor above the retract height",
       {{"AnyDepth", "-2"}, {"AnyRetract", "1"}},
       "Parameters error",
       "AnyRetract"},
      {"turns over the program limit",
       {{"AnyRetract", "1e7"}, {"AnyStepdown", "0.001"}, {"AnyDepth", "0.002"}},
       "",
       ""},
  };
  for (const Case& c : cases) {
    Values v = SmallPocket();
    for (const auto& [k, text] : c.changes) v[k] = text;
    const auto program = PointsJob({{"", "0", "0"}}, MapTexts(v));
    ASSERT_FALSE(program.ok()) << c.what;
    if (!c.message.empty()) {
      EXPECT_EQ(program.failure().message, c.message) << c.what;
      EXPECT_EQ(program.failure().detail, c.detail) << c.what;
    } else {
      EXPECT_EQ(program.failure().message.rfind("Too many", 0), 0u)
          << c.what << ": " << program.failure().message;
    }
  }
}

// The value of `letter` on a program line, when the line has it.
std::optional<double> WordOf(const std::string& line, char letter) {
  const std::size_t at = line.find(letter);
  if (at == std::string::npos) return std::nullopt;
  return std::strtod(line.c_str() + at + 1, nullptr);
}

// Follows the tool centre through a pocket program: every point of every move
// below the top of the hole (Z < 0) and every arc, wherever it is, stays within
// `limit` of the pocket's centre; every helical turn drops at most `maxDrop`.
void CheckHelixProgram(const std::string& program, double cx, double cy, double limit,
                       double maxDrop, const std::string& what) {
  // Each printed number is within 0.0005 of its value; an arc adds up three.
  const double tol = 0.0016;
  double x = 0, y = 0, z = 0;
  int turns = 0;
  std::size_t start = 0;
  while (start < program.size()) {
    const std::size_t end = program.find("\r\n", start);
    const std::string line = program.substr(start, end - start);
    start = end + 2;
    const double nx = WordOf(line, 'X').value_or(x);
    const double ny = WordOf(line, 'Y').value_or(y);
    const double nz = WordOf(line, 'Z').value_or(z);
    if (line.rfind("G3", 0) == 0) {
      const double i = WordOf(line, 'I').value_or(0);
      ASSERT_EQ(nx, x) << what << ": " << line;  // full circles only
      ASSERT_EQ(ny, y) << what << ": " << line;
      const double far = std::hypot(x + i - cx, y - cy) + std::abs(i);
      EXPECT_LE(far, limit + tol) << what << ": " << line;
      EXPECT_GT(std::abs(i), 0) << what << ": " << line;
      if (WordOf(line, 'Z')) {
        ++turns;
        EXPECT_GT(z, nz) << what << ": " << line;
        EXPECT_LE(z - nz, maxDrop + tol) << what << ": " << line;
      }
    } else if (std::min(z, nz) < 0) {
      EXPECT_LE(std::hypot(nx - cx, ny - cy), limit + tol) << what << ": " << line;
    }
    x = nx;
    y = ny;
    z = nz;
  }
  EXPECT_GT(turns, 0) << what;
}

TEST(PocketEntry, RandomHelixesStayInsideThePocket) {
  std::mt19937 rng(2417);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
  };
  for (int run = 0; run < 300; ++run) {
    const double tool = uniform(1, 8);
    const double R2 = tool / 2 + uniform(0.01, 10);
    const double R1 = uniform(tool / 2, R2);
    const double step = uniform(0.05, 3);
    Values v = SmallPocket();
    v["Anyd"] = Num(tool);
    v["AnyHoleSize"] = Num(R2);
    v["AnyRo"] = Num(R1);
    v["AnyStepOvr"] = Num(uniform(0.1, 2));
    v["AnyDepth"] = Num(uniform(0.1, 12));
    v["AnyStepdown"] = Num(step);
    v["AnyRetract"] = Num(uniform(0, 5));
    const double cx = std::round(uniform(-50, 50));
    const double cy = std::round(uniform(-50, 50));
    const std::string what = "run " + std::to_string(run);
    const auto program = PointsJob({{"", Num(cx), Num(cy)}}, MapTexts(v));
    ASSERT_TRUE(program.ok()) << what << ": " << program.failure().message;
    CheckHelixProgram(program->text, cx, cy, std::stod(Num(R2)) - std::stod(Num(tool)) / 2,
                      std::stod(Num(step)), what);
  }
}

}  // namespace
}  // namespace kelvora::generators
