// Dialogs without OpenGL: building, layout, pointer hits, arrow-key moves,
// clicks and the placement in front of a viewer.
#include "ui/dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "core/event_queue.h"
#include "ui/list_selection.h"
#include "ui/test_frame.h"

using testing_support::TestFrame;
using Vec3 = Frame::Vec3;

namespace {

// A dialog that frees its children when the test ends.
class TestDialog : public Dialog {
 public:
  using Dialog::Dialog;
  ~TestDialog() override { delete_children(); }

  // A child of that size whose action records its index in `ran`.
  TestFrame* add_child(float height, float width = 0.3f) {
    const int index = static_cast<int>(children().size());
    auto* f = new TestFrame([this, index] { ran.push_back(index); });
    f->vol() = {width, height, 0.0f};
    add_button(f);
    return f;
  }
  std::vector<float> positions(int axis) const {
    std::vector<float> p;
    for (const Frame* f : children()) p.push_back(f->coord_sys().position()[axis]);
    return p;
  }

  std::vector<int> ran;
};

void expect_near(const std::vector<float>& got, const std::vector<float>& want) {
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-6f) << i;
}

void expect_near(const Vec3& got, const Vec3& want, float tolerance = 1e-5f) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(got[i], want[i], tolerance) << i;
}

bool finite(const CoordinateSystem& cs) {
  for (float v : cs.rotation())
    if (!std::isfinite(v)) return false;
  for (float v : cs.position())
    if (!std::isfinite(v)) return false;
  return true;
}

}  // namespace

// Building.

TEST(Dialog, Defaults) {
  Dialog plain;
  EXPECT_EQ(plain.name(), "Unnamed");
  EXPECT_TRUE(plain.enabled());
  EXPECT_EQ(plain.frame().selectable(), 0);  // no callback
  EXPECT_FLOAT_EQ(plain.distance, 0.8f);
  EXPECT_FLOAT_EQ(plain.max_angle, 40.0f);
  EXPECT_EQ(plain.drop_axis, -1);
  EXPECT_DOUBLE_EQ(plain.move_time, 0.2);
  EXPECT_TRUE(plain.sounds);
  EXPECT_FALSE(plain.stay_open);
  EXPECT_FALSE(plain.close_on_choice);
  EXPECT_TRUE(plain.depth_test());
  EXPECT_EQ(plain.layout_dimension(), 0);
  EXPECT_EQ(plain.follow_player(), 1);
  EXPECT_EQ(plain.follow_player_rotation(), 1);
  EXPECT_EQ(plain.cursor_data(), CursorData{});
  EXPECT_TRUE(plain.rearrange());
  EXPECT_EQ(plain.first_child_index(), -1);

  Dialog titled("Title", [] {});
  EXPECT_EQ(titled.frame().text(), "Title");
  EXPECT_EQ(titled.frame().selectable(), 1);
}

TEST(Dialog, ButtonsAreCopiesOfTheDialogFrame) {
  TestDialog d("Menu");
  d.frame().text_size(0.08f, false);
  d.frame().margins(0.01f, 0.02f, 0.03f, 0.04f);
  d.frame().bg_color() = {0.1f, 0.2f, 0.3f, 0.4f};
  d.frame().alignment = 2;
  d.frame().coord_sys().translate(1, 2, 3);
  d.rearrange(false);

  int clicks = 0;
  TextFrame* b = d.add_button("OK", [&] { ++clicks; });
  ASSERT_EQ(d.children(), (std::vector<Frame*>{b}));
  EXPECT_EQ(b->text(), "OK");
  EXPECT_FLOAT_EQ(b->text_size(), 0.08f);
  EXPECT_EQ(b->margins(), (std::array<float, 4>{0.01f, 0.02f, 0.03f, 0.04f}));
  EXPECT_EQ(b->bg_color(), d.frame().bg_color());
  EXPECT_EQ(b->alignment, 2);
  EXPECT_EQ(b->coord_sys().position(), (Vec3{1, 2, 3}));
  EXPECT_EQ(b->selectable(), 1);
  EXPECT_EQ(b->parent, &d);
  EXPECT_TRUE(d.rearrange());
  b->callback()();
  EXPECT_EQ(clicks, 1);

  TextFrame* line = d.add_text("Just text", false);
  EXPECT_EQ(line->selectable(), 0);
  EXPECT_FALSE(line->callback());

  d.rearrange(false);
  d.add_button(static_cast<Frame*>(nullptr));
  EXPECT_EQ(d.children().size(), 2u);
  EXPECT_FALSE(d.rearrange());
  auto* adopted = new TestFrame;
  adopted->selectable(0);
  d.add_button(adopted);
  EXPECT_EQ(adopted->selectable(), 1);
  EXPECT_EQ(adopted->parent, &d);
  EXPECT_TRUE(d.rearrange());

  Slider* slider = d.add_slider(nullptr, 0.6f, {0.125f, 1.0f}, {0.3f, 0.05f, 0.0f});
  EXPECT_EQ(d.children().back(), slider);
  EXPECT_EQ(slider->vol(), (Vec3{0.3f, 0.05f, 0.0f}));
  EXPECT_FLOAT_EQ(slider->value(), 0.6f);
  EXPECT_EQ(d.text_frames(), (std::vector<TextFrame*>{b, line}));
  EXPECT_TRUE(d.tex_frames().empty());
}

