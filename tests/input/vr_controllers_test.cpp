// The controller queries of the headset interface against the simulated
// headset: device lists, states, triggers and grips, poses, walking direction
// and render-model names.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "input/vr_interface.h"
#include "support/vr_headset.h"

using testing_support::HeadsetTest;

namespace {

constexpr auto kNone = vr::k_eControllerAxis_None;
constexpr auto kPad = vr::k_eControllerAxis_TrackPad;
constexpr auto kStick = vr::k_eControllerAxis_Joystick;
constexpr auto kTrigger = vr::k_eControllerAxis_Trigger;

std::uint64_t axis_bit(unsigned axis) {
  return std::uint64_t{1} << (vr::k_EButton_Axis0 + axis);
}

class VrControllerTest : public HeadsetTest<> {
 protected:
  void SetUp() override {
    ASSERT_NE(vr_.init_hmd(nullptr), nullptr);
    vr_.enable(true);
  }

  // A Vive-style controller: pad on axis 0, trigger on axis 1.
  vr::SimulatedDevice& vive(unsigned index) {
    return headset_.add_controller(index, "vr_controller_vive_1_5",
                                   {kPad, kTrigger, kNone, kNone, kNone});
  }
  // A Touch controller: stick on axis 0, trigger on 1, grip on 2.
  vr::SimulatedDevice& touch(unsigned index) {
    return headset_.add_controller(index, "oculus_cv1_controller_left",
                                   {kStick, kTrigger, kTrigger, kNone, kNone});
  }
  void set_axis(unsigned device, unsigned axis, float x, float y) {
    headset_.device(device).state.axis[axis] = {x, y};
  }

  VRInterface vr_;
};

}  // namespace

TEST_F(VrControllerTest, WithoutControllersEverythingIsEmpty) {
  EXPECT_TRUE(VRInterface::controller_states().empty());
  EXPECT_TRUE(vr_.controller_triggers({}, 0).empty());
  EXPECT_TRUE(vr_.primary_triggers(VRInterface::controller_states()).empty());
  EXPECT_TRUE(vr_.controller_pos({}).empty());
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{0, 0, 0}));
  const auto names =
      VRInterface::tracked_device_names(vr::TrackedDeviceClass_Invalid, false, false);
  EXPECT_EQ(names, std::vector<std::string>(16));
}

TEST_F(VrControllerTest, DevicesAxesAndNames) {
  vive(2);
  headset_.add_device(4, vr::TrackedDeviceClass_TrackingReference, "lighthouse");
  headset_.add_device(5, vr::TrackedDeviceClass_TrackingReference, "lighthouse").connected = false;
  vive(6).state.button_pressed = axis_bit(0);
  headset_.device(6).state.button_touched = axis_bit(0) | axis_bit(1);
  set_axis(6, 0, 0.25f, -0.5f);

  EXPECT_EQ(VRInterface::tracked_device_indices(vr::TrackedDeviceClass_Controller),
            (std::vector<unsigned>{2, 6}));
  EXPECT_EQ(VRInterface::matching_axes(6, kTrigger), (std::vector<unsigned>{1}));
  std::vector<unsigned> devices, pressed, touched;
  const auto pads = VRInterface::controller_axes(kPad, &devices, &pressed, &touched);
  ASSERT_EQ(pads.size(), 2u);
  EXPECT_EQ(pads[1], (std::array<float, 2>{0.25f, -0.5f}));
  EXPECT_EQ(devices, (std::vector<unsigned>{2, 6}));
  EXPECT_EQ(pressed, (std::vector<unsigned>{0, 1}));
  EXPECT_EQ(touched, (std::vector<unsigned>{0, 1}));

  const auto names =
      VRInterface::tracked_device_names(vr::TrackedDeviceClass_Invalid, false, false);
  ASSERT_EQ(names.size(), 16u);
  EXPECT_EQ(names[5], "lighthouse");
  EXPECT_EQ(VRInterface::base_station_model_names(), (std::vector<std::string>{"lighthouse"}));
  EXPECT_EQ(
      VRInterface::tracked_device_names(vr::TrackedDeviceClass_TrackingReference, false, false),
      (std::vector<std::string>{"lighthouse", "lighthouse"}));
  EXPECT_TRUE(vr_.have_vive_controllers());
  EXPECT_FALSE(vr_.have_oculus_touch());
}

TEST_F(VrControllerTest, TriggersPerDevice) {
  vive(1);
  set_axis(1, 1, 0.7f, 0);
  headset_.add_controller(2, "two", {kTrigger, kNone, kTrigger, kNone, kNone});
  set_axis(2, 0, 0.2f, 0);
  set_axis(2, 2, 0.9f, 0);
  vive(3).state_readable = false;

  EXPECT_EQ(vr_.controller_triggers({}, 0), (std::vector<float>{0.7f, 0.9f, -1.0f}));
  // The second trigger: none on a one-trigger controller.
  EXPECT_EQ(vr_.controller_triggers({1, 2}, 1), (std::vector<float>{0.0f, 0.9f}));
  EXPECT_EQ(vr_.controller_triggers({9}, 0), (std::vector<float>{-1.0f}));
}

