// ControllerTutorial: the 3-D gamepad model, its parts, its placement in
// front of the camera, its drawing and the flashing of its buttons.
#include <cmath>
#include <memory>
#include <numbers>
#include <utility>

#include "core/engine_settings.h"
#include "core/event_queue.h"
#include "engine/basic_engine.h"
#include "engine/controller_tutorial.h"
#include "input/joystick.h"
#include "platform/glut_guard.h"
#include "render/gl.h"
#include "render/state_guards.h"

namespace {

// The buttons in the order their part keys are written.
const char* const kButtons[] = {"A",  "B",  "X",     "Y",    "L1",   "R1",
                                "L2", "R2", "Start", "Back", "Power"};

}  // namespace

Oriented<OBJRenderer>& ControllerTutorial::gamepad() {
  return models_["gamepad"];
}

const Oriented<OBJRenderer>& ControllerTutorial::gamepad() const {
  return models_.at("gamepad");
}

// ---- Loading

int ControllerTutorial::load_obj(std::string name) {
  if (!engine_) return -1;
  return engine_->load_obj(models_[name], name + "_model", "controls", false);
}

int ControllerTutorial::load_gamepad() {
  if (!settings_) return -1;
  if (const int result = load_obj("gamepad")) {
    gamepad().clear_vertex_data();
    return result;
  }
  ProgramCfg& controls = (*settings_)["controls"];
  // Only a missing key gets the default, with a face button's label object:
  // a stored list is kept as it stands, so saving the section again does
  // not make it grow.
  for (const char* b : kButtons) {
    const std::string part = std::string(b) + "_button";
    if (controls.contains("gamepad_" + part)) continue;
    const std::string letter(b);
    const bool face = letter == "A" || letter == "B" || letter == "X" || letter == "Y";
    controls["gamepad_" + part] = face ? part + " " + letter + "_label" : part;
  }
  for (const char* part : {"D_pad", "L_thumb", "R_thumb", "Body"})
    if (!controls.contains(std::string("gamepad_") + part))
      controls[std::string("gamepad_") + part] = part;

  Oriented<OBJRenderer>& model = gamepad();
  for (const auto& [key, value] : controls.fields()) {
    if (key.find("gamepad_") == std::string::npos) continue;
    const std::string part = key.substr(std::min<std::size_t>(8, key.size()));
    part_objects_[part] = value.vec<std::string>();
    part_materials_[part] = model.object_materials(part_objects_[part]);
  }
  model.sort_by_distance({0.0f, 0.0f, 1.0f}, {});
  // The vertex arrays are built from the sorted faces, where a window gives
  // the context for them; the vertex data goes either way.
  if (platform::glut_guard::window_current()) {
    for (const bool opaque : {true, false}) {
      model.construct_materials_attributes(opaque);
      model.material_attribute_vaos(opaque);
    }
  }
  model.clear_vertex_data();
  return 0;
}

// ---- Placement and drawing

void ControllerTutorial::orient_gamepad() {
  if (!engine_) return;
  Oriented<OBJRenderer>& model = gamepad();
  if (!model.enabled()) return;
  const Vec3 p = engine_->mouse_look().coord_sys().local2global(gamepad_offset_);
  const int axis = engine_->walking().up_axis;
  Vec3 up{0.0f, 0.0f, 0.0f};
  up[axis >= 0 && axis <= 2 ? static_cast<std::size_t>(axis) : 1] = 1.0f;
  model.coord_sys().look_at(p, engine_->walking().position(), up);
}

void ControllerTutorial::render(bool opaque, unsigned int pass) {
  const BindingsGuard bindings;
  const CurrentColorGuard color;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  for (const auto& [name, model] : models_) {
    if (!model.enabled()) continue;
    glPushMatrix();
    model.coord_sys().apply_gl(true);
    if (opaque)
      model.render_vaos(model.opaque_vaos(), model.opaque_material_names(), true);
    else
      model.render_transparent_passes(pass);
    glPopMatrix();
  }
  glPopAttrib();
}

// ---- Colours of a part

void ControllerTutorial::gamepad_emission(std::string part, float v) {
  Oriented<OBJRenderer>& model = gamepad();
  for (const std::string& name : part_materials_[part]) {
    // The model answers a missing name with a shared default material,
    // which must not change.
    if (!model.have_material(name)) continue;
    Material& m = model.material(name).material();
    for (int i = 0; i < 4; ++i) m.emission()[i] = v * m.diffuse()[i];
    m.emission()[3] = v > 0.0f ? 1.0f : 0.0f;
  }
}

