#include "generators/thread.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "text/files.h"

namespace kelvora::generators {
namespace {

// The worked example's inputs, as the tab starts.
std::map<std::string, std::string, std::less<>> ExampleTexts() {
  return {{"Pitch", "5"},  {"Length", "20"},      {"MajorDia", "15"},     {"Passes", "5"},
          {"Feed", "200"}, {"LeftHand", "False"}, {"AutoDepth", "False"}, {"PitDepth", "5"},
          {"Zaxis", "Z"},  {"Xaxis", "X"},        {"Spin", "15000"}};
}

Outcome<std::string> ThreadProgramOf(std::map<std::string, std::string, std::less<>> texts) {
  const TextLookup lookup = [&texts](std::string_view key) {
    const auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  };
  const auto in = ReadThreadInputs(lookup);
  if (!in) return in.failure();
  return ThreadGcodeGen(*in);
}

std::vector<std::string> Lines(const std::string& program) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = program.find("\r\n", start)) != std::string::npos; start = end + 2) {
    out.push_back(program.substr(start, end - start));
  }
  EXPECT_EQ(start, program.size()) << "every line ends with CR LF";
  return out;
}

TEST(ThreadProgram, WorkedExampleTurnsAOncePerPitch) {
  const auto program = ThreadProgramOf(ExampleTexts());
  ASSERT_TRUE(program) << program.failure().message;
  const auto golden =
      text::ReadFileBytes(std::string(KELVORA_TEST_DATA) + "/generators/golden/thread_example.nc");
  ASSERT_TRUE(golden);
  // The golden file is what Load writes: the text and one more CR LF.
  EXPECT_EQ(*program + "\r\n", *golden);
}

TEST(ThreadProgram, Variants) {
  struct Case {
    const char* name;
    std::map<std::string, std::string, std::less<>> changes;
    std::size_t line;  // index into the program's lines
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"left-hand", {{"LeftHand", "True"}}, 9, "G1 Z-22.500 A-1764.000 F200.0"},
      {"standard depth ignores the depth box",
       {{"AutoDepth", "True"}, {"PitDepth", "not a number"}},
       8,
       "G1 X14.387 F200"},
      {"axis letters", {{"Xaxis", "Y"}, {"Zaxis", "W"}}, 5, "G0Y17.000W2 A0"},
      {"axis letters in the pass", {{"Xaxis", "Y"}, {"Zaxis", "W"}}, 11, "G0 A0W2"},
      {"spindle text verbatim", {{"Spin", "800.5"}}, 4, "M3S800.5"},
      {"blank spindle text", {{"Spin", ""}}, 4, "M3S"},
      {"feed in one decimal", {{"Feed", "150.25"}}, 9, "G1 Z-22.500 A1764.000 F150.3"},
      // Travel below zero: the depth word never reads "Z--".
      {"negative travel", {{"Length", "-10"}}, 9, "G1 Z7.500 A-396.000 F200.0"},
      {"no passes", {{"Passes", "0"}}, 6, "M5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto texts = ExampleTexts();
    for (const auto& [k, v] : c.changes) texts[k] = v;
    const auto program = ThreadProgramOf(texts);
    ASSERT_TRUE(program) << program.failure().message << " " << program.failure().detail;
    const auto lines = Lines(*program);
    ASSERT_GT(lines.size(), c.line);
    EXPECT_EQ(lines[c.line], c.expected);
  }
}

TEST(ThreadProgram, RefusedInputsGiveNoProgram) {
  struct Case {
    std::string key, value;
    std::string message, detail;
  };
  const std::vector<Case> cases = {
      {"Pitch", "abc", "Parameters error", "Pitch"},
      {"Passes", "2.5", "Parameters error", "Passes"},
      {"Feed", "", "Parameters error", "Feed"},
      {"PitDepth", "x", "Parameters error", "PitDepth"},
      // A pitch of 0 would turn A by an infinite angle.
      {"Pitch", "0", "Parameters error", "Pitch"},
      {"Passes", "100001", "Too many thread passes: 100001 (limit 100000)", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key + "=" + c.value);
    auto texts = ExampleTexts();
    texts[c.key] = c.value;
    const auto program = ThreadProgramOf(texts);
    ASSERT_FALSE(program);
    EXPECT_EQ(program.failure().message, c.message);
    EXPECT_EQ(program.failure().detail, c.detail);
  }
}

