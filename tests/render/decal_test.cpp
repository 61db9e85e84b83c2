// Colour maps: the rescaling of a value in a range to a byte colour.
#include "render/decal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A map whose channels are the rescaled value, to reach rescale with other ranges.
class Levels : public Colormap<unsigned char, float, 3> {
 public:
  using Colormap::Colormap;
  std::array<unsigned char, 3> operator()(float v) const override {
    const unsigned char g = rescale(v);
    return {g, g, g};
  }
};

}  // namespace

TEST(Colormap, GrayscaleTruncatesTheValueIntoEqualChannels) {
  const Grayscale<unsigned char, float, 3> grey;
  using RGB = std::array<unsigned char, 3>;
  EXPECT_EQ(grey(0.0f), (RGB{0, 0, 0}));
  EXPECT_EQ(grey(127.9f), (RGB{127, 127, 127}));
  EXPECT_EQ(grey(255.0f), (RGB{255, 255, 255}));
  EXPECT_EQ(grey.largest(), 255);
  EXPECT_EQ(grey.lowest(), 0.0f);
  EXPECT_EQ(grey.highest(), 255.0f);
}

TEST(Colormap, RescaleHoldsValuesToTheRange) {
  const Levels percent(100, 0.0f, 1.0f);
  EXPECT_EQ(percent.rescale(0.5f), 50);
  EXPECT_EQ(percent.rescale(1.0f), 100);
  EXPECT_EQ(percent.rescale(-3.0f), 0);
  EXPECT_EQ(percent.rescale(7.0f), 100);
  EXPECT_EQ(percent.rescale(std::nanf("")), 0);
  const Levels shifted(255, 10.0f, 20.0f);
  EXPECT_EQ(shifted.rescale(15.0f), 127);
  const Levels empty(255, 5.0f, 5.0f);
  EXPECT_EQ(empty.rescale(4.0f), 0);
  EXPECT_EQ(empty.rescale(5.0f), 0);
  EXPECT_EQ(empty.rescale(6.0f), 255);
}
