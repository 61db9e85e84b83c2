// The simulated headset runtime.
#include "platform/vr_simulator.h"

#include <algorithm>
#include <cstring>

namespace vr {
namespace {

bool known_version(const std::string& version) {
  return version == IVRSystem_Version || version == IVRCompositor_Version ||
         version == IVRChaperone_Version || version == IVRRenderModels_Version;
}

// One step of a countdown of "loading" answers: true while still loading.
bool still_loading(int& answers) {
  if (answers < 0) return true;
  if (answers == 0) return false;
  --answers;
  return true;
}

// The answer to one load request for table[key]: `missing` without an entry,
// Loading while its countdown runs, its error, or None with *found set.
template <typename Table>
EVRRenderModelError answer_load(Table& table, const typename Table::key_type& key,
                                EVRRenderModelError missing,
                                const typename Table::mapped_type** found) {
  const auto it = table.find(key);
  if (it == table.end()) return missing;
  if (still_loading(it->second.loading_answers)) return VRRenderModelError_Loading;
  if (it->second.error != VRRenderModelError_None) return it->second.error;
  *found = &it->second;
  return VRRenderModelError_None;
}

// Takes back the lent item whose record is `record`, noting its key; an
// unknown record is ignored.
template <typename Lent, typename Record, typename Key>
void give_back(std::vector<std::unique_ptr<Lent>>& lent, const Record* record, Key Lent::*key,
               std::vector<Key>& freed) {
  const auto it = std::find_if(lent.begin(), lent.end(),
                               [record](const auto& item) { return &item->record == record; });
  if (it == lent.end()) return;
  freed.push_back((*it).get()->*key);
  lent.erase(it);
}

}  // namespace

SimulatedHeadset::SimulatedHeadset() {
  tangents_[Eye_Left] = {-1.0f, 1.0f, -1.0f, 1.0f};
  tangents_[Eye_Right] = {-1.0f, 1.0f, -1.0f, 1.0f};
  eye_to_head_[Eye_Left] = matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {-0.032f, 0, 0});
  eye_to_head_[Eye_Right] = matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0.032f, 0, 0});
  const float corners[4][3] = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) play_area_.corners[i].v[j] = corners[i][j];
  SimulatedDevice& hmd = add_device(k_unTrackedDeviceIndex_Hmd, TrackedDeviceClass_HMD, "");
  hmd.strings.erase(Prop_RenderModelName_String);
  hmd.strings[Prop_TrackingSystemName_String] = "simulated";
  hmd.strings[Prop_SerialNumber_String] = "SIM-0001";
  hmd.floats[Prop_DisplayFrequency_Float] = 90.0f;
  hmd.floats[Prop_SecondsFromVsyncToPhotons_Float] = 0.011f;
}

SimulatedHeadset::~SimulatedHeadset() {
  if (&current_runtime() == this) set_runtime(nullptr);
}

SimulatedDevice& SimulatedHeadset::add_device(TrackedDeviceIndex_t index,
                                              ETrackedDeviceClass device_class,
                                              const std::string& render_model) {
  SimulatedDevice& d = device(index);
  d.device_class = device_class;
  d.connected = true;
  d.strings[Prop_RenderModelName_String] = render_model;
  d.pose = {};
  d.pose.device_to_absolute_tracking = identity();
  d.pose.pose_is_valid = true;
  d.pose.device_is_connected = true;
  return d;
}

SimulatedDevice& SimulatedHeadset::add_controller(TrackedDeviceIndex_t index,
                                                  const std::string& render_model,
                                                  std::array<EVRControllerAxisType, 5> axes) {
  SimulatedDevice& d = add_device(index, TrackedDeviceClass_Controller, render_model);
  for (int i = 0; i < 5; ++i)
    d.ints[static_cast<ETrackedDeviceProperty>(Prop_Axis0Type_Int32 + i)] = axes[i];
  return d;
}

void SimulatedHeadset::play_area(const HmdQuad_t& quad) {
  play_area_ = quad;
  has_play_area_ = true;
}

void SimulatedHeadset::vsync(float seconds_since, std::uint64_t frame) {
  vsync_ = seconds_since;
  frame_ = frame;
}

