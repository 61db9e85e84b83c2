// The headset-runtime layer: the records, interfaces and functions through
// which the engine talks to a VR runtime, and the seam that chooses which
// runtime answers. Nothing else of the engine reaches a runtime. The
// process has one current runtime: by default one with no headset (VR_Init
// fails, every interface is null); SimulatedHeadset (platform/vr_simulator.h)
// plays a headset that tests and developers drive. A real runtime goes behind
// Runtime without touching the callers.
//
// Matrices are row-major. Everything runs on the thread that pumps freeglut;
// nothing locks.
#pragma once

#include <cstdint>
#include <string>

namespace vr {

// ---- Constants and enumerations (values the callers name are fixed)

using TrackedDeviceIndex_t = std::uint32_t;
using TextureID_t = std::int32_t;

inline constexpr std::uint32_t k_unMaxTrackedDeviceCount = 16;
inline constexpr TrackedDeviceIndex_t k_unTrackedDeviceIndex_Hmd = 0;

inline constexpr const char* IVRSystem_Version = "IVRSystem_017";
inline constexpr const char* IVRCompositor_Version = "IVRCompositor_021";
inline constexpr const char* IVRChaperone_Version = "IVRChaperone_003";
inline constexpr const char* IVRRenderModels_Version = "IVRRenderModels_005";

enum ETrackedDeviceClass {
  TrackedDeviceClass_Invalid = 0,
  TrackedDeviceClass_HMD = 1,
  TrackedDeviceClass_Controller = 2,
  TrackedDeviceClass_GenericTracker = 3,
  TrackedDeviceClass_TrackingReference = 4,
};

enum ETrackedDeviceProperty {
  Prop_Invalid = 0,
  Prop_TrackingSystemName_String = 1000,
  Prop_SerialNumber_String = 1002,
  Prop_RenderModelName_String = 1003,
  Prop_SecondsFromVsyncToPhotons_Float = 2001,
  Prop_DisplayFrequency_Float = 2002,
  // Axis i of a controller has its type at Prop_Axis0Type_Int32 + i (i < 5).
  Prop_Axis0Type_Int32 = 3002,
};

enum ETrackedPropertyError {
  TrackedProp_Success = 0,
  TrackedProp_WrongDataType = 1,
  TrackedProp_BufferTooSmall = 3,
  TrackedProp_UnknownProperty = 4,
  TrackedProp_InvalidDevice = 5,
};

enum EVRControllerAxisType {
  k_eControllerAxis_None = 0,
  k_eControllerAxis_TrackPad = 1,
  k_eControllerAxis_Joystick = 2,
  k_eControllerAxis_Trigger = 3,
};

// Bit b of a controller's pressed and touched masks is button b; the axes'
// buttons are bits 32 to 36.
enum EVRButtonId {
  k_EButton_System = 0,
  k_EButton_ApplicationMenu = 1,
  k_EButton_Grip = 2,
  k_EButton_Axis0 = 32,
};

enum EVREventType {
  VREvent_None = 0,
  VREvent_ButtonPress = 200,
  VREvent_ButtonUnpress = 201,
  VREvent_ButtonTouch = 202,
  VREvent_ButtonUntouch = 203,
};

enum EVREye { Eye_Left = 0, Eye_Right = 1 };

enum EVRApplicationType { VRApplication_Other = 0, VRApplication_Scene = 1 };

enum EVRInitError {
  VRInitError_None = 0,
  VRInitError_Init_InstallationNotFound = 100,
  VRInitError_Init_InterfaceNotFound = 105,
  VRInitError_Init_HmdNotFound = 108,
  VRInitError_Init_NotInitialized = 112,
};

enum EVRCompositorError {
  VRCompositorError_None = 0,
  VRCompositorError_RequestFailed = 1,
  VRCompositorError_InvalidTexture = 105,
};

enum ETextureType { TextureType_OpenGL = 1 };
enum EColorSpace { ColorSpace_Auto = 0, ColorSpace_Gamma = 1, ColorSpace_Linear = 2 };
enum EVRSubmitFlags { Submit_Default = 0 };

enum EVRRenderModelError {
  VRRenderModelError_None = 0,
  VRRenderModelError_Loading = 100,
  VRRenderModelError_NotSupported = 200,
  VRRenderModelError_InvalidArg = 300,
  VRRenderModelError_InvalidModel = 301,
  VRRenderModelError_InvalidTexture = 400,
};

// ---- Records

struct HmdVector3_t {
  float v[3];
};
struct HmdMatrix34_t {
  float m[3][4];
};
struct HmdMatrix44_t {
  float m[4][4];
};
// The play area's corners.
struct HmdQuad_t {
  HmdVector3_t corners[4];
};

// A device's pose: the device-to-tracking-space transform (the rotation's
// columns are the device's axes, the last column its position).
struct TrackedDevicePose_t {
  HmdMatrix34_t device_to_absolute_tracking;
  HmdVector3_t velocity;
  HmdVector3_t angular_velocity;
  bool pose_is_valid;
  bool device_is_connected;
};

struct VRControllerAxis_t {
  float x;
  float y;
};

inline constexpr std::uint32_t k_unControllerStateAxisCount = 5;

struct VRControllerState001_t {
  std::uint32_t packet_num;
  std::uint64_t button_pressed;
  std::uint64_t button_touched;
  VRControllerAxis_t axis[k_unControllerStateAxisCount];
};

struct VREvent_Controller_t {
  std::uint32_t button;
};
struct VREvent_Data_t {
  VREvent_Controller_t controller;
};
struct VREvent_t {
  std::uint32_t event_type;  // an EVREventType
  TrackedDeviceIndex_t tracked_device_index;
  float event_age_seconds;
  VREvent_Data_t data;
};

// What is submitted for one eye; for OpenGL the handle carries the texture name.
struct Texture_t {
  void* handle;
  ETextureType type;
  EColorSpace color_space;
};
struct VRTextureBounds_t {
  float u_min, v_min, u_max, v_max;
};

struct RenderModel_Vertex_t {
  HmdVector3_t position;
  HmdVector3_t normal;
  float texture_coord[2];
};
// A render model the runtime lends until FreeRenderModel: vertex_count
// vertices, three 16-bit vertex indices per triangle, and the id of its
// diffuse texture (negative for none).
struct RenderModel_t {
  const RenderModel_Vertex_t* vertex_data;
  std::uint32_t vertex_count;
  const std::uint16_t* index_data;
  std::uint32_t triangle_count;
  TextureID_t diffuse_texture_id;
};
// RGBA bytes, 4 per pixel, width x height, lent until FreeTexture.
struct RenderModel_TextureMap_t {
  std::uint16_t width;
  std::uint16_t height;
  const std::uint8_t* texture_data;
};

// ---- Interfaces (owned by the runtime; valid while it runs)

class IVRSystem {
 public:
  virtual void GetRecommendedRenderTargetSize(std::uint32_t* width, std::uint32_t* height) = 0;
  virtual HmdMatrix44_t GetProjectionMatrix(EVREye eye, float near_z, float far_z) = 0;
  virtual HmdMatrix34_t GetEyeToHeadTransform(EVREye eye) = 0;
  // False when the runtime cannot tell.
  virtual bool GetTimeSinceLastVsync(float* seconds, std::uint64_t* frame_counter) = 0;
  virtual ETrackedDeviceClass GetTrackedDeviceClass(TrackedDeviceIndex_t device) = 0;
  virtual bool IsTrackedDeviceConnected(TrackedDeviceIndex_t device) = 0;
  virtual float GetFloatTrackedDeviceProperty(TrackedDeviceIndex_t device,
                                              ETrackedDeviceProperty prop,
                                              ETrackedPropertyError* error) = 0;
  virtual std::int32_t GetInt32TrackedDeviceProperty(TrackedDeviceIndex_t device,
                                                     ETrackedDeviceProperty prop,
                                                     ETrackedPropertyError* error) = 0;
  // Writes the text with its terminating zero when it fits in size bytes;
  // returns the length that needs (0 when there is no such text).
  virtual std::uint32_t GetStringTrackedDeviceProperty(TrackedDeviceIndex_t device,
                                                       ETrackedDeviceProperty prop, char* buffer,
                                                       std::uint32_t size,
                                                       ETrackedPropertyError* error) = 0;
  // The next pending event; false when there is none (or size is not sizeof(VREvent_t)).
  virtual bool PollNextEvent(VREvent_t* event, std::uint32_t size) = 0;
  // False when the device's state cannot be read (or size is not the record's).
  virtual bool GetControllerState(TrackedDeviceIndex_t device, VRControllerState001_t* state,
                                  std::uint32_t size) = 0;