TEST_F(VrControllerTest, PrimaryTriggersPairStatesWithControllersByPosition) {
  vive(1);
  set_axis(1, 1, 0.3f, 0);
  vive(2).state_readable = false;
  vive(3);
  set_axis(3, 1, 0.6f, 0);
  const auto states = VRInterface::controller_states();
  ASSERT_EQ(states.size(), 2u);
  // The unreadable controller shifts the pairing: device 3's state meets device 2's axes.
  EXPECT_EQ(vr_.primary_triggers(states), (std::vector<float>{0.3f, 0.6f}));
  // A state with no controller left to pair with gives 0.0.
  auto more = states;
  more.push_back(states[1]);
  more.push_back(states[1]);
  EXPECT_EQ(vr_.primary_triggers(more), (std::vector<float>{0.3f, 0.6f, 0.6f, 0.0f}));
}

TEST_F(VrControllerTest, GripsFromTheButtonOrTheTouchAxis) {
  vive(1).state.button_pressed = std::uint64_t{1} << vr::k_EButton_Grip;
  vive(2);
  EXPECT_EQ(vr_.grip_triggers(VRInterface::controller_states()), (std::vector<float>{1.0f, 0.0f}));

  touch(3);
  set_axis(3, 1, 0.4f, 0);
  set_axis(3, 2, 0.8f, 0);
  const auto states = VRInterface::controller_states();
  EXPECT_EQ(vr_.grip_triggers(states), (std::vector<float>{0.0f, 0.0f, 0.8f}));
  EXPECT_EQ(vr_.primary_triggers(states), (std::vector<float>{0.0f, 0.0f, 0.4f}));
}

TEST_F(VrControllerTest, PositionsAndFramesOfValidPoses) {
  vive(1);
  headset_.set_pose(1, vr::SimulatedHeadset::matrix({0, 0, 1, 0, 1, 0, -1, 0, 0}, {1, 2, 3}));
  vive(2);
  headset_.set_pose(2, vr::SimulatedHeadset::identity(), false);
  vr_.update_poses();
  EXPECT_EQ(vr_.controller_pos({}), (std::vector<std::array<float, 3>>{{1, 2, 3}}));
  const auto frames = vr_.controller_coordsys({2, 1, 40});
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].position(), (std::array<float, 3>{1, 2, 3}));
  EXPECT_EQ(frames[0].xhat_array(), (Vec3{0, 0, -1}));
  vr_.disable();
  EXPECT_TRUE(vr_.controller_pos({}).empty());
  EXPECT_TRUE(vr_.controller_coordsys({}).empty());
}

TEST_F(VrControllerTest, WalkingFromPressedPads) {
  // Controller 1 turned a quarter about y (x axis along -z, z axis along x).
  vive(1).state.button_touched = axis_bit(0);
  headset_.set_pose(1, vr::SimulatedHeadset::matrix({0, 0, 1, 0, 1, 0, -1, 0, 0}, {0, 0, 0}));
  set_axis(1, 0, 0.5f, 0.25f);
  vive(2);
  set_axis(2, 0, 1.0f, 0.0f);
  vr_.update_poses();
  // Touched pads do not walk.
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{0, 0, 0}));

  headset_.device(1).state.button_pressed = axis_bit(0);
  vr_.update_poses();
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{-0.25f, 0, -0.5f}));
  // Two pressed pads add up.
  headset_.device(2).state.button_pressed = axis_bit(0);
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{0.75f, 0, -0.5f}));
  // A controller without a valid pose does not walk.
  headset_.set_pose(1, vr::SimulatedHeadset::identity(), false);
  vr_.update_poses();
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{1, 0, 0}));
}

TEST_F(VrControllerTest, WalkingFromTouchedTouchSticks) {
  touch(1);
  set_axis(1, 0, 0.0f, 1.0f);
  vr_.update_poses();
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{0, 0, 0}));
  headset_.device(1).state.button_touched = axis_bit(0);
  EXPECT_TRUE(vr_.have_oculus_touch());
  EXPECT_EQ(vr_.controller_move_direction(), (std::array<float, 3>{0, 0, -1}));
}

TEST_F(VrControllerTest, EarlierWalkingVariantTakesTheLastAxis) {
  vive(1).state.button_pressed = axis_bit(0);
  set_axis(1, 0, 1.0f, 0.0f);
  vive(2).state.button_pressed = axis_bit(0);
  set_axis(2, 0, 0.0f, 1.0f);
  vive(3);
  set_axis(3, 0, 1.0f, 1.0f);  // not pressed
  CoordinateSystem turned;
  turned.set_rotation(std::array<float, 9>{0, 0, -1, 0, 1, 0, 1, 0, 0}.data());
  const std::vector<CoordinateSystem> frames{CoordinateSystem(), turned, CoordinateSystem()};
  EXPECT_EQ(vr_.controller_move_direction_old(frames, {1, 2, 3}), (std::array<float, 3>{-1, 0, 0}));
  EXPECT_EQ(vr_.controller_move_direction_old(frames, {1}), (std::array<float, 3>{1, 0, 0}));
  EXPECT_EQ(vr_.controller_move_direction_old({}, {1, 2}), (std::array<float, 3>{0, 0, 0}));
}

TEST(VrControllerPrinting, AxesAndStates) {
  vr::VRControllerState001_t state{};
  state.axis[1] = {0.5f, -1};
  std::ostringstream axis, all;
  axis << state.axis[1];
  EXPECT_EQ(axis.str(), "0.5, -1");
  all << state;
  EXPECT_EQ(all.str(), "Axis 0: 0, 0\nAxis 1: 0.5, -1\nAxis 2: 0, 0\nAxis 3: 0, 0\nAxis 4: 0, 0\n");
}
