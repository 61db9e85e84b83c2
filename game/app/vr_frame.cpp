// VRFrame: the headset's frame, its models and the hand controllers' input.
#include "game/app/vr_frame.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/app/pool_engine.h"
#include "input/vr_interface.h"
#include "render/gl.h"

VRFrame::VRFrame(PoolEngine& engine, VRInterface& vr, std::function<void()> draw_scene)
    : engine_(engine), vr_(vr), draw_scene_(std::move(draw_scene)) {}

void VRFrame::load_models() {
  init_controller_vbos();
  init_base_stations();
}

void VRFrame::init_controller_vbos() {
  const std::vector<std::string> names = vr_.load_controller_models();
  if (names.empty()) {
    engine_.clear_controller_vbos();
    return;
  }
  for (const std::string& name : names) {
    const VBO* model = vr_.model_vbo(name);
    if (!model) continue;
    // A copy shares the runtime model's OpenGL objects and has a pose of
    // its own.
    engine_.controller_models.push_back(std::make_unique<VBO>(*model));
    engine_.add_controller_vbo(engine_.controller_models.back().get(), name);
  }
}

void VRFrame::init_base_stations() {
  const std::vector<std::string> names = VRInterface::base_station_model_names();
  vr_.load_render_models(names, true, true, false);
  vr_.update_poses();
  std::map<unsigned int, VBO>& stations = engine_.base_stations();
  for (unsigned device :
       VRInterface::tracked_device_indices(vr::TrackedDeviceClass_TrackingReference)) {
    const std::string name =
        VRInterface::tracked_device_string(device, vr::Prop_RenderModelName_String, nullptr);
    if (name.empty() || std::find(names.begin(), names.end(), name) == names.end() ||
        stations.count(device))
      continue;
    if (const VBO* model = vr_.model_vbo(name)) stations[device] = *model;
  }
  update_base_station_poses();
}

void VRFrame::update_base_station_poses() {
  std::map<unsigned int, VBO>& stations = engine_.base_stations();
  vr_.update_base_stations_positions(
      [&stations](unsigned device) -> CoordinateSystem* {
        const auto it = stations.find(device);
        return it == stations.end() ? nullptr : &it->second.coord_sys();
      },
      engine_.walking().position());
}

void VRFrame::update_vr_controllers() {
  const std::vector<vr::VRControllerState001_t> states = VRInterface::controller_states();
  engine_.input_triggers(vr_.primary_triggers(states), vr_.grip_triggers(states));
  const std::vector<unsigned> indices =
      VRInterface::tracked_device_indices(vr::TrackedDeviceClass_Controller);
  const std::vector<CoordinateSystem> poses = vr_.controller_coordsys(indices);
  // A controller was switched on.
  if (poses.size() > engine_.controller_vbos().size()) init_controller_vbos();
  if (poses.empty()) return;
  engine_.update_controller_poses(poses);
  const Vec3& walker = engine_.walking().position();
  for (std::size_t i = 0; i < poses.size(); ++i) {
    VBO* model = engine_.controller_vbos().at(i);
    if (!model) continue;
    model->coord_sys() = poses[i];
    model->coord_sys().translate(walker, false, 1.0f);
  }
  const std::array<float, 3> direction = vr_.controller_move_direction();
  engine_.walking().ctl_input(direction.data(), true);
}

void VRFrame::draw_vr_frame() {
  vr_.update_poses();
  vr_.update_hmd_pose();
  const Vec3 walker = engine_.walking().position();
  const std::array<float, 2> scaled = engine_.window().get_scaled_resolution();
  const std::array<int, 2> size{static_cast<int>(scaled[0]), static_cast<int>(scaled[1])};
  vr_.eye_frame_gap(0.0);
  vr_.predicted_photon_time(0.0);

  const CoordinateSystem& head = vr_.hmd_coord_sys();
  CoordinateSystem& view = engine_.mouse_look().coord_sys();
  view.position() = head.position() + walker;
  view.set_rotation(head.rotation());

  vr_.get_eye_matrices();
  engine_.eye_info().eye_positions() = vr_.eye_positions();
  vr_.render_stereo([this](int eye) { draw_eye(eye); }, size, -walker);

  if (vr_.mirror()) {
    vr_.prepare_mirror_display(size);
    engine_.simple_draw_monitor(vr_.get_eye_data()[1].resolve_texture(), {1.0f, 1.0f});
    // The headset's window has a single buffer: what is flushed is shown.
    glFlush();
  }
}

void VRFrame::draw_eye(int eye) {
  engine_.eye_info().eye(eye);
  if (draw_scene_) draw_scene_();
}

void VRFrame::vr_menu_button(int, int button) {
  if (button == 0) engine_.toggle_menu();
}
