// The balls' number labels without a window: what a rack lends each ball, a
// sunk ball's number floating above it until it is back in play, and racks
// one after another that reuse the engine's labels (the sanitizers watch for
// a label freed while the engine still reads it, or never freed); and the
// cue stick's hidden name tag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/app/pool_engine.h"
#include "support/pool_balls.h"
#include "ui/dialog.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

constexpr double kFrame = 1.0 / 60.0;

std::string line(const Dialog* d) {
  const std::vector<const TextFrame*> lines = d->text_frames();
  return lines.empty() ? std::string("<none>") : lines.front()->text();
}

std::size_t registrations(const PoolEngine& engine, const Dialog* d) {
  return static_cast<std::size_t>(std::count(engine.dialogs().begin(), engine.dialogs().end(), d));
}

std::size_t events_named(const EventQueue& queue, const std::string& name) {
  return static_cast<std::size_t>(
      std::count_if(queue.events().begin(), queue.events().end(),
                    [&](const Event* e) { return e && e->name() == name; }));
}

// A game engine with its box and wizard, two computer players, no sound,
// and the game-time queue driven frame by frame.
class BallLabels : public ::testing::Test {
 protected:
  BallLabels() {
    engine.table.build_geometry();
    engine.init_shot_wizard();
    engine.eight_ball.init_players(2, 2);
    engine.update_listener = [] {};
  }

  void run(double seconds) {
    for (double t = 0.0; t < seconds; t += kFrame) {
      now += kFrame;
      engine.gametime_queue().update(now, -1);
    }
  }

  // Ball i rolled into pocket k as a shot sinks it.
  void sink(int i, std::size_t k) {
    Ball& b = engine.balls[static_cast<std::size_t>(i)];
    const Pocket& pocket = engine.table.pockets[k];
    b.position = pocket.position * 0.9f;
    b.velocity = pocket.position * 0.1f;
    engine.rules->shot_in_progress = true;
    engine.ball_sunk(i, static_cast<int>(k));
  }

  PoolEngine engine;
  double now = 0.0;
};

}  // namespace

TEST_F(BallLabels, ARackLendsEachBallTheHiddenLabelOfItsIndex) {
  engine.new_rack();
  ASSERT_EQ(engine.balls.size(), 16u);
  std::vector<const Dialog*> seen;
  for (std::size_t i = 0; i < engine.balls.size(); ++i) {
    SCOPED_TRACE(i);
    const Dialog* label = engine.balls[i].label;
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label, engine.ball_label(i));
    EXPECT_EQ(std::count(seen.begin(), seen.end(), label), 0);
    seen.push_back(label);
    EXPECT_EQ(registrations(engine, label), 1u);
    EXPECT_FALSE(label->enabled());
    EXPECT_EQ(label->follow_player(), 0);
    ASSERT_EQ(label->text_frames().size(), 1u);
    EXPECT_EQ(line(label), "Ball");
    const TextFrame* text = label->text_frames().front();
    EXPECT_FLOAT_EQ(text->text_size(), 0.04f);
    EXPECT_EQ(text->selectable(), 0);
    EXPECT_EQ(text->bg_color()[3], 0.0f);
    EXPECT_EQ(label->frame().bg_color()[3], 0.0f);
  }
}

TEST_F(BallLabels, ASunkBallShowsItsNumberAboveItUntilItIsBackInPlay) {
  testing_support::place_balls(engine, {{0, {-0.5f, 0, 0}}, {5, {0, 0, 0}}, {6, {0.1f, 0, 0}}});
  engine.clear_sink_events();
  sink(5, 0);
  Dialog* label = engine.balls[5].label;
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->enabled());
  EXPECT_EQ(line(label), "5");
  EXPECT_TRUE(engine.gametime_queue().contains(label_event_name(5)));

  // It follows the glide and stays over the ball where it settles.
  const Vec3 above{0.0f, PoolEngine::kLabelHeight, 0.0f};
  for (const double span : {0.3, 0.5, 1.0}) {
    run(span);
    const Vec3 want = engine.balls[5].position + above;
    for (int a = 0; a < 3; ++a)
      EXPECT_FLOAT_EQ(label->frame().coord_sys().position()[a], want[a]) << span << " s, " << a;
  }
  // A second sink into another pocket shows the same label under one event.
  engine.balls[6].enable_update(true);
  sink(6, 3);
  EXPECT_EQ(line(engine.balls[6].label), "6");
  EXPECT_EQ(events_named(engine.gametime_queue(), label_event_name(5)), 1u);

  // Back in play: the label goes at the next step, and its event with it.
  engine.balls[5].enable_update(true);
  run(2 * kFrame);
  EXPECT_FALSE(label->enabled());
  EXPECT_FALSE(engine.gametime_queue().contains(label_event_name(5)));
  EXPECT_TRUE(engine.balls[6].label->enabled());
}

