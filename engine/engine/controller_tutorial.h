// ControllerTutorial: the control hints, small panels of a label beside the
// picture of a key or button, for the keyboard and mouse and for the
// gamepad, shown flat over the view for the device in charge; and a 3-D
// gamepad model in front of the viewer whose buttons can be made to flash.
// An application may derive its own tutorial from it.
//
// The hints live in controller_tutorial.cpp, the gamepad model and its
// flashing in controller_tutorial_gamepad.cpp.
#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/controller_button_locations.h"
#include "engine/controller_type.h"
#include "models/obj_renderer.h"
#include "models/oriented_model.h"
#include "ui/option.h"

class BasicEngine;
class Dialog;
class EngineSettings;
class OwnedDialogs;

// Main thread only. Building the hints and the model's vertex arrays needs
// the OpenGL context.
//
// The hint dialogs are made by the tutorial and shared by its copies; the
// engine's overlay list borrows them, and the last copy takes them off it
// and frees them. The text hints on the gamepad model (new_controller_hint)
// are shared by copies too, and freed, off the engine, with the last of
// them. The engine must outlive the tutorial and its copies.
// Copies and moves take every field member-wise; the events and the update
// function the tutorial puts on the engine act on the object that made them
// and do nothing once it is destroyed.
class ControllerTutorial : public Option {
 public:
  using Hints = std::map<std::string, Dialog*>;
  using Models = std::map<std::string, Oriented<OBJRenderer>>;
  using PartLists = std::map<std::string, std::vector<std::string>>;
  using Vec3 = std::array<float, 3>;

  // Enabled, no hints, the "gamepad_v1" button table, the gamepad at
  // (0, -0.1, -0.4) in the camera's frame, the engine's settings store.
  // Without an engine (the default) nothing may be used but the accessors.
  explicit ControllerTutorial(BasicEngine* engine = nullptr);
  ControllerTutorial(const ControllerTutorial&) = default;
  ControllerTutorial& operator=(const ControllerTutorial&) = default;
  ControllerTutorial(ControllerTutorial&&) = default;
  ControllerTutorial& operator=(ControllerTutorial&&) = default;
  ~ControllerTutorial() override;

  // Stores the flag only; the hints follow at the next update_control_hints.
  void enable(bool on) override { enabled_ = on; }

  // Loads the "controls" section (a missing or unreadable file counts as an
  // empty one), writes "gamepad_model" ("gamepad.ini") and
  // "gamepad_offset" where missing and saves the section, takes the button
  // table from the gamepad description's "obj_file" (its name without the
  // extension) and the offset from the section, loads the gamepad model
  // when asked (its result is the answer), installs "orient controller
  // tutorial" among the engine's update functions and builds the five
  // keyboard and six gamepad hints, hidden, in the engine's overlay list.
  int init(bool load_model);

  // ---- Control hints

  // The device in charge: the menu device while the menu is open, else the
  // look device. Gamepad for the gamepad family, keyboard or mouse for the
  // keyboard family; neither for the headset, hand controllers and none.
  bool gamepad_active() const;
  bool keyboard_active() const;
  // Not paused, no "Camera animation" active on the game-time queue and no
  // camera look event listed.
  bool can_walk() const;
  bool can_look() const { return can_walk(); }
  // Shows the sets that fit the device in charge and what the player can
  // do, hides the others (all of them while the tutorial is disabled); with
  // distribute and the tutorial enabled, lays out the row 0.75 wide.
  void update_control_hints(bool distribute);
  // Lays the shown hints of the family in charge out in a row `width` wide:
  // equal gaps between them and at both ends, the row's mean centre at
  // (0, hints_y(), 0). A single hint is moved there.
  void distribute_hints(float width);

  // Show (true) or hide the hints of a set; keys that are not registered
  // change nothing.
  void keyboard_walk_hints(bool show);
  void keyboard_select_hints(bool show);
  void keyboard_choose_hints(bool show);
  void keyboard_menu_hints(bool show);
  void keyboard_turn_hints(bool show);
  void gamepad_walk_hints(bool show);
  void gamepad_select_hints(bool show);
  void gamepad_choose_hints(bool show);
  void gamepad_menu_hints(bool show);

  bool have_keyboard_hint(const std::string& key) const;
  // A missing key writes "Error: have_gamepad_hint(<key>) = 0".
  bool have_gamepad_hint(const std::string& key) const;

