// The input base without freeglut: the frame step on a clock the test sets,
// pause and menu rules, key and mouse entry points, hooks and overlay fades.
#include "input/glut_interface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Log = std::vector<std::string>;

namespace {

// Records what the input base calls.
class RecordingInput : public GLUTInterface {
 public:
  using GLUTInterface::GLUTInterface;

  Log log;
  std::vector<int> special_keys;

 protected:
  void idle_impl() override { log.push_back("idle_impl"); }
  void keyboard_impl(int key, int state, float, float, float) override {
    log.push_back("key " + std::to_string(key) + " " + std::to_string(state));
  }
  void joystick_impl(unsigned int, float, float, float) override {}
  void special_key_up_impl(int key, float, float, float) override { special_keys.push_back(key); }
};

class InputBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { input_.frame_clock(&clock_); }

  // One frame with the clock at t.
  void frame_at(double t) {
    now_ = t;
    input_.idle();
  }

  double now_ = 20.0;
  FrameClock clock_{[this] { return now_; }};
  RecordingInput input_;
};

// An event that stops at its next step.
struct Stopping {
  Event event{"stopping", 0.0, -1.0, nullptr, nullptr, nullptr, nullptr};
  explicit Stopping(EventQueue& q) {
    q.add(&event);
    event.clear();
  }
};

}  // namespace

TEST(InputBase, Defaults) {
  RecordingInput input;
  EXPECT_EQ(input.game_speed_steps(), 1u);
  EXPECT_FALSE(input.paused());
  EXPECT_TRUE(input.pause_allowed());
  EXPECT_FALSE(input.menu_enabled());
  EXPECT_EQ(input.mouse_timeout(), 0.5);
  EXPECT_EQ(input.keyboard_timeout(), 5.0);
  EXPECT_EQ(input.menu_look_delay(), 0.375);
  EXPECT_TRUE(input.warp_pointer());
  EXPECT_TRUE(input.get_ignore_repeat_keys());
  EXPECT_EQ(input.buffer_count(), 2);
  EXPECT_EQ(input.overlay_color(), (GLUTInterface::Color{0, 0, 0, 0}));
  EXPECT_EQ(input.monitor_color(), (GLUTInterface::Color{1, 1, 1, 1}));
  EXPECT_EQ(input.arrow_keys(), (GLUTInterface::ArrowKeys{{{100, 102}, {103, 101}}}));
  EXPECT_EQ(&input.frame_clock(), &FrameClock::steady());
  EXPECT_TRUE(input.Wrapper<kMouse>::owned());
  EXPECT_TRUE(input.Wrapper<Keyboard>::owned());
  input.game_speed_steps(0);
  EXPECT_EQ(input.game_speed_steps(), 1u);

  // Given devices are borrowed; a copy shares them, but owns a copy of its own ones.
  kMouse mouse;
  RecordingInput borrowing(&mouse, nullptr, nullptr);
  EXPECT_EQ(&borrowing.mouse(), &mouse);
  borrowing.keyboard().keyboard('q', 1);
  RecordingInput copy = borrowing;
  EXPECT_EQ(&copy.mouse(), &mouse);
  EXPECT_NE(&copy.keyboard(), &borrowing.keyboard());
  EXPECT_EQ(copy.keyboard().keys().at('q'), 1);
}

TEST_F(InputBaseTest, FrameStepRunsEachPartInOrder) {
  Log& log = input_.log;
  Event game(
      "game", 0.0, -1.0, nullptr, nullptr,
      [&](double) { log.push_back("game " + std::to_string(input_.game_time())); }, nullptr);
  Event real(
      "real", 0.0, -1.0, nullptr, nullptr, [&](double) { log.push_back("real"); }, nullptr);
  input_.gametime_queue().add(&game);
  input_.realtime_queue().add(&real);
  input_.idle_hook() = [&] { log.push_back("hook"); };
  // Each game sub-step removes at most the first finished event; the real
  // queue removes them all.
  input_.game_speed_steps(3);
  Stopping g1(input_.gametime_queue()), g2(input_.gametime_queue()), g3(input_.gametime_queue()),
      g4(input_.gametime_queue());
  Stopping r1(input_.realtime_queue()), r2(input_.realtime_queue());

  frame_at(20.0);
  EXPECT_EQ(input_.gametime_queue().events(), (std::list<Event*>{&game, &g4.event}));
  EXPECT_EQ(input_.realtime_queue().events(), (std::list<Event*>{&real}));
  frame_at(20.5);
  // The game event runs once a frame however many sub-steps: the queue's time
  // does not move between them.
  EXPECT_EQ(log, (Log{"game 0.000000", "real", "idle_impl", "hook", "game 0.500000", "real",
                      "idle_impl", "hook"}));
  EXPECT_EQ(input_.gametime_queue().events(), (std::list<Event*>{&game}));
  EXPECT_EQ(input_.gametime_queue().time(), 0.5);
  EXPECT_EQ(input_.real_time(), 0.5);
}