TEST(Dialog, MenuButtonHidesItsDialogAndShowsTheTarget) {
  TestDialog menu, target;
  target.disable();
  EXPECT_FALSE(target.enabled());
  menu.add_menu_button("Options", &target)->callback()();
  EXPECT_FALSE(menu.enabled());
  EXPECT_FALSE(menu.frame().enabled());
  EXPECT_TRUE(target.enabled());
}

TEST(Dialog, SetTextAddsUnselectableLinesUpToTheIndex) {
  TestDialog d;
  d.add_child(0.1f);  // not a text frame: not counted
  TextFrame* third = d.set_text("Play again?", 2);
  ASSERT_EQ(d.children().size(), 4u);
  const auto lines = d.text_frames();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(third, lines[2]);
  EXPECT_EQ(third->text(), "Play again?");
  for (const TextFrame* line : lines) EXPECT_EQ(line->selectable(), 0);
  EXPECT_EQ(d.set_text("Again?", 0), lines[0]);
  EXPECT_EQ(d.children().size(), 4u);
  EXPECT_EQ(d.set_text("x", -1), nullptr);
}

TEST(Dialog, ChildCallbacksReportTheIndexAndMayCloseTheDialog) {
  TestDialog d;
  d.add_child(0.1f);
  d.add_child(0.1f);
  std::vector<int> chosen;
  d.set_child_callbacks([&](int i) { chosen.push_back(i); }, true);
  d.children()[1]->callback()();
  EXPECT_EQ(chosen, (std::vector<int>{1}));
  EXPECT_TRUE(d.enabled());  // close_on_choice was off when they were set

  d.close_on_choice = true;
  d.set_child_callbacks([&](int i) { chosen.push_back(i); }, false);
  d.children()[0]->callback()();
  EXPECT_TRUE(d.enabled());
  d.set_child_callbacks([&](int i) { chosen.push_back(i); }, true);
  d.children()[0]->callback()();
  EXPECT_FALSE(d.enabled());
  EXPECT_EQ(chosen, (std::vector<int>{1, 0, 0}));
}

TEST(Dialog, DeleteChildrenFreesThemAndClearsTheCursor) {
  TestDialog d;
  d.add_button("A", nullptr);
  d.add_child(0.1f);
  d.arrange_children();
  EXPECT_EQ(d.select_default_child(), 0);
  d.delete_children();
  EXPECT_TRUE(d.children().empty());
  EXPECT_EQ(d.cursor_data().index, -1);
  d.arrange_children();
  EXPECT_EQ(d.selectable_children(), 0);
}

TEST(Dialog, CopiesShareTheirChildren) {
  TestDialog d;
  TestFrame* child = d.add_child(0.1f);
  Dialog copy(d);
  EXPECT_EQ(copy.children(), (std::vector<Frame*>{child}));
  copy.children().clear();  // the original still frees it
}