 protected:
  ~IVRSystem() = default;
};

class IVRCompositor {
 public:
  // Blocks until the next frame may start, then fills the poses of devices
  // 0 to count - 1 (the game poses likewise when given).
  virtual EVRCompositorError WaitGetPoses(TrackedDevicePose_t* render_poses,
                                          std::uint32_t render_count,
                                          TrackedDevicePose_t* game_poses,
                                          std::uint32_t game_count) = 0;
  virtual EVRCompositorError Submit(EVREye eye, const Texture_t* texture,
                                    const VRTextureBounds_t* bounds, EVRSubmitFlags flags) = 0;

 protected:
  ~IVRCompositor() = default;
};

class IVRChaperone {
 public:
  // False when no play area is known.
  virtual bool GetPlayAreaRect(HmdQuad_t* rect) = 0;

 protected:
  ~IVRChaperone() = default;
};

class IVRRenderModels {
 public:
  virtual std::uint32_t GetRenderModelCount() = 0;
  // Writes the name of model `index` when it fits; returns the length with
  // the terminating zero, 0 when there is no such model.
  virtual std::uint32_t GetRenderModelName(std::uint32_t index, char* buffer,
                                           std::uint32_t size) = 0;
  // Answers VRRenderModelError_Loading while the model is still on its way;
  // on success *model stays valid until FreeRenderModel.
  virtual EVRRenderModelError LoadRenderModel_Async(const char* name, RenderModel_t** model) = 0;
  virtual void FreeRenderModel(RenderModel_t* model) = 0;
  virtual EVRRenderModelError LoadTexture_Async(TextureID_t id,
                                                RenderModel_TextureMap_t** texture) = 0;
  virtual void FreeTexture(RenderModel_TextureMap_t* texture) = 0;
  virtual const char* GetRenderModelErrorNameFromEnum(EVRRenderModelError error) = 0;