TEST_F(InputBaseTest, StepsAreTheClocksChangeInTheFrame) {
  const double frames[] = {20.0, 20.016, 20.032, 20.048};
  const double expected[] = {0.0, 0.016, 0.016, 0.016};
  for (std::size_t i = 0; i < std::size(frames); ++i) {
    frame_at(frames[i]);
    EXPECT_NEAR(input_.game_step(), expected[i], 1e-12) << "frame " << i;
    EXPECT_NEAR(input_.real_step(), expected[i], 1e-12) << "frame " << i;
  }
  EXPECT_EQ(input_.game_start(), 20.0);
  EXPECT_NEAR(input_.game_time(), 0.048, 1e-12);
  EXPECT_NEAR(input_.previous_game_time(), 0.032, 1e-12);
}

TEST_F(InputBaseTest, PauseHoldsTheGameClockAndRealTimeRunsOn) {
  frame_at(20.0);
  frame_at(21.0);
  input_.pause(true);
  EXPECT_EQ(input_.paused_game_time(), 1.0);
  frame_at(26.0);
  frame_at(31.0);
  EXPECT_EQ(input_.game_step(), 0.0);
  EXPECT_EQ(input_.game_time(), 1.0);
  EXPECT_EQ(input_.real_time(), 11.0);
  EXPECT_EQ(input_.real_step(), 5.0);
  input_.pause(true);  // unchanged
  now_ = 31.25;
  input_.unpause();
  frame_at(31.5);
  EXPECT_EQ(input_.game_time(), 1.25);
  EXPECT_EQ(input_.game_step(), 0.25);
  frame_at(32.0);
  EXPECT_EQ(input_.game_step(), 0.5);

  // Pausing needs permission; resuming does not.
  input_.pause(true);
  input_.pause_allowed(false);
  input_.pause(false);
  EXPECT_FALSE(input_.paused());
  input_.pause(true);
  EXPECT_FALSE(input_.paused());
}

TEST_F(InputBaseTest, AGameClockPausedFromTheStartBeginsAtItsResume) {
  input_.pause(true);
  frame_at(20.0);
  frame_at(25.0);
  EXPECT_EQ(input_.game_start(), 0.0);
  EXPECT_EQ(input_.game_time(), 0.0);
  now_ = 30.0;
  input_.pause(false);
  frame_at(30.0);
  EXPECT_EQ(input_.game_time(), 0.0);
  frame_at(30.5);
  EXPECT_EQ(input_.game_time(), 0.5);
  EXPECT_EQ(input_.game_step(), 0.5);
}

TEST_F(InputBaseTest, MenuOpensOnlyWhilePausingIsAllowed) {
  std::vector<bool> calls;
  input_.menu_hook() = [&](bool on) { calls.push_back(on); };
  frame_at(20.0);
  frame_at(22.0);
  input_.set_menu(true);
  EXPECT_TRUE(input_.menu_enabled());
  input_.set_menu(true);  // no change: no call
  EXPECT_EQ(calls, std::vector<bool>{true});

  input_.pause_allowed(false);
  input_.set_menu(true);  // refused: the menu closes and the time is stamped
  EXPECT_FALSE(input_.menu_enabled());
  EXPECT_EQ(input_.menu_closed_time(), 2.0);
  EXPECT_EQ(calls, (std::vector<bool>{true, false}));
  EXPECT_FALSE(input_.toggle_menu());

  // enable_menu and disable_menu store what they are given and always call.
  input_.enable_menu(true);
  input_.disable_menu(true);
  EXPECT_TRUE(input_.menu_enabled());
  EXPECT_EQ(calls, (std::vector<bool>{true, false, true, true}));

  // toggle_menu answers the state after the hook.
  input_.pause_allowed(true);
  input_.set_menu(false);
  input_.menu_hook() = [&](bool on) {
    if (!on) input_.set_menu(true);
  };
  input_.set_menu(true);
  EXPECT_TRUE(input_.toggle_menu());
}