TEST(Dialog, LayoutDimensionKeepsTheTruncatedRemainder) {
  Dialog d;
  const std::pair<int, int> cases[] = {{3, 1}, {-1, -1}, {2, 0}, {1, 1}};
  for (const auto& [given, stored] : cases) {
    d.layout_dimension(given);
    EXPECT_EQ(d.layout_dimension(), stored) << given;
  }
}

// Layout.

TEST(Dialog, VerticalLayoutStacksTheFirstChildOnTop) {
  struct Case {
    float gap;
    std::vector<float> y;
  };
  for (const Case& c :
       {Case{0.0f, {0.15f, 0.0f, -0.15f}}, Case{0.05f, {0.225f, 0.025f, -0.175f}}}) {
    TestDialog d;
    d.gap = c.gap;
    d.add_child(0.1f)->coord_sys().translate(5.0f, 7.0f, 0.0f);  // earlier positions do not matter
    d.add_child(0.2f)->coord_sys().translate(0.0f, -3.0f, 0.0f);
    d.add_child(0.1f);
    d.arrange_children();
    expect_near(d.positions(1), c.y);
    expect_near(d.positions(0), {5, 0, 0});  // the other axes keep theirs
    EXPECT_FALSE(d.rearrange());
    for (const Frame* f : d.children())
      EXPECT_EQ(static_cast<const TestFrame*>(f)->volume_calls, 1);
  }
}

TEST(Dialog, HorizontalLayoutStacksTheFirstChildOnTheLeft) {
  TestDialog d;
  d.add_child(0.1f, 0.2f);
  d.add_child(0.1f, 0.4f);
  d.horizontal_layout();
  EXPECT_EQ(d.layout_dimension(), 1);
  expect_near(d.positions(0), {-0.2f, 0.1f});
  expect_near(d.positions(1), {0.0f, 0.0f});
}

TEST(Dialog, LayoutCountsSelectableEnabledChildrenAndBoundsThem) {
  TestDialog d;
  d.add_child(0.1f);
  d.add_child(0.2f, 0.5f)->selectable(0);
  d.add_child(0.1f)->disable();
  d.arrange_children();
  EXPECT_EQ(d.selectable_children(), 1);
  const auto& box = std::as_const(d).frame().bounding_box();  // as stored
  expect_near(box[0], {-0.25f, -0.2f, 0.0f});
  expect_near(box[1], {0.25f, 0.2f, 0.0f});
  d.calculate_volume();
  expect_near(d.frame().vol(), {0.5f, 0.4f, 0.0f});
  expect_near(d.vol(), {0.5f, 0.4f, 0.0f});

  TestDialog empty;
  empty.arrange_children();
  EXPECT_EQ(empty.selectable_children(), 0);
  empty.calculate_volume();
  EXPECT_EQ(empty.frame().vol(), (Vec3{0, 0, 0}));
}

TEST(Dialog, AChangedListAsksForANewLayout) {
  TestDialog d;
  auto* list = new ListSelection("Level:", {"Easy", "Hard"});
  d.add_button(list);
  d.arrange_children();
  EXPECT_FALSE(d.rearrange());
  list->next();
  EXPECT_TRUE(d.rearrange());
}

// Pointer hits.

namespace {

// Two buttons 0.4 wide and 0.1 high with a gap of 0.1: the first spans y
// 0.1 to 0.2, the second -0.1 to 0.
class TwoButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    d_.gap = 0.1f;
    d_.add_child(0.1f, 0.4f);
    d_.add_child(0.1f, 0.4f);
    d_.arrange_children();
  }
  // A pointer one unit in front of the dialog's plane at (x, y), pointing at
  // it along its -z axis.
  static CoordinateSystem pointer(float x, float y) {
    CoordinateSystem p;
    p.translate(x, y, 1);
    return p;
  }

  TestDialog d_;
};

}  // namespace

