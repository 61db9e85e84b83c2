// VRInterface: the engine's connection to a headset through the runtime
// layer (platform/vr_runtime.h): starting and stopping the runtime, the poses
// of the 16 tracked devices, the headset and eye poses as coordinate systems,
// the eye projections, drawing both eyes into off-screen targets and
// submitting them, the desktop mirror, controller button events with the menu
// hook (vr_interface.cpp), the controller queries (vr_controllers.cpp) and
// the runtime's render models with their export as files
// (vr_render_models.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "core/coordinate_system.h"
#include "platform/vr_runtime.h"
#include "render/frame_buffer.h"
#include "render/vbo.h"

// Device indices run from 0 (the headset) to 15. Operations marked "stored
// system" use hmd(); the others ask vr::VRSystem() and friends each time.
// Everything runs on the thread that pumps freeglut.
//
// Owns the eye targets and the render models' VBOs; their OpenGL objects go
// only with release_gl() (the destructor cannot know whether a context is
// current). Copies share the OpenGL names and the runtime's model records;
// a copy's tracked_models() point into its own model_vbos.
class VRInterface {
 public:
  using Quad = vr::HmdQuad_t;
  using Vec3 = std::array<float, 3>;
  using ButtonTable = std::map<int, std::map<int, float>>;
  using MenuButtonFunction = std::function<void(int device, int pressed)>;
  static constexpr unsigned kDevices = vr::k_unMaxTrackedDeviceCount;

  explicit VRInterface(vr::IVRSystem* system = nullptr, int width = 1200, int height = 1080);
  VRInterface(const VRInterface& other);
  VRInterface& operator=(const VRInterface& other);
  // Shuts the runtime down.
  ~VRInterface();

  // ---- Start-up and shutdown

  // A given system is stored and returned, nothing else. Otherwise starts the
  // runtime as a scene application and stores its system interface; on
  // failure reports the runtime's reason, disables VR and returns null.
  vr::IVRSystem* init_hmd(vr::IVRSystem* system);
  // Once OpenGL is up: the runtime (init_hmd when no system is stored: -1 on
  // failure), the render-model interface (2 when missing: the runtime is shut
  // down and VR disabled), headset names and play area printed, eye targets
  // made, render models listed; 0. Does not enable VR.
  int init();
  void shutdown();
  void enable(bool on) { enabled_ = on; }
  void disable() { enabled_ = false; }
  bool enabled() const { return enabled_; }
  // The stored system's recommended size per eye into get_width_height().
  const std::array<unsigned, 2>& detect_shape();
  // (Re)creates both eye targets; 0 stands for the component of the render
  // size. While a size is still 0, a target made before keeps its own size
  // and one never made is left alone.
  void init_eye_tex(int width, int height);
  void set_clip(float near_z, float far_z);
  float near_clip() const { return near_clip_; }
  float far_clip() const { return far_clip_; }
  void mirror(bool on) { mirror_ = on; }
  bool mirror() const { return mirror_; }
  // Called with (device, 1 for a press or 0 for a release) on events of the
  // application-menu button.
  void menu_btn(MenuButtonFunction fn) { menu_button_fn_ = std::move(fn); }
  // Deletes the eye targets' and the models' OpenGL objects (context current).
  void release_gl();

  // ---- Poses and eyes

  // When enabled: waits in the compositor for the next frame and reads the
  // 16 poses. Without a compositor VR is disabled.
  void update_poses();
  // When enabled: the headset's valid pose into hmd_coord_sys().
  void update_hmd_pose();
  bool hmd_pose_valid() const { return tracked_device_poses_[0].pose_is_valid; }
  // Stored system: both projections at the clip distances and both
  // eye-to-head transforms, with the eye coordinate systems and positions.
  void get_eye_matrices();
  // Stored system: projection_matrices() at the clip distances.
  void get_projection_matrices();
  void eye_matrix(vr::HmdMatrix34_t& out, vr::EVREye eye);
  void projection_matrix(vr::HmdMatrix44_t& out, vr::EVREye eye);
  // The eye accessors take 1 as the right eye and any other number as the
  // left one, as eye() does.
  const vr::HmdMatrix34_t& eye_matrix(int eye) const { return eye_matrices_[eye_index(eye)]; }
  const Vec3& eye_pos(int eye) const { return eye_positions_[eye_index(eye)]; }
  float eye_dist() const;
  static vr::EVREye eye(int i) { return i == 1 ? vr::Eye_Right : vr::Eye_Left; }
  // The index of eye() in the per-eye arrays.
  static std::size_t eye_index(int i) { return i == 1 ? 1 : 0; }

