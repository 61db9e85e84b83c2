// PoolEngine: the per-frame aiming update and the strike of the cue ball.
#include <cmath>

#include "core/intersections.h"
#include "game/app/pool_engine.h"

namespace {

// Seconds of real time after a VR player placed the cue ball before aiming.
constexpr double kPlacedWait = 1.0;

bool zero(const Vec3& v) {
  return v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f;
}

}  // namespace

int PoolEngine::update_aim() {
  if (balls.empty() || !cue_ball || is_ball_in_hand()) return 1;
  if (placed_time > 0.0 && real_time() - placed_time < kPlacedWait) return 1;
  const bool computer = rules && rules->current_player().computer;
  if (!positional_control(1) || computer) {
    // The cue's pose follows its ends, which the glide and the stroke move.
    cue.set_pose(nullptr, nullptr, cue_ball->position.data(), false);
    if (!shot_wizard.active() || zero(cue.tip_velocity(0.0))) return 1;
  }
  if (aim_pause_start > 0.0 && aim_pause_length > 0.0 &&
      real_time() - aim_pause_start < aim_pause_length)
    return 1;
  const Vec3 v = cue.tip_velocity(0.0);
  if (zero(v)) return 1;
  if (!(dot(v, cue.coord_sys().zhat_array(false)) > 0.0f)) return 1;
  if (!can_shoot()) return 1;
  const Vec3 p = cue.tip_buffer.latest();
  return strike_cue_ball(p.data(), v.data(), p.data());
}

int PoolEngine::strike_cue_ball(const float* tip, const float* velocity,
                                const float* previous_tip) {
  if (!can_shoot()) return -1;
  if (rules && rules->current_player().computer && !computer_may_strike()) return -10;
  if (!aim_guide.hit && !guide_hit) return -11;
  if (!cue_ball) return -1;
  Ball& cue = *cue_ball;

  const Vec3 p = to_vec3(tip);
  const Vec3 v = to_vec3(velocity);
  const float s = norm(v);
  const Vec3 u = dot(v, v) == 1.0f ? v : v / s;
  if (positional_control(1) && !(s > min_strike_speed)) return -6;
  // A zero or broken velocity points nowhere: there is no line to cast back.
  if (!(s > 0.0f) || !std::isfinite(s)) return -2;
  if (rules && !(rules->shot_in_progress && rules->block_strike_while_running)) {
    cue.velocity = {0.0f, 0.0f, 0.0f};
    cue.angular_velocity = {0.0f, 0.0f, 0.0f};
  }

  // Where the tip met the ball: back from the tip along its path.
  const Vec3& c = cue.position;
  const float r = cue.radius;
  const bool inside = !(norm(p - c) > r);
  const Vec3 back = u * -1.0f;
  int status = 0;
  const float t = ray_sphere_intersection(p.data(), back.data(), c.data(), &status, r, inside);
  if (status != 0) return -2;
  if (t < 0.0f) return -11;
  if (inside && t > norm(p - to_vec3(previous_tip))) return -101;
  const Vec3 q = p - u * t;
  const Vec3 n = c - q;
  const Vec3 n_hat = n / norm(n);
  const float f = dot(v, n_hat);
  if (f < 0.0f) return -3;

  aim_guide.hit = false;
  const Vec3 w0 = cue.velocity;
  if (rules) {
    GameRules& game = *rules;
    // All bits set: no stroke yet in this game.
    constexpr std::uint64_t kNone = ~std::uint64_t(0);
    if (game.turn_count == kNone) game.turn_count = 0;
    if (game.shot_count == kNone) game.shot_count = 0;
    game.events.clear();
    game.ball_in_hand = false;
    game.shot_in_progress = true;
  }
  shot_start_time = gametime_queue().time();
  aim_guide.hit = false;
  shot_wizard.finish();

  // The blow at the contact's offset from the centre sets the spin.
  cue.angular_velocity = cross(q - c, v - w0);
  cue.velocity = n_hat * f;
  cue.enable_update(true);

  shot_speed = s;
  for (Ball& b : balls) b.selected = 0;
  if (update_listener) update_listener();
  cue.coord_sys().position() = cue.position;
  audio.play_impact(ImpactKind::kCueHit, &cue.coord_sys(), norm(cue.velocity));

  selected_ball = -1;
  selected_pocket = -1;
  return 0;
}