void SimulatedHeadset::set_pose(TrackedDeviceIndex_t index, const HmdMatrix34_t& m, bool valid) {
  TrackedDevicePose_t& pose = device(index).pose;
  pose.device_to_absolute_tracking = m;
  pose.pose_is_valid = valid;
}

void SimulatedHeadset::press(TrackedDeviceIndex_t device, std::uint32_t button) {
  push_event(button_event(VREvent_ButtonPress, device, button));
}

void SimulatedHeadset::unpress(TrackedDeviceIndex_t device, std::uint32_t button) {
  push_event(button_event(VREvent_ButtonUnpress, device, button));
}

VREvent_t SimulatedHeadset::button_event(EVREventType type, TrackedDeviceIndex_t device,
                                         std::uint32_t button) {
  VREvent_t e{};
  e.event_type = type;
  e.tracked_device_index = device;
  e.data.controller.button = button;
  return e;
}

void SimulatedHeadset::add_render_model(const std::string& name, SimulatedModel model) {
  models_[name] = std::move(model);
  if (std::find(listed_.begin(), listed_.end(), name) == listed_.end()) listed_.push_back(name);
}

int SimulatedHeadset::model_loads(const std::string& name) const {
  const auto it = model_loads_.find(name);
  return it == model_loads_.end() ? 0 : it->second;
}

int SimulatedHeadset::texture_loads(TextureID_t id) const {
  const auto it = texture_loads_.find(id);
  return it == texture_loads_.end() ? 0 : it->second;
}

void SimulatedHeadset::clear_records() {
  submits_.clear();
  pose_waits_ = 0;
  freed_models_.clear();
  freed_textures_.clear();
  model_loads_.clear();
  texture_loads_.clear();
}

HmdMatrix34_t SimulatedHeadset::identity() {
  return matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0});
}

HmdMatrix34_t SimulatedHeadset::matrix(const std::array<float, 9>& r,
                                       const std::array<float, 3>& t) {
  HmdMatrix34_t m{};
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m.m[i][j] = r[3 * i + j];
    m.m[i][3] = t[i];
  }
  return m;
}

const SimulatedDevice* SimulatedHeadset::present_device(TrackedDeviceIndex_t index) const {
  if (index >= k_unMaxTrackedDeviceCount) return nullptr;
  const SimulatedDevice& d = devices_[index];
  return d.device_class == TrackedDeviceClass_Invalid ? nullptr : &d;
}

// ---- Runtime

EVRInitError SimulatedHeadset::start(EVRApplicationType) {
  if (!present_) return VRInitError_Init_HmdNotFound;
  if (init_error_ != VRInitError_None) return init_error_;
  running_ = true;
  ++starts_;
  return VRInitError_None;
}

void* SimulatedHeadset::find_interface(const std::string& version) {
  if (!running_ || !known_version(version) || removed_.count(version)) return nullptr;
  if (version == IVRSystem_Version) return static_cast<IVRSystem*>(this);
  if (version == IVRCompositor_Version) return static_cast<IVRCompositor*>(this);
  if (version == IVRChaperone_Version) return static_cast<IVRChaperone*>(this);
  return static_cast<IVRRenderModels*>(this);
}

// ---- IVRSystem

void SimulatedHeadset::GetRecommendedRenderTargetSize(std::uint32_t* width, std::uint32_t* height) {
  if (width) *width = size_[0];
  if (height) *height = size_[1];
}

HmdMatrix44_t SimulatedHeadset::GetProjectionMatrix(EVREye eye, float near_z, float far_z) {
  const auto& [l, r, b, t] = tangents_[eye == Eye_Right ? 1 : 0];
  HmdMatrix44_t p{};
  p.m[0][0] = 2.0f / (r - l);
  p.m[0][2] = (r + l) / (r - l);
  p.m[1][1] = 2.0f / (t - b);
  p.m[1][2] = (t + b) / (t - b);
  p.m[2][2] = -(far_z + near_z) / (far_z - near_z);
  p.m[2][3] = -2.0f * far_z * near_z / (far_z - near_z);
  p.m[3][2] = -1.0f;
  return p;
}