  // A default system whose position is the matrix's translation column times
  // scale and whose rotation is its upper-left block (its columns become the
  // axes when transposed).
  static CoordinateSystem pose2coordsys(const vr::HmdMatrix34_t& m, bool transposed,
                                        std::array<float, 3> scale);
  // The valid pose's position and rotation into out (rotation switched on);
  // 1 and out untouched for an invalid pose, else 0.
  static int pose2coordsys(const vr::TrackedDevicePose_t& pose, CoordinateSystem& out,
                           bool transposed, std::array<float, 3> scale);

  // ---- Drawing

  // Draws eye 0 then eye 1 into their targets at the render size (eye
  // projection; eye pose, headset pose and offset on the model-view matrix;
  // target cleared; draw(eye)), then submits both resolve textures. The
  // viewport, both matrices, the multisample switch and the framebuffer
  // binding are as before on return. An empty draw throws
  // std::bad_function_call before anything changes. The window size is not used.
  void render_stereo(std::function<void(int)> draw, std::array<int, 2> window_size,
                     std::array<float, 3> offset);
  // When mirroring: a viewport of the window's width with the eye image's
  // aspect, centred vertically; colour and depth cleared; model-view identity.
  void prepare_mirror_display(std::array<int, 2> window_size);
  // Seconds from now to the next frame's photons; 0 (VR disabled) without a system.
  double predict_next_frame_time();

  // ---- Events and the menu button

  // When enabled: every pending event through process_btn_event; 0.
  int poll_events();
  // A press or release into the button tables (and the menu hook for button
  // 1); 1 for any other event, which changes nothing.
  int process_btn_event(const vr::VREvent_t& e);
  int any_menu_button() const;
  int any_menu_button_changed() const;

  // ---- Device strings

  static std::string tracked_device_str(vr::IVRSystem* system, unsigned device,
                                        vr::ETrackedDeviceProperty prop,
                                        vr::ETrackedPropertyError* error);
  static std::string tracked_device_string(unsigned device, vr::ETrackedDeviceProperty prop,
                                           vr::ETrackedPropertyError* error);

  // ---- Controllers (vr_controllers.cpp)

  static std::vector<unsigned> tracked_device_indices(vr::ETrackedDeviceClass cls);
  static std::vector<unsigned> matching_axes(unsigned device, vr::EVRControllerAxisType type);
  // (x, y) of every axis of that type on every device, with the device, the
  // axis button's pressed and touched bits in the lists given.
  static std::vector<std::array<float, 2>> controller_axes(vr::EVRControllerAxisType type,
                                                           std::vector<unsigned>* devices,
                                                           std::vector<unsigned>* pressed,
                                                           std::vector<unsigned>* touched);
  // The readable states of the controllers, in index order.
  static std::vector<vr::VRControllerState001_t> controller_states();
  // Per device (none: every controller): its last trigger axis, or with
  // `second` its last after the first (0.0 with one); -1.0 when unreadable.
  std::vector<float> controller_triggers(std::vector<unsigned> devices, int second);
  // Per state: the trigger axis of the controller at the same position of
  // the controller list (axis 1 for Touch controllers); 0.0 without one.
  std::vector<float> primary_triggers(const std::vector<vr::VRControllerState001_t>& states) const;
  // Per state: axis 2 for Touch controllers, else the grip button as 1.0 or 0.0.
  std::vector<float> grip_triggers(const std::vector<vr::VRControllerState001_t>& states) const;
  // Positions, and coordinate systems, of the devices (none: every
  // controller) with valid stored poses; empty while VR is disabled.
  std::vector<std::array<float, 3>> controller_pos(std::vector<unsigned> devices);
  std::vector<CoordinateSystem> controller_coordsys(std::vector<unsigned> devices) const;
  // Stored system: the sum over pressed pads (touched Touch joysticks) of
  // x times the controller's x axis minus y times its z axis; not normalised.
  std::array<float, 3> controller_move_direction() const;
  // The same from the axis list, set (not summed) with cs[j] for the device
  // at position j of devices; the last axis that counts wins.
  std::array<float, 3> controller_move_direction_old(const std::vector<CoordinateSystem>& cs,
                                                     std::vector<unsigned> devices) const;
  // Render-model names per device (class Invalid: every class).
  static std::vector<std::string> tracked_device_names(vr::ETrackedDeviceClass cls,
                                                       bool connected_only, bool unique);
  bool have_oculus_touch() const;
  bool have_vive_controllers() const;

