// The headset-runtime layer: the default runtime without a headset, and the
// session and interface rules over a simulated headset.
#include "platform/vr_runtime.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/vr_simulator.h"
#include "support/vr_headset.h"

using testing_support::HeadsetTest;

TEST(VrRuntime, WithoutRuntimeThereIsNoHeadsetAndNoInterface) {
  ASSERT_FALSE(vr::VR_IsHmdPresent());
  vr::EVRInitError error = vr::VRInitError_None;
  EXPECT_EQ(vr::VR_Init(&error, vr::VRApplication_Scene), nullptr);
  EXPECT_EQ(error, vr::VRInitError_Init_InstallationNotFound);
  EXPECT_STREQ(vr::VR_GetVRInitErrorAsEnglishDescription(error),
               "No VR runtime is installed (100)");
  EXPECT_EQ(vr::VRSystem(), nullptr);
  EXPECT_EQ(vr::VRCompositor(), nullptr);
  EXPECT_EQ(vr::VRChaperone(), nullptr);
  EXPECT_EQ(vr::VR_GetGenericInterface(vr::IVRRenderModels_Version, &error), nullptr);
  EXPECT_EQ(error, vr::VRInitError_Init_NotInitialized);
  vr::VR_Shutdown();
}

using VrSession = HeadsetTest<>;

TEST_F(VrSession, InitStartsTheRuntimeAndHandsOutItsInterfaces) {
  EXPECT_TRUE(vr::VR_IsHmdPresent());
  EXPECT_EQ(vr::VRSystem(), nullptr);  // no session yet
  vr::EVRInitError error = vr::VRInitError_Init_HmdNotFound;
  vr::IVRSystem* system = vr::VR_Init(&error, vr::VRApplication_Scene);
  ASSERT_NE(system, nullptr);
  EXPECT_EQ(error, vr::VRInitError_None);
  EXPECT_TRUE(headset_.running());
  EXPECT_EQ(vr::VRSystem(), system);
  EXPECT_EQ(vr::VRCompositor(), static_cast<vr::IVRCompositor*>(&headset_));
  EXPECT_EQ(vr::VRChaperone(), static_cast<vr::IVRChaperone*>(&headset_));
  EXPECT_EQ(vr::VR_GetGenericInterface(vr::IVRRenderModels_Version, &error),
            static_cast<void*>(static_cast<vr::IVRRenderModels*>(&headset_)));
  EXPECT_EQ(vr::VR_GetGenericInterface("IVRSystem_099", &error), nullptr);
  EXPECT_EQ(error, vr::VRInitError_Init_InterfaceNotFound);

  vr::VR_Shutdown();
  EXPECT_FALSE(headset_.running());
  EXPECT_EQ(vr::VRSystem(), nullptr);
  EXPECT_EQ(vr::VRCompositor(), nullptr);
}

TEST_F(VrSession, CachedInterfacesFollowTheSession) {
  ASSERT_NE(vr::VR_Init(nullptr, vr::VRApplication_Scene), nullptr);
  ASSERT_NE(vr::VRChaperone(), nullptr);
  headset_.remove_interface(vr::IVRChaperone_Version);
  EXPECT_NE(vr::VRChaperone(), nullptr);  // cached for this session
  ASSERT_NE(vr::VR_Init(nullptr, vr::VRApplication_Scene), nullptr);
  EXPECT_EQ(headset_.starts(), 2);
  EXPECT_EQ(vr::VRChaperone(), nullptr);
  EXPECT_NE(vr::VRCompositor(), nullptr);
  vr::VR_Shutdown();
}

TEST_F(VrSession, InitFailures) {
  struct Case {
    const char* name;
    void (*set_up)(vr::SimulatedHeadset&);
    vr::EVRInitError expected;
  };
  const Case cases[] = {
      {"no headset", [](vr::SimulatedHeadset& h) { h.present(false); },
       vr::VRInitError_Init_HmdNotFound},
      {"start refused",
       [](vr::SimulatedHeadset& h) { h.init_error(vr::VRInitError_Init_InstallationNotFound); },
       vr::VRInitError_Init_InstallationNotFound},
      {"no system interface",
       [](vr::SimulatedHeadset& h) { h.remove_interface(vr::IVRSystem_Version); },
       vr::VRInitError_Init_InterfaceNotFound},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    vr::SimulatedHeadset headset;
    vr::set_runtime(&headset);
    c.set_up(headset);
    vr::EVRInitError error = vr::VRInitError_None;
    EXPECT_EQ(vr::VR_Init(&error, vr::VRApplication_Scene), nullptr);
    EXPECT_EQ(error, c.expected);
    EXPECT_FALSE(headset.running());  // stopped again when its system was missing
    EXPECT_EQ(vr::VRSystem(), nullptr);
  }
  // Each headset's destruction left the runtime without a headset.
  EXPECT_FALSE(vr::VR_IsHmdPresent());
}

TEST_F(VrSession, ChangingTheRuntimeEndsTheSession) {
  ASSERT_NE(vr::VR_Init(nullptr, vr::VRApplication_Scene), nullptr);
  vr::SimulatedHeadset other;
  EXPECT_EQ(vr::set_runtime(&other), &headset_);
  EXPECT_FALSE(headset_.running());
  EXPECT_EQ(vr::VRSystem(), nullptr);
  vr::set_runtime(&headset_);
}
