// BasicEngine: timed camera moves (a walk and a turn toward a point), the
// comfortable fixed turn, the follow animation, the look-at update function
// and the collision guard of a body against a voxel model.
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

#include "core/bezier_fader.h"
#include "core/phys_obj.h"
#include "engine/basic_engine.h"
#include "models/collision_partition.h"

namespace {

using Vec = CameraMoves::Vec;

// The unit vector of an up axis; y for one outside 0..2.
Vec up_vector(int axis) {
  Vec up{0.0f, 0.0f, 0.0f};
  up[axis >= 0 && axis <= 2 ? axis : 1] = 1.0f;
  return up;
}

// The cubic from p0 with tangent t0 to p3 with tangent t1, tangents scaled
// by k, at s.
Vec cubic(const Vec& p0, const std::optional<Vec>& t0, const Vec& p3, const std::optional<Vec>& t1,
          double k, double s) {
  Vec out{};
  const double u = 1.0 - s;
  for (std::size_t i = 0; i < 3; ++i) {
    const double p1 = p0[i] + (t0 ? k * (*t0)[i] : 0.0);
    const double p2 = p3[i] - (t1 ? k * (*t1)[i] : 0.0);
    out[i] = static_cast<float>(u * u * u * p0[i] + 3.0 * p1 * s * u * u + 3.0 * p2 * s * s * u +
                                s * s * s * p3[i]);
  }
  return out;
}

}  // namespace

void BasicEngine::sync_look_events() {
  std::vector<Event*>& listed = camera_moves_.look_events;
  listed.erase(std::remove_if(listed.begin(), listed.end(),
                              [](const Event* e) {
                                return !e || !e->queue() || !e->started() || e->stop_called();
                              }),
               listed.end());
}

void BasicEngine::move_camera(std::array<float, 3> position, std::array<float, 3> look_at,
                              double duration, double delay, EventQueue* queue, bool force) {
  sync_look_events();
  if (!force && !camera_moves_.look_events.empty()) return;
  // Every look stops where it stands: each listed event, a move's or one the
  // program listed (it stays listed until the new move's stop), and those of
  // a move that had not started yet (no longer listed, but queued).
  for (Event* e : camera_moves_.look_events)
    if (EventQueue* q = e ? e->queue() : nullptr) q->erase(e);
  for (const std::shared_ptr<Event>& e : camera_moves_.events)
    if (EventQueue* q = e->queue()) q->erase(e.get());
  // What is neither listed nor queued any more is freed.
  std::vector<std::shared_ptr<Event>>& owned = camera_moves_.events;
  const std::vector<Event*>& listed = camera_moves_.look_events;
  owned.erase(std::remove_if(owned.begin(), owned.end(),
                             [&listed](const std::shared_ptr<Event>& e) {
                               return std::find(listed.begin(), listed.end(), e.get()) ==
                                      listed.end();
                             }),
              owned.end());

  EventQueue& q = queue ? *queue : gametime_queue();
  const double t0 = q.time() + delay;
  float* walker = walking_.position().data();
  // Added in this order, so that within one advance the faders write before
  // the view turns.
  auto walk = std::make_unique<BezierFaderBuffered<float>>(3, walker, walker, position.data(), t0,
                                                           duration);
  Vec& point = camera_moves_.look_at;
  const Vec from = walking_.position() - to_vec3(mouse_look_.coord_sys().zhat());
  auto look = std::make_unique<BezierFaderBuffered<float>>(3, point.data(), from.data(),
                                                           look_at.data(), t0, duration);
  const auto turn_view = [this] {
    mouse_look_.coord_sys().look_at(walking_.position().data(), camera_moves_.look_at.data(),
                                    nullptr, false);
  };
  // The last frame of a move may come after its end, when no update runs:
  // the stop turns to the final point (the faders' stops wrote it just
  // before).
  auto turn = std::make_unique<Event>(
      "move camera", t0, duration, nullptr,
      [this, turn_view](double s) {
        if (s >= 1.0) turn_view();
        camera_moves_.look_events.clear();
      },
      [turn_view](double) { turn_view(); }, nullptr);
  for (Event* e : {static_cast<Event*>(walk.get()), static_cast<Event*>(look.get()), turn.get()}) {
    camera_moves_.look_events.push_back(e);
    q.add(e);
  }
  owned.emplace_back(std::move(walk));
  owned.emplace_back(std::move(look));
  owned.emplace_back(std::move(turn));
}