  // ---- Render models (vr_render_models.cpp)

  const std::vector<std::string>& list_render_models();
  // Loads the named models (none: the listed ones, listing first with
  // all_if_empty) once each into VBOs; with write_files exports each as
  // folder/N/N.obj, .mtl and .png. 0, or 1 for a model that failed plus 10
  // per texture that failed. `extra` has no effect.
  int load_render_models(std::vector<std::string> names, bool all_if_empty, bool write_files,
                         bool extra);
  int load_render_model(std::string name, bool write_files, bool extra);
  std::vector<std::string> load_controller_models();
  std::vector<std::string> load_base_station_models();
  static std::vector<std::string> controller_model_names();
  static std::vector<std::string> base_station_model_names();
  VBO* model_vbo(std::string name);
  const VBO* model_vbo(std::string name) const;
  VBO* model_vbo(unsigned device);
  const VBO* model_vbo(unsigned device) const;
  // The stored pose of the first device showing the model; a shared invalid
  // pose when none does.
  vr::TrackedDevicePose_t& render_model_pose(std::string name);
  // make_vbo(device) names the program's VBO of each base station (called
  // twice per station; null skips it); they receive copies of the models and
  // are placed at the stations' poses plus offset.
  void update_base_stations(std::function<VBO*(unsigned)> make_vbo, std::array<float, 3> offset);
  // Valid poses plus offset into the base stations' coordinate systems; a
  // station without a valid pose keeps its place.
  void update_base_stations_positions(std::function<CoordinateSystem*(unsigned)> coord_sys,
                                      std::array<float, 3> offset);
  // How long loading one model or texture may keep the runtime answering
  // "loading" before it counts as failed (seconds; default 5).
  double load_wait_limit() const { return load_wait_limit_; }
  void load_wait_limit(double seconds) { load_wait_limit_ = seconds; }

  // ---- Accessors

  vr::IVRSystem* hmd() { return hmd_; }
  vr::IVRSystem* hmd() const { return hmd_; }
  std::array<vr::TrackedDevicePose_t, kDevices>& tracked_device_poses() {
    return tracked_device_poses_;
  }
  const std::array<vr::TrackedDevicePose_t, kDevices>& tracked_device_poses() const {
    return tracked_device_poses_;
  }
  std::array<VBO*, kDevices>& tracked_models() { return tracked_models_; }
  const std::array<VBO*, kDevices>& tracked_models() const { return tracked_models_; }
  std::array<FrameBuffer, 2>& get_eye_data() { return eye_data_; }
  const std::array<FrameBuffer, 2>& get_eye_data() const { return eye_data_; }
  const std::array<unsigned, 2>& get_width_height() const { return render_size_; }
  const Quad& play_rect() const { return play_rect_; }
  const Vec3& play_center() const { return play_center_; }
  const std::array<Vec3, 2>& eye_positions() const { return eye_positions_; }
  const CoordinateSystem& hmd_coord_sys() const { return hmd_coord_sys_; }
  const CoordinateSystem& eye_coord_sys(int eye) const { return eye_coord_sys_[eye_index(eye)]; }
  const std::array<float, 16>& eye_projection(int eye) const {
    return eye_projections_[eye_index(eye)];
  }
  const std::array<vr::HmdMatrix44_t, 2>& projection_matrices() const {
    return projection_matrices_;
  }
  std::string& render_models_folder() { return render_models_folder_; }
  const std::string& render_models_folder() const { return render_models_folder_; }
  const std::vector<std::string>& render_model_names() const { return render_model_names_; }
  const std::map<std::string, vr::RenderModel_t*>& loaded_models() const { return loaded_models_; }
  const std::map<std::string, VBO>& model_vbos() const { return model_vbos_; }
  const ButtonTable& button_states() const { return button_states_; }
  const ButtonTable& button_changes() const { return button_changes_; }
  const std::string& driver_name() const { return driver_name_; }
  const std::string& display_name() const { return display_name_; }
  // Seconds between the ends of the right and the left eye's drawing in the
  // last render_stereo, and the last predict_next_frame_time; a program may
  // reset both.
  double eye_frame_gap() const { return eye_frame_gap_; }
  void eye_frame_gap(double seconds) { eye_frame_gap_ = seconds; }
  double predicted_photon_time() const { return predicted_photon_time_; }
  void predicted_photon_time(double seconds) { predicted_photon_time_ = seconds; }