template <typename T>
std::vector<T> ItemsOf(const geometry::Picture& p) {
  std::vector<T> out;
  for (const auto& item : p.items) {
    if (const T* t = std::get_if<T>(&item)) out.push_back(*t);
  }
  return out;
}

TEST(ThreadPicture, WorkedExample) {
  // k = min(211 / 20, 157 / 15) = 157 / 15: D1 = 157, D2 = 5k, Lp = 20k.
  const ThreadPreview pv{5, 20, 15, 5};
  const auto pic = ThreadPreviewPicture(pv, 451, 397);
  EXPECT_EQ(pic.width, 451);
  EXPECT_EQ(pic.height, 397);
  const auto rects = ItemsOf<geometry::RectPrim>(pic);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ((std::vector<int>{rects[0].x, rects[0].y, rects[0].width, rects[0].height}),
            (std::vector<int>{40, 119, 209, 157}));
  EXPECT_EQ(rects[0].pen, (geometry::Pen{geometry::kBlue, 2.0}));
  EXPECT_EQ((std::vector<int>{rects[1].x, rects[1].y, rects[1].width, rects[1].height}),
            (std::vector<int>{40, 171, 209, 52}));
  EXPECT_EQ(rects[1].pen.color, geometry::kGray);

  // Teeth at 0, pp, ..., 4pp (the last one starts at the end and is cut off there).
  const auto lines = ItemsOf<geometry::LinePrim>(pic);
  ASSERT_EQ(lines.size(), 10u);
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    EXPECT_EQ(lines[i].x2, lines[i + 1].x1);  // one connected figure
    EXPECT_EQ(lines[i].y2, lines[i + 1].y1);
  }
  EXPECT_EQ(lines[0].y1, 120);  // crest 198 - 78.5, rounded
  EXPECT_EQ(lines[0].y2, 172);  // root 198 - 26.17, rounded
  for (const auto& l : lines) {
    EXPECT_LE(std::max(l.x1, l.x2), 40 + 209 + 1);
    EXPECT_EQ(l.pen, (geometry::Pen{geometry::kDarkGreen, 1.5}));
  }

  const auto texts = ItemsOf<geometry::TextPrim>(pic);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].Text(), "Pitch: 5.00 mm");
  EXPECT_DOUBLE_EQ(texts[0].y, 198 + 78.5 + 20);
  EXPECT_EQ(texts[1].Text(), "Length: 20.00 mm");
  EXPECT_DOUBLE_EQ(texts[1].y, 198 - 78.5 - 25);
  EXPECT_EQ(texts[2].Text(), "Major \xC3\x98: 15.00");
  EXPECT_NEAR(texts[2].x, 40 + 20 * 157.0 / 15 + 10, 1e-9);
  EXPECT_EQ(texts[2].TextFont(), (geometry::Font{"Arial", 9.0, false}));
}

TEST(ThreadPicture, NothingToDraw) {
  struct Case {
    const char* name;
    ThreadPreview pv;
    int w, h;
  };
  const std::vector<Case> cases = {
      {"before the first generation", {}, 451, 397},
      {"no length", {5, 0, 15, 3}, 451, 397},
      {"negative pitch", {-5, 20, 15, 3}, 451, 397},
      {"panel no wider than the margins", {5, 20, 15, 3}, 240, 397},
      {"panel narrower than the margins", {5, 20, 15, 3}, 200, 397},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto pic = ThreadPreviewPicture(c.pv, c.w, c.h);
    EXPECT_EQ(pic.width, c.w);
    EXPECT_TRUE(pic.items.empty());
  }
}

TEST(ThreadPicture, TeethNarrowerThanAPixelAreLeftOut) {
  // 200000 teeth over 209 pixels: the outline and captions only.
  const auto fine = ThreadPreviewPicture({0.0001, 20, 15, 0.0001}, 451, 397);
  EXPECT_TRUE(ItemsOf<geometry::LinePrim>(fine).empty());
  EXPECT_EQ(ItemsOf<geometry::RectPrim>(fine).size(), 2u);
  EXPECT_EQ(ItemsOf<geometry::TextPrim>(fine).size(), 3u);
  // One pitch per pixel and a bit: every tooth drawn.
  const auto coarse = ThreadPreviewPicture({0.1, 20, 15, 0.05}, 451, 397);
  EXPECT_EQ(ItemsOf<geometry::LinePrim>(coarse).size(), 2u * 201);
}

}  // namespace
}  // namespace kelvora::generators