TEST_F(TwoButtons, PointerRaysFindTheChildUnderThem) {
  const CoordinateSystem on_first = pointer(0.1f, 0.15f);
  const CursorData hit = d_.cursor_callback(&on_first, true);
  EXPECT_EQ(hit.index, 0);
  EXPECT_FLOAT_EQ(hit.distance, 1.0f);
  EXPECT_EQ(d_.children()[0]->selected(), 1);

  const CoordinateSystem between = pointer(0, 0.05f);
  const CursorData miss = d_.cursor_callback(&between, true);
  EXPECT_EQ(miss.index, -1);
  EXPECT_FLOAT_EQ(miss.distance, 1.0f);
  EXPECT_EQ(d_.cursor_data(miss, true), 1);
  EXPECT_EQ(d_.children()[0]->selected(), 0);

  // Pointing away: no crossing ahead.
  EXPECT_EQ(d_.cursor_callback(&on_first, false), CursorData{});
  d_.disable();
  EXPECT_EQ(d_.cursor_callback(&on_first, true), CursorData{});
}

TEST_F(TwoButtons, PointerRaysMeetTheDialogInItsPose) {
  d_.frame().coord_sys().translate(2, 0, -1);
  d_.frame().coord_sys().rotate_local(90, 0, 0, 1);  // the dialog's x along the scene's y
  CoordinateSystem p;
  p.translate(2 - 0.15f, 0.1f, 0);  // local (0.1, 0.15)
  const CursorData hit = d_.cursor_callback(&p, true);
  EXPECT_EQ(hit.index, 0);
  EXPECT_FLOAT_EQ(hit.distance, 1.0f);
}

TEST_F(TwoButtons, AppliedHitsSelectOneChild) {
  EXPECT_EQ(d_.cursor_data({1, 0.5f}, true), 0);
  EXPECT_EQ(d_.children()[1]->selected(), 1);
  EXPECT_EQ(d_.cursor_data({1, 0.5f}, true), -1);  // the same hit again
  EXPECT_EQ(d_.cursor_data({1, 0.5f}, false), 0);

  d_.children()[1]->activated(1);
  EXPECT_EQ(d_.cursor_data({0, 0.0f}, true), 0);
  EXPECT_FLOAT_EQ(d_.cursor_data().distance, 100.0f);  // a hit without a distance
  EXPECT_EQ(d_.children()[0]->selected(), 1);
  EXPECT_EQ(d_.children()[1]->selected(), 0);
  EXPECT_EQ(d_.children()[1]->activated(), 0);
}

TEST_F(TwoButtons, BoundsOfFrameAndChildren) {
  // The frame's area: a strip 0.05 high around the origin, over the top of
  // the second button. The dialog sits at the origin, so scene and dialog
  // coordinates agree.
  d_.frame().vol() = {0.4f, 0.05f, 0.0f};
  EXPECT_EQ(d_.get_in_bounds(Vec3{0, 0.01f, 0}, true), -1);
  EXPECT_EQ(d_.get_in_bounds(Vec3{0, 0.15f, 0}, true), 0);
  EXPECT_EQ(d_.get_in_bounds(Vec3{0, -0.05f, 0}, true), 1);
  EXPECT_EQ(d_.get_in_bounds(Vec3{0, 0.05f, 0}, true), -2);
  EXPECT_EQ(d_.get_in_bounds(Vec3{0.3f, 0.15f, 0}, true), -2);
  EXPECT_EQ(d_.get_in_bounds(nullptr, true), -2);

  const float origin[3] = {0, 0, 1}, down[3] = {0, 0, -1};
  EXPECT_TRUE(d_.ray_hits_text(1, origin, down, false));
  const float aside[3] = {0.3f, 0, 1};
  EXPECT_FALSE(d_.ray_hits_text(1, aside, down, false));
  EXPECT_FALSE(d_.ray_hits_text(1, origin, down, true));  // the frame is not selectable
  d_.frame().selectable(1);
  EXPECT_TRUE(d_.ray_hits_text(1, origin, down, true));
}

// Arrow keys.

namespace {

class ThreeButtons : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) d_.add_child(0.1f);
    d_.arrange_children();
  }
  bool move(Vec3 direction) { return d_.move_selection(direction, 8, true, true); }

  TestDialog d_;
};

}  // namespace

