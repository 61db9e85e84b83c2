// The headset-runtime functions over the current runtime, and the default
// runtime, which has no headset.
#include "platform/vr_runtime.h"

namespace vr {
namespace {

class NoRuntime final : public Runtime {
 public:
  bool hmd_present() override { return false; }
  EVRInitError start(EVRApplicationType) override { return VRInitError_Init_InstallationNotFound; }
  void stop() override {}
  void* find_interface(const std::string&) override { return nullptr; }
};

// Never destroyed: the program's VR interface may shut down during static
// destruction.
NoRuntime& no_runtime() {
  static NoRuntime& none = *new NoRuntime;
  return none;
}

Runtime* current = nullptr;
// 0 while no session runs; each VR_Init takes the next number, so cached
// interfaces of an earlier session are never handed out.
unsigned long long session_token = 0;
unsigned long long last_token = 0;

template <typename Interface>
Interface* cached_interface(const char* version) {
  static unsigned long long token = 0;
  static Interface* cached = nullptr;
  if (token != session_token) {
    token = session_token;
    cached = token ? static_cast<Interface*>(current_runtime().find_interface(version)) : nullptr;
  }
  return cached;
}

}  // namespace

Runtime& current_runtime() {
  return current ? *current : no_runtime();
}

Runtime* set_runtime(Runtime* runtime) {
  VR_Shutdown();
  Runtime* previous = current;
  current = runtime;
  return previous;
}

IVRSystem* VR_Init(EVRInitError* error, EVRApplicationType type) {
  VR_Shutdown();
  EVRInitError e = current_runtime().start(type);
  IVRSystem* system = nullptr;
  if (e == VRInitError_None) {
    session_token = ++last_token;
    system = static_cast<IVRSystem*>(current_runtime().find_interface(IVRSystem_Version));
    if (!system) {
      VR_Shutdown();
      e = VRInitError_Init_InterfaceNotFound;
    }
  }
  if (error) *error = e;
  return system;
}

void VR_Shutdown() {
  if (session_token == 0) return;
  session_token = 0;
  current_runtime().stop();
}

bool VR_IsHmdPresent() {
  return current_runtime().hmd_present();
}

const char* VR_GetVRInitErrorAsEnglishDescription(EVRInitError error) {
  switch (error) {
    case VRInitError_None:
      return "No error (0)";
    case VRInitError_Init_InstallationNotFound:
      return "No VR runtime is installed (100)";
    case VRInitError_Init_InterfaceNotFound:
      return "The VR runtime lacks an interface this program needs (105)";
    case VRInitError_Init_HmdNotFound:
      return "No headset was found (108)";
    case VRInitError_Init_NotInitialized:
      return "The VR runtime has not been started (112)";
  }
  return "Unknown VR start-up error";
}

void* VR_GetGenericInterface(const char* version, EVRInitError* error) {
  EVRInitError e = VRInitError_None;
  void* found = nullptr;
  if (session_token == 0) {
    e = VRInitError_Init_NotInitialized;
  } else {
    found = version ? current_runtime().find_interface(version) : nullptr;
    if (!found) e = VRInitError_Init_InterfaceNotFound;
  }
  if (error) *error = e;
  return found;
}

IVRSystem* VRSystem() {
  return cached_interface<IVRSystem>(IVRSystem_Version);
}

IVRCompositor* VRCompositor() {
  return cached_interface<IVRCompositor>(IVRCompositor_Version);
}

IVRChaperone* VRChaperone() {
  return cached_interface<IVRChaperone>(IVRChaperone_Version);
}

}  // namespace vr
