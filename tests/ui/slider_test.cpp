// Sliders without OpenGL: steps and clamping, clicks along the slider, the
// value and limit hooks, equal limits and copies.
#include "ui/slider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Vec3 = Frame::Vec3;

namespace {

// A slider 0.3 wide from 0 to 100 at 50 that records what it tells.
struct Recorded {
  Recorded()
      : slider([this](float v) { told.push_back(v); }, 50.0f, {0.0f, 100.0f}, {0.3f, 0.05f, 0.0f}) {
  }
  // A click at x along the slider, as the dialog's pointer test leaves it.
  void click_at(float x) {
    ASSERT_TRUE(slider.inside_area(Vec3{x, 0, 0}, false));
    slider.callback()();
  }

  std::vector<float> told;
  Slider slider;
};

}  // namespace

TEST(Slider, ArrowStepsMoveATenthAndClamp) {
  Recorded r;
  EXPECT_EQ(r.slider.selectable(), 1);
  EXPECT_EQ(r.slider.next(), 0);
  EXPECT_FLOAT_EQ(r.slider.value(), 60.0f);
  r.slider.back();
  r.slider.back();
  EXPECT_FLOAT_EQ(r.slider.value(), 40.0f);
  r.slider.set_value(95.0f);
  r.slider.next();
  EXPECT_FLOAT_EQ(r.slider.value(), 100.0f);
  r.slider.set_value(3.0f);
  r.slider.back();
  EXPECT_FLOAT_EQ(r.slider.value(), 0.0f);
  EXPECT_EQ(r.told, (std::vector<float>{60, 50, 40, 100, 0}));
}

TEST(Slider, ClicksFollowThePointerAlongTheSlider) {
  Recorded r;
  const std::pair<float, float> cases[] = {
      {-0.15f, 0.0f}, {0.0f, 50.0f}, {0.15f, 100.0f}, {0.075f, 75.0f}};
  for (const auto& [x, value] : cases) {
    r.click_at(x);
    EXPECT_NEAR(r.slider.value(), value, 1e-4f) << x;
  }
  EXPECT_EQ(r.told.size(), 4u);
  EXPECT_NEAR(r.slider.pos2value({0.3f, 0, 0}, 0), 150.0f, 1e-4f);  // not clamped
  EXPECT_NEAR(r.slider.pos2value({0, -0.025f, 0}, 1), 0.0f, 1e-4f);
}

TEST(Slider, SetValueTellsOnlyTheHookAndOnlyOnAChange) {
  Recorded r;
  int hooked = 0, limited = 0;
  r.slider.value_hook = [&] { ++hooked; };
  r.slider.limits_hook = [&] { ++limited; };
  r.slider.set_value(50.0f);
  EXPECT_EQ(hooked, 0);
  r.slider.set_value(70.0f);
  EXPECT_EQ(hooked, 1);
  EXPECT_TRUE(r.told.empty());
  r.slider.next();  // user input tells the callback, not the hook
  EXPECT_EQ(hooked, 1);
  r.slider.set_limits({10.0f, 20.0f});
  EXPECT_EQ(limited, 1);
  EXPECT_EQ(r.slider.limits(), (Slider::Limits{10.0f, 20.0f}));
  EXPECT_FLOAT_EQ(r.slider.range(), 10.0f);
}

TEST(Slider, EqualLimitsOrNoWidthGiveTheLowerLimit) {
  std::vector<float> told;
  Slider flat([&](float v) { told.push_back(v); }, 0.5f, {0.5f, 0.5f}, {0.3f, 0.05f, 0.0f});
  flat.next();
  flat.back();
  ASSERT_TRUE(flat.inside_area(Vec3{0.1f, 0, 0}, false));
  flat.callback()();
  EXPECT_EQ(told, (std::vector<float>{0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(flat.fill_fraction(), 0.0f);

  Slider thin(nullptr, 0.7f, {0.25f, 1.0f}, {0.0f, 0.05f, 0.0f});
  EXPECT_EQ(thin.pos2value({0, 0, 0}, 0), 0.25f);
  EXPECT_EQ(thin.pos2value({0, 0, 0}, 3), 0.25f);  // no such axis
  thin.callback()();
  EXPECT_EQ(thin.value(), 0.25f);

  Slider reversed(nullptr, 0.5f, {1.0f, 0.0f}, {0.3f, 0.05f, 0.0f});
  reversed.back();  // a tenth of a negative range up, kept within the limits
  EXPECT_FLOAT_EQ(reversed.value(), 0.6f);
}

TEST(Slider, FillFractionFollowsTheValue) {
  Slider s(nullptr, 0.5f, {0.125f, 1.0f}, {0.3f, 0.05f, 0.0f});
  EXPECT_NEAR(s.fill_fraction(), 0.375f / 0.875f, 1e-6f);
  s.set_value(0.125f);
  EXPECT_EQ(s.fill_fraction(), 0.0f);
  s.set_value(1.0f);
  EXPECT_EQ(s.fill_fraction(), 1.0f);
}

TEST(Slider, LimitsOnlySlidersHaveNoActions) {
  const Slider plain;
  EXPECT_EQ(plain.limits(), (Slider::Limits{0.0f, 1.0f}));
  EXPECT_EQ(plain.value(), 1.0f);
  EXPECT_EQ(plain.selectable(), 0);
  EXPECT_FALSE(plain.callback());
  EXPECT_FALSE(plain.get_next());
  const Slider three(2.0f, 4.0f, 3.0f);
  EXPECT_EQ(three.limits(), (Slider::Limits{2.0f, 4.0f}));
  EXPECT_EQ(three.value(), 3.0f);
  EXPECT_EQ(plain.vol(), (Vec3{0, 0, 0}));
}

TEST(Slider, CopiesStepThemselves) {
  Recorded r;
  Slider copy(r.slider);
  copy.next();
  EXPECT_FLOAT_EQ(copy.value(), 60.0f);
  EXPECT_FLOAT_EQ(r.slider.value(), 50.0f);
  Slider assigned;
  assigned = copy;
  assigned.back();
  EXPECT_FLOAT_EQ(assigned.value(), 50.0f);
  EXPECT_FLOAT_EQ(copy.value(), 60.0f);
  Slider moved(std::move(assigned));
  moved.next();
  EXPECT_FLOAT_EQ(moved.value(), 60.0f);
  EXPECT_EQ(r.told, (std::vector<float>{60, 50, 60}));  // the callback travels with copies
}

TEST(Slider, DefaultStyles) {
  Slider s;
  s.style.disable();
  s.default_styles();
  EXPECT_TRUE(s.style.enabled());
  EXPECT_EQ(s.style.fill_color(), (DrawStyle::Color{0, 1, 0, 0.9f}));
  EXPECT_EQ(s.style.line_color(), (DrawStyle::Color{1, 1, 1, 0.9f}));
  EXPECT_EQ(s.style.line_width(), 12.0f);
  EXPECT_EQ(s.selected_color, (Frame::Color{0, 1, 0, 0.9f}));
}
