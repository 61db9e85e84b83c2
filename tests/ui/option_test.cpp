#include "ui/option.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Counts the calls, so the test sees that disable and toggle go through the
// virtual enable.
class CountingOption : public Option {
 public:
  void enable(bool on) override {
    ++calls;
    enabled_ = on;
  }
  int calls = 0;
};

}  // namespace

TEST(Option, DisableAndToggleGoThroughEnable) {
  CountingOption o;
  EXPECT_TRUE(o.enabled());
  EXPECT_FALSE(o.disabled());
  o.disable();
  EXPECT_EQ(o.calls, 1);
  EXPECT_TRUE(o.disabled());
  EXPECT_TRUE(o.toggle());
  EXPECT_FALSE(o.toggle());
  EXPECT_EQ(o.calls, 3);
}

TEST(SimpleOption, CopiesAndMovesKeepTheFlag) {
  SimpleOption off;
  off.enable(false);
  SimpleOption copy(off);
  EXPECT_FALSE(copy.enabled());
  SimpleOption assigned;
  assigned = off;
  EXPECT_FALSE(assigned.enabled());
  SimpleOption moved(std::move(copy));
  EXPECT_FALSE(moved.enabled());
  Option& base = moved;
  EXPECT_TRUE(base.toggle());
}

TEST(DrawStyle, DefaultsAndCopies) {
  DrawStyle s;
  EXPECT_TRUE(s.enabled());
  EXPECT_FALSE(s.fading());
  EXPECT_FALSE(s.filled());
  EXPECT_FALSE(s.outlined());
  EXPECT_EQ(s.fill_color(), (DrawStyle::Color{0.2f, 0.2f, 0.4f, 0.5f}));
  EXPECT_EQ(s.line_color(), (DrawStyle::Color{1, 1, 1, 0.25f}));
  EXPECT_EQ(s.text_color(), (DrawStyle::Color{1, 1, 1, 0.5f}));
  EXPECT_EQ(s.line_width(), 1.0f);

  s.fill_color(1, 0, 0, 1);
  s.text_color()[3] = 0.75f;
  s.filled(true);
  s.line_width(3);
  s.disable();
  const DrawStyle copy = s;
  EXPECT_EQ(copy.fill_color(), (DrawStyle::Color{1, 0, 0, 1}));
  EXPECT_EQ(copy.text_color()[3], 0.75f);
  EXPECT_TRUE(copy.filled());
  EXPECT_EQ(copy.line_width(), 3.0f);
  EXPECT_FALSE(copy.enabled());
}
