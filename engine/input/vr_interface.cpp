// VRInterface: start-up, poses, eyes, drawing both eyes, the mirror, timing,
// button events and device strings.
#include "input/vr_interface.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>

#include "core/timer.h"
#include "render/gl.h"

namespace {

// Longest device string taken from a runtime.
constexpr std::uint32_t kMaxPropertyLength = 32768;

// Everything render_stereo changes, restored when it ends (also by an
// exception from the drawing).
class StereoStateGuard {
 public:
  StereoStateGuard() {
    glGetIntegerv(GL_VIEWPORT, viewport_);
    glGetIntegerv(GL_MATRIX_MODE, &matrix_mode_);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_framebuffer_);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_framebuffer_);
    multisample_ = glIsEnabled(GL_MULTISAMPLE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
  }
  ~StereoStateGuard() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(matrix_mode_));
    glViewport(viewport_[0], viewport_[1], viewport_[2], viewport_[3]);
    if (multisample_)
      glEnable(GL_MULTISAMPLE);
    else
      glDisable(GL_MULTISAMPLE);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_framebuffer_));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_framebuffer_));
  }
  StereoStateGuard(const StereoStateGuard&) = delete;
  StereoStateGuard& operator=(const StereoStateGuard&) = delete;

 private:
  GLint viewport_[4] = {0, 0, 0, 0};
  GLint matrix_mode_ = GL_MODELVIEW;
  GLint draw_framebuffer_ = 0;
  GLint read_framebuffer_ = 0;
  GLboolean multisample_ = GL_FALSE;
};

}  // namespace

VRInterface::VRInterface(vr::IVRSystem* system, int width, int height)
    : hmd_(system), render_size_{static_cast<unsigned>(width), static_cast<unsigned>(height)} {}

VRInterface::VRInterface(const VRInterface& other) : hmd_(other.hmd_) {
  *this = other;
}

VRInterface& VRInterface::operator=(const VRInterface& other) {
  if (this == &other) return *this;
  eye_projections_ = other.eye_projections_;
  eye_frame_gap_ = other.eye_frame_gap_;
  predicted_photon_time_ = other.predicted_photon_time_;
  eye_coord_sys_ = other.eye_coord_sys_;
  hmd_coord_sys_ = other.hmd_coord_sys_;
  button_states_ = other.button_states_;
  button_changes_ = other.button_changes_;
  render_model_names_ = other.render_model_names_;
  loaded_models_ = other.loaded_models_;
  render_models_ = other.render_models_;
  model_vbos_ = other.model_vbos_;
  render_models_folder_ = other.render_models_folder_;
  mirror_ = other.mirror_;
  play_rect_ = other.play_rect_;
  play_center_ = other.play_center_;
  enabled_ = other.enabled_;
  hmd_ = other.hmd_;
  near_clip_ = other.near_clip_;
  far_clip_ = other.far_clip_;
  tracked_device_poses_ = other.tracked_device_poses_;
  tracked_models_ = other.tracked_models_;
  projection_matrices_ = other.projection_matrices_;
  eye_matrices_ = other.eye_matrices_;
  eye_positions_ = other.eye_positions_;
  driver_name_ = other.driver_name_;
  display_name_ = other.display_name_;
  render_size_ = other.render_size_;
  eye_data_ = other.eye_data_;
  menu_button_fn_ = other.menu_button_fn_;
  eye_textures_ = other.eye_textures_;
  load_wait_limit_ = other.load_wait_limit_;
  repoint_tracked_models();
  return *this;
}

VRInterface::~VRInterface() {
  vr::VR_Shutdown();
}

void VRInterface::repoint_tracked_models() {
  for (VBO*& model : tracked_models_) {
    if (!model) continue;
    const auto it = model_vbos_.find(model->name());
    model = it == model_vbos_.end() ? nullptr : &it->second;
  }
}

// ---- Start-up and shutdown

vr::IVRSystem* VRInterface::init_hmd(vr::IVRSystem* system) {
  if (system) {
    hmd_ = system;
    return hmd_;
  }
  vr::EVRInitError error = vr::VRInitError_None;
  hmd_ = vr::VR_Init(&error, vr::VRApplication_Scene);
  if (error != vr::VRInitError_None || !hmd_) {
    hmd_ = nullptr;
    std::cerr << "VR: \t Failed to intialize runtime:  \t "
              << vr::VR_GetVRInitErrorAsEnglishDescription(error) << std::endl;
    enabled_ = false;
    return nullptr;
  }
  return hmd_;
}