TEST_F(BallLabels, TheCueBallShowsNoLabel) {
  testing_support::place_balls(engine, {{0, {0, 0, 0}}, {1, {0.3f, 0, 0}}});
  sink(0, 2);
  EXPECT_FALSE(engine.balls[0].label->enabled());
  EXPECT_FALSE(engine.gametime_queue().contains(label_event_name(0)));
}

TEST_F(BallLabels, RacksInARowReuseTheLabelsAndHideThem) {
  engine.new_game(0, 2);
  const std::size_t dialogs = engine.dialogs().size();
  const std::size_t orient_events = events_named(engine.realtime_queue(), "auto orient");
  std::vector<Dialog*> labels;
  for (const Ball& b : engine.balls) labels.push_back(b.label);

  for (int rack = 0; rack < 3; ++rack) {
    SCOPED_TRACE(rack);
    sink(3 + rack, 1);
    sink(9 + rack, 4);
    run(0.4);
    ASSERT_TRUE(engine.balls[static_cast<std::size_t>(3 + rack)].label->enabled());
    engine.new_game(0, 2);
    run(0.2);
    EXPECT_EQ(engine.dialogs().size(), dialogs);
    EXPECT_EQ(events_named(engine.realtime_queue(), "auto orient"), orient_events);
    for (std::size_t i = 0; i < engine.balls.size(); ++i) {
      EXPECT_EQ(engine.balls[i].label, labels[i]) << i;
      EXPECT_EQ(registrations(engine, labels[i]), 1u) << i;
      EXPECT_FALSE(labels[i]->enabled()) << i;
      EXPECT_EQ(line(labels[i]), "Ball") << i;
      EXPECT_FALSE(engine.gametime_queue().contains(label_event_name(i))) << i;
    }
  }
}

TEST_F(BallLabels, AShorterRackHidesTheLabelsOfTheBallsItDropped) {
  testing_support::place_balls(engine, {{0, {-0.5f, 0, 0}}, {14, {0, 0, 0}}});
  sink(14, 5);
  ASSERT_TRUE(engine.ball_label(14)->enabled());
  engine.balls.resize(4);
  engine.clear_sink_events();
  EXPECT_FALSE(engine.ball_label(14)->enabled());
  run(0.5);
}

TEST(BallLabelsEnd, AnEngineWithSunkBallsFreesItsLabelsAndNothingReadsThemAfterwards) {
  // Only the game's own registrations remain for the real-time queue to
  // reach while the engine goes: AddressSanitizer reports a label read
  // after it was freed, and the label's memory is freed once the engine is.
  auto engine = std::make_unique<PoolEngine>();
  engine->table.build_geometry();
  engine->init_shot_wizard();
  engine->update_listener = [] {};
  engine->new_game(0, 2);
  Ball& b = engine->balls[7];
  b.position = engine->table.pockets[6].position * 0.9f;
  engine->rules->shot_in_progress = true;
  engine->ball_sunk(7, 6);
  engine->gametime_queue().update(0.1, -1);
  engine->realtime_queue().update(0.1);
  const Dialog* label = b.label;
  EXPECT_TRUE(label->enabled());
  engine.reset();
#if defined(__SANITIZE_ADDRESS__)
  EXPECT_TRUE(__asan_address_is_poisoned(label)) << "the label outlived its engine";
#endif
}

TEST(CueStickLabel, InitGivesTheCueAHiddenNameTagOnce) {
  EventQueue queue;
  CueStick cue(
      nullptr, [] { return 0.0; }, &queue);
  EXPECT_EQ(cue.label->frame().queue(), &queue);
  for (int run = 0; run < 2; ++run) {
    cue.init();
    ASSERT_EQ(cue.label->text_frames().size(), 1u);
    EXPECT_EQ(line(cue.label.get()), "Cue stick");
    EXPECT_FLOAT_EQ(cue.label->frame().text_size(), 0.04f);
    EXPECT_EQ(cue.label->follow_player(), 0);
    EXPECT_FALSE(cue.label->enabled());
  }
}
