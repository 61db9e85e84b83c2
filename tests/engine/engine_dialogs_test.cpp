// The engine's registered dialogs without a window: registration and the
// orientation events, removal and dialogs owned for the engine, the pointer
// tests and clicks of "Update dialogs", the far-to-near order of "Sort
// dialogs", and texts changed between frames.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "engine/basic_engine.h"
#include "engine/owned_dialogs.h"
#include "support/button_dialog.h"
#include "support/capture.h"
#include "support/engine_frame.h"

using testing_support::ButtonColumn;
using testing_support::EngineFrame;
using testing_support::OutputCapture;

namespace {

// The viewer stands at the origin and looks along -z (the identity pose).
class EngineDialogs : public EngineFrame {
 protected:
  // Real time counts from the first frame: with it at 0 the real time is
  // the test's clock.
  void SetUp() override {
    EngineFrame::SetUp();
    frame_at(0.0);
  }
  // A dialog placed at once when forced (so its position shows whether the
  // orientation ran), registered with the engine.
  void add(ButtonColumn& d) {
    d.move_time = 0.0;
    engine_ += &d;
  }
  static Vec3& position(Dialog& d) { return d.frame().coord_sys().position(); }
  int count(const std::string& name) {
    int n = 0;
    for (const Event* e : engine_.realtime_queue().events())
      if (e && e->name() == name) ++n;
    return n;
  }
  // A press and a release of the left button, as the mouse callback queues
  // them (without stamping the mouse time).
  void queue_click() {
    engine_.mouse_button_events().emplace_back(0, 1);
    engine_.mouse_button_events().emplace_back(0, -1);
  }

  // Where a dialog placed in front of the viewer stands.
  const Vec3 placed_{0.0f, 0.0f, -0.8f};
};

}  // namespace

// ---- Registration and orientation

TEST_F(EngineDialogs, RegistrationFacesTheDialogToTheViewerOnTheRealTimeQueue) {
  ButtonColumn d, slow;
  slow.move_time = 2.0;
  position(d) = {3.0f, 0.0f, 0.0f};
  engine_ += &d;
  engine_.add_dialog(&slow);
  engine_.add_dialog(nullptr);
  EXPECT_EQ(engine_.dialogs(), (std::list<Dialog*>{&d, &slow}));
  EXPECT_EQ(d.frame().queue(), &engine_.realtime_queue());
  // One orientation event each, at most every move_time (0.2 s), at most
  // every 0.5 s.
  ASSERT_EQ(count("auto orient"), 2);
  EXPECT_EQ(engine_.realtime_queue().find("auto orient")->min_update_period(), 0.2);
  EXPECT_EQ(engine_.realtime_queue().find_last_start_time("auto orient")->min_update_period(), 0.5);

  // Forced at once: the placement runs over move_time on the real-time
  // queue, ending in front of the viewer, turned toward it.
  frame_at(100.0);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(position(d)[i], placed_[i], 1e-6f) << i;
  EXPECT_NEAR(d.frame().coord_sys().zhat()[2], 1.0f, 1e-6f);
}

TEST_F(EngineDialogs, OrientationIsForcedAtTheFirstRunAndWhenTheHeightsDrift) {
  ButtonColumn d;
  add(d);
  EXPECT_EQ(position(d), placed_);
  // Enabled at registration: forced once more at the first run.
  position(d) = {0.5f, 0.0f, -0.8f};
  frame_at(100.0);
  EXPECT_EQ(position(d), placed_);
  // Still facing the viewer, at its height: left where it is.
  position(d) = {0.5f, 0.0f, -0.8f};
  frame_at(100.1);
  EXPECT_EQ(position(d), (Vec3{0.5f, 0.0f, -0.8f}));
  // More than 0.8 above the viewer along the walker's up axis: forced.
  position(d) = {0.5f, 0.9f, -0.8f};
  frame_at(100.2);
  EXPECT_EQ(position(d), placed_);
  // With x up, the same offset is no height, and one along x is.
  engine_.walking().up_axis = 0;
  position(d) = {0.5f, 0.9f, -0.8f};
  frame_at(100.3);
  EXPECT_EQ(position(d), (Vec3{0.5f, 0.9f, -0.8f}));
  position(d) = {0.9f, 0.0f, -0.8f};
  frame_at(100.4);
  EXPECT_EQ(position(d), placed_);
}