int VRInterface::init() {
  glGetError();
  if (!hmd_ && !init_hmd(nullptr)) return -1;

  vr::EVRInitError error = vr::VRInitError_None;
  render_models_ = static_cast<vr::IVRRenderModels*>(
      vr::VR_GetGenericInterface(vr::IVRRenderModels_Version, &error));
  if (!render_models_) {
    shutdown();
    std::cerr << "VR: \t Failed to get render model interface: \t "
              << vr::VR_GetVRInitErrorAsEnglishDescription(error) << std::endl;
    enabled_ = false;
    return 2;
  }

  driver_name_ = tracked_device_str(hmd_, vr::k_unTrackedDeviceIndex_Hmd,
                                    vr::Prop_TrackingSystemName_String, nullptr);
  display_name_ = tracked_device_str(hmd_, vr::k_unTrackedDeviceIndex_Hmd,
                                     vr::Prop_SerialNumber_String, nullptr);
  std::cout << "VR: \t Driver: \t " << driver_name_ << std::endl;
  std::cout << "VR: \t Display: \t " << display_name_ << std::endl;

  // Without a chaperone the play area stays as it was.
  if (vr::IVRChaperone* chaperone = vr::VRChaperone()) chaperone->GetPlayAreaRect(&play_rect_);
  std::cout << "Play area: " << std::endl;
  play_center_ = {0.0f, 0.0f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    std::cout << "vertex " << i << ": ";
    for (int j = 0; j < 3; ++j) {
      std::cout << play_rect_.corners[i].v[j] << ", ";
      play_center_[j] += play_rect_.corners[i].v[j] / 4.0f;
    }
    std::cout << std::endl;
  }

  init_eye_tex(0, 0);
  list_render_models();
  return 0;
}

void VRInterface::shutdown() {
  vr::VR_Shutdown();
  // The runtime's interfaces end with it.
  hmd_ = nullptr;
  render_models_ = nullptr;
}

const std::array<unsigned, 2>& VRInterface::detect_shape() {
  if (hmd_) {
    std::uint32_t width = 0, height = 0;
    hmd_->GetRecommendedRenderTargetSize(&width, &height);
    render_size_ = {width, height};
  }
  return render_size_;
}

void VRInterface::init_eye_tex(int width, int height) {
  if (width == 0) width = static_cast<int>(render_size_[0]);
  if (height == 0) height = static_cast<int>(render_size_[1]);
  for (FrameBuffer& target : eye_data_) {
    // A size still 0 is the target's own (create reads 0 so); a target
    // never made has none to offer.
    if ((width == 0 || height == 0) && target.multisample_framebuffer() == 0) continue;
    target.create(width, height);
  }
}

void VRInterface::set_clip(float near_z, float far_z) {
  near_clip_ = near_z;
  far_clip_ = far_z;
}

void VRInterface::release_gl() {
  for (FrameBuffer& target : eye_data_) target.clear();
  for (auto& [name, vbo] : model_vbos_) {
    for (GLuint buffer : vbo.buffers())
      if (buffer) glDeleteBuffers(1, &buffer);
    vbo.texture().clear();
  }
  model_vbos_.clear();
  tracked_models_.fill(nullptr);
  for (auto& [name, model] : loaded_models_)
    if (model && render_models_) render_models_->FreeRenderModel(model);
  loaded_models_.clear();
}

// ---- Poses and eyes

void VRInterface::update_poses() {
  if (!enabled_) return;
  vr::IVRCompositor* compositor = vr::VRCompositor();
  if (!compositor) {
    std::cerr << "no VRCompositor()!" << std::endl;
    enabled_ = false;
    return;
  }
  compositor->WaitGetPoses(tracked_device_poses_.data(), kDevices, nullptr, 0);
}

void VRInterface::update_hmd_pose() {
  if (!enabled_) {
    std::cerr << "VR not enabled!" << std::endl;
    return;
  }
  if (!vr::VRCompositor()) {
    std::cerr << "No VR Compositor!" << std::endl;
    enabled_ = false;
    return;
  }
  pose2coordsys(tracked_device_poses_[vr::k_unTrackedDeviceIndex_Hmd], hmd_coord_sys_, true,
                {1.0f, 1.0f, 1.0f});
}