 protected:
  int process_vr_event(const vr::VREvent_t& e);
  int menu_button_tracked_dev(int device, float threshold) const;
  int menu_button_changed_tracked_dev(int device, float threshold) const;

 private:
  // The first device index whose render-model name is `name`; kDevices for none.
  static unsigned first_device_showing(const std::string& name);
  // tracked_models() pointed into this object's model_vbos by the VBOs' names.
  void repoint_tracked_models();
  // Waits out the runtime's "loading" answers, up to load_wait_limit().
  vr::EVRRenderModelError wait_for_model(const std::string& name, vr::RenderModel_t** model) const;
  vr::EVRRenderModelError wait_for_texture(vr::TextureID_t id,
                                           vr::RenderModel_TextureMap_t** texture) const;
  // The files of a loaded model under the render-model folder.
  void export_model(const std::string& name, const std::array<std::vector<float>, 3>& arrays,
                    const Texture* texture) const;

  std::array<std::array<float, 16>, 2> eye_projections_{};
  double eye_frame_gap_ = 0.0;
  double predicted_photon_time_ = 0.0;
  std::array<CoordinateSystem, 2> eye_coord_sys_;
  CoordinateSystem hmd_coord_sys_;
  ButtonTable button_states_;
  ButtonTable button_changes_;
  std::vector<std::string> render_model_names_;
  std::map<std::string, vr::RenderModel_t*> loaded_models_;
  vr::IVRRenderModels* render_models_ = nullptr;
  std::map<std::string, VBO> model_vbos_;
  std::string render_models_folder_ = "openvr_render_models";
  bool mirror_ = true;
  Quad play_rect_{};
  Vec3 play_center_{};
  bool enabled_ = false;
  vr::IVRSystem* hmd_;
  float near_clip_ = 0.2f;
  float far_clip_ = 100.0f;
  std::array<vr::TrackedDevicePose_t, kDevices> tracked_device_poses_{};
  std::array<VBO*, kDevices> tracked_models_{};
  std::array<vr::HmdMatrix44_t, 2> projection_matrices_{};
  std::array<vr::HmdMatrix34_t, 2> eye_matrices_{};
  std::array<Vec3, 2> eye_positions_{};
  std::string driver_name_;
  std::string display_name_;
  std::array<unsigned, 2> render_size_;
  std::array<FrameBuffer, 2> eye_data_;
  MenuButtonFunction menu_button_fn_;
  std::array<vr::Texture_t, 2> eye_textures_{};
  double load_wait_limit_ = 5.0;
};

namespace vr {
// Five lines "Axis i: x, y".
std::ostream& operator<<(std::ostream& out, const VRControllerState001_t& state);
// "x, y" without a line end.
std::ostream& operator<<(std::ostream& out, const VRControllerAxis_t& axis);
}  // namespace vr
