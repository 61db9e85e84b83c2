// VRInterface: the tracked controllers and devices — classes, states, axes,
// triggers and grips, poses, the walking direction and render-model names.
#include <algorithm>
#include <iostream>

#include "input/vr_interface.h"

namespace {

vr::ETrackedDeviceProperty axis_type_property(unsigned axis) {
  return static_cast<vr::ETrackedDeviceProperty>(vr::Prop_Axis0Type_Int32 + axis);
}

bool read_state(vr::IVRSystem* system, unsigned device, vr::VRControllerState001_t& state) {
  return system && system->GetControllerState(device, &state, sizeof(vr::VRControllerState001_t));
}

bool bit(std::uint64_t mask, unsigned index) {
  return (mask >> index) & 1u;
}

// The walking axes: pressed touch pads, or touched joysticks on Touch controllers.
struct MoveAxes {
  explicit MoveAxes(bool touch)
      : touch(touch),
        type(touch ? vr::k_eControllerAxis_Joystick : vr::k_eControllerAxis_TrackPad) {}
  bool touch;
  vr::EVRControllerAxisType type;
};

// x times the frame's x axis minus y times its z axis.
std::array<float, 3> pad_direction(const CoordinateSystem& cs, float x, float y) {
  std::array<float, 3> d;
  for (int i = 0; i < 3; ++i) d[i] = x * cs.xhat()[i] - y * cs.zhat()[i];
  return d;
}

bool names_contain(const std::vector<std::string>& names, const std::string& part) {
  return std::any_of(names.begin(), names.end(), [&part](const std::string& name) {
    return name.find(part) != std::string::npos;
  });
}

}  // namespace

std::vector<unsigned> VRInterface::tracked_device_indices(vr::ETrackedDeviceClass cls) {
  std::vector<unsigned> indices;
  vr::IVRSystem* system = vr::VRSystem();
  if (!system) return indices;
  for (unsigned d = 0; d < kDevices; ++d)
    if (system->GetTrackedDeviceClass(d) == cls) indices.push_back(d);
  return indices;
}

std::vector<unsigned> VRInterface::matching_axes(unsigned device, vr::EVRControllerAxisType type) {
  std::vector<unsigned> axes;
  vr::IVRSystem* system = vr::VRSystem();
  if (!system) return axes;
  for (unsigned a = 0; a < vr::k_unControllerStateAxisCount; ++a)
    if (system->GetInt32TrackedDeviceProperty(device, axis_type_property(a), nullptr) == type)
      axes.push_back(a);
  return axes;
}

std::vector<std::array<float, 2>> VRInterface::controller_axes(vr::EVRControllerAxisType type,
                                                               std::vector<unsigned>* devices,
                                                               std::vector<unsigned>* pressed,
                                                               std::vector<unsigned>* touched) {
  std::vector<std::array<float, 2>> values;
  vr::IVRSystem* system = vr::VRSystem();
  for (unsigned d = 0; d < kDevices; ++d) {
    const std::vector<unsigned> axes = matching_axes(d, type);
    vr::VRControllerState001_t state{};
    if (axes.empty() || !read_state(system, d, state)) continue;
    for (unsigned a : axes) {
      values.push_back({state.axis[a].x, state.axis[a].y});
      if (devices) devices->push_back(d);
      if (pressed) pressed->push_back(bit(state.button_pressed, vr::k_EButton_Axis0 + a));
      if (touched) touched->push_back(bit(state.button_touched, vr::k_EButton_Axis0 + a));
    }
  }
  return values;
}

std::vector<vr::VRControllerState001_t> VRInterface::controller_states() {
  std::vector<vr::VRControllerState001_t> states;
  vr::IVRSystem* system = vr::VRSystem();
  for (unsigned d : tracked_device_indices(vr::TrackedDeviceClass_Controller)) {
    vr::VRControllerState001_t state{};
    if (read_state(system, d, state)) states.push_back(state);
  }
  return states;
}

std::vector<float> VRInterface::controller_triggers(std::vector<unsigned> devices, int second) {
  if (devices.empty()) devices = tracked_device_indices(vr::TrackedDeviceClass_Controller);
  std::vector<float> values(devices.size(), 0.0f);
  vr::IVRSystem* system = vr::VRSystem();
  for (std::size_t i = 0; i < devices.size(); ++i) {
    vr::VRControllerState001_t state{};
    if (!read_state(system, devices[i], state)) {
      values[i] = -1.0f;
      continue;
    }
    bool first_skipped = false;
    for (unsigned a = 0; a < vr::k_unControllerStateAxisCount; ++a) {
      if (system->GetInt32TrackedDeviceProperty(devices[i], axis_type_property(a), nullptr) !=
          vr::k_eControllerAxis_Trigger)
        continue;
      if (second && !first_skipped) {
        first_skipped = true;
        continue;
      }
      values[i] = state.axis[a].x;
    }
  }
  return values;
}

std::vector<float> VRInterface::primary_triggers(
    const std::vector<vr::VRControllerState001_t>& states) const {
  std::vector<float> values(states.size(), 0.0f);
  if (have_oculus_touch()) {
    for (std::size_t i = 0; i < states.size(); ++i) values[i] = states[i].axis[1].x;
    return values;
  }
  const std::vector<unsigned> indices = tracked_device_indices(vr::TrackedDeviceClass_Controller);
  // States and controllers pair by position; a state past the end of the
  // list (its controller went away) has no trigger to read.
  const std::size_t paired = std::min(states.size(), indices.size());
  for (std::size_t i = 0; i < paired; ++i)
    for (unsigned a : matching_axes(indices[i], vr::k_eControllerAxis_Trigger))
      values[i] = states[i].axis[a].x;
  return values;
}

