// The headset interface without OpenGL: start-up failures, poses, eyes,
// timing, button events and device strings, against the simulated headset.
#include "input/vr_interface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/vr_headset.h"

using testing_support::HeadsetTest;
using testing_support::OutputCapture;

TEST(VrInterfaceWithoutRuntime, InitFailsWithTheRuntimesReason) {
  VRInterface vr;
  vr.enable(true);
  OutputCapture capture;
  EXPECT_EQ(vr.init(), -1);
  EXPECT_EQ(capture.err(),
            "VR: \t Failed to intialize runtime:  \t No VR runtime is installed (100)\n");
  EXPECT_FALSE(vr.enabled());
  EXPECT_EQ(vr.hmd(), nullptr);
  EXPECT_EQ(vr.get_width_height(), (std::array<unsigned, 2>{1200, 1080}));
}

class VrInterfaceTest : public HeadsetTest<> {
 protected:
  // Starts the runtime as the program does and enables VR.
  void start() {
    ASSERT_NE(vr_.init_hmd(nullptr), nullptr);
    vr_.enable(true);
  }

  VRInterface vr_;
};

TEST_F(VrInterfaceTest, AGivenSystemIsUsedAsItIs) {
  VRInterface given(&headset_, 10, 20);
  EXPECT_EQ(given.hmd(), static_cast<vr::IVRSystem*>(&headset_));
  EXPECT_EQ(vr_.init_hmd(&headset_), static_cast<vr::IVRSystem*>(&headset_));
  headset_.recommended_size(640, 480);
  EXPECT_EQ(given.detect_shape(), (std::array<unsigned, 2>{640, 480}));
  EXPECT_EQ(VRInterface().detect_shape(), (std::array<unsigned, 2>{1200, 1080}));
  {
    // init() starts no runtime for a given system; without one it finds no
    // render models.
    OutputCapture quiet;
    EXPECT_EQ(given.init(), 2);
  }
  EXPECT_EQ(headset_.starts(), 0);
}

TEST_F(VrInterfaceTest, InitWithoutRenderModelInterfaceShutsTheRuntimeDown) {
  headset_.remove_interface(vr::IVRRenderModels_Version);
  vr_.enable(true);
  OutputCapture capture;
  EXPECT_EQ(vr_.init(), 2);
  EXPECT_EQ(capture.err(),
            "VR: \t Failed to get render model interface: \t The VR runtime lacks an interface "
            "this program needs (105)\n");
  EXPECT_EQ(headset_.starts(), 1);
  EXPECT_FALSE(headset_.running());
  EXPECT_FALSE(vr_.enabled());
  EXPECT_EQ(vr_.hmd(), nullptr);
}

TEST_F(VrInterfaceTest, DestructionShutsTheRuntimeDown) {
  {
    VRInterface vr;
    ASSERT_NE(vr.init_hmd(nullptr), nullptr);
    EXPECT_TRUE(headset_.running());
  }
  EXPECT_FALSE(headset_.running());
}

TEST_F(VrInterfaceTest, PosesAreReadOnlyWhileEnabled) {
  headset_.add_controller(3, "ctl", {});
  headset_.set_pose(3, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 2, 3}));
  ASSERT_NE(vr_.init_hmd(nullptr), nullptr);
  vr_.update_poses();
  EXPECT_EQ(headset_.pose_waits(), 0);
  EXPECT_FALSE(vr_.tracked_device_poses()[3].pose_is_valid);

  vr_.enable(true);
  vr_.update_poses();
  EXPECT_EQ(headset_.pose_waits(), 1);
  EXPECT_TRUE(vr_.hmd_pose_valid());
  EXPECT_TRUE(vr_.tracked_device_poses()[3].pose_is_valid);
  EXPECT_EQ(vr_.tracked_device_poses()[3].device_to_absolute_tracking.m[2][3], 3.0f);
  EXPECT_FALSE(vr_.tracked_device_poses()[4].pose_is_valid);
}

