// The panel base without OpenGL: selection state, arrow actions, boxes, the
// inside test and copies.
#include "ui/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "ui/test_frame.h"

using testing_support::TestFrame;
using Vec3 = Frame::Vec3;

TEST(Frame, Defaults) {
  int clicks = 0;
  TestFrame f([&] { ++clicks; });
  EXPECT_TRUE(f.enabled());
  EXPECT_EQ(f.parent, nullptr);
  EXPECT_FALSE(f.is_back);
  EXPECT_EQ(f.vol(), (Vec3{0, 0, 0}));
  EXPECT_EQ(f.margins(), (std::array<float, 4>{0, 0, 0, 0}));
  EXPECT_EQ(f.selectable(), 1);
  EXPECT_EQ(f.selected(), 0);
  EXPECT_EQ(f.activated(), 0);
  EXPECT_EQ(f.bg_color(), (Frame::Color{0, 0, 0, 0.75f}));
  EXPECT_FALSE(f.was_inside());
  EXPECT_FALSE(f.get_next());
  EXPECT_FALSE(f.get_back());
  f.callback()();
  EXPECT_EQ(clicks, 1);
}

TEST(Frame, ActivationSelectsAndDeselectionDeactivates) {
  TestFrame f;
  f.activated(1);
  EXPECT_EQ(f.selected(), 1);
  f.selected(0);
  EXPECT_EQ(f.activated(), 0);
  f.activated(1);
  f.selected(1);  // stays pressed
  EXPECT_EQ(f.activated(), 1);
  f.activated(0);
  EXPECT_EQ(f.selected(), 1);
}

TEST(Frame, ArrowActionsAnswerWhetherTheyRan) {
  TestFrame f;
  EXPECT_EQ(f.next(), 1);
  EXPECT_EQ(f.back(), 1);
  int steps = 0;
  f.next([&] { ++steps; });
  f.back([&] { steps -= 10; });
  EXPECT_EQ(f.next(), 0);
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(f.back(), 0);
  EXPECT_EQ(steps, -9);
}

TEST(Frame, BoundingBoxIsComputedOnlyByTheMutableAccessor) {
  EXPECT_EQ(Frame::bounding_box({1, 2, 3}, {2, 4, 0}),
            (Frame::Bounds{Vec3{0, 0, 3}, Vec3{2, 4, 3}}));
  TestFrame f;
  f.coord_sys().translate(1, 0, 0);
  f.vol() = {0.5f, 0.25f, 1};
  const TestFrame& cf = f;
  EXPECT_EQ(cf.bounding_box(), (Frame::Bounds{}));  // nothing computed yet
  EXPECT_EQ(f.bounding_box(),
            (Frame::Bounds{Vec3{0.75f, -0.125f, -0.5f}, Vec3{1.25f, 0.125f, 0.5f}}));
  f.coord_sys().translate(1, 0, 0);
  EXPECT_EQ(cf.bounding_box()[0][0], 0.75f);  // stored, not recomputed
}

TEST(Frame, InsideTestCountsBoundsAndStoresTheLocalPoint) {
  struct Case {
    Vec3 p;
    int n;
    bool inside;
  };
  const Case cases[] = {
      {{0.5f, 0.25f, 0}, 3, true},  // a corner of the face: bounds count
      {{-0.5f, -0.25f, 0.5f}, 3, true}, {{0.51f, 0, 0}, 3, false},
      {{0, 0, 0.6f}, 3, false},         {{0, 0, 0.6f}, 2, true},  // the area test ignores depth
      {{0, 0.3f, 0}, 1, true},                                    // and n = 1 ignores height
      {{0, 0.3f, 0}, 2, false},
  };
  for (const Case& c : cases) {
    TestFrame f;
    f.vol() = {1, 0.5f, 1};
    EXPECT_EQ(f.inside_volume(c.p, false, c.n), c.inside)
        << c.p[0] << " " << c.p[1] << " " << c.p[2] << " n " << c.n;
    EXPECT_EQ(f.inside_volume(c.p.data(), false, c.n), c.inside);
    EXPECT_EQ(f.was_inside(), c.inside);
  }

  TestFrame f;
  f.vol() = {1, 1, 1};
  ASSERT_TRUE(f.inside_volume(Vec3{0.1f, 0.2f, 0.3f}, false, 3));
  ASSERT_TRUE(f.inside_area(Vec3{0.4f, -0.4f, 7}, false));
  EXPECT_EQ(f.last_inside(), (Vec3{0.4f, -0.4f, 0.3f}));  // only x and y replaced
  EXPECT_FALSE(f.inside_area(Vec3{2, 0, 0}, false));
  EXPECT_EQ(f.last_inside(), (Vec3{0.4f, -0.4f, 0.3f}));  // kept on a miss
}

