// Layer names as the drawing's filters compare them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "geometry/dxf_wrapper.h"
#include "text/files.h"

namespace kelvora::geometry {
namespace {

TEST(DxfLayers, NamesMatchWithoutRegardToLetterCaseOnly) {
  const std::vector<std::string> holes{"Holes", "Ø6"};
  const struct {
    const char* layer;
    const std::vector<std::string>& list;
    bool taken;
  } cases[] = {
      {"Holes", holes, true},
      {"HOLES", holes, true},
      {"holes", holes, true},
      {"Holes2", holes, false},
      {"Hole", holes, false},
      {"", holes, false},
      {"Ø6", holes, true},
      // Letters beyond A to Z are compared byte for byte.
      {"ø6", holes, false},
      {"0", holes, false},
      {"anything", {}, true},  // an empty list takes every layer
      {"", {}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LayerTaken(c.layer, c.list), c.taken) << c.layer;
  }
}

TEST(DxfLayers, CirclesOnLayersKeepFileOrderAndRefuseWhatLoadRefuses) {
  const std::string data = KELVORA_TEST_DATA;
  const std::string drawing = data + "/geometry/dxf/r12_entities.dxf";
  // The drawing's three circles are on layer "0".
  const struct {
    std::vector<std::string> layers;
    std::size_t circles;
  } cases[] = {{{}, 3}, {{"0"}, 3}, {{"Cut", "0"}, 3}, {{"Cut"}, 0}};
  for (const auto& c : cases) {
    const auto circles = DxfCirclesOnLayers(drawing, c.layers);
    ASSERT_TRUE(circles.ok());
    ASSERT_EQ(circles->size(), c.circles);
    if (c.circles == 3) {
      EXPECT_DOUBLE_EQ((*circles)[1]->center.X, 20.0);
    }
  }
  const auto damaged = DxfCirclesOnLayers(data + "/geometry/dxf/truncated.dxf", {});
  ASSERT_FALSE(damaged.ok());
  EXPECT_EQ(damaged.failure().message, kLoadFileFailed);
}

TEST(DxfLayers, OnlyTheCirclesOfTheNamedLayersAreTaken) {
  // The drawing's second circle (centre 20, 20) moved to layer "Holes".
  const std::string data = KELVORA_TEST_DATA;
  std::string drawing = text::ReadFileBytes(data + "/geometry/dxf/r12_entities.dxf").value_or("");
  const std::string second = "CIRCLE\n  5\n31\n  8\n0\n";
  const std::size_t at = drawing.find(second);
  ASSERT_NE(at, std::string::npos);
  drawing.replace(at, second.size(), "CIRCLE\n  5\n31\n  8\nHoles\n");
  const auto path =
      std::filesystem::temp_directory_path() /
      ("kelvora_layers_" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + ".dxf");
  ASSERT_TRUE(text::WriteFileAtomic(path, drawing).ok());
  const struct {
    std::vector<std::string> layers;
    std::vector<double> xs;  // the centres' X taken, in file order
  } cases[] = {
      {{}, {10.12345, 20, -7.0005}},
      {{"HOLES"}, {20}},
      {{"0"}, {10.12345, -7.0005}},
      {{"holes", "0"}, {10.12345, 20, -7.0005}},
  };
  for (const auto& c : cases) {
    const auto circles = DxfCirclesOnLayers(text::PathToUtf8(path), c.layers);
    ASSERT_TRUE(circles.ok());
    std::vector<double> xs;
    for (const auto& circle : *circles) xs.push_back(circle->center.X);
    EXPECT_EQ(xs, c.xs) << (c.layers.empty() ? "all" : c.layers.front());
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kelvora::geometry