TEST_F(VrInterfaceTest, WithoutCompositorTheFrameDisablesVr) {
  headset_.remove_interface(vr::IVRCompositor_Version);
  start();
  OutputCapture capture;
  vr_.update_poses();
  EXPECT_EQ(capture.err(), "no VRCompositor()!\n");
  EXPECT_FALSE(vr_.enabled());
  capture.reset();
  vr_.update_poses();
  vr_.update_hmd_pose();
  EXPECT_EQ(capture.err(), "VR not enabled!\n");

  vr_.enable(true);
  capture.reset();
  vr_.update_hmd_pose();
  EXPECT_EQ(capture.err(), "No VR Compositor!\n");
  EXPECT_FALSE(vr_.enabled());
}

TEST_F(VrInterfaceTest, HeadsetPoseFollowsValidPosesOnly) {
  // The headset turned a quarter about y: its x axis points along -z.
  headset_.set_pose(0, vr::SimulatedHeadset::matrix({0, 0, 1, 0, 1, 0, -1, 0, 0}, {0, 1.7f, 0}));
  start();
  vr_.update_poses();
  vr_.update_hmd_pose();
  const CoordinateSystem& cs = vr_.hmd_coord_sys();
  EXPECT_EQ(cs.position(), (std::array<float, 3>{0, 1.7f, 0}));
  EXPECT_EQ(cs.xhat_array(), (Vec3{0, 0, -1}));
  EXPECT_EQ(cs.zhat_array(), (Vec3{1, 0, 0}));

  headset_.set_pose(0, vr::SimulatedHeadset::identity(), false);
  vr_.update_poses();
  vr_.update_hmd_pose();
  EXPECT_EQ(vr_.hmd_coord_sys().position(), (std::array<float, 3>{0, 1.7f, 0}));
  EXPECT_EQ(vr_.hmd_coord_sys().xhat_array(), (Vec3{0, 0, -1}));
}

TEST(VrPoseConversion, ColumnsOrRowsBecomeTheAxes) {
  const vr::HmdMatrix34_t m = vr::SimulatedHeadset::matrix({0, -1, 0, 1, 0, 0, 0, 0, 1}, {1, 2, 3});
  const CoordinateSystem columns = VRInterface::pose2coordsys(m, true, {2, 1, 0.5f});
  EXPECT_EQ(columns.position(), (std::array<float, 3>{2, 2, 1.5f}));
  EXPECT_EQ(columns.xhat_array(), (Vec3{0, 1, 0}));
  EXPECT_EQ(columns.yhat_array(), (Vec3{-1, 0, 0}));
  const CoordinateSystem rows = VRInterface::pose2coordsys(m, false, {1, 1, 1});
  EXPECT_EQ(rows.xhat_array(), (Vec3{0, -1, 0}));

  vr::TrackedDevicePose_t pose{};
  pose.device_to_absolute_tracking = m;
  CoordinateSystem out;
  out.position() = {9, 9, 9};
  EXPECT_EQ(VRInterface::pose2coordsys(pose, out, true, {1, 1, 1}), 1);
  EXPECT_EQ(out.position(), (std::array<float, 3>{9, 9, 9}));
  pose.pose_is_valid = true;
  EXPECT_EQ(VRInterface::pose2coordsys(pose, out, true, {1, 1, 1}), 0);
  EXPECT_EQ(out.position(), (std::array<float, 3>{1, 2, 3}));
  EXPECT_EQ(out.xhat_array(), (Vec3{0, 1, 0}));
}

