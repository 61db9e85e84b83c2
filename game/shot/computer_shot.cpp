// PoolEngine: the start of a turn, the computer's choice of shot and the
// cue's animations on the game-time queue: the glide into the aiming pose,
// the mark of the aim and the stroke.
#include <algorithm>
#include <cmath>
#include <memory>

#include "core/bezier_fader.h"
#include "game/app/pool_engine.h"

namespace {

// The computer looks for a shot with the path test and cuts below this.
constexpr float kComputerCutLimit = 45.0f;
// The stroke's reach: (power x kReachScale)^3, at most kMaxReach; the
// default power 0.6 reaches the most.
constexpr float kReachScale = 1.6666666f;
constexpr float kMaxReach = 0.6f;
// How far beyond the cue ball's far side the thrust carries the tip at the
// least, so that the aiming update sees it come out there.
constexpr float kThrustSpare = 0.01f;

// Whether an event of that name has started and not stopped. Looks at every
// entry: a stopped one may still be listed before a running one.
bool running(const EventQueue& queue, const char* name) {
  for (const Event* e : queue.events())
    if (e && e->name() == name && e->active()) return true;
  return false;
}

// Whether an event of that name is listed and has not stopped yet.
bool waiting_or_running(const EventQueue& queue, const char* name) {
  for (const Event* e : queue.events())
    if (e && e->name() == name && !e->stop_called()) return true;
  return false;
}

// Whether a glide of the cue is queued or running.
bool gliding(const EventQueue& queue) {
  return waiting_or_running(queue, PoolEngine::kGlideEvents[0]) ||
         waiting_or_running(queue, PoolEngine::kGlideEvents[1]);
}

void erase_all(EventQueue& queue, const char* name) {
  while (queue.contains(name)) queue.erase(name);
}

bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

}  // namespace

bool PoolEngine::cue_animation_running() const {
  return running(gametime_queue(), kGlideEvents[0]) || running(gametime_queue(), kGlideEvents[1]);
}

bool PoolEngine::stroke_pending() const {
  return running(gametime_queue(), kStrokeEvent);
}

bool PoolEngine::stroke_coming() const {
  return gametime_queue().contains(kShootRequestEvent) || stroke_pending();
}

bool PoolEngine::aim_marked() const {
  return rules && aim_shot_number != kNoAim && aim_shot_number >= rules->shot_number();
}

bool PoolEngine::aim_settling() const {
  const EventQueue& queue = gametime_queue();
  return gliding(queue) || waiting_or_running(queue, kAlignMarkEvent);
}

void PoolEngine::start_turn() {
  if (!rules) return;
  GameRules& game = *rules;
  // A won game has no turn to play, only the menus: after "No" to "Play
  // again?" a computer that won would otherwise aim and strike on, and ask
  // again.
  if (game.has_winner()) {
    allow_pausing();
    return;
  }
  if (game.shot_in_progress) {
    if (game.block_strike_while_running) {
      allow_pausing();
      return;
    }
    if (selected_ball_object() && selected_pocket_object()) align_shot(true);
    return;
  }
  const auto free_cue_ball = [this] {
    if (!cue_ball || pocket_holding(cue_ball->position) < 0) return false;
    cue_ball->position = random_ball_position(cue_ball->radius);
    cue_ball->velocity = {0.0f, 0.0f, 0.0f};
    cue_ball->angular_velocity = {0.0f, 0.0f, 0.0f};
    return true;
  };
  if (!game.current_player().computer) {
    allow_pausing();
    if (shot_wizard.current_step_index() == 0 && free_cue_ball()) menus.ball_in_hand();
    return;
  }
  // The glide of this turn (queued or running) and its mark come first.
  if (aim_settling() || stroke_pending()) return;
  free_cue_ball();
  // Once the glide of this shot has ended and its aim is marked, the stroke
  // follows on that aim: choosing again would start a second glide, with a
  // new aim error, under the stroke.
  const bool aimed = aim_marked() && selected_ball_object() && selected_pocket_object();
  if (!aimed) {
    const ShotChoice choice =
        game.choose_shot(game.current, balls, table.pockets, 0, true, kComputerCutLimit);
    selected_ball = choice.first;
    selected_pocket = choice.second;
    align_shot(false);
  }
  // A glide just queued has not started yet: the stroke waits for its end
  // and its mark.
  if (aim_settling()) return;
  EventQueue& queue = gametime_queue();
  if (aim_marked()) {
    start_stroke_animation();
  } else {
    queue.clear(kStrokeEvent);
    queue.flush(0, false);
  }
}

