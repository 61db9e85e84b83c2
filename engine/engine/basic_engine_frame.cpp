// BasicEngine: the engine's part of each frame (walking from keys and sticks,
// the physics lists, the player volumes, the update functions, the loaders'
// completions) and the per-frame controller update of a headset.
#include <cctype>
#include <cmath>
#include <string>

#include "engine/basic_engine.h"

bool BasicEngine::active_camera_animation() const {
  return gametime_queue().active("Camera animation") || !camera_moves_.look_events.empty();
}

void BasicEngine::idle_impl() {
  xinput_.get_state(true);
  if (pre_idle_hook_) pre_idle_hook_();
  // A camera animation or look-at move has the view: the walker takes no
  // input and no drag meanwhile.
  if (!active_camera_animation()) {
    check_walking_basic();
    walking_.drag_forces();
  }
  const Vec3 start = walking_.position();
  for (unsigned int i = 0; i < game_speed_steps(); ++i) update_objects(game_step(), sim_objects_);
  // The walker is here: it moves once a frame with real time, paused or not.
  update_objects(real_step(), realtime_objects_);
  // A step from inside the volumes to outside all of them is undone. A
  // walker that a camera move left outside (above the table, say) walks
  // freely until it is back inside: undoing its steps would hold it there.
  if (!hmd_control_ && !player_volumes_.empty() && !active_camera_animation() &&
      !in_player_volume(walking_.position()) && in_player_volume(start)) {
    walking_.position() = start;
    walking_.velocity() = {0.0f, 0.0f, 0.0f};
    walking_.force = {0.0f, 0.0f, 0.0f};
  }
  update_all_functions();
  queue_load_completions();
  sync_mouse_pointer();
}

void BasicEngine::queue_load_completions() {
  for (LoadWorkers::Task& completion : load_workers_.take()) enqueue(std::move(completion));
}

void BasicEngine::check_walking_basic() {
  if (norm(walking_.velocity()) < walking_.moving_speed && !walking_.get_thrusting())
    walking_.velocity() = {0.0f, 0.0f, 0.0f};
  if (menu_enabled()) return;
  check_walking_helper(keyboard().keys(), false);
  if (xinput_.num_joysticks() > 0) {
    Joystick& pad = xinput_.joystick(0);
    const Joystick::Vec d = pad.scaled_direction(0, false);
    const float m = std::sqrt(d[0] * d[0] + d[1] * d[1]);
    // The stick replaces what the walk keys set in this check.
    if (m > pad.min_magnitude()) {
      // Stick up and down is forward and back: the view's z.
      Vec3 u{d[0], d[2], d[1]};
      const float squared = u[0] * u[0] + u[1] * u[1] + u[2] * u[2];
      if (squared != 1.0f) u = u / std::sqrt(squared);
      u = u * (static_cast<float>(walking_.walk_accel * walking_.mass) * m);
      check_walking_direction(u.data());
      last_gamepad_time(real_time());
      walking_.set_thrusting(true);
    } else {
      walking_.set_thrusting(false);
    }
    if (gamepad_turn_ && !hmd_control_) {
      const std::array<bool, 3> inverted = mouse().inverted();
      bool invert[3] = {inverted[0], inverted[1], inverted[2]};
      CoordinateSystem& view = mouse_look_.coord_sys();
      if (walking_.joystick_rotate(pad, &view, nullptr, invert, false) != 0) {
        last_gamepad_look_ = real_time();
        CoordinateSystem& look = walking_.look().coord_sys();
        view.rotate_local(look.rotation().data());
        view.enforce_up(walking_.up_axis);
        look.clear_rotation();
      }
    }
  }
  if (walking_hook_) walking_hook_();
}

void BasicEngine::check_walking_helper(const Keyboard::States& keys, bool) {
  walking_.set_thrusting(false);
  const std::string& chars = walk_keys_.walk_chars();
  const auto held = [&keys](int code) {
    const auto state = keys.find(code);
    return state != keys.end() && state->second != 0;
  };
  for (std::size_t k = 0; k < chars.size(); ++k) {
    // Shift or Caps Lock turn the letter's case; either case walks.
    const unsigned char c = static_cast<unsigned char>(chars[k]);
    if (!held(std::tolower(c)) && !held(std::toupper(c))) continue;
    // Forward -z, back +z, left -x, right +x in the view's frame.
    const std::array<float, 3> direction = Bindings::walk_direction(static_cast<int>(k), 1);
    walking_.set_thrusting(true);
    check_walking_direction(direction.data());
  }
}

void BasicEngine::check_walking_direction(const float* direction) {
  float global[3];
  mouse_look_.coord_sys().local2global_rotation(direction, global);
  walking_.ctl_input(global, true);
}

void BasicEngine::update_objects(double dt, std::vector<PhysObj*>& objects) {
  for (PhysObj* object : objects) {
    if (!object || !object->enable_update()) continue;
    object->Update(dt);
    object->ClearForces();
  }
}

void BasicEngine::update_all_functions() {
  const double dt = game_step();
  if (!(dt > 0.0) || !std::isfinite(dt)) return;
  // A long frame runs the functions once per second of it or part thereof,
  // each time with its share, so the functions see the frame's time once.
  const double parts = std::ceil(dt);
  const double step = dt / parts;
  for (double n = 0.0; n < parts; n += 1.0) {
    for (auto it = update_functions_.begin(); it != update_functions_.end();) {
      const std::string key = it->first;
      // A copy: the function may erase its own entry while it runs.
      const UpdateFunction fn = it->second;
      if (fn) fn(step);
      it = update_functions_.upper_bound(key);
    }
  }
}

void BasicEngine::update_controller_poses(const std::vector<CoordinateSystem>& poses) {
  std::vector<std::size_t> valid;
  for (std::size_t i = 0; i < poses.size(); ++i)
    if (poses[i].translation_enabled() || poses[i].rotation_enabled()) valid.push_back(i);
  controllers_.resize(valid.size());
  for (std::size_t k = 0; k < valid.size(); ++k) {
    const CoordinateSystem& pose = poses[valid[k]];
    const Vec3 p = pose.position() + walking_.position();
    controllers_[k].pos().update(p.data());
    if (VBO* model = controller_vbos_.at(k)) {
      model->coord_sys() = pose;
      model->coord_sys().position() = p;
    }
  }
  if (controller_pose_hook_) controller_pose_hook_();
}