TEST_F(ThreeButtons, UpAndDownStepAndWrap) {
  const Vec3 up{0, 1, 0}, down{0, -1, 0};
  d_.cursor_data({1, 1.0f}, false);
  EXPECT_TRUE(move(up));
  EXPECT_EQ(d_.cursor_data().index, 0);
  EXPECT_TRUE(move(up));  // wraps to the farthest below
  EXPECT_EQ(d_.cursor_data().index, 2);
  EXPECT_TRUE(move(down));  // wraps to the farthest above
  EXPECT_EQ(d_.cursor_data().index, 0);
  EXPECT_TRUE(move(down));
  EXPECT_EQ(d_.cursor_data().index, 1);
  // Sideways: no child there and no arrow action on the child.
  EXPECT_FALSE(move({1, 0, 0}));
  d_.cursor_data({0, 1.0f}, false);
  EXPECT_FALSE(d_.move_selection(up, 8, false, false));  // no wrap, nothing passed on
  EXPECT_FALSE(d_.move_selection(up, 0, true, true));
}

TEST_F(ThreeButtons, WithoutACursorNothingStaysSelected) {
  d_.children()[2]->activated(1);
  EXPECT_FALSE(move({0, 1, 0}));
  for (const Frame* f : d_.children()) {
    EXPECT_EQ(f->selected(), 0);
    EXPECT_EQ(f->activated(), 0);
  }
  EXPECT_EQ(d_.cursor_data().index, -1);
}

TEST(Dialog, ArrowsPassedToAListStepItsItems) {
  TestDialog d;
  auto* list = new ListSelection("Level:", {"Easy", "Medium", "Hard"});
  d.add_button(list);
  d.arrange_children();
  d.select_default_child();
  EXPECT_TRUE(d.move_selection({1, 0, 0}, 8, true, true));
  EXPECT_EQ(list->index(), 1);
  EXPECT_TRUE(d.move_selection({-1, 0, 0}, 8, true, true));
  EXPECT_TRUE(d.move_selection({0, -1, 0}, 8, true, true));  // down steps back
  EXPECT_EQ(list->index(), 2);
  EXPECT_FALSE(d.move_selection({1, 0, 0}, 8, true, false));
  EXPECT_EQ(list->index(), 2);
}

// Clicks.

TEST_F(TwoButtons, PressAndReleaseRunTheChildUnderTheCursor) {
  d_.cursor_data({1, 1.0f}, true);
  EXPECT_EQ(d_.click(1, true), 1);
  EXPECT_EQ(d_.children()[0]->activated(), 0);
  EXPECT_EQ(d_.children()[1]->activated(), 1);
  EXPECT_EQ(d_.click(0, true), 0);  // no drawing in between
  EXPECT_EQ(d_.ran, (std::vector<int>{1}));
  EXPECT_EQ(d_.children()[1]->activated(), 0);
  EXPECT_GT(d_.last_click_time(), 0.0);

  EXPECT_EQ(d_.click(0, true), 1);  // a release without a press
  EXPECT_EQ(d_.ran, (std::vector<int>{1}));
}

TEST_F(TwoButtons, APressWithoutACursorMarksEveryChoice) {
  d_.frame().selected(1);
  d_.click(1, true);
  EXPECT_EQ(d_.frame().selected(), 0);
  EXPECT_EQ(d_.children()[0]->activated(), 1);
  EXPECT_EQ(d_.children()[1]->activated(), 1);
  EXPECT_EQ(d_.click(0, true), 0);
  EXPECT_EQ(d_.ran, (std::vector<int>{0}));
  EXPECT_EQ(d_.click(0, false), 0);  // not asking for a press: the first runs
  EXPECT_EQ(d_.ran, (std::vector<int>{0, 0}));
}

TEST(Dialog, ASingleChoiceRunsOnAnyRelease) {
  TestDialog d;
  d.add_child(0.1f);
  d.add_text("title", false);
  d.arrange_children();
  EXPECT_EQ(d.click(0, true), 0);
  EXPECT_EQ(d.ran, (std::vector<int>{0}));

  TestDialog none;
  none.add_text("only text", false);
  none.arrange_children();
  EXPECT_EQ(none.click(0, true), 1);
}