HmdMatrix34_t SimulatedHeadset::GetEyeToHeadTransform(EVREye eye) {
  return eye_to_head_[eye == Eye_Right ? 1 : 0];
}

bool SimulatedHeadset::GetTimeSinceLastVsync(float* seconds, std::uint64_t* frame_counter) {
  if (seconds) *seconds = vsync_;
  if (frame_counter) *frame_counter = frame_;
  return true;
}

ETrackedDeviceClass SimulatedHeadset::GetTrackedDeviceClass(TrackedDeviceIndex_t device) {
  const SimulatedDevice* d = present_device(device);
  return d ? d->device_class : TrackedDeviceClass_Invalid;
}

bool SimulatedHeadset::IsTrackedDeviceConnected(TrackedDeviceIndex_t device) {
  const SimulatedDevice* d = present_device(device);
  return d && d->connected;
}

namespace {

// The property of a present device, or the default with the error set.
template <typename Value>
Value read_property(const SimulatedDevice* d,
                    const std::map<ETrackedDeviceProperty, Value> SimulatedDevice::*table,
                    ETrackedDeviceProperty prop, ETrackedPropertyError* error, Value fallback) {
  ETrackedPropertyError e = TrackedProp_Success;
  Value value = fallback;
  if (!d) {
    e = TrackedProp_InvalidDevice;
  } else if (const auto it = (d->*table).find(prop); it == (d->*table).end()) {
    e = TrackedProp_UnknownProperty;
  } else {
    value = it->second;
  }
  if (error) *error = e;
  return value;
}

}  // namespace

float SimulatedHeadset::GetFloatTrackedDeviceProperty(TrackedDeviceIndex_t device,
                                                      ETrackedDeviceProperty prop,
                                                      ETrackedPropertyError* error) {
  return read_property(present_device(device), &SimulatedDevice::floats, prop, error, 0.0f);
}

std::int32_t SimulatedHeadset::GetInt32TrackedDeviceProperty(TrackedDeviceIndex_t device,
                                                             ETrackedDeviceProperty prop,
                                                             ETrackedPropertyError* error) {
  return read_property(present_device(device), &SimulatedDevice::ints, prop, error,
                       std::int32_t{0});
}

std::uint32_t SimulatedHeadset::GetStringTrackedDeviceProperty(TrackedDeviceIndex_t device,
                                                               ETrackedDeviceProperty prop,
                                                               char* buffer, std::uint32_t size,
                                                               ETrackedPropertyError* error) {
  ETrackedPropertyError e = TrackedProp_Success;
  const std::string text =
      read_property(present_device(device), &SimulatedDevice::strings, prop, &e, std::string());
  if (e != TrackedProp_Success) {
    if (error) *error = e;
    return 0;
  }
  const auto needed = static_cast<std::uint32_t>(text.size() + 1);
  if (!buffer || size < needed) {
    e = TrackedProp_BufferTooSmall;
  } else {
    std::memcpy(buffer, text.c_str(), needed);
  }
  if (error) *error = e;
  return needed;
}

bool SimulatedHeadset::PollNextEvent(VREvent_t* event, std::uint32_t size) {
  if (!event || size != sizeof(VREvent_t) || events_.empty()) return false;
  *event = events_.front();
  events_.pop_front();
  return true;
}

bool SimulatedHeadset::GetControllerState(TrackedDeviceIndex_t device,
                                          VRControllerState001_t* state, std::uint32_t size) {
  const SimulatedDevice* d = present_device(device);
  if (!state || size != sizeof(VRControllerState001_t) || !d || !d->connected || !d->state_readable)
    return false;
  *state = d->state;
  return true;
}

// ---- IVRCompositor

EVRCompositorError SimulatedHeadset::WaitGetPoses(TrackedDevicePose_t* render_poses,
                                                  std::uint32_t render_count,
                                                  TrackedDevicePose_t* game_poses,
                                                  std::uint32_t game_count) {
  ++pose_waits_;
  auto fill = [this](TrackedDevicePose_t* poses, std::uint32_t count) {
    if (!poses) return;
    for (std::uint32_t i = 0; i < count; ++i) {
      const SimulatedDevice* d = present_device(i);
      poses[i] = d ? d->pose : TrackedDevicePose_t{};
    }
  };
  fill(render_poses, std::min(render_count, k_unMaxTrackedDeviceCount));
  fill(game_poses, std::min(game_count, k_unMaxTrackedDeviceCount));
  return VRCompositorError_None;
}