void BasicEngine::comfort_rotate(float degrees, double) {
  EventQueue& q = realtime_queue();
  // A running turn stops at its next step, where it then stands.
  q.clear("Comfort rotate");
  const float rate = degrees * kDegToRad;
  const Vec axis = up_vector(walking_.up_axis);
  // Each turn keeps its own progress, so the one that stops finishes its
  // own last step and the new one starts from zero.
  auto turned = std::make_shared<double>(0.0);
  const auto turn_to = [this, rate, axis, turned](double s) {
    float m[9];
    rodrigues(axis.data(), rate * (s - *turned), m);
    mouse_look_.coord_sys().rotate_global(m);
    *turned = s;
  };
  q.adopt(std::make_unique<Event>(
      "Comfort rotate", q.time(), 0.5, nullptr,
      // At its end the turn is made whole: the last frame may come after it.
      [turn_to](double s) {
        if (s >= 1.0) turn_to(1.0);
      },
      [turn_to](double s) { turn_to(std::min(s, 1.0)); }, nullptr));
}

void BasicEngine::camera_follow(const float* target, const float* end_tangent, double duration,
                                const float* c, const float* start_tangent, const float* start) {
  if (!camera_moves_.follow_start) camera_moves_.follow_start = walking_.position();
  if (start) camera_moves_.follow_start = to_vec3(start);
  if (start_tangent) camera_moves_.follow_start_tangent = to_vec3(start_tangent);
  if (c) camera_moves_.follow_c = to_vec3(c);

  const Vec p0 = *camera_moves_.follow_start;
  const std::optional<Vec> t0 = camera_moves_.follow_start_tangent;
  const std::optional<Vec> p3 = target ? std::optional<Vec>(to_vec3(target)) : std::nullopt;
  const std::optional<Vec> t1 =
      end_tangent ? std::optional<Vec>(to_vec3(end_tangent)) : std::nullopt;
  EventQueue& q = gametime_queue();
  Event& follow = camera_moves_.follow;
  follow.init(
      "Camera animation", q.time(), duration, nullptr,
      [this, p3](double) {
        if (p3) walking_.position() = *p3;
      },
      [this, p0, t0, p3, t1, duration](double s) {
        if (!p3) {
          walking_.position() = p0;
        } else if (s > 0.0 && s < 1.0) {
          walking_.position() = cubic(p0, t0, *p3, t1, duration, s);
        }
      },
      nullptr);
  if (!q.contains(&follow)) q.add(&follow);
}

std::function<void(double)> BasicEngine::update_look_at(CoordinateSystem* cs, const float* target,
                                                        std::function<bool()> condition) {
  return [cs, target, condition = std::move(condition)](double) {
    if (!cs || !target) return;
    if (condition && !condition()) return;
    const Vec from = cs->position();
    cs->look_at(from.data(), target, nullptr, true);
  };
}

Event* BasicEngine::collider_event(CollisionPartition& model, PhysObj& body, EventQueue* queue,
                                   float reach) {
  EventQueue& q = queue ? *queue : realtime_queue();
  struct State {
    bool seen = false;
    Vec last{0.0f, 0.0f, 0.0f};
  };
  auto state = std::make_shared<State>();
  CollisionPartition* partition = &model;
  PhysObj* guarded = &body;
  const auto step = [this, partition, guarded, state, reach](double) {
    if (hmd_control_) return;
    Vec& position = guarded->position;
    // A camera move places the body: only its position is followed.
    if (active_camera_animation() || !state->seen) {
      if (!active_camera_animation()) state->seen = true;
      state->last = position;
      return;
    }
    // A step across a face is put back to where it started and bounces.
    if (!partition->collision_faces(position, guarded->velocity, state->last, 0.5f).empty()) {
      guarded->force = {0.0f, 0.0f, 0.0f};
      return;
    }
    if (reach > 0.0f) {
      for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {1.0f, -1.0f}) {
          Vec e{0.0f, 0.0f, 0.0f};
          e[static_cast<std::size_t>(axis)] = sign;
          Vec velocity = guarded->velocity;
          if (dot(velocity, e) > 0.0f) continue;
          Vec probe = position + e * reach;
          if (!partition->collision_faces(probe, velocity, state->last, 0.5f).empty()) {
            guarded->force = {0.0f, 0.0f, 0.0f};
            return;
          }
        }
      }
    }
    state->last = position;
  };
  auto e = std::make_unique<Event>("voxel-based collider", q.time(), -1.0, nullptr, nullptr, step,
                                   nullptr);
  return q.adopt(std::move(e));
}