  // A hint dialog at position (its frame's position): the label at
  // label_size(), then, for a picture name, the image
  // textures/controls/<picture>.png at image_height() (an untextured square
  // when the file is missing), side by side label_gap() apart. Stored under
  // key (an earlier dialog there is dropped, not freed); key is appended to
  // names.
  void add_ctl_hint(Hints& hints, std::vector<std::string>& names, std::string label,
                    std::string key, std::string picture, Vec3 position);

  // ---- The 3-D gamepad

  // The model under "gamepad", entered when missing. Placed in front of the
  // camera and drawn only while enabled.
  Oriented<OBJRenderer>& gamepad();
  const Oriented<OBJRenderer>& gamepad() const;
  // Every enabled model in its own pose: the opaque vertex arrays, or the
  // transparent ones in `pass` passes. OpenGL state, bindings and the matrix
  // are as before afterwards.
  void render(bool opaque, unsigned int pass);
  // The per-frame placement: while the gamepad model is enabled, it sits at
  // gamepad_offset() in the camera's frame, facing the walker's position
  // with the walker's up axis (y when it has none) up.
  void orient_gamepad();

  // The part glows with its materials' diffuse colour, fading as cos^2 to
  // dark at half the period and back, from the event "Flash gamepad <part>"
  // on the real-time queue. The returned function stops it; a stopped part
  // is left dark.
  std::function<void()> flash_gamepad_part(std::string part, double period);
  // Stops the button's flashing, then flashes its part.
  std::function<void()> flash_gamepad_button(int code, double period);
  // Shows the model and flashes the button every 0.5 s until gamepad
  // `joystick` reports it down; then stops the flashing and the watcher
  // "Flash gamepad button <code>" and, with hide_after, hides the model.
  void flash_gamepad_button_until_up(int code, int joystick, bool hide_after);
  // Stops the flashing of the button's part (the whole D-pad for any of its
  // four directions) and leaves it dark.
  void stop_flashing_gamepad_key(int code);
  void stop_flashing_all_gamepad_keys();
  // Stops D-pad and A flashing; in the menu flashes them again.
  void in_menu_hints(bool in_menu);

  // ---- Fields

  BasicEngine* engine() const { return engine_; }
  EngineSettings*& settings() { return settings_; }
  EngineSettings* settings() const { return settings_; }
  float label_size() const { return label_size_; }
  void label_size(float size) { label_size_ = size; }
  float label_gap() const { return label_gap_; }
  void label_gap(float gap) { label_gap_ = gap; }
  float image_height() const { return image_height_; }
  void image_height(float height) { image_height_ = height; }
  // Height of the hint row in the overlay.
  float hints_y() const { return hints_y_; }
  void hints_y(float y) { hints_y_ = y; }
  Models& models() { return models_; }
  const Models& models() const { return models_; }
  // Where the gamepad model sits in the camera's frame.
  Vec3& gamepad_offset() { return gamepad_offset_; }
  const Vec3& gamepad_offset() const { return gamepad_offset_; }
  // Gamepad part -> the model's object names, and the materials of those.
  PartLists& part_objects() { return part_objects_; }
  const PartLists& part_objects() const { return part_objects_; }
  PartLists& part_materials() { return part_materials_; }
  const PartLists& part_materials() const { return part_materials_; }
  // Stored only.
  void gamepad_callback(std::function<void(int)> fn) { gamepad_callback_ = std::move(fn); }
  const std::function<void(int)>& gamepad_callback() const { return gamepad_callback_; }
  ControllerButtonLocations& gamepad_locations() { return gamepad_locations_; }
  const ControllerButtonLocations& gamepad_locations() const { return gamepad_locations_; }
  std::vector<Dialog*>& button_hints() { return button_hints_; }
  const std::vector<Dialog*>& button_hints() const { return button_hints_; }
  Hints& keyboard_hints() { return keyboard_hints_; }
  const Hints& keyboard_hints() const { return keyboard_hints_; }
  Hints& gamepad_hints() { return gamepad_hints_; }
  const Hints& gamepad_hints() const { return gamepad_hints_; }
  // The keys of each family in creation order, the order of the row.
  std::vector<std::string>& keyboard_hint_names() { return keyboard_hint_names_; }
  const std::vector<std::string>& keyboard_hint_names() const { return keyboard_hint_names_; }
  std::vector<std::string>& gamepad_hint_names() { return gamepad_hint_names_; }
  const std::vector<std::string>& gamepad_hint_names() const { return gamepad_hint_names_; }