TEST(Frame, AFrameWithoutVolumeContainsNothingAndRecordsNothing) {
  TestFrame f;
  f.vol() = {1, 1, 1};
  ASSERT_TRUE(f.inside_volume(Vec3{0, 0, 0}, false));
  f.vol() = {0, 0, 0};
  EXPECT_FALSE(f.inside_volume(Vec3{0, 0, 0}, false));
  EXPECT_TRUE(f.was_inside());  // the earlier answer stands
  f.vol() = {0, 0, 1};          // only depth: no area
  EXPECT_FALSE(f.inside_area(Vec3{0, 0, 0}, false));
  EXPECT_TRUE(f.was_inside());
  f.vol() = {NAN, 1, 1};  // a broken size is never inside
  EXPECT_FALSE(f.inside_volume(Vec3{0, 0, 0}, false));
}

TEST(Frame, InsideTestInParentCoordinatesUsesThePose) {
  TestFrame f;
  f.vol() = {2, 0.5f, 0};
  f.coord_sys().translate(10, 0, 0);
  f.coord_sys().rotate_local(90, 0, 0, 1);  // the frame's x axis along the parent's y
  EXPECT_TRUE(f.inside_area(Vec3{10, 0.9f, 5}, true));
  EXPECT_NEAR(f.last_inside()[0], 0.9f, 1e-6f);
  EXPECT_NEAR(f.last_inside()[1], 0.0f, 1e-6f);
  EXPECT_FALSE(f.inside_area(Vec3{10.9f, 0, 0}, true));
  EXPECT_FALSE(f.inside_area(Vec3{10, 0.9f, 0}, false));  // taken as local
}

TEST(Frame, CopiesTakeEveryField) {
  int clicks = 0, steps = 0;
  TestFrame f([&] { ++clicks; });
  f.next([&] { ++steps; });
  f.back([&] { --steps; });
  f.vol() = {1, 2, 3};
  f.coord_sys().translate(4, 5, 6);
  f.margins(1, 2, 3, 4);
  f.selectable(0);
  f.activated(1);
  f.bg_color()[3] = 0;
  f.is_back = true;
  f.disable();
  f.bounding_box();

  auto check = [&](Frame& c) {
    EXPECT_EQ(c.vol(), (Vec3{1, 2, 3}));
    EXPECT_EQ(c.coord_sys().position(), (Vec3{4, 5, 6}));
    EXPECT_EQ(c.margins(), (std::array<float, 4>{1, 2, 3, 4}));
    EXPECT_EQ(c.selectable(), 0);
    EXPECT_EQ(c.activated(), 1);
    EXPECT_EQ(c.bg_color()[3], 0.0f);
    EXPECT_TRUE(c.is_back);
    EXPECT_FALSE(c.enabled());
    EXPECT_EQ(std::as_const(c).bounding_box()[1], (Vec3{4.5f, 6, 7.5f}));
    c.callback()();
    c.next();
    c.back();
  };
  TestFrame copy(f);
  check(copy);
  TestFrame assigned;
  assigned = f;
  check(assigned);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(steps, 0);

  // Dialogs delete their children through the base.
  std::unique_ptr<Frame> owned = std::make_unique<TestFrame>(std::move(copy));
  check(*owned);
}