TEST_F(InputBaseTest, InputRecencyCountsInRealTime) {
  frame_at(20.0);
  frame_at(21.0);
  input_.keyboard_callback('a', 1, 0, 0, 0);
  input_.mouse_button(0, 0, 0, 0, 0);
  EXPECT_EQ(input_.last_key_time(), 1.0);
  EXPECT_EQ(input_.last_mouse_time(), 1.0);
  frame_at(21.4);
  EXPECT_TRUE(input_.mouse_input());
  frame_at(21.5);
  EXPECT_FALSE(input_.mouse_input());
  frame_at(25.9);
  EXPECT_TRUE(input_.keyboard_input());
  frame_at(26.0);
  EXPECT_FALSE(input_.keyboard_input());

  // Arrow keys stamp their own time, other special keys do not.
  EXPECT_EQ(input_.last_arrow_key_time(), 0.0);
  input_.special_key(116, 1, 0, 0, 0);
  EXPECT_EQ(input_.last_arrow_key_time(), 0.0);
  input_.special_key(101, 1, 0, 0, 0);
  EXPECT_EQ(input_.last_arrow_key_time(), 6.0);
  frame_at(27.5);
  EXPECT_TRUE(input_.arrow_keys_active(2.0));
  EXPECT_FALSE(input_.arrow_keys_active(1.5));
  input_.special_key_up(100, 0, 0, 0);
  EXPECT_EQ(input_.last_arrow_key_time(), 7.5);
}

TEST_F(InputBaseTest, KeysAreRecordedAndPassedOn) {
  input_.keyboard_callback('w', 1, 0, 0, 0);
  EXPECT_EQ(input_.keyboard().keys().at('w'), 1);
  input_.key_intercept() = [&](int, int, float, float, float) {
    input_.log.push_back("intercept");
  };
  input_.keyboard_callback('w', 0, 0, 0, 0);  // the intercept takes only special keys
  EXPECT_EQ(input_.keyboard().keys().at('w'), 0);
  EXPECT_EQ(input_.log, (Log{"key 119 1", "key 119 0"}));
  EXPECT_EQ(input_.keyboard().modifiers(), (Keyboard::States{{1, 0}, {2, 0}, {4, 0}}));
}

TEST_F(InputBaseTest, SpecialKeysReachTheHandlerOrTheIntercept) {
  // Without an intercept: a press and a release both reach the handler.
  input_.special_key(102, 1, 0, 0, 0);
  EXPECT_EQ(input_.keyboard().special_keys().at(102), 1);
  input_.special_key(102, 0, 0, 0, 0);  // a state other than 1 is recorded only
  input_.special_key_up(102, 0, 0, 0);
  EXPECT_EQ(input_.keyboard().special_keys().at(102), 0);
  input_.special_key_down(100, 0, 0, 0);  // recorded, no handler
  EXPECT_EQ(input_.keyboard().special_keys().at(100), 1);
  EXPECT_EQ(input_.special_keys, (std::vector<int>{102, 102}));

  // With an intercept: it takes presses and releases instead of the handler,
  // and the key states still follow the keys, so Alt is not left held.
  std::vector<std::pair<int, int>> intercepted;
  input_.key_intercept() = [&](int key, int state, float, float, float) {
    intercepted.emplace_back(key, state);
  };
  input_.special_key(116, 1, 0, 0, 0);
  EXPECT_TRUE(input_.any_alt_key());
  input_.special_key_up(116, 0, 0, 0);
  EXPECT_FALSE(input_.any_alt_key());
  input_.special_key_down(117, 0, 0, 0);
  EXPECT_TRUE(input_.any_alt_key());
  input_.special_key_up(117, 0, 0, 0);
  EXPECT_FALSE(input_.any_alt_key());
  EXPECT_EQ(intercepted,
            (std::vector<std::pair<int, int>>{{116, 1}, {116, 0}, {117, 1}, {117, 0}}));
  EXPECT_EQ(input_.special_keys.size(), 2u);
}