EVRCompositorError SimulatedHeadset::Submit(EVREye eye, const Texture_t* texture,
                                            const VRTextureBounds_t* bounds, EVRSubmitFlags flags) {
  if (!texture) return VRCompositorError_InvalidTexture;
  submits_.push_back({eye, *texture, bounds != nullptr, flags});
  return VRCompositorError_None;
}

// ---- IVRChaperone

bool SimulatedHeadset::GetPlayAreaRect(HmdQuad_t* rect) {
  if (!rect || !has_play_area_) return false;
  *rect = play_area_;
  return true;
}

// ---- IVRRenderModels

std::uint32_t SimulatedHeadset::GetRenderModelCount() {
  return static_cast<std::uint32_t>(listed_.size());
}

std::uint32_t SimulatedHeadset::GetRenderModelName(std::uint32_t index, char* buffer,
                                                   std::uint32_t size) {
  if (index >= listed_.size() || listed_[index].empty()) return 0;
  const std::string& name = listed_[index];
  const auto needed = static_cast<std::uint32_t>(name.size() + 1);
  if (buffer && size >= needed) std::memcpy(buffer, name.c_str(), needed);
  return needed;
}

EVRRenderModelError SimulatedHeadset::LoadRenderModel_Async(const char* name,
                                                            RenderModel_t** model) {
  if (!name || !model) return VRRenderModelError_InvalidArg;
  ++model_loads_[name];
  const SimulatedModel* found = nullptr;
  const EVRRenderModelError error =
      answer_load(models_, name, VRRenderModelError_InvalidModel, &found);
  if (error != VRRenderModelError_None) return error;
  auto lent = std::make_unique<LentModel>(LentModel{name, *found, {}});
  const SimulatedModel& data = lent->data;
  lent->record = {data.vertices.data(), static_cast<std::uint32_t>(data.vertices.size()),
                  data.indices.data(), static_cast<std::uint32_t>(data.indices.size() / 3),
                  data.texture_id};
  *model = &lent->record;
  lent_models_.push_back(std::move(lent));
  return VRRenderModelError_None;
}

void SimulatedHeadset::FreeRenderModel(RenderModel_t* model) {
  give_back(lent_models_, model, &LentModel::name, freed_models_);
}

EVRRenderModelError SimulatedHeadset::LoadTexture_Async(TextureID_t id,
                                                        RenderModel_TextureMap_t** texture) {
  if (!texture) return VRRenderModelError_InvalidArg;
  ++texture_loads_[id];
  const SimulatedTexture* found = nullptr;
  const EVRRenderModelError error =
      answer_load(textures_, id, VRRenderModelError_InvalidTexture, &found);
  if (error != VRRenderModelError_None) return error;
  auto lent = std::make_unique<LentTexture>(LentTexture{id, *found, {}});
  lent->record = {lent->data.width, lent->data.height, lent->data.rgba.data()};
  *texture = &lent->record;
  lent_textures_.push_back(std::move(lent));
  return VRRenderModelError_None;
}

void SimulatedHeadset::FreeTexture(RenderModel_TextureMap_t* texture) {
  give_back(lent_textures_, texture, &LentTexture::id, freed_textures_);
}

const char* SimulatedHeadset::GetRenderModelErrorNameFromEnum(EVRRenderModelError error) {
  switch (error) {
    case VRRenderModelError_None:
      return "VRRenderModelError_None";
    case VRRenderModelError_Loading:
      return "VRRenderModelError_Loading";
    case VRRenderModelError_NotSupported:
      return "VRRenderModelError_NotSupported";
    case VRRenderModelError_InvalidArg:
      return "VRRenderModelError_InvalidArg";
    case VRRenderModelError_InvalidModel:
      return "VRRenderModelError_InvalidModel";
    case VRRenderModelError_InvalidTexture:
      return "VRRenderModelError_InvalidTexture";
  }
  return "VRRenderModelError_Unknown";
}

}  // namespace vr