TEST_F(EngineDialogs, AHiddenDialogIsForcedWhenShownAndNoToleranceNeverOrients) {
  ButtonColumn hidden;
  hidden.enable(false);
  add(hidden);
  position(hidden) = {0.5f, 0.0f, -0.8f};
  frame_at(100.0);
  EXPECT_EQ(position(hidden), (Vec3{0.5f, 0.0f, -0.8f}));
  hidden.enable(true);
  frame_at(100.1);
  EXPECT_EQ(position(hidden), placed_);

  // Into a list of the caller's, with no height tolerance: placed at
  // registration, never again.
  std::list<Dialog*> mine;
  ButtonColumn still;
  still.move_time = 0.0;
  engine_.add_dialog(&still, mine, 0.0f);
  EXPECT_EQ(mine, std::list<Dialog*>{&still});
  EXPECT_EQ(engine_.dialogs().size(), 1u);
  EXPECT_EQ(position(still), placed_);
  position(still) = {0.5f, 5.0f, -0.8f};
  frame_at(100.2);
  frame_at(100.3);
  EXPECT_EQ(position(still), (Vec3{0.5f, 5.0f, -0.8f}));
}

TEST_F(EngineDialogs, AtFramesSlowerThanTheRunsAPlacementStillEndsInFrontOfTheViewer) {
  // The viewer turns to look along -x, the dialog standing in front of it
  // before: it is placed anew, still shown (the turn passes max_angle) or
  // shown again and forced (as a menu that opens), and the frames come 0.3 s
  // apart, longer than the runs' period (0.2 s). Each run restarting the
  // placement from where the dialog stands would hold it there.
  struct Case {
    const char* name;
    bool shown_again;
  };
  double t = 100.0;
  for (const Case& c : {Case{"still shown", false}, Case{"shown again", true}}) {
    SCOPED_TRACE(c.name);
    engine_.mouse_look().coord_sys().look_at(Vec3{0, 0, 0}, Vec3{0, 0, -1});
    ButtonColumn d;
    engine_ += &d;
    frame_at(t += 0.5);
    frame_at(t += 0.5);
    for (int i = 0; i < 3; ++i) ASSERT_NEAR(position(d)[i], placed_[i], 1e-5f) << i;
    if (c.shown_again) d.enable(false);
    frame_at(t += 0.3);
    engine_.mouse_look().coord_sys().look_at(Vec3{0, 0, 0}, Vec3{-1, 0, 0});
    if (c.shown_again) {
      d.enable(true);
      d.orient_func()(true);
    }
    for (int i = 0; i < 6; ++i) frame_at(t += 0.3);
    EXPECT_FALSE(d.placement_under_way());
    const Vec3 ahead{-0.8f, 0.0f, 0.0f};
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(position(d)[i], ahead[i], 1e-5f) << i;
    EXPECT_NEAR(d.frame().coord_sys().zhat()[0], 1.0f, 1e-5f);
    engine_.remove_dialog(&d);
  }
}

TEST_F(EngineDialogs, ARemovedDialogIsForgottenAndItsOrientationEventsEnd) {
  auto gone = std::make_unique<ButtonColumn>();
  ButtonColumn kept, stranger;
  add(*gone);
  engine_.add_dialog(gone.get());  // twice: both events end
  add(kept);
  engine_.ortho_dlgs().push_back(gone.get());
  engine_.sort_dialogs_periodically(0.5);
  frame_at(100.0);
  ASSERT_EQ(engine_.sorted_dialogs().size(), 3u);
  engine_.selected_dialog() = gone.get();

  engine_.remove_dialog(gone.get());
  engine_.remove_dialog(nullptr);
  engine_.remove_dialog(&stranger);  // never registered: nothing
  EXPECT_EQ(engine_.dialogs(), std::list<Dialog*>{&kept});
  EXPECT_EQ(engine_.sorted_dialogs(), std::vector<Dialog*>{&kept});
  EXPECT_TRUE(engine_.ortho_dlgs().empty());
  EXPECT_EQ(engine_.selected_dialog(), nullptr);

  // Freed: the sanitizer reports any later read of it.
  gone.reset();
  frame_at(100.5);
  frame_at(101.0);
  EXPECT_EQ(count("auto orient"), 1);
  // The other registration goes on.
  position(kept) = {0.5f, 0.9f, -0.8f};
  frame_at(101.5);
  EXPECT_EQ(position(kept), placed_);
}