 protected:
  // Every dialog of the map hidden, without depth test, in the engine's
  // overlay list (once); with text_size > 0 its text frames take that size.
  // The float is not read.
  void add_hint_dlgs(Hints& hints, float, float text_size);
  void init_kbd_labels();
  // At the button's point of the gamepad table with on_model, else at the
  // hint's place in the row. The float is not read.
  void init_gamepad_labels(float, bool on_model);

  // The model that the "controls" key <name>_model describes, into
  // models()[name], its vertex data kept.
  int load_obj(std::string name);
  // Loads the gamepad, writes the part keys "gamepad_<part>" that the
  // section lacks, divides the model into parts by those keys and orders
  // its transparent faces from the point (0, 0, 1); with a current window
  // builds its vertex arrays. Its vertex data is freed. 0, else the load's
  // result (nothing else done).
  int load_gamepad();
  // The emission of the part's materials becomes v times their diffuse
  // colour, its alpha 1 for v > 0 and 0 otherwise.
  void gamepad_emission(std::string part, float v);
  // The opacity of the part's materials.
  void gamepad_alpha(std::string part, float a);
  // The part of an XInput button mask; "" for a mask of no part.
  std::string gamepad_key2object(int code) const;
  std::string gamepad_flashing_event_name(std::string part) const;
  std::string gamepad_flashing_event_name(int code) const;

  // A text hint fixed to `point` of the gamepad model: a dialog named name
  // with text as one line (text_size when positive, children stacked along
  // layout, gap apart), registered with the engine, listed in
  // button_hints(), turned toward the viewer where it stands. The endless
  // event "orient <name>" on the real-time queue puts it at the model's
  // pose applied to point while the engine lists a VR hand controller and
  // the hint is enabled. Null without an engine.
  Dialog* new_controller_hint(std::string name, std::string text, Vec3 point, int layout,
                              float text_size, float gap);
  // The text line of the first hint of button_hints() named name gets
  // text; nothing when there is none.
  void controller_button_hint(std::string name, std::string text);

 private:
  // Alive as long as the object; the work it puts on the engine holds it
  // weakly. Copies and moves get one of their own.
  struct LifeToken {
    std::shared_ptr<char> token = std::make_shared<char>();
    LifeToken() = default;
    LifeToken(const LifeToken&) : token(std::make_shared<char>()) {}
    LifeToken& operator=(const LifeToken&) noexcept { return *this; }
  };

  // The device whose family of hints fits.
  ControllerType active_device() const;
  // enable(show) on the dialogs of the keys that the map holds.
  void show_hints(const Hints& hints, std::initializer_list<const char*> keys, bool show,
                  bool gamepad);
  // An event on the engine's real-time queue from now on, without end,
  // whose update runs step with its time and whose stop runs at_stop, each
  // only while this object lives. The queue owns it.
  void add_endless_event(std::string name, std::function<void(double)> step,
                         std::function<void()> at_stop = {});

  float label_size_ = 0.0125f;
  float label_gap_ = 0.0125f;
  float image_height_ = 0.02f;
  float hints_y_ = -0.195f;
  EngineSettings* settings_ = nullptr;
  BasicEngine* engine_ = nullptr;
  Models models_;
  Vec3 gamepad_offset_{0.0f, -0.1f, -0.4f};
  PartLists part_objects_;
  PartLists part_materials_;
  std::function<void(int)> gamepad_callback_;
  ControllerButtonLocations gamepad_locations_{"gamepad_v1"};
  std::vector<Dialog*> button_hints_;
  // Owner of the dialogs of new_controller_hint, made with the first.
  std::shared_ptr<OwnedDialogs> button_hint_dialogs_;
  // The keyboard and gamepad hints of every init.
  std::shared_ptr<OwnedDialogs> hint_dialogs_;
  Hints keyboard_hints_;
  Hints gamepad_hints_;
  // Gamepad keys already reported missing: each is named once, not every frame.
  mutable std::set<std::string> missing_gamepad_hints_;
  std::vector<std::string> keyboard_hint_names_;
  std::vector<std::string> gamepad_hint_names_;
  LifeToken life_;
};