void ControllerTutorial::gamepad_alpha(std::string part, float a) {
  Oriented<OBJRenderer>& model = gamepad();
  for (const std::string& name : part_materials_[part])
    if (model.have_material(name)) model.material(name).material().set_alpha(a);
}

// ---- Flashing

std::string ControllerTutorial::gamepad_key2object(int code) const {
  switch (code) {
    case 0x0001:
    case 0x0002:
    case 0x0004:
    case 0x0008:
      return "D_pad";
    case 0x0010:
      return "Start_button";
    case 0x0020:
      return "Back_button";
    case 0x0040:
      return "L_thumb";
    case 0x0080:
      return "R_thumb";
    case 0x0100:
      return "L1_button";
    case 0x0200:
      return "R1_button";
    case 0x1000:
      return "A_button";
    case 0x2000:
      return "B_button";
    case 0x4000:
      return "X_button";
    case 0x8000:
      return "Y_button";
    default:
      return "";
  }
}

std::string ControllerTutorial::gamepad_flashing_event_name(std::string part) const {
  return "Flash gamepad " + part;
}

std::string ControllerTutorial::gamepad_flashing_event_name(int code) const {
  return gamepad_flashing_event_name(gamepad_key2object(code));
}

void ControllerTutorial::add_endless_event(std::string name, std::function<void(double)> step,
                                           std::function<void()> at_stop) {
  EventQueue& queue = engine_->realtime_queue();
  std::weak_ptr<char> alive = life_.token;
  queue.adopt(std::make_unique<Event>(
      std::move(name), queue.time(), -1.0, nullptr,
      [alive, at_stop = std::move(at_stop)](double) {
        if (!alive.expired() && at_stop) at_stop();
      },
      [alive, step = std::move(step)](double t) {
        if (!alive.expired()) step(t);
      },
      nullptr));
}

std::function<void()> ControllerTutorial::flash_gamepad_part(std::string part, double period) {
  if (!engine_) return [] {};
  const std::string name = gamepad_flashing_event_name(part);
  // A stopped event still takes its last step, which would light the part
  // again: its stop leaves the part dark.
  add_endless_event(
      name,
      [this, part, period](double t) {
        // A period that is not positive glows steadily.
        const float c = period > 0.0 ? std::cos(std::numbers::pi_v<float> * static_cast<float>(t) /
                                                static_cast<float>(period))
                                     : 1.0f;
        gamepad_emission(part, c * c);
      },
      [this, part] { gamepad_emission(part, 0.0f); });
  std::weak_ptr<char> alive = life_.token;
  return [this, alive, name, part] {
    if (alive.expired()) return;
    engine_->realtime_queue().clear(name);
    gamepad_emission(part, 0.0f);
  };
}

std::function<void()> ControllerTutorial::flash_gamepad_button(int code, double period) {
  stop_flashing_gamepad_key(code);
  return flash_gamepad_part(gamepad_key2object(code), period);
}

void ControllerTutorial::stop_flashing_gamepad_key(int code) {
  if (engine_) engine_->realtime_queue().clear(gamepad_flashing_event_name(code));
  gamepad_emission(gamepad_key2object(code), 0.0f);
}

void ControllerTutorial::stop_flashing_all_gamepad_keys() {
  for (const int code : XInputInterface::xinput_gamepad_buttons()) stop_flashing_gamepad_key(code);
}

void ControllerTutorial::flash_gamepad_button_until_up(int code, int joystick, bool hide_after) {
  if (!engine_) return;
  stop_flashing_gamepad_key(code);
  gamepad().enable(true);
  std::function<void()> stop = flash_gamepad_part(gamepad_key2object(code), 0.5);
  const std::string watcher = "Flash gamepad button " + std::to_string(code);
  add_endless_event(watcher, [this, stop, watcher, code, joystick, hide_after](double) {
    const XInputInterface& pads = engine_->xinput();
    if (joystick < 0 || joystick >= pads.num_joysticks()) return;
    // Read without entering the code: a code never reported is up.
    const auto& keys = pads.joystick(joystick).button_callbacks().keys();
    const auto it = keys.find(code);
    if (it == keys.end() || it->second == 0) return;
    stop();
    engine_->realtime_queue().clear(watcher);
    engine_->realtime_queue().flush(0, false);
    if (hide_after) gamepad().enable(false);
  });
}

void ControllerTutorial::in_menu_hints(bool in_menu) {
  for (const int code : {0x0001, 0x0002, 0x1000}) {
    stop_flashing_gamepad_key(code);
    if (in_menu) flash_gamepad_part(gamepad_key2object(code), 0.5);
  }
}