TEST(Dialog, TheDefaultChildIsTheFirstSelectable) {
  TestDialog d;
  d.add_text("title", false);
  d.add_child(0.1f)->disable();  // disabled ones count
  d.add_child(0.1f);
  EXPECT_EQ(d.select_default_child(), 1);
  EXPECT_EQ(d.children()[1]->selected(), 1);
  EXPECT_EQ(d.cursor_data(), (CursorData{1, 100.0f}));
  d.cursor_data({2, 0.5f}, false);
  EXPECT_EQ(d.select_default_child(), 1);
  EXPECT_FLOAT_EQ(d.cursor_data().distance, 0.5f);  // a distance it had stays

  TestDialog none;
  none.add_text("title", false);
  EXPECT_EQ(none.select_default_child(), -1);
  EXPECT_EQ(none.cursor_data(), CursorData{});
}

// Placement.

namespace {

// A viewer at the origin in the identity pose (looking along -z) and a
// dialog registered to follow it.
class Following : public ::testing::Test {
 protected:
  void SetUp() override {
    d_.add_child(0.1f);
    d_.billboard_callback(viewer_, {0, 0, 0}, nullptr);
  }
  // Turns the dialog's axes by the angle about y, at (0, 0, -0.8).
  void turn_dialog(float degrees) {
    CoordinateSystem& cs = d_.frame().coord_sys();
    cs.clear_rotation();
    cs.rotate_local(degrees, 0, 1, 0);
    cs.position() = {0, 0, -0.8f};
  }
  const Vec3& position() { return d_.frame().coord_sys().position(); }

  CoordinateSystem viewer_;
  TestDialog d_;
};

}  // namespace

TEST_F(Following, MovesOnlyWhenTheViewerTurnedFarEnough) {
  viewer_.rotate_local(-90, 0, 1, 0);  // looking along +x
  turn_dialog(-60);                    // 30 degrees off the viewer's axes
  d_.orient_func()(false);
  expect_near(position(), {0, 0, -0.8f});

  turn_dialog(-45);
  d_.orient_func()(false);
  expect_near(position(), {0.8f, 0, 0});
  // Facing the viewer: its z axis points at it, its x is the viewer's right.
  expect_near(d_.frame().coord_sys().zhat_array(), {-1, 0, 0});
  expect_near(d_.frame().coord_sys().xhat_array(), viewer_.xhat_array());
  d_.frame().coord_sys().position() = {0.5f, 0, 0};
  d_.orient_func()(false);  // in line with the viewer now: stays
  expect_near(position(), {0.5f, 0, 0});
  d_.orient_func()(true);  // forced: moves whatever the angle
  expect_near(position(), {0.8f, 0, 0});
}

TEST_F(Following, MovesOverTheQueueWhenTheFrameHasOne) {
  EventQueue queue;
  std::vector<Event*> events;
  d_.billboard_callback(viewer_, {0, 0.1f, 0}, &events);
  d_.frame().queue(&queue);
  turn_dialog(90);
  d_.frame().coord_sys().position() = {0, 0, 1};
  d_.orient_func()(false);
  expect_near(position(), {0, 0, 1});  // nothing before the queue runs
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]->name(), "BezierFaderBuffered");
  EXPECT_EQ(events[1]->name(), "Billboard");
  queue.update(0.1);
  EXPECT_GT(position()[2], -0.8f);
  EXPECT_LT(position()[2], 1.0f);
  queue.update(0.2);
  expect_near(position(), {0, 0.1f, -0.8f});
  expect_near(d_.frame().coord_sys().zhat_array(), {0, 0, 1});
}

// A slow frame may pass the whole move at once (a menu's first showing moves
// it across the room): it still ends facing the viewer.
TEST_F(Following, AMovePassedInOneStepEndsFacingTheViewer) {
  EventQueue queue;
  d_.frame().queue(&queue);
  turn_dialog(90);
  d_.frame().coord_sys().position() = {3, 0, 2};
  d_.orient_func()(true);
  queue.update(0.5);
  expect_near(position(), {0, 0, -0.8f});
  expect_near(d_.frame().coord_sys().zhat_array(), {0, 0, 1});
  expect_near(d_.frame().coord_sys().xhat_array(), viewer_.xhat_array());
}

