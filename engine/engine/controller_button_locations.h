// ControllerButtonLocations: where each named button lies on a controller
// model (a VR hand controller or the gamepad), in the model's own
// coordinates, so hints can be drawn next to the buttons.
#pragma once

#include <array>
#include <map>
#include <string>

// Fixed tables chosen by the model's name. A plain value: copies and moves
// take the name and the map.
class ControllerButtonLocations {
 public:
  using Location = std::array<float, 3>;
  using Buttons = std::map<std::string, Location>;

  // The table for "vive_controller", which is empty: that name is no Vive
  // wand model name.
  ControllerButtonLocations() : ControllerButtonLocations("vive_controller") {}
  // The first rule that matches a part of the name: "vr_controller_vive" the
  // Vive wand, "gamepad_v1" the gamepad, "oculus" with "left" or "right" the
  // Touch controller of that hand; any other name, "oculus" without a hand
  // among them, gives an empty table. The Touch tables also hold the
  // aliases "trackpad", "menu", "trigger" and the hand's grip, copies of the
  // stick, the upper face button, the index trigger and the hand trigger.
  explicit ControllerButtonLocations(std::string model_name);

  const std::string& name() const { return name_; }
  Buttons& buttons() { return buttons_; }
  const Buttons& buttons() const { return buttons_; }

 private:
  std::string name_;
  Buttons buttons_;
};
