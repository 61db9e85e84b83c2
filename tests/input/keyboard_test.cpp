// Key states, the key-callback edges and walk directions.
#include "input/keyboard.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/capture.h"

using testing_support::OutputCapture;

TEST(Keyboard, StartsWithEveryAsciiKeyAndBothAltKeysUp) {
  Keyboard k;
  EXPECT_EQ(k.keys().size(), 128u);
  for (int code = 0; code < 128; ++code) EXPECT_EQ(k.keys().at(code), 0) << code;
  EXPECT_EQ(k.special_keys(), (Keyboard::States{{116, 0}, {117, 0}}));
  EXPECT_TRUE(k.modifiers().empty());

  // Before glutInit freeglut is not asked (it would end the process): every
  // modifier reads up.
  k.keyboard('a', 1);
  k.special_down(116);
  EXPECT_EQ(k.keys().at('a'), 1);
  EXPECT_EQ(k.special_keys().at(116), 1);
  EXPECT_EQ(k.modifiers(), (Keyboard::States{{1, 0}, {2, 0}, {4, 0}}));
  k.special_up(116);
  EXPECT_EQ(k.special_keys().at(116), 0);
  k.init_ascii(0);
  EXPECT_EQ(k.keys().size(), 128u);
}

TEST(KeyCallbacks, FunctionsRunOnlyOnChangesBetweenKnownStates) {
  KeyCallbacks keys;
  std::vector<int> downs, ups;
  keys.down_callback(7) = [&](int code) { downs.push_back(code); };
  keys.up_callback(7) = [&](int code) { ups.push_back(code); };
  struct Step {
    bool pressed;
    bool result;
    int state;
    std::size_t downs;
    std::size_t ups;
  };
  const Step steps[] = {
      {true, false, 1, 0, 0},   // first press of a code never seen: entered down, no call
      {true, true, 1, 0, 0},    // held
      {false, false, 0, 0, 1},  // release of a known, down code
      {false, false, 0, 0, 1},  // released again: nothing
      {true, false, 1, 1, 1},   // press of a known, up code
      {true, true, 1, 1, 1},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const Step& s = steps[i];
    EXPECT_EQ(keys.update(7, s.pressed), s.result) << "step " << i;
    EXPECT_EQ(keys[7], s.state) << "step " << i;
    EXPECT_EQ(downs.size(), s.downs) << "step " << i;
    EXPECT_EQ(ups.size(), s.ups) << "step " << i;
  }
  EXPECT_EQ(downs, std::vector<int>{7});

  // A release of a code never seen enters it up; codes without functions
  // get empty entries.
  EXPECT_FALSE(keys.update(9, false));
  EXPECT_EQ(keys.keys().at(9), 0);
  EXPECT_FALSE(keys.update(9, true));
  EXPECT_FALSE(keys.update(9, false));
  EXPECT_EQ(keys.keys().at(9), 0);
  ASSERT_EQ(keys.up_callbacks().count(9), 1u);
  EXPECT_FALSE(keys.up_callbacks().at(9));
}

TEST(KeyCallbacks, AFunctionMayReplaceItselfAndCopiesCarryFunctions) {
  KeyCallbacks keys;
  int first = 0, second = 0;
  keys.update(1, false);
  keys.down_callback(1) = [&](int) {
    ++first;
    keys.down_callback(1) = [&](int) { ++second; };
  };
  keys.update(1, true);
  keys.update(1, false);
  keys.update(1, true);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 1);

  KeyCallbacks copy = keys;
  copy.update(1, false);
  copy.update(1, true);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(keys[1], 1);
}

TEST(KeyCallbacks, UnknownCodeReadsZeroWithANote) {
  const KeyCallbacks keys;
  OutputCapture capture;
  EXPECT_EQ(keys[42], 0);
  EXPECT_EQ(capture.out(), "Key 42 not found... returning 0\n");
  EXPECT_TRUE(keys.keys().empty());
}

TEST(Bindings, WalkDirections) {
  using V = std::array<float, 3>;
  struct Case {
    int k, up;
    V d;
  };
  const Case cases[] = {
      {0, 1, {0, 0, -1}},  {1, 1, {0, 0, 1}},  {2, 1, {-1, 0, 0}}, {3, 1, {1, 0, 0}},
      {3, 2, {0, 1, 0}},   {0, 0, {0, -1, 0}}, {4, 1, {0, 0, 0}},  {-1, 1, {0, 0, 0}},
      {0, -2, {0, 0, -1}},  // a negative axis counts modulo 3: -2 is 1
      {2, 4, {-1, 0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Bindings::walk_direction(c.k, c.up), c.d) << "k " << c.k << ", up " << c.up;
  EXPECT_EQ(Bindings().walk_chars(), "wsad");
}