TEST_F(Following, TurnsInPlaceWhenItFollowsOnlyTheRotation) {
  d_.follow_player(0);
  d_.frame().coord_sys().position() = {1, 0, 0};
  d_.orient_func()(true);
  expect_near(position(), {1, 0, 0});
  expect_near(d_.frame().coord_sys().zhat_array(), {-1, 0, 0});

  d_.follow_player_rotation(0);
  d_.frame().coord_sys().clear_rotation();
  d_.orient_func()(true);
  expect_near(d_.frame().coord_sys().zhat_array(), {0, 0, 1});  // neither: nothing
  d_.follow_player_rotation(1);
  d_.disable();
  d_.orient_func()(true);
  expect_near(d_.frame().coord_sys().zhat_array(), {0, 0, 1});
}

TEST_F(Following, ADroppedAxisKeepsTheViewersHeight) {
  d_.drop_axis = 1;
  viewer_.look_at(Vec3{0, 1, 0}, Vec3{0, 0, -1});  // looking down at 45 degrees
  d_.orient_func()(true);
  expect_near(position(), {0, 1, -0.8f});

  // Straight down: no direction left to place in, and no NaN.
  viewer_.look_at(Vec3{0, 2, 0}, Vec3{0, 0, 0});
  d_.frame().coord_sys().position() = {0.3f, 0, 0};
  d_.orient_func()(true);
  EXPECT_TRUE(finite(d_.frame().coord_sys()));
  expect_near(position(), {0.3f, 0, 0});
  EventQueue queue;
  d_.frame().queue(&queue);
  d_.orient_func()(true);
  EXPECT_TRUE(queue.events().empty());
  expect_near(position(), {0.3f, 0, 0});
}

TEST_F(Following, AnAxisRoundingPastOneIsNoTurn) {
  // A pose whose z axis, dotted with itself, rounds above 1: acos of that
  // must not make the dialog move.
  CoordinateSystem pose;
  bool found = false;
  for (int step = 1; step < 3600 && !found; ++step) {
    pose.clear_rotation();
    pose.rotate_local(0.1f * static_cast<float>(step), 2.0f / 3, 2.0f / 3, 1.0f / 3);
    found = dot(pose.zhat(), pose.zhat()) > 1.0f;
  }
  ASSERT_TRUE(found);
  viewer_.set_rotation(pose.rotation());
  d_.frame().coord_sys().set_rotation(pose.rotation());
  d_.frame().coord_sys().position() = {5, 5, 5};
  d_.orient_func()(false);
  expect_near(position(), {5, 5, 5});
}

TEST_F(Following, ArrowsFollowTheViewersRightOnAPlacedDialog) {
  viewer_.rotate_local(150, 0, 1, 0);
  d_.add_slider(nullptr, 0.5f, {0, 1}, {0.2f, 0.1f, 0});
  d_.arrange_children();
  d_.orient_func()(true);
  d_.cursor_data({1, 1.0f}, false);
  auto* slider = static_cast<Slider*>(d_.children()[1]);
  // Right and left (the viewer's) step the slider up and down; up reaches
  // the child above it.
  EXPECT_TRUE(d_.move_selection(viewer_.xhat_array(), 8, true, true));
  EXPECT_FLOAT_EQ(slider->value(), 0.6f);
  EXPECT_TRUE(d_.move_selection(viewer_.xhat_array(true), 8, true, true));
  EXPECT_TRUE(d_.move_selection(viewer_.xhat_array(true), 8, true, true));
  EXPECT_FLOAT_EQ(slider->value(), 0.4f);
  EXPECT_TRUE(d_.move_selection(viewer_.yhat_array(), 8, true, true));
  EXPECT_EQ(d_.cursor_data().index, 0);
}

TEST(Dialog, MoveToPreparesThePositionFader) {
  Dialog d;
  EXPECT_FALSE(d.move_in_progress());
  EXPECT_EQ(d.move_to({1, 2, 3}, 60.0), 0);
  EXPECT_TRUE(d.move_in_progress());
  EXPECT_EQ(d.position_fader().output(), d.position_buffer().data());
  EXPECT_EQ(d.position_fader().queue(), nullptr);
  d.move_to({1, 2, 3}, 0.0);
  EXPECT_FALSE(d.move_in_progress());
}
