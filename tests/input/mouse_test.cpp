// Pointing-device state without a window: steps, limits, inversion, buttons
// and the pointer flag (freeglut is never initialised in this program, so a
// cursor call that were not guarded would end it).
#include "input/mouse.h"

#include <gtest/gtest.h>

using V = kMouse::Vec;

TEST(Mouse, StepsAreLimitedPerAxis) {
  kMouse m;
  EXPECT_EQ(m.max_delta(), (V{50, 50, 50}));
  EXPECT_FALSE(m.move(0, 0, 0));
  EXPECT_TRUE(m.move(120, -10, 0));
  EXPECT_EQ(m.delta(), (V{50, -10, 0}));
  EXPECT_EQ(m.pos(), (V{120, -10, 0}));
  EXPECT_FALSE(m.move(120, -10, 0));
  EXPECT_EQ(m.delta(), (V{0, 0, 0}));
  EXPECT_TRUE(m.move(0, 100, 0));
  EXPECT_EQ(m.delta(), (V{-50, 50, 0}));

  m.max_delta() = {0, 0, 0};  // no limit at all
  m.move(120, 100, 0);
  EXPECT_EQ(m.delta(), (V{120, 0, 0}));
  m.max_delta() = {0, 5, 0};  // one limit: the others allow no step
  EXPECT_TRUE(m.move(130, 90, 7));
  EXPECT_EQ(m.delta(), (V{0, -5, 0}));
  EXPECT_EQ(m.x(), 130);
  EXPECT_EQ(m.z(), 7);
}

TEST(Mouse, InversionIsTheSignOfEachSpeedFactor) {
  kMouse m;
  m.set_speed(2, -3, 1);
  m.set_inversion(true, false, false);
  EXPECT_EQ(m.speed(), (V{-2, 3, 1}));
  EXPECT_EQ(m.inverted(), (std::array<bool, 3>{true, false, false}));
  m.set_inversion({false, true, true});
  EXPECT_EQ(m.speed(), (V{2, -3, -1}));
  m.set_speed(V{4, 5, 6});
  EXPECT_EQ(m.inverted(), (std::array<bool, 3>{false, false, false}));
}

TEST(Mouse, ButtonsKeepTheirLastState) {
  kMouse m;
  EXPECT_EQ(m.button(0), 1);  // never seen: up
  m.mouse_event(0, 0, 10, 20, 0);
  EXPECT_EQ(m.button(0), 0);
  EXPECT_EQ(m.last_button(0), 1);
  EXPECT_EQ(m.pos(), (V{10, 20, 0}));
  EXPECT_EQ(m.delta(), (V{0, 0, 0}));
  m.mouse_event(0, 1, 11, 21, 0);
  EXPECT_EQ(m.button(0), 1);
  EXPECT_EQ(m.last_button(0), 0);
  EXPECT_EQ(kMouse::get_button(0, m.last_buttons()), 0);
  EXPECT_EQ(m.buttons().size(), 1u);
}

TEST(Mouse, PointerFlagsWithoutAWindow) {
  kMouse m;
  EXPECT_TRUE(m.visible());
  EXPECT_TRUE(m.warped());
  m.hide();
  m.hide();
  EXPECT_TRUE(m.hidden());
  m.show(1);
  EXPECT_TRUE(m.visible());
  m.hidden(true);
  EXPECT_FALSE(m.visible());
  m.clear_warped();
  m.warp(3.6f, 4.4f, 1);
  EXPECT_TRUE(m.warped());
  EXPECT_EQ(m.pos(), (V{3.6f, 4.4f, 1}));
}

TEST(MouseButtonEvent, BuiltFromTwoValuesOrAList) {
  const MouseButtonEvent none;
  EXPECT_EQ(none.button + none.state + none.handled, 0);
  const MouseButtonEvent two(2, -1);
  EXPECT_EQ(two.button, 2);
  EXPECT_EQ(two.state, -1);
  EXPECT_EQ(two.handled, 0);
  const MouseButtonEvent listed(std::vector<int>{1, 1, 1, 9});
  EXPECT_EQ(listed.handled, 1);
  const MouseButtonEvent short_list(std::vector<int>{4});
  EXPECT_EQ(short_list.button, 4);
  EXPECT_EQ(short_list.state, 0);
}
