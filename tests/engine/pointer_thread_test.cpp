// The pointer thread: whole inputs in, whole poses out, while the main thread
// keeps publishing; the engine's use of it (started by the first shown-pointer
// motion, fed and read by the frame step, stopped and joined by shutdown and
// the destructor). Also run under ThreadSanitizer (make tsan).
#include "engine/pointer_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "engine/basic_engine.h"
#include "support/engine_frame.h"

using testing_support::EngineFrame;

namespace {

// Inputs that differ in every part: the view's position and heading and
// the mouse position.
PointerInputs inputs(float k) {
  PointerInputs in;
  in.mouse = {100.0f * k, 50.0f + k, 0.0f};
  in.width = 640;
  in.height = 480;
  in.fov = {60.0f, 45.0f};
  in.view.look_at(Vec3{k, 1.0f, 0.0f}, Vec3{k + std::sin(k), 1.0f, -std::cos(k)});
  in.up_axis = 1;
  return in;
}

bool same(const PointerPoses& a, const PointerPoses& b) {
  return a.pointer.position == b.pointer.position && a.pointer.rotation == b.pointer.rotation &&
         a.target.position == b.target.position && a.target.rotation == b.target.rotation;
}

PointerPose pose_of(const CoordinateSystem& cs) {
  return {cs.position(), cs.rotation()};
}

// Calls step until done answers true or two seconds have passed.
bool eventually(
    const std::function<bool()>& done, const std::function<void()>& step = [] {}) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < until) {
    step();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return false;
}

}  // namespace

TEST(PointerThread, HandsOverWholePosesOfWholeInputsWhileInputsChange) {
  const PointerPoses a = mouse_screen_pointer(inputs(0.5f));
  const PointerPoses b = mouse_screen_pointer(inputs(2.0f));
  ASSERT_FALSE(same(a, b));
  PointerThread thread;
  EXPECT_FALSE(thread.take());  // nothing published, nothing computed
  thread.publish(inputs(0.5f));
  ASSERT_TRUE(thread.start(0.0005));
  EXPECT_FALSE(thread.start(0.0005));  // once

  int seen_a = 0;
  int seen_b = 0;
  int mixed = 0;
  int n = 0;
  // The main thread keeps publishing one of two input sets; every pose taken
  // is one of the two answers, never a blend.
  ASSERT_TRUE(eventually([&] { return seen_a > 5 && seen_b > 5; },
                         [&] {
                           thread.publish(inputs(++n % 2 ? 2.0f : 0.5f));
                           if (const auto poses = thread.take()) {
                             if (same(*poses, a)) {
                               ++seen_a;
                             } else if (same(*poses, b)) {
                               ++seen_b;
                             } else {
                               ++mixed;
                             }
                           }
                         }));
  EXPECT_EQ(mixed, 0);
  thread.stop();
  EXPECT_TRUE(thread.stopping());
  EXPECT_FALSE(thread.start(0.0005));  // not again
}

TEST(PointerThread, PosesComputedHereOutdateTheThreadsOlderOnes) {
  PointerThread thread;
  thread.publish(inputs(1.0f));
  thread.start(0.0005);
  ASSERT_TRUE(eventually([&] { return thread.take().has_value(); }));
  thread.publish(inputs(2.0f));
  const std::uint64_t passes = thread.passes();
  ASSERT_TRUE(eventually([&] { return thread.passes() > passes + 1; }));
  thread.computed_here(inputs(3.0f));
  EXPECT_FALSE(thread.take());  // the result of inputs(2) came before
  // The thread's answers to inputs(3) are the ones computed here already.
  const std::uint64_t later = thread.passes();
  ASSERT_TRUE(eventually([&] { return thread.passes() > later + 1; }));
  EXPECT_FALSE(thread.take());
  thread.publish(inputs(4.0f));
  std::optional<PointerPoses> next;
  ASSERT_TRUE(eventually([&] { return (next = thread.take()).has_value(); }));
  EXPECT_TRUE(same(*next, mouse_screen_pointer(inputs(4.0f))));
}