TEST_F(EngineDialogs, OwnedDialogsAreRegisteredOnceAndTakenOffWhenTheOwnerGoes) {
  {
    OwnedDialogs owned(&engine_);
    EXPECT_EQ(owned.adopt(nullptr), nullptr);
    Dialog* a = owned.adopt(DialogPtr(new ButtonColumn(0, -1)));
    DialogPtr with_children(new Dialog());
    with_children->add_text("line", false);
    Dialog* b = owned.adopt(std::move(with_children));
    EXPECT_EQ(owned.size(), 2u);
    EXPECT_EQ(owned[1], b);
    EXPECT_EQ(engine_.dialogs(), (std::list<Dialog*>{a, b}));
    EXPECT_EQ(count("auto orient"), 2);
  }
  // Off the engine, freed with their children (the leak check sees them).
  EXPECT_TRUE(engine_.dialogs().empty());
  frame_at(100.5);
  frame_at(101.0);
  EXPECT_EQ(count("auto orient"), 0);

  OwnedDialogs alone;
  Dialog* d = alone.adopt(DialogPtr(new Dialog()));
  EXPECT_EQ(alone[0], d);
  EXPECT_TRUE(engine_.dialogs().empty());
}

// ---- Pointer tests and clicks

TEST_F(EngineDialogs, TheFirstDialogUnderAPointerTakesItWhileAPointerMoves) {
  ButtonColumn first(3, 0), second(3, 0);
  add(first);
  add(second);
  CoordinateSystem pointer;  // from the viewer straight ahead
  engine_.pointer_coordsys() = {nullptr, &pointer};
  engine_.update_dialogs_periodically(1.0 / 60.0);
  EXPECT_EQ(engine_.realtime_queue().find("Update dialogs")->min_update_period(), 1.0 / 60.0);

  engine_.last_mouse_time(100.0);
  frame_at(100.0);
  EXPECT_EQ(first.cursor(), 1);
  EXPECT_EQ(second.cursor(), 0);
  EXPECT_EQ(engine_.selected_dialog(), &first);

  // A pose that hits nothing leaves the selection alone.
  pointer.look_at(Vec3{0, 0, 0}, Vec3{0, 0, 1});  // z away from the dialogs
  engine_.selected_dialog() = &second;
  engine_.last_mouse_time(100.1);
  frame_at(100.1);
  EXPECT_EQ(engine_.selected_dialog(), &second);
  EXPECT_EQ(first.cursor(), 1);
  pointer = CoordinateSystem();

  // Which recent input lets the pointers test: the mouse within 0.5 s, a
  // right-stick turn within 1 s outside head-mounted mode, hand
  // controllers. Ages in seconds before the frame; negative: never.
  struct Case {
    const char* input;
    double mouse_age, look_age;
    bool hmd, controller;
    bool tests;
  };
  const Case cases[] = {{"none", -1.0, -1.0, false, false, false},
                        {"mouse still for 0.5 s", 0.5, -1.0, false, false, false},
                        {"mouse", 0.4, -1.0, false, false, true},
                        {"right stick", -1.0, 0.9, false, false, true},
                        {"right stick in the headset", -1.0, 0.9, true, false, false},
                        {"hand controller", -1.0, -1.0, true, true, true}};
  double t = 101.0;
  for (const Case& c : cases) {
    first.cursor_data({0, 1.0f}, false);
    engine_.last_mouse_time(c.mouse_age < 0.0 ? 0.0 : t - c.mouse_age);
    engine_.last_gamepad_look(c.look_age < 0.0 ? 0.0 : t - c.look_age);
    engine_.hmd_control(c.hmd);
    engine_.update_controller_poses(c.controller ? std::vector<CoordinateSystem>(1)
                                                 : std::vector<CoordinateSystem>{});
    frame_at(t);
    EXPECT_EQ(first.cursor(), c.tests ? 1 : 0) << c.input;
    t += 1.0;
  }
}