 protected:
  ~IVRRenderModels() = default;
};

// ---- Functions

// Starts the current runtime as an application of that type and answers its
// system interface; null with *error set on failure (a runtime without
// IVRSystem_Version is stopped again: VRInitError_Init_InterfaceNotFound).
// A session already running is shut down first.
IVRSystem* VR_Init(EVRInitError* error, EVRApplicationType type);
// Stops the runtime; nothing when it is not running.
void VR_Shutdown();
// Whether the current runtime sees a headset; needs no VR_Init.
bool VR_IsHmdPresent();
const char* VR_GetVRInitErrorAsEnglishDescription(EVRInitError error);
// The interface of that version while a session runs; null otherwise, with
// *error (when given) set.
void* VR_GetGenericInterface(const char* version, EVRInitError* error);

// The interfaces of the running session, cached until the next VR_Init or
// VR_Shutdown; null without a session or when the runtime lacks one.
IVRSystem* VRSystem();
IVRCompositor* VRCompositor();
IVRChaperone* VRChaperone();

// ---- The runtime seam

class Runtime {
 public:
  virtual ~Runtime() = default;
  virtual bool hmd_present() = 0;
  // VRInitError_None once running.
  virtual EVRInitError start(EVRApplicationType type) = 0;
  virtual void stop() = 0;
  // While running: the interface of that version (as the interface class's
  // pointer converted to void*), or null.
  virtual void* find_interface(const std::string& version) = 0;
};

// Makes `runtime` current (null: the runtime without a headset); a running
// session is shut down first. The runtime must outlive its time as current.
// Returns the previous one (null for the default).
Runtime* set_runtime(Runtime* runtime);
Runtime& current_runtime();

}  // namespace vr
