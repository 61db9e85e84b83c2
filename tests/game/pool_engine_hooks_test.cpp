// The game's functions in the engine's hooks, driven through the engine's
// own entry points without a window.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/app/pool_engine.h"
#include "support/data_root.h"

namespace {

class PoolEngineHooks : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<PoolEngine>();
    engine_->install_callbacks();
    engine_->arrow_key_hook() = [this](int key) { arrow_keys_.push_back(key); };
  }

  // A camera animation of the shot running on the game-time queue.
  void start_camera_event(const std::string& name) {
    engine_->gametime_queue().adopt(
        std::make_unique<Event>(name, 0.0, -1.0, nullptr, nullptr, nullptr, nullptr));
  }

  testing_support::TempDataRoot root_;
  std::unique_ptr<PoolEngine> engine_;
  std::vector<int> arrow_keys_;
};

TEST_F(PoolEngineHooks, ArrowsActOnThePressOnly) {
  engine_->special_key(100, 1, 0, 0, 0);
  engine_->special_key_up(100, 0, 0, 0);
  engine_->special_key(103, 1, 0, 0, 0);
  EXPECT_EQ(arrow_keys_, (std::vector<int>{100, 103}));
  // The key states are still recorded under the intercept.
  EXPECT_EQ(engine_->keyboard().special_keys().at(103), 1);
  EXPECT_EQ(engine_->keyboard().special_keys().at(100), 0);
}

TEST_F(PoolEngineHooks, PlayerInputEndsTheShotCameraOutsideAHeadset) {
  const struct {
    bool recent_input;
    bool headset;
    bool stopped;
  } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.recent_input << c.headset);
    SetUp();
    for (const std::string& name : engine_->camera_event_names) start_camera_event(name);
    engine_->realtime_queue().update(100.0);
    engine_->last_key_time(c.recent_input ? 99.0 : 0.0);
    engine_->hmd_control(c.headset);
    engine_->walking_hook()();
    // A stopped event runs its stop at the queue's next advance and leaves.
    engine_->gametime_queue().update(1.0);
    engine_->gametime_queue().flush();
    for (const std::string& name : engine_->camera_event_names)
      EXPECT_EQ(engine_->gametime_queue().find(name) == nullptr, c.stopped) << name;
  }
}

TEST_F(PoolEngineHooks, TheMenuPausesTheGameWhenMenusAreAllowed) {
  engine_->set_menu(true);
  EXPECT_TRUE(engine_->paused());
  engine_->set_menu(false);
  EXPECT_FALSE(engine_->paused());

  engine_->pause_allowed(false);
  engine_->enable_menu(true);
  EXPECT_FALSE(engine_->paused());
}

}  // namespace
