// Layer names as the drawing's filters compare them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "geometry/dxf_wrapper.h"

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

}  // namespace
}  // namespace kelvora::geometry