void VRInterface::get_eye_matrices() {
  if (!hmd_) return;
  for (int e = 0; e < 2; ++e) {
    const vr::HmdMatrix44_t p = hmd_->GetProjectionMatrix(eye(e), near_clip_, far_clip_);
    std::memcpy(eye_projections_[e].data(), p.m, sizeof p.m);
    eye_matrices_[e] = hmd_->GetEyeToHeadTransform(eye(e));
  }
  for (int e = 0; e < 2; ++e) {
    eye_coord_sys_[e] = pose2coordsys(eye_matrices_[e], true, {1.0f, 1.0f, 1.0f});
    for (int i = 0; i < 3; ++i) eye_positions_[e][i] = eye_matrices_[e].m[i][3];
  }
}

void VRInterface::get_projection_matrices() {
  for (int e = 0; e < 2; ++e) projection_matrix(projection_matrices_[e], eye(e));
}

void VRInterface::eye_matrix(vr::HmdMatrix34_t& out, vr::EVREye e) {
  if (hmd_) out = hmd_->GetEyeToHeadTransform(e);
}

void VRInterface::projection_matrix(vr::HmdMatrix44_t& out, vr::EVREye e) {
  if (hmd_) out = hmd_->GetProjectionMatrix(e, near_clip_, far_clip_);
}

float VRInterface::eye_dist() const {
  float sum = 0.0f;
  for (int i = 0; i < 3; ++i) {
    const float d = eye_positions_[1][i] - eye_positions_[0][i];
    sum += d * d;
  }
  return std::sqrt(sum);
}

