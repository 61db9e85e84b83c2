// Tracked controller records: axis smoothing and rates, the controller's
// roles, thresholds and model ownership, the eye record.
#include "input/controller.h"

#include <gtest/gtest.h>

namespace {

std::array<float, 3> values(const float* p) {
  return {p[0], p[1], p[2]};
}

}  // namespace

TEST(ControllerAxis, SmoothingHalvesTheWayToEachSample) {
  ControllerAxis axis;
  EXPECT_EQ(values(axis.x_data()), (std::array<float, 3>{0, 0, 0}));
  EXPECT_TRUE(axis.smooth());
  axis.update(1.0f, 2.0f, -4.0f);
  EXPECT_EQ(values(axis.x_data()), (std::array<float, 3>{0.5f, 1.0f, -2.0f}));
  EXPECT_GT(axis.epoch(), 0.0);
  EXPECT_EQ(axis.last_epoch(), 0.0);  // the first interval runs from time 0
  axis.update(1.0f, 2.0f, -4.0f);
  EXPECT_EQ(values(axis.x_data()), (std::array<float, 3>{0.75f, 1.5f, -3.0f}));
  EXPECT_EQ(values(axis.last_x_data()), (std::array<float, 3>{0.5f, 1.0f, -2.0f}));
  EXPECT_EQ(axis.delta_x(), (std::array<float, 3>{0.25f, 0.5f, -1.0f}));
  // A rising value has a rising rate on every component's side.
  EXPECT_GT(axis.dxdt_data()[0], 0.0f);
  EXPECT_LT(axis.dxdt_data()[2], 0.0f);
}

TEST(ControllerAxis, UnsmoothedUpdatesTakeTheSampleAndTheDifferenceQuotient) {
  ControllerAxis axis;
  axis.update(2.0f, 0.0f, 0.0f);  // smoothed: 1
  const float step[3] = {3.0f, 0.0f, 0.0f};
  axis.update(step, false);  // this update only
  EXPECT_TRUE(axis.smooth());
  EXPECT_EQ(axis.x_data()[0], 3.0f);
  const double interval = axis.epoch() - axis.last_epoch();
  ASSERT_GT(interval, 0.0);
  EXPECT_NEAR(axis.dxdt_data()[0] * interval, 2.0, 1e-4);

  // The same sample twice without smoothing: no change and no rate.
  axis.smooth(false);
  axis.update(step);
  axis.update(step);
  EXPECT_EQ(axis.delta_x(), (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(values(axis.dxdt_data()), (std::array<float, 3>{0, 0, 0}));
}

TEST(Controller, AxesHaveFixedRolesAndTriggersTheirThresholds) {
  Controller c;
  EXPECT_EQ(c.id(), -1);
  ASSERT_EQ(c.axes().size(), 3u);
  c.id(4);
  EXPECT_EQ(c.id(), 4);
  const float where[3] = {1.0f, 2.0f, 3.0f};
  c.pos().update(where, false);
  EXPECT_EQ(c.axes()[0].x_data()[1], 2.0f);

  const float half[3] = {0.5f, 0.0f, 0.0f};
  c.trigger().update(half, false);
  c.secondary_trigger().update(half, false);
  EXPECT_FALSE(c.trigger_active(0.5f));  // strictly above
  EXPECT_TRUE(c.trigger_active(0.49f));
  EXPECT_TRUE(c.secondary_trigger_active(0.5f));  // at least
  EXPECT_FALSE(c.secondary_trigger_active(0.51f));
  EXPECT_EQ(c.axes()[1].x_data()[0], 0.5f);
  EXPECT_EQ(c.axes()[2].x_data()[0], 0.5f);

  const float p[3] = {0, 0, 0};
  EXPECT_FALSE(c.ValidPoint(p));
}

TEST(Controller, OwnsADefaultModelAndBorrowsAGivenOne) {
  VBO model;
  model.rename("hand");
  Controller borrowing(&model);
  EXPECT_FALSE(borrowing.owns_vbo());
  EXPECT_EQ(&borrowing.vbo(), &model);
  Controller shared = borrowing;
  EXPECT_EQ(&shared.vbo(), &model);

  Controller owning(nullptr);
  EXPECT_TRUE(owning.owns_vbo());
  owning.vbo().rename("own");
  Controller copy = owning;
  EXPECT_TRUE(copy.owns_vbo());
  EXPECT_NE(&copy.vbo(), &owning.vbo());
  EXPECT_EQ(copy.vbo().name(), "own");

  // Assigning an owning record to a borrowing one gives it a model of its own.
  borrowing = owning;
  EXPECT_TRUE(borrowing.owns_vbo());
  EXPECT_NE(&borrowing.vbo(), &model);
  EXPECT_EQ(model.name(), "hand");
}

TEST(EyeInfo, NamesTheEyeBeingDrawnAndItsPosition) {
  EyeInfo info;
  EXPECT_EQ(info.eye(), 0);
  for (const auto& p : info.eye_positions()) EXPECT_EQ(p, (EyeInfo::Position{0, 0, 0}));
  info.eye_positions()[0] = {-0.032f, 0.0f, 0.0f};
  info.eye_positions()[1] = {0.032f, 0.0f, 0.0f};
  EXPECT_EQ(info.eye_position()[0], -0.032f);
  info.eye(1);
  EXPECT_EQ(info.eye(), 1);
  EXPECT_EQ(info.eye_position()[0], 0.032f);
  info.eye(7);  // no such eye: the left one
  EXPECT_EQ(info.eye_position()[0], -0.032f);
}