TEST_F(VrInterfaceTest, EyeMatricesAtTheClipDistances) {
  headset_.eye_tangents(vr::Eye_Right, {-0.5f, 1.5f, -1, 1});
  start();
  vr_.set_clip(0.5f, 50.0f);
  vr_.get_eye_matrices();
  // Row-major frustum: the depth terms come from the clip distances.
  for (int e = 0; e < 2; ++e) {
    EXPECT_FLOAT_EQ(vr_.eye_projection(e)[10], -50.5f / 49.5f);
    EXPECT_FLOAT_EQ(vr_.eye_projection(e)[11], -50.0f / 49.5f);
    EXPECT_EQ(vr_.eye_projection(e)[14], -1.0f);
  }
  EXPECT_EQ(vr_.eye_projection(0)[2], 0.0f);
  EXPECT_EQ(vr_.eye_projection(1)[2], 0.5f);
  EXPECT_EQ(vr_.eye_pos(0), (std::array<float, 3>{-0.032f, 0, 0}));
  EXPECT_EQ(vr_.eye_pos(1), (std::array<float, 3>{0.032f, 0, 0}));
  EXPECT_FLOAT_EQ(vr_.eye_dist(), 0.064f);
  EXPECT_EQ(vr_.eye_coord_sys(1).position(), (std::array<float, 3>{0.032f, 0, 0}));
  EXPECT_EQ(vr_.eye_matrix(0).m[0][3], -0.032f);

  // Any eye but 1 is the left one, as eye() has it.
  for (const int other : {-1, 2, 7}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(VRInterface::eye(other), vr::Eye_Left);
    EXPECT_EQ(&vr_.eye_pos(other), &vr_.eye_pos(0));
    EXPECT_EQ(&vr_.eye_matrix(other), &vr_.eye_matrix(0));
    EXPECT_EQ(&vr_.eye_coord_sys(other), &vr_.eye_coord_sys(0));
    EXPECT_EQ(&vr_.eye_projection(other), &vr_.eye_projection(0));
  }

  vr_.get_projection_matrices();
  EXPECT_FLOAT_EQ(vr_.projection_matrices()[1].m[0][2], 0.5f);
  vr::HmdMatrix34_t eye{};
  vr_.eye_matrix(eye, vr::Eye_Right);
  EXPECT_EQ(eye.m[0][3], 0.032f);
}

TEST_F(VrInterfaceTest, PredictedFrameTime) {
  headset_.vsync(0.004f, 12);
  start();
  EXPECT_DOUBLE_EQ(vr_.predict_next_frame_time(), 1.0 / 90.0f - 0.004f + 0.011f);
  EXPECT_EQ(vr_.predicted_photon_time(), vr_.predict_next_frame_time());
  // A runtime that knows no frequency adds no frame, rather than infinity.
  headset_.device(0).floats.erase(vr::Prop_DisplayFrequency_Float);
  EXPECT_DOUBLE_EQ(vr_.predict_next_frame_time(), -0.004f + 0.011f);

  vr::VR_Shutdown();
  OutputCapture capture;
  EXPECT_EQ(vr_.predict_next_frame_time(), 0.0);
  EXPECT_EQ(capture.err(), "no VRSystem()!\n");
  EXPECT_FALSE(vr_.enabled());
}

// Exposes the per-device menu queries.
class MenuQueries : public VRInterface {
 public:
  using VRInterface::menu_button_changed_tracked_dev;
  using VRInterface::menu_button_tracked_dev;
  using VRInterface::process_vr_event;
};

vr::VREvent_t button_event(vr::EVREventType type, unsigned device, unsigned button) {
  return vr::SimulatedHeadset::button_event(type, device, button);
}

TEST(VrButtons, PressesAndReleasesChangeTheTables) {
  struct Step {
    vr::EVREventType type;
    float state, change;
  };
  // A repeated press changes nothing; so does a release of a released button.
  const Step steps[] = {{vr::VREvent_ButtonPress, 1, 1},
                        {vr::VREvent_ButtonPress, 1, 0},
                        {vr::VREvent_ButtonUnpress, 0, -1},
                        {vr::VREvent_ButtonUnpress, 0, 0},
                        {vr::VREvent_ButtonPress, 1, 1}};
  VRInterface vr;
  std::vector<std::array<int, 2>> hooked;
  vr.menu_btn([&hooked](int device, int pressed) { hooked.push_back({device, pressed}); });
  for (const Step& s : steps) {
    EXPECT_EQ(vr.process_btn_event(button_event(s.type, 2, vr::k_EButton_Grip)), 0);
    EXPECT_EQ(vr.button_states().at(2).at(vr::k_EButton_Grip), s.state);
    EXPECT_EQ(std::fabs(vr.button_changes().at(2).at(vr::k_EButton_Grip)), std::fabs(s.change));
  }
  EXPECT_TRUE(hooked.empty());  // only the menu button reaches the hook

  EXPECT_EQ(vr.process_btn_event(button_event(vr::VREvent_ButtonTouch, 2, 1)), 1);
  EXPECT_EQ(vr.button_states().at(2).count(1), 0u);
  EXPECT_EQ(vr.process_btn_event(button_event(vr::VREvent_ButtonPress, 4, 1)), 0);
  EXPECT_EQ(vr.process_btn_event(button_event(vr::VREvent_ButtonUnpress, 4, 1)), 0);
  EXPECT_EQ(hooked, (std::vector<std::array<int, 2>>{{4, 1}, {4, 0}}));
}