CoordinateSystem VRInterface::pose2coordsys(const vr::HmdMatrix34_t& m, bool transposed,
                                            std::array<float, 3> scale) {
  CoordinateSystem cs;
  for (int i = 0; i < 3; ++i) cs.position()[i] = m.m[i][3] * scale[i];
  float r[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[3 * i + j] = m.m[i][j];
  if (transposed)
    cs.set_rotation_transposed(r);
  else
    cs.set_rotation(r);
  return cs;
}

int VRInterface::pose2coordsys(const vr::TrackedDevicePose_t& pose, CoordinateSystem& out,
                               bool transposed, std::array<float, 3> scale) {
  if (!pose.pose_is_valid) return 1;
  const CoordinateSystem cs = pose2coordsys(pose.device_to_absolute_tracking, transposed, scale);
  out.position() = cs.position();
  out.set_rotation(cs.rotation());
  return 0;
}

// ---- Drawing

void VRInterface::render_stereo(std::function<void(int)> draw, std::array<int, 2>,
                                std::array<float, 3> offset) {
  if (!draw) throw std::bad_function_call();
  std::array<double, 2> finished{0.0, 0.0};
  {
    StereoStateGuard guard;
    glViewport(0, 0, static_cast<GLsizei>(render_size_[0]), static_cast<GLsizei>(render_size_[1]));
    for (int e = 0; e < 2; ++e) {
      glMatrixMode(GL_PROJECTION);
      glLoadTransposeMatrixf(eye_projections_[e].data());
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      // The view: from the world into the head, then into the eye.
      for (const CoordinateSystem* cs : {&eye_coord_sys_[e], &hmd_coord_sys_}) {
        if (!cs->rotation_enabled()) continue;
        const Mat4 m = cs->pose_matrix(false, false, false);
        glMultTransposeMatrixf(m.data());
      }
      glTranslatef(offset[0], offset[1], offset[2]);
      eye_data_[e].bind_gl();
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      draw(e);
      eye_data_[e].finish_gl();
      finished[e] = time_origin();
      glFlush();
      glFinish();
    }
  }
  vr::IVRCompositor* compositor = vr::VRCompositor();
  for (int e = 0; e < 2; ++e) {
    glFlush();
    glFinish();
    const std::uintptr_t name = eye_data_[e].resolve_texture();
    eye_textures_[e] = {reinterpret_cast<void*>(name), vr::TextureType_OpenGL,
                        vr::ColorSpace_Gamma};
    if (compositor) compositor->Submit(eye(e), &eye_textures_[e], nullptr, vr::Submit_Default);
  }
  eye_frame_gap_ = finished[1] - finished[0];
}

void VRInterface::prepare_mirror_display(std::array<int, 2> window_size) {
  if (!mirror_) return;
  const double width = window_size[0], height = window_size[1];
  // The band keeps the eye image's aspect at the window's width.
  const double band =
      render_size_[0] && render_size_[1] ? width * render_size_[1] / render_size_[0] : height;
  const long y = std::lround((height - band) / 2.0);
  glViewport(0, static_cast<GLint>(y), window_size[0], static_cast<GLsizei>(std::lround(band)));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

double VRInterface::predict_next_frame_time() {
  vr::IVRSystem* system = vr::VRSystem();
  if (!system) {
    std::cerr << "no VRSystem()!" << std::endl;
    enabled_ = false;
    return 0.0;
  }
  float since_vsync = 0.0f;
  std::uint64_t frame = 0;
  system->GetTimeSinceLastVsync(&since_vsync, &frame);
  const float frequency = system->GetFloatTrackedDeviceProperty(
      vr::k_unTrackedDeviceIndex_Hmd, vr::Prop_DisplayFrequency_Float, nullptr);
  const float to_photons = system->GetFloatTrackedDeviceProperty(
      vr::k_unTrackedDeviceIndex_Hmd, vr::Prop_SecondsFromVsyncToPhotons_Float, nullptr);
  // A runtime that knows no frequency gives no frame time, not an infinite one.
  const double frame_time = frequency > 0.0f ? 1.0 / frequency : 0.0;
  predicted_photon_time_ = frame_time - since_vsync + to_photons;
  return predicted_photon_time_;
}

// ---- Events and the menu button

int VRInterface::poll_events() {
  vr::VREvent_t event{};
  while (enabled_) {
    vr::IVRSystem* system = vr::VRSystem();
    if (!system || !system->PollNextEvent(&event, sizeof(vr::VREvent_t))) break;
    process_btn_event(event);
  }
  return 0;
}

int VRInterface::process_btn_event(const vr::VREvent_t& e) {
  const bool press = e.event_type == vr::VREvent_ButtonPress;
  if (!press && e.event_type != vr::VREvent_ButtonUnpress) return 1;
  const int device = static_cast<int>(e.tracked_device_index);
  const int button = static_cast<int>(e.data.controller.button);
  float& state = button_states_[device][button];
  button_changes_[device][button] = press ? 1.0f - state : -state;
  state = press ? 1.0f : 0.0f;
  if (button == vr::k_EButton_ApplicationMenu && menu_button_fn_) {
    // A copy: the hook may replace itself.
    const MenuButtonFunction hook = menu_button_fn_;
    hook(device, press ? 1 : 0);
  }
  return 0;
}

int VRInterface::process_vr_event(const vr::VREvent_t& e) {
  process_btn_event(e);
  return 0;
}

namespace {

// The device's entry for the menu button, or null; creates nothing.
const float* menu_entry(const VRInterface::ButtonTable& table, int device) {
  const auto d = table.find(device);
  if (d == table.end()) return nullptr;
  const auto b = d->second.find(vr::k_EButton_ApplicationMenu);
  return b == d->second.end() ? nullptr : &b->second;
}

}  // namespace

int VRInterface::any_menu_button() const {
  for (const auto& [device, buttons] : button_states_)
    if (menu_button_tracked_dev(device, 0.5f)) return 1;
  return 0;
}

int VRInterface::any_menu_button_changed() const {
  for (const auto& [device, buttons] : button_changes_)
    if (menu_button_changed_tracked_dev(device, 0.5f)) return 1;
  return 0;
}

int VRInterface::menu_button_tracked_dev(int device, float threshold) const {
  const float* state = menu_entry(button_states_, device);
  return state && *state >= threshold ? 1 : 0;
}

int VRInterface::menu_button_changed_tracked_dev(int device, float threshold) const {
  const float* change = menu_entry(button_changes_, device);
  return change && std::fabs(*change) >= threshold ? 1 : 0;
}

// ---- Device strings

std::string VRInterface::tracked_device_str(vr::IVRSystem* system, unsigned device,
                                            vr::ETrackedDeviceProperty prop,
                                            vr::ETrackedPropertyError* error) {
  if (!system) return std::string();
  const std::uint32_t length =
      system->GetStringTrackedDeviceProperty(device, prop, nullptr, 0, error);
  if (length == 0 || length > kMaxPropertyLength) return std::string();
  std::string buffer(length, '\0');
  system->GetStringTrackedDeviceProperty(device, prop, buffer.data(), length, error);
  return std::string(buffer.c_str());
}

std::string VRInterface::tracked_device_string(unsigned device, vr::ETrackedDeviceProperty prop,
                                               vr::ETrackedPropertyError* error) {
  return tracked_device_str(vr::VRSystem(), device, prop, error);
}
