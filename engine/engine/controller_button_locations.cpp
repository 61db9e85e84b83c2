// The button tables of the known controller models.
#include "engine/controller_button_locations.h"

#include <utility>

namespace {

using Buttons = ControllerButtonLocations::Buttons;
using Location = ControllerButtonLocations::Location;

bool has(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

Buttons vive_wand() {
  Buttons b{{"trackpad", {0.0f, 0.003785f, 0.049204f}},
            {"menu", {0.0f, 0.007696f, 0.019791f}},
            {"trigger", {0.0f, -0.038586f, 0.051942f}},
            {"system", {0.0f, 0.003031f, 0.088376f}}};
  // The middle of the grip button's two ends.
  const Location a{0.020315f, -0.014956f, 0.079242f};
  const Location c{0.019284f, -0.016268f, 0.095184f};
  Location grip;
  for (int i = 0; i < 3; ++i) grip[i] = (a[i] + c[i]) / 2.0f;
  b["right_grip"] = grip;
  grip[0] = -grip[0];
  b["left_grip"] = grip;
  return b;
}

Buttons gamepad() {
  return {{"A_button", {0.0214813f, 0.008976f, 0.00557898f}},
          {"B_button", {0.02761f, 0.014244f, 0.00557898f}},
          {"X_button", {0.018117f, 0.015657f, -0.00819903f}},
          {"Y_button", {0.021763f, 0.019773f, 0.00557898f}},
          {"D_pad", {-0.017889f, -0.00745908f, -0.00948582f}},
          {"R_thumb", {0.0105233f, -0.00778685f, 0.0064358f}},
          {"L_thumb", {-0.022431f, 0.010932f, 0.00919897f}},
          {"R1_button", {0.025204f, 0.033386f, 0.00181198f}},
          {"L1_button", {-0.025204f, 0.033386f, 0.00181198f}},
          {"R2_button", {0.0271701f, 0.0256854f, -0.00757687f}},
          {"L2_button", {-0.0271701f, 0.0256854f, -0.00757687f}},
          {"Start_button", {0.010339f, 0.012918f, 0.00471197f}},
          {"Back_button", {-0.00821001f, 0.013148f, 0.00549898f}},
          {"Power_button", {0.000529995f, 0.013221f, 0.00661797f}}};
}

// The right hand mirrors the left in x.
Buttons touch(bool left) {
  const float s = left ? 1.0f : -1.0f;
  const char* const lower = left ? "X_button" : "A_button";
  const char* const upper = left ? "Y_button" : "B_button";
  const char* const stick = left ? "L_thumb" : "R_thumb";
  const char* const index = left ? "L2_button" : "R2_button";
  const char* const hand = left ? "L1_button" : "R1_button";
  Buttons b{{lower, {s * 0.00857f, -0.01678f, 0.07988f}},
            {upper, {s * 0.017317f, -0.006825f, 0.046297f}},
            {stick, {s * -0.001488f, -0.001217f, 0.042391f}},
            {index, {s * 0.003734f, -0.045551f, 0.052194f}},
            {hand, {s * 0.011452f, 0.0f, 0.097866f}},
            {left ? "Start_button" : "System_button", {s * -0.003706f, 0.004141f, 0.06291f}}};
  b["trackpad"] = b.at(stick);
  b["menu"] = b.at(upper);
  b["trigger"] = b.at(index);
  b[left ? "left_grip" : "right_grip"] = b.at(hand);
  return b;
}

}  // namespace

ControllerButtonLocations::ControllerButtonLocations(std::string model_name)
    : name_(std::move(model_name)) {
  if (has(name_, "vr_controller_vive"))
    buttons_ = vive_wand();
  else if (has(name_, "gamepad_v1"))
    buttons_ = gamepad();
  else if (has(name_, "oculus") && has(name_, "left"))
    buttons_ = touch(true);
  else if (has(name_, "oculus") && has(name_, "right"))
    buttons_ = touch(false);
}
