// The properties and decoding the router tab's and the report's fuzz targets
// rely on: they must catch what they are for and reach what they are meant to.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "harness.h"

namespace kelvora::fuzz {
namespace {

TEST(FuzzChoices, AOneByteTextPicksAChoiceOrASwitch) {
  const struct {
    const char* key;
    std::string text;
    bool ownBool;
    const char* chosen;
  } cases[] = {
      {"DxfSide", "\x01", false, "Outside"},
      {"DxfSide", "\x05", false, "On the line"},  // modulo the five sides
      {"DxfEntry", "\x02", false, "Helix"},
      {"DxfOutlines", "\x01", false, "All outline entities"},
      {"DxfPocket", "\x01", false, "True"},
      {"DxfPocket", "\x02", false, "False"},
      {"Thread own switch", "\x03", true, "True"},
      // Longer texts, and one-byte texts of other keys, are kept as they are,
      // so unknown choices and one-digit numbers are still reached.
      {"DxfSide", "Sideways", false, "Sideways"},
      {"DxfSide", "", false, ""},
      {"DxfToolDia", "7", false, "7"},
      {"NoSuchKey", "\x01", false, "\x01"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChosenText(c.key, c.text, c.ownBool), c.chosen) << c.key;
  }
}

TEST(FuzzReport, BrokenReportsAreCaught) {
  const std::string bytes = "G0X1\r\nG1X2F100\r\nM30\r\n";
  motion::Report sound;
  sound.lines = 3;
  sound.findings.push_back({motion::FindingKind::kNoFeed, 2, "G1"});
  sound.findingCount = 1;
  EXPECT_EQ(CheckReport(sound, bytes), std::nullopt);
  // Moves near the largest number may add up past it.
  motion::Report far = sound;
  far.extents.known[motion::kAxisY] = true;
  far.extents.minimum[motion::kAxisY] = -1e308;
  far.feedLength = far.seconds = std::numeric_limits<double>::infinity();
  EXPECT_EQ(CheckReport(far, bytes), std::nullopt);

  const struct {
    const char* what;
    void (*breakIt)(motion::Report&);
  } cases[] = {
      {"line count", [](motion::Report& r) { r.lines = 4; }},
      {"finding on line 0", [](motion::Report& r) { r.findings[0].line = 0; }},
      {"finding past the end", [](motion::Report& r) { r.findings[0].line = 4; }},
      {"counts", [](motion::Report& r) { r.findingCount = 0; }},
      {"notes", [](motion::Report& r) { r.noteCount = 2; }},
      {"time", [](motion::Report& r) { r.seconds = std::numeric_limits<double>::quiet_NaN(); }},
      {"length", [](motion::Report& r) { r.feedLength = -1; }},
      // Lengths past the largest number from a program that reaches 2 mm.
      {"infinite length",
       [](motion::Report& r) {
         r.extents.known[motion::kAxisX] = true;
         r.extents.maximum[motion::kAxisX] = 2;
         r.rapidLength = std::numeric_limits<double>::infinity();
       }},
      {"order",
       [](motion::Report& r) {
         r.findings.push_back({motion::FindingKind::kNoFeed, 1, "G1"});
         r.findingCount = 2;
       }},
      {"extent",
       [](motion::Report& r) {
         r.extents.known[motion::kAxisX] = true;
         r.extents.minimum[motion::kAxisX] = 2;
         r.extents.maximum[motion::kAxisX] = 1;
       }},
  };
  for (const auto& c : cases) {
    motion::Report broken = sound;
    c.breakIt(broken);
    EXPECT_NE(CheckReport(broken, bytes), std::nullopt) << c.what;
  }
}

TEST(FuzzPlan, EverySideAndEntryAndAPocketOfARectangleWithAHoleAreSound) {
  // The 6-byte vertices of a 20 x 16 rectangle and a 4 x 4 hole in it.
  auto vertex = [](int x, int y, unsigned char flags) {
    const std::int16_t sx = static_cast<std::int16_t>(x * 16),
                       sy = static_cast<std::int16_t>(y * 16);
    std::string v(6, '\0');
    std::memcpy(v.data(), &sx, 2);
    std::memcpy(v.data() + 2, &sy, 2);
    v[5] = static_cast<char>(flags);
    return v;
  };
  const std::string contours = vertex(0, 0, 0) + vertex(20, 0, 0) + vertex(20, 16, 0) +
                               vertex(0, 16, 3) + vertex(8, 6, 0) + vertex(12, 6, 0) +
                               vertex(12, 10, 0) + vertex(8, 10, 3);
  for (char side = 0; side < 5; ++side) {
    for (char entry = 0; entry < 3; ++entry) {
      // Pockets (slow under the debug build's checks) for one side.
      for (char pocket = 2; pocket >= (side == 0 ? 1 : 2); --pocket) {
        // Side, tool, direction, entry, ramp, lead, tabs, spacing, width,
        // height, pocket, step-over, depth, step-down.
        std::string texts;
        for (std::string t :
             {std::string(1, static_cast<char>(side + 5)), std::string("3"), std::string("\x01"),
              std::string(1, static_cast<char>(entry + 3)), std::string("5"), std::string("1"),
              std::string("2"), std::string("0"), std::string("4"), std::string("1"),
              std::string(1, pocket), std::string("40"), std::string("5"), std::string("2")}) {
          texts += t + '\0';
        }
        EXPECT_EQ(FuzzContourPlan(texts + contours), std::nullopt)
            << int(side) << " " << int(entry) << " " << int(pocket);
      }
    }
  }
}

}  // namespace
}  // namespace kelvora::fuzz