void PoolEngine::align_shot(bool restart) {
  const Ball* ball = selected_ball_object();
  const Pocket* pocket = selected_pocket_object();
  if (!ball || !pocket || !cue_ball) return;
  EventQueue& queue = gametime_queue();
  // Replaced animations are taken out without their stop, which would write
  // their end pose over the new one.
  if (cue_animation_running()) {
    if (!restart) return;
    for (const char* name : kGlideEvents) erase_all(queue, name);
  }
  if (stroke_pending()) {
    if (!restart) return;
    erase_all(queue, kStrokeEvent);
  }
  const Vec3 d = normalized(pocket->position - ball->position);
  const bool free_running = rules && rules->shot_in_progress && !rules->block_strike_while_running;
  const double duration = free_running ? align_duration_running_shot : align_duration;
  ghost_point = ball->position - d * ((ball->radius + cue_ball->radius) * ghost_factor);
  if (rules && rules->block_strike_while_running) {
    cue_ball->enable_update(false);
    cue_ball->velocity = {0.0f, 0.0f, 0.0f};
    cue_ball->angular_velocity = {0.0f, 0.0f, 0.0f};
  }
  Vec3 from = cue_ball->position;
  Vec3 to = ghost_point;
  if (rules && rules->current_player().computer) {
    const std::pair<Vec3, Vec3> aim = difficulty.aim_direction(from, to);
    from = aim.first;
    to = aim.second;
  }
  animate_cue_to_aim(from, to, restart, duration);
  queue.adopt(std::make_unique<Event>(
      kAlignMarkEvent, queue.time() + duration, 0.0, nullptr, nullptr,
      [this](double) {
        if (rules) aim_shot_number = rules->shot_number();
      },
      nullptr));
  // The shot is watched from above the cue's back end in the aiming pose.
  camera_point = target_b;
  computer_shot_camera(&queue, moving_balls_centre(nullptr, false),
                       camera_duration_factor * duration);
}

void PoolEngine::animate_cue_to_aim(const Vec3& from, const Vec3& to, bool restart,
                                    double duration) {
  if (!restart && cue_animation_running()) return;
  for (Vec3* end : {&cue.end_a, &cue.end_b})
    for (float& c : *end)
      if (!std::isfinite(c)) c = 0.0f;
  const Vec3 u = normalized(to - from);
  // Coincident points give no line to aim along.
  if (!finite(u)) return;
  target_a = from;
  target_b = from - u;
  EventQueue& queue = gametime_queue();
  for (const char* name : kGlideEvents) erase_all(queue, name);
  if (!(duration > 0.0)) {
    cue.end_a = target_a;
    cue.end_b = target_b;
    return;
  }
  const double now = queue.time();
  queue.adopt(std::make_unique<BezierFaderBuffered<float>>(
      3, cue.end_a.data(), cue.end_a.data(), target_a.data(), now, duration, kGlideEvents[0]));
  queue.adopt(std::make_unique<BezierFaderBuffered<float>>(
      3, cue.end_b.data(), cue.end_b.data(), target_b.data(), now, duration, kGlideEvents[1]));
}

void PoolEngine::start_stroke_animation() {
  if (gliding(gametime_queue())) return;
  shot_wizard.set_step(kWizardSteps[3]);
  const Vec3 u = normalized(cue.end_a - cue.end_b);
  if (!finite(u)) return;
  const float power = shot_power();
  const float reach = std::min(std::pow(std::abs(power * kReachScale), 3.0f), kMaxReach);
  const Vec3 start = cue.end_b;
  const Vec3 back = start - u * (0.5f * reach);
  const Vec3 thrust = u * power;

  // The back end leaves with the thrust (scaled by the tangent scale) and
  // ends drawn back by half the reach. The curve's point at a third of the
  // stroke is (4/9) k power - (7/54) reach ahead of the start (k the tangent
  // scale); k is the stroke's duration unless a weak power needs more to
  // carry the tip out through the far side of the cue ball.
  double scale = cue.stroke_duration;
  if (cue_ball && power > 0.0f) {
    const Vec3 tip = start + u * cue.length;
    const float far_side = dot(cue_ball->position - tip, u) + cue_ball->radius + kThrustSpare;
    const double needed = (double(far_side) + 7.0 / 54.0 * reach) * 9.0 / (4.0 * power);
    if (std::isfinite(needed)) scale = std::max(scale, needed);
  }
  EventQueue& queue = gametime_queue();
  queue
      .adopt(std::make_unique<BezierFaderBuffered<float>>(3, cue.end_b.data(), start.data(),
                                                          back.data(), thrust.data(), nullptr,
                                                          scale, queue.time(), cue.stroke_duration))
      ->rename(kStrokeEvent);
}

void PoolEngine::shoot_after_cue_animation() {
  EventQueue& queue = gametime_queue();
  if (waiting_or_running(queue, kShootRequestEvent)) return;
  // Polls every step until no glide runs (and a computer's aim is marked for
  // this shot), starts the stroke once and stops.
  queue.adopt(std::make_unique<Event>(
      kShootRequestEvent, queue.time(), -1.0, nullptr, nullptr,
      [this, done = false](double) mutable {
        if (done || aim_settling()) return;
        if (!computer_may_strike()) return;
        done = true;
        start_stroke_animation();
        gametime_queue().clear(kShootRequestEvent);
      },
      nullptr));
}