TEST(PointerThread, EndsAfterItsPassesOrWhenStoppedAndCopiesStartIdle) {
  PointerThread counted;
  counted.start(0.0, 5);
  ASSERT_TRUE(eventually([&] { return counted.passes() == 5; }));
  counted.stop();
  EXPECT_EQ(counted.passes(), 5u);

  // A long period does not hold up the stop: the wait is woken.
  PointerThread slow;
  slow.start(3600.0);
  const PointerThread copy(slow);
  EXPECT_TRUE(slow.started());
  EXPECT_FALSE(copy.started());
  slow.stop();
  EXPECT_TRUE(slow.stopping());

  PointerThread never;
  never.stop();
  EXPECT_FALSE(never.start(0.1));
}

// ---- In the engine

namespace {

class EnginePointerThread : public EngineFrame {
 protected:
  void SetUp() override {
    EngineFrame::SetUp();
    engine_.window().set_resolution(1280, 720, false);
    engine_.mouse().hidden(false);  // the menu pointer is shown
    frame_at(100.0);
  }
  // Frames on until the pointer pose the frame handed over is the one the
  // current inputs give.
  bool frames_until_pointer_follows() {
    double t = now_;
    return eventually(
        [&] {
          const PointerPoses want = mouse_screen_pointer(engine_.pointer_inputs());
          return same({pose_of(engine_.mouse_pointer()), pose_of(engine_.pointer_target())}, want);
        },
        [&] { frame_at(t += 0.01); });
  }
};

}  // namespace

TEST_F(EnginePointerThread, TheFirstShownMotionStartsItAndFramesHandThePosesOver) {
  EXPECT_FALSE(engine_.pointer_thread().started());
  engine_.mouse_passive(300.0f, 200.0f, 0.0f);
  EXPECT_TRUE(engine_.pointer_thread().started());
  EXPECT_TRUE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
  engine_.mouse_passive(310.0f, 200.0f, 0.0f);
  EXPECT_EQ(engine_.pointer_coordsys().size(), 1u);
  ASSERT_TRUE(frames_until_pointer_follows());

  // The main thread moves the view and the mouse while the thread reads
  // them; each frame hands over a whole pose of one consistent set.
  for (int i = 0; i < 50; ++i) {
    engine_.mouse_look().coord_sys().rotate_global(2.0f, 0.0f, 1.0f, 0.0f);
    engine_.walking().position()[0] += 0.01f;
    engine_.mouse_look().coord_sys().position() = engine_.walking().position();
    engine_.mouse_passive(310.0f + float(i), 200.0f, 0.0f);
    frame_at(now_ + 0.01);
  }
  ASSERT_TRUE(frames_until_pointer_follows());

  // Hidden again, mouse look does not start another thread.
  engine_.mouse().hidden(true);
  engine_.mouse_passive(640.0f, 360.0f, 0.0f);
  EXPECT_FALSE(engine_.have_pointer_coordsys(&engine_.mouse_pointer()));
}

TEST_F(EnginePointerThread, ShutdownJoinsItForGood) {
  engine_.mouse_passive(300.0f, 200.0f, 0.0f);
  ASSERT_TRUE(engine_.pointer_thread().started());
  engine_.shutdown();
  EXPECT_TRUE(engine_.pointer_thread().stopping());
  const std::uint64_t passes = engine_.pointer_thread().passes();
  engine_.mouse_passive(400.0f, 200.0f, 0.0f);
  frame_at(100.5);
  EXPECT_EQ(engine_.pointer_thread().passes(), passes);
  // Placing the pointer on the main thread still works.
  engine_.update_mouse_screen_pointer();
  EXPECT_TRUE(same({pose_of(engine_.mouse_pointer()), pose_of(engine_.pointer_target())},
                   mouse_screen_pointer(engine_.pointer_inputs())));
}

TEST(EnginePointerThreadLifetime, TheDestructorJoinsARunningThread) {
  for (int i = 0; i < 3; ++i) {
    BasicEngine engine;
    engine.window().set_resolution(800, 600, false);
    engine.mouse_passive(10.0f * float(i + 1), 20.0f, 0.0f);
    ASSERT_TRUE(engine.pointer_thread().started());
    const BasicEngine copy(engine);  // a copy has no thread of its own
    EXPECT_FALSE(copy.pointer_thread().started());
  }
}