std::vector<float> VRInterface::grip_triggers(
    const std::vector<vr::VRControllerState001_t>& states) const {
  std::vector<float> values(states.size(), 0.0f);
  const bool touch = have_oculus_touch();
  for (std::size_t i = 0; i < states.size(); ++i)
    values[i] = touch ? states[i].axis[2].x
                      : (bit(states[i].button_pressed, vr::k_EButton_Grip) ? 1.0f : 0.0f);
  return values;
}

std::vector<std::array<float, 3>> VRInterface::controller_pos(std::vector<unsigned> devices) {
  std::vector<std::array<float, 3>> positions;
  if (!enabled_ || !vr::VRSystem()) return positions;
  if (devices.empty()) devices = tracked_device_indices(vr::TrackedDeviceClass_Controller);
  for (unsigned d : devices) {
    if (d >= kDevices || !tracked_device_poses_[d].pose_is_valid) continue;
    const auto& m = tracked_device_poses_[d].device_to_absolute_tracking.m;
    positions.push_back({m[0][3], m[1][3], m[2][3]});
  }
  return positions;
}

std::vector<CoordinateSystem> VRInterface::controller_coordsys(
    std::vector<unsigned> devices) const {
  std::vector<CoordinateSystem> systems;
  if (!enabled_ || !vr::VRSystem()) return systems;
  if (devices.empty()) devices = tracked_device_indices(vr::TrackedDeviceClass_Controller);
  for (unsigned d : devices) {
    if (d >= kDevices) continue;
    CoordinateSystem cs;
    if (pose2coordsys(tracked_device_poses_[d], cs, true, {1.0f, 1.0f, 1.0f}) == 0)
      systems.push_back(cs);
  }
  return systems;
}

std::array<float, 3> VRInterface::controller_move_direction() const {
  const MoveAxes move(have_oculus_touch());
  std::array<float, 3> direction{0.0f, 0.0f, 0.0f};
  if (!hmd_) return direction;
  for (unsigned d = 0; d < kDevices; ++d) {
    vr::VRControllerState001_t state{};
    if (!read_state(hmd_, d, state)) continue;
    std::vector<unsigned> axes;
    for (unsigned a = 0; a < vr::k_unControllerStateAxisCount; ++a) {
      vr::ETrackedPropertyError error = vr::TrackedProp_Success;
      const std::int32_t type =
          hmd_->GetInt32TrackedDeviceProperty(d, axis_type_property(a), &error);
      if (type != 0 && type == move.type) axes.push_back(a);
    }
    if (axes.empty() || !tracked_device_poses_[d].pose_is_valid) continue;
    const CoordinateSystem cs =
        pose2coordsys(tracked_device_poses_[d].device_to_absolute_tracking, true, {1, 1, 1});
    for (unsigned a : axes) {
      const std::uint64_t mask = move.touch ? state.button_touched : state.button_pressed;
      if (!bit(mask, vr::k_EButton_Axis0 + a)) continue;
      const auto step = pad_direction(cs, state.axis[a].x, state.axis[a].y);
      for (int i = 0; i < 3; ++i) direction[i] += step[i];
    }
  }
  return direction;
}

std::array<float, 3> VRInterface::controller_move_direction_old(
    const std::vector<CoordinateSystem>& cs, std::vector<unsigned> devices) const {
  const MoveAxes move(have_oculus_touch());
  std::vector<unsigned> axis_devices, axis_pressed;
  const auto axes = controller_axes(move.type, &axis_devices, &axis_pressed, nullptr);
  std::array<float, 3> direction{0.0f, 0.0f, 0.0f};
  for (std::size_t k = 0; k < axes.size(); ++k) {
    if (!move.touch && !axis_pressed[k]) continue;
    const auto at = std::find(devices.begin(), devices.end(), axis_devices[k]);
    const auto j = static_cast<std::size_t>(at - devices.begin());
    if (at == devices.end() || j >= cs.size()) continue;
    direction = pad_direction(cs[j], axes[k][0], axes[k][1]);
  }
  return direction;
}

std::vector<std::string> VRInterface::tracked_device_names(vr::ETrackedDeviceClass cls,
                                                           bool connected_only, bool unique) {
  std::vector<std::string> names;
  vr::IVRSystem* system = vr::VRSystem();
  for (unsigned d = 0; d < kDevices; ++d) {
    if (cls != vr::TrackedDeviceClass_Invalid &&
        (!system || system->GetTrackedDeviceClass(d) != cls))
      continue;
    if (connected_only && (!system || !system->IsTrackedDeviceConnected(d))) continue;
    std::string name = tracked_device_string(d, vr::Prop_RenderModelName_String, nullptr);
    if (unique && std::find(names.begin(), names.end(), name) != names.end()) continue;
    names.push_back(std::move(name));
  }
  return names;
}

bool VRInterface::have_oculus_touch() const {
  return names_contain(tracked_device_names(vr::TrackedDeviceClass_Controller, true, true),
                       "oculus");
}

bool VRInterface::have_vive_controllers() const {
  return names_contain(tracked_device_names(vr::TrackedDeviceClass_Controller, true, true), "vive");
}

namespace vr {

std::ostream& operator<<(std::ostream& out, const VRControllerState001_t& state) {
  for (unsigned i = 0; i < k_unControllerStateAxisCount; ++i)
    out << "Axis " << i << ": " << state.axis[i] << std::endl;
  return out;
}

std::ostream& operator<<(std::ostream& out, const VRControllerAxis_t& axis) {
  return out << axis.x << ", " << axis.y;
}

}  // namespace vr