TEST_F(EngineDialogs, ClicksReachTheShownDialogsEvenWithoutPointerInput) {
  ButtonColumn menu(3, 0), hidden(3, 0);
  hidden.enable(false);
  add(menu);
  add(hidden);
  int chosen = 0, hidden_chosen = 0;
  menu.children()[0]->callback() = [&] { ++chosen; };
  hidden.children()[0]->callback() = [&] { ++hidden_chosen; };
  CoordinateSystem pointer;
  engine_.pointer_coordsys() = {&pointer};
  engine_.update_dialogs_periodically(1.0 / 60.0);

  // The mouse has been still for 0.6 s: no pointer test (the cursor stays
  // on the first button), but the click is handed out.
  engine_.last_mouse_time(99.4);
  queue_click();
  engine_.mouse_button_events().emplace_back(2, -1);  // another button: dropped
  frame_at(100.0);
  EXPECT_EQ(menu.cursor(), 0);
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(hidden_chosen, 0);
  EXPECT_TRUE(engine_.mouse_button_events().empty());
}

TEST_F(EngineDialogs, ADialogShownByAClickWaitsForTheNextClick) {
  ButtonColumn menu(2, 0), message(1, 0);
  message.enable(false);
  add(menu);
  add(message);
  int opened = 0, confirmed = 0;
  menu.children()[0]->callback() = [&] {
    ++opened;
    message.enable(true);
  };
  message.children()[0]->callback() = [&] { ++confirmed; };

  engine_.mouse_button(0, 0, 0, 0, 0);
  engine_.mouse_button(0, 1, 0, 0, 0);
  engine_.update_dialogs();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(confirmed, 0);
  menu.enable(false);
  queue_click();
  engine_.update_dialogs();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(confirmed, 1);
}

// ---- Sorting

TEST_F(EngineDialogs, SortingListsTheShownDialogsFarthestFirst) {
  ButtonColumn near(1, 0), far(1, 0), middle(1, 0), hidden(1, 0), lost(1, 0);
  position(near) = {0.0f, 0.0f, -1.0f};
  position(far) = {3.0f, 0.0f, 0.0f};
  position(middle) = {0.0f, -2.0f, 0.0f};
  position(hidden) = {0.0f, 0.0f, 5.0f};
  position(lost) = {std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f};
  hidden.enable(false);
  engine_.dialogs() = {&near, &lost, nullptr, &far, &hidden, &middle};
  engine_.sort_dialogs_periodically(0.5);
  EXPECT_EQ(engine_.realtime_queue().find("Sort dialogs")->min_update_period(), 0.5);
  frame_at(100.0);
  EXPECT_EQ(engine_.sorted_dialogs(), (std::vector<Dialog*>{&far, &middle, &near, &lost}));

  // Until the next sort a dialog hidden meanwhile stays listed.
  far.enable(false);
  near.enable(false);
  middle.enable(false);
  lost.enable(false);
  frame_at(100.4);
  EXPECT_EQ(engine_.sorted_dialogs().size(), 4u);
  frame_at(100.5);
  EXPECT_TRUE(engine_.sorted_dialogs().empty());
}

// ---- Texts

TEST_F(EngineDialogs, TextsChangeAtTheNextAdvanceOfTheRealTimeQueue) {
  frame_at(100.0);
  ButtonColumn d(0, -1);  // frees the text line set_text adds
  engine_.set_dialog_text(&d, "one");
  engine_.set_dialog_text(&d, "two");
  EXPECT_NE(engine_.realtime_queue().find("Set dlg text: 'one'"), nullptr);
  EXPECT_TRUE(d.text_frames().empty());
  TextFrame line("before");
  engine_.set_frame_text(&line, "after");
  engine_.set_frame_text(nullptr, "nowhere");
  EXPECT_EQ(line.text(), "before");

  OutputCapture capture;
  frame_at(100.0);  // the same time: they run all the same
  ASSERT_EQ(d.text_frames().size(), 1u);
  EXPECT_EQ(d.text_frames()[0]->text(), "two");
  EXPECT_EQ(line.text(), "after");
  EXPECT_EQ(capture.out(), "set_dialog_text()\nset_dialog_text()\n");
  EXPECT_EQ(engine_.realtime_queue().find("Set dlg text: 'two'"), nullptr);

  // Nothing for a null dialog or while quitting.
  engine_.set_dialog_text(nullptr, "three");
  engine_.quit(1);
  engine_.set_dialog_text(&d, "four");
  frame_at(100.1);
  EXPECT_EQ(d.text_frames()[0]->text(), "two");
  EXPECT_EQ(capture.out(), "set_dialog_text()\nset_dialog_text()\n");
}