TEST(VrButtons, MenuQueriesCreateNoEntries) {
  MenuQueries vr;
  EXPECT_EQ(vr.any_menu_button(), 0);
  EXPECT_EQ(vr.menu_button_tracked_dev(1, 0.5f), 0);
  EXPECT_TRUE(vr.button_states().empty());
  vr.process_vr_event(button_event(vr::VREvent_ButtonPress, 1, 1));
  EXPECT_EQ(vr.any_menu_button(), 1);
  EXPECT_EQ(vr.any_menu_button_changed(), 1);
  EXPECT_EQ(vr.menu_button_tracked_dev(1, 1.0f), 1);
  vr.process_btn_event(button_event(vr::VREvent_ButtonPress, 1, 1));
  EXPECT_EQ(vr.any_menu_button(), 1);
  EXPECT_EQ(vr.any_menu_button_changed(), 0);
  vr.process_btn_event(button_event(vr::VREvent_ButtonUnpress, 1, 1));
  EXPECT_EQ(vr.any_menu_button(), 0);
  EXPECT_EQ(vr.menu_button_changed_tracked_dev(1, 1.0f), 1);
  EXPECT_EQ(vr.menu_button_changed_tracked_dev(3, 0.0f), 0);
}

TEST_F(VrInterfaceTest, PollEventsWhileEnabled) {
  headset_.press(1, vr::k_EButton_ApplicationMenu);
  headset_.press(2, vr::k_EButton_Grip);
  start();
  vr_.disable();
  EXPECT_EQ(vr_.poll_events(), 0);
  EXPECT_TRUE(vr_.button_states().empty());
  vr_.enable(true);
  // The menu hook may switch VR off: the rest of the events wait.
  vr_.menu_btn([this](int, int) { vr_.disable(); });
  EXPECT_EQ(vr_.poll_events(), 0);
  EXPECT_EQ(vr_.button_states().size(), 1u);
  vr_.enable(true);
  vr_.poll_events();
  EXPECT_EQ(vr_.button_states().at(2).at(vr::k_EButton_Grip), 1.0f);
}

TEST_F(VrInterfaceTest, DeviceStrings) {
  EXPECT_EQ(VRInterface::tracked_device_string(0, vr::Prop_SerialNumber_String, nullptr), "");
  start();
  vr::ETrackedPropertyError error = vr::TrackedProp_UnknownProperty;
  EXPECT_EQ(VRInterface::tracked_device_string(0, vr::Prop_SerialNumber_String, &error),
            "SIM-0001");
  EXPECT_EQ(error, vr::TrackedProp_Success);
  EXPECT_EQ(VRInterface::tracked_device_string(7, vr::Prop_SerialNumber_String, &error), "");
  EXPECT_EQ(error, vr::TrackedProp_InvalidDevice);
  // A runtime's answer never makes a huge buffer.
  headset_.device(0).strings[vr::Prop_SerialNumber_String] = std::string(100000, 'x');
  EXPECT_EQ(VRInterface::tracked_device_str(vr_.hmd(), 0, vr::Prop_SerialNumber_String, nullptr),
            "");
  EXPECT_EQ(VRInterface::tracked_device_str(nullptr, 0, vr::Prop_SerialNumber_String, nullptr), "");
}