TEST_F(InputBaseTest, HooksReceiveTheirEvents) {
  frame_at(20.0);
  frame_at(23.0);
  std::vector<float> mouse_args;
  input_.mouse_button_hook() = [&](int button, int state, float x, float y, float z) {
    mouse_args = {float(button), float(state), x, y, z};
  };
  unsigned int buttons = 0;
  input_.joystick_hook() = [&](unsigned int b, float, float, float) { buttons = b; };
  int closes = 0, shutdowns = 0;
  input_.close_gl_hook() = [&] { ++closes; };
  input_.shutdown_hook() = [&] { ++shutdowns; };

  input_.mouse_button(2, 0, 10, 20, 0);
  input_.joystick_callback(0x1000, 0, 0, 0);
  input_.close_gl();
  input_.shutdown();  // no freeglut loop to leave here
  EXPECT_EQ(mouse_args, (std::vector<float>{2, 0, 10, 20, 0}));
  EXPECT_EQ(buttons, 0x1000u);
  EXPECT_EQ(input_.last_gamepad_time(), 3.0);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(shutdowns, 1);

  // Empty hooks are skipped.
  RecordingInput bare;
  bare.mouse_button(0, 0, 0, 0, 0);
  bare.joystick_callback(1, 0, 0, 0);
  bare.close_gl();
  bare.shutdown();
  bare.set_menu(true);
}

TEST(InputBase, ArrowKeyDirections) {
  using V = std::array<float, 3>;
  EXPECT_EQ(GLUTInterface::arrow_key_direction(100), (V{-1, 0, 0}));
  EXPECT_EQ(GLUTInterface::arrow_key_direction(102), (V{1, 0, 0}));
  EXPECT_EQ(GLUTInterface::arrow_key_direction(103), (V{0, -1, 0}));
  EXPECT_EQ(GLUTInterface::arrow_key_direction(101), (V{0, 1, 0}));
  EXPECT_EQ(GLUTInterface::arrow_key_direction(104), (V{0, 0, 0}));
}

TEST_F(InputBaseTest, FadesMoveTheOverlayOnTheRealTimeQueue) {
  frame_at(20.0);
  frame_at(21.0);
  const std::array<Event*, 2> fades = input_.fade_out_in(0.5, 1.0, 2.0);
  ASSERT_EQ(input_.realtime_queue().events().size(), 2u);
  EXPECT_EQ(fades[0]->name(), "Fade overlay alpha");
  EXPECT_EQ(fades[0]->epochs(), (std::array<double, 2>{3.0, 3.5}));
  EXPECT_EQ(fades[1]->epochs(), (std::array<double, 2>{3.5, 4.5}));

  frame_at(23.25);
  EXPECT_EQ(input_.overlay_color()[3], 0.5f);  // half way up
  frame_at(23.5);
  EXPECT_EQ(input_.overlay_color()[3], 1.0f);
  EXPECT_EQ(input_.realtime_queue().events().size(), 1u);  // the first one ended and was freed
  frame_at(24.0);
  EXPECT_EQ(input_.overlay_color()[3], 0.5f);
  frame_at(25.0);
  EXPECT_EQ(input_.overlay_color()[3], 0.0f);
  EXPECT_TRUE(input_.realtime_queue().events().empty());

  // The colour fade takes all four components from where they are.
  input_.overlay_color() = {1, 0, 0, 1};
  Event* colour = input_.fade_overlay(1.0, {0, 0, 1, 0.5f}, 0.0);
  EXPECT_EQ(colour->name(), "Fade overlay");
  frame_at(26.0);
  frame_at(27.0);
  EXPECT_EQ(input_.overlay_color(), (GLUTInterface::Color{0, 0, 1, 0.5f}));

  input_.fade_out(1.0, 0.0);
  frame_at(28.0);
  EXPECT_EQ(input_.overlay_color()[3], 1.0f);
  input_.fade_in(1.0, 0.0);
  frame_at(29.0);
  EXPECT_EQ(input_.overlay_color()[3], 0.0f);
  // A fade still queued when the interface goes is freed with its queue.
  input_.fade_in(5.0, 10.0);
}
