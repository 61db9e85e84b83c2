// SimulatedHeadset: a headset runtime played in the process, for tests and
// for developing without a headset. Its caller sets what the headset shows
// (render size, eye projections and transforms, play area, timing, the 16
// device slots with their class, properties, poses and controller states,
// button events, render models and textures, missing interfaces) and reads
// back what the engine did with it (submits, pose waits, freed models).
//
//   vr::SimulatedHeadset headset;
//   vr::set_runtime(&headset);   // until set_runtime(nullptr) or destruction
//
// Out of the box it is a present headset in slot 0 with a valid identity
// pose, 1080 x 1200 pixels per eye at 90 Hz, eyes 64 mm apart, a 2 m x 2 m
// play area and every interface.
#pragma once

#include <array>
#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/vr_runtime.h"

namespace vr {

struct SimulatedDevice {
  ETrackedDeviceClass device_class = TrackedDeviceClass_Invalid;
  bool connected = false;
  std::map<ETrackedDeviceProperty, std::string> strings;
  std::map<ETrackedDeviceProperty, float> floats;
  std::map<ETrackedDeviceProperty, std::int32_t> ints;
  // What WaitGetPoses reports (a device without class reports no valid pose).
  TrackedDevicePose_t pose{};
  VRControllerState001_t state{};
  // GetControllerState answers for a connected device with a class while set.
  bool state_readable = true;
};

struct SimulatedModel {
  std::vector<RenderModel_Vertex_t> vertices;
  // Three per triangle.
  std::vector<std::uint16_t> indices;
  TextureID_t texture_id = -1;
  // Calls answered VRRenderModelError_Loading before the outcome; negative:
  // loading for ever.
  int loading_answers = 0;
  // The outcome: VRRenderModelError_None hands out the model.
  EVRRenderModelError error = VRRenderModelError_None;
};

struct SimulatedTexture {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  // width x height x 4 bytes.
  std::vector<std::uint8_t> rgba;
  int loading_answers = 0;
  EVRRenderModelError error = VRRenderModelError_None;
};

struct SubmitRecord {
  EVREye eye;
  Texture_t texture;
  bool bounds_given;
  EVRSubmitFlags flags;
};

class SimulatedHeadset final : public Runtime,
                               public IVRSystem,
                               public IVRCompositor,
                               public IVRChaperone,
                               public IVRRenderModels {
 public:
  SimulatedHeadset();
  // Stops being the current runtime when it is.
  ~SimulatedHeadset() override;
  SimulatedHeadset(const SimulatedHeadset&) = delete;
  SimulatedHeadset& operator=(const SimulatedHeadset&) = delete;

  // ---- Set-up

  // VR_IsHmdPresent; VR_Init fails with VRInitError_Init_HmdNotFound while false.
  void present(bool on) { present_ = on; }
  // VR_Init fails with this error (VRInitError_None: starts).
  void init_error(EVRInitError error) { init_error_ = error; }
  // find_interface answers null for that version.
  void remove_interface(const std::string& version) { removed_.insert(version); }
  void restore_interfaces() { removed_.clear(); }

  void recommended_size(std::uint32_t width, std::uint32_t height) { size_ = {width, height}; }
  // Tangents of the half-angles of an eye's view: left, right, bottom, top
  // (left and bottom negative); the projection is the OpenGL frustum through
  // them at the asked clip distances.
  void eye_tangents(EVREye eye, std::array<float, 4> tangents) { tangents_[eye] = tangents; }
  void eye_to_head(EVREye eye, const HmdMatrix34_t& m) { eye_to_head_[eye] = m; }
  // No play area: GetPlayAreaRect fails.
  void play_area(const HmdQuad_t& quad);
  void no_play_area() { has_play_area_ = false; }
  void vsync(float seconds_since, std::uint64_t frame);

  // Slot 0 to 15 (std::out_of_range beyond).
  SimulatedDevice& device(TrackedDeviceIndex_t index) { return devices_.at(index); }
  // A connected device of that class showing the model, with a valid identity pose.
  SimulatedDevice& add_device(TrackedDeviceIndex_t index, ETrackedDeviceClass device_class,
                              const std::string& render_model);
  // A controller whose axes 0 to 4 have those types.
  SimulatedDevice& add_controller(TrackedDeviceIndex_t index, const std::string& render_model,
                                  std::array<EVRControllerAxisType, 5> axes);
  void set_pose(TrackedDeviceIndex_t index, const HmdMatrix34_t& m, bool valid = true);

  void push_event(const VREvent_t& event) { events_.push_back(event); }
  void press(TrackedDeviceIndex_t device, std::uint32_t button);
  void unpress(TrackedDeviceIndex_t device, std::uint32_t button);

  // A model under that name, listed by GetRenderModelName unless it is
  // listed already.
  void add_render_model(const std::string& name, SimulatedModel model);
  // The names GetRenderModelCount and GetRenderModelName report, in order;
  // an empty entry answers a length of 0.
  std::vector<std::string>& listed_models() { return listed_; }
  void add_texture(TextureID_t id, SimulatedTexture texture) { textures_[id] = std::move(texture); }

  // ---- Records

  bool running() const { return running_; }
  int starts() const { return starts_; }
  const std::vector<SubmitRecord>& submits() const { return submits_; }
  int pose_waits() const { return pose_waits_; }
  const std::vector<std::string>& freed_models() const { return freed_models_; }
  const std::vector<TextureID_t>& freed_textures() const { return freed_textures_; }
  // Models and textures lent and not freed.
  std::size_t models_out() const { return lent_models_.size(); }
  std::size_t textures_out() const { return lent_textures_.size(); }
  int model_loads(const std::string& name) const;
  int texture_loads(TextureID_t id) const;
  void clear_records();

  // ---- Helpers

  static HmdMatrix34_t identity();
  // An event of that type for a button of a device.
  static VREvent_t button_event(EVREventType type, TrackedDeviceIndex_t device,
                                std::uint32_t button);
  // Rotation rows r (the device's axes are its columns) and a translation.
  static HmdMatrix34_t matrix(const std::array<float, 9>& r, const std::array<float, 3>& t);

  // ---- Runtime
  bool hmd_present() override { return present_; }
  EVRInitError start(EVRApplicationType type) override;
  void stop() override { running_ = false; }
  void* find_interface(const std::string& version) override;

  // ---- IVRSystem
  void GetRecommendedRenderTargetSize(std::uint32_t* width, std::uint32_t* height) override;
  HmdMatrix44_t GetProjectionMatrix(EVREye eye, float near_z, float far_z) override;
  HmdMatrix34_t GetEyeToHeadTransform(EVREye eye) override;
  bool GetTimeSinceLastVsync(float* seconds, std::uint64_t* frame_counter) override;
  ETrackedDeviceClass GetTrackedDeviceClass(TrackedDeviceIndex_t device) override;
  bool IsTrackedDeviceConnected(TrackedDeviceIndex_t device) override;
  float GetFloatTrackedDeviceProperty(TrackedDeviceIndex_t device, ETrackedDeviceProperty prop,
                                      ETrackedPropertyError* error) override;
  std::int32_t GetInt32TrackedDeviceProperty(TrackedDeviceIndex_t device,
                                             ETrackedDeviceProperty prop,
                                             ETrackedPropertyError* error) override;
  std::uint32_t GetStringTrackedDeviceProperty(TrackedDeviceIndex_t device,
                                               ETrackedDeviceProperty prop, char* buffer,
                                               std::uint32_t size,
                                               ETrackedPropertyError* error) override;
  bool PollNextEvent(VREvent_t* event, std::uint32_t size) override;
  bool GetControllerState(TrackedDeviceIndex_t device, VRControllerState001_t* state,
                          std::uint32_t size) override;

  // ---- IVRCompositor
  EVRCompositorError WaitGetPoses(TrackedDevicePose_t* render_poses, std::uint32_t render_count,
                                  TrackedDevicePose_t* game_poses,
                                  std::uint32_t game_count) override;
  EVRCompositorError Submit(EVREye eye, const Texture_t* texture, const VRTextureBounds_t* bounds,
                            EVRSubmitFlags flags) override;

  // ---- IVRChaperone
  bool GetPlayAreaRect(HmdQuad_t* rect) override;

  // ---- IVRRenderModels
  std::uint32_t GetRenderModelCount() override;
  std::uint32_t GetRenderModelName(std::uint32_t index, char* buffer, std::uint32_t size) override;
  EVRRenderModelError LoadRenderModel_Async(const char* name, RenderModel_t** model) override;
  void FreeRenderModel(RenderModel_t* model) override;
  EVRRenderModelError LoadTexture_Async(TextureID_t id,
                                        RenderModel_TextureMap_t** texture) override;
  void FreeTexture(RenderModel_TextureMap_t* texture) override;
  const char* GetRenderModelErrorNameFromEnum(EVRRenderModelError error) override;

 private:
  struct LentModel {
    std::string name;
    SimulatedModel data;
    RenderModel_t record;
  };
  struct LentTexture {
    TextureID_t id;
    SimulatedTexture data;
    RenderModel_TextureMap_t record;
  };

  // The device of a slot with a class, or null.
  const SimulatedDevice* present_device(TrackedDeviceIndex_t index) const;

  bool present_ = true;
  EVRInitError init_error_ = VRInitError_None;
  std::set<std::string> removed_;
  bool running_ = false;
  int starts_ = 0;

  std::array<std::uint32_t, 2> size_{1080, 1200};
  std::array<std::array<float, 4>, 2> tangents_{};
  std::array<HmdMatrix34_t, 2> eye_to_head_{};
  HmdQuad_t play_area_{};
  bool has_play_area_ = true;
  float vsync_ = 0.0f;
  std::uint64_t frame_ = 0;

  std::array<SimulatedDevice, k_unMaxTrackedDeviceCount> devices_;
  std::deque<VREvent_t> events_;

  std::map<std::string, SimulatedModel> models_;
  std::vector<std::string> listed_;
  std::map<TextureID_t, SimulatedTexture> textures_;
  std::vector<std::unique_ptr<LentModel>> lent_models_;
  std::vector<std::unique_ptr<LentTexture>> lent_textures_;

  std::vector<SubmitRecord> submits_;
  int pose_waits_ = 0;
  std::vector<std::string> freed_models_;
  std::vector<TextureID_t> freed_textures_;
  std::map<std::string, int> model_loads_;
  std::map<TextureID_t, int> texture_loads_;
};

}  // namespace vr
