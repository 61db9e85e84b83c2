// PoolMenus: the game's menus and dialogs by name: the menus with their back
// stack and menu mode (the main, set-up and option menus and the settings
// they write), the prompts that the end of a shot raises
// ("scratched_on_break", "choose_team", "play_again"; prompts.cpp), the four
// dialogs of the shot wizard ("ball in hand", "ball", "pocket", "shoot"),
// which follow the wizard's steps and stand next to the ball, pocket or cue
// ball they concern, the key and gamepad hint images, the VR controller
// labels and the placement marker of ball in hand.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "platform/process.h"
#include "render/decal.h"
#include "ui/option.h"

class Dialog;
class Frame;
class PoolEngine;
class TextFrame;
class ListSelection;
class ToggleControl;

// Main thread only. Each dialog is built on the first call of its builder
// and reused afterwards. Every dialog comes from new_dialog(): this object
// owns it, lists it in the engine's dialogs, and at its own end takes it off
// that list (and off the engine's selection) and frees it with its children.
// Without an engine the builders still build and show, and the buttons only
// hide their dialog.
class PoolMenus {
 public:
  // The hint images, in loading order; the first two of each device confirm
  // and go back.
  static constexpr std::array<const char*, 7> kHintImages{
      "gamepad_A",      "gamepad_B",    "gamepad_X",      "gamepad_Y",
      "keyboard_Enter", "keyboard_Esc", "keyboard_arrows"};

  explicit PoolMenus(PoolEngine* engine = nullptr);
  ~PoolMenus();
  PoolMenus(const PoolMenus&) = delete;
  PoolMenus& operator=(const PoolMenus&) = delete;

  // ---- The shot wizard's dialogs. Each call shows its dialog and places
  // it (left where it was when what it concerns is missing), and a placed
  // dialog becomes the engine's selected dialog. The places below are where
  // each stands while the viewer can see it there; otherwise it stands in
  // front of the view (PoolEngine::panel_in_sight).

  // Buttons "Place here" and "Randomize"; shown only while
  // ball_in_hand_active(), 0.1 m above the cue ball (over_ball_in_hand), at
  // least as far from the viewer as a menu stands
  // (PoolEngine::at_reading_distance).
  Dialog* ball_in_hand();
  // Where the "ball in hand" dialog stands for a cue ball at `ball`.
  static Vec3 over_ball_in_hand(const Vec3& ball) { return ball + Vec3{0.0f, 0.1f, 0.0f}; }
  // Button "Choose ball", 0.05 m above the selected ball.
  Dialog* choose_ball();
  // Button "Choose pocket", at 0.8 times the selected pocket's position
  // (between it and the table's centre).
  Dialog* choose_pocket();
  // Button "Shoot" and the power slider (0.125 to 1.0, set from the current
  // player's power at each showing; activating the slider shoots), 0.1 m
  // above the cue ball once a ball and a pocket are selected.
  Dialog* shoot();
  // Hides every dialog of wizard_dialogs.
  void hide_wizard_dialogs();
  // A new, empty dialog named `name` (empty master text, no action) that
  // lives as long as this object; listed in the engine's dialogs when there
  // is an engine. A standing dialog follows neither the player's position
  // nor his rotation when it is listed, so that the engine's first turn
  // toward the viewer neither carries it away from where it is then put nor
  // turns it before its children, which copy its pose, are added.
  Dialog* new_dialog(const std::string& name, bool standing = false);
  // The engine exists, no VR hand controller is connected, rules exist, the
  // wizard is at "Ball in hand" and the current player is human or a shot
  // is in progress.
  bool ball_in_hand_active() const;

  // ---- Prompts of the end of a shot. Each builder builds its menu once,
  // stores it in `menus` and returns it; the caller shows it. "A new game
  // with the same seats" starts, through the engine's start-game hook, a
  // game of the current numbers of human and computer players.

  // "Scratched on break. Try again?": "Yes" leaves menu mode and starts a
  // new game with the same seats; "No" (the back button) leaves menu mode
  // and hands the table to the next turn. Both hide the prompt.
  Dialog* scratched_on_break();
  // "Choose your team:": "Solids" and "Stripes" unpause the game and its
  // sounds, give the shooter that team, leave menu mode and let the end of
  // the shot go on. Stays open on Back.
  Dialog* choose_team();
  // "Play again?" (its text becomes the result and the question): "Yes"
  // hides it, leaves menu mode and starts a new game with the same seats;
  // "No" (the back button) hides it, releases Escape and, with VR hand
  // controllers, glides the cue into the hands. Stays open on Back.
  Dialog* play_again();
  // The menu of that name, null when it has not been built.
  Dialog* menu(const std::string& name) const;

  // ---- The menus (pool_menus_framework.cpp). A menu is a dialog of menus,
  // shown one at a time; the menus left behind wait on back_stack.

  // Hides every menu and, with remember, first puts each one that was open
  // on the back stack; then shows `menu` (taken off the stack), facing the
  // player, as the engine's selected dialog and current menu (menu_dialog,
  // which Enter clicks), drawn without depth test
  // unless a VR hand controller is connected (with depth_control); enters
  // menu mode when it was off. Null closes every menu. The index of the
  // selected item, -1 when none (or for null).
  int show_menu(Dialog* menu, bool remember);
  // Hides the menu and makes it the top of the back stack: appended when
  // not on the stack; swapped with the top when it is lower on a stack of
  // two or more.
  void push_menu(Dialog* menu);
  // The Back action of every menu: with an empty back stack menu mode ends
  // (the open menu stays when it is stay_open, unless it has a button
  // marked is_back: that answer is given); otherwise the stack is cut
  // below the open menu when it lies on it and the new top is shown. The
  // menu now shown, null when the menus closed.
  Dialog* back();
  // The selectable button of the menu marked is_back, null when none.
  static Frame* back_answer(Dialog& menu);
  // Menu mode on with an empty back stack; the main menu when no menu is
  // open.
  void open_menus();
  // Menu mode off, every menu hidden; the engine's selected dialog and
  // current menu are each cleared when they are one of the menus.
  void hide_menus();
  // The first enabled menu in name order while in menu mode, else null.
  Dialog* first_open_menu() const;
  // Once a frame: an open menu (or prompt) is placed in front of the viewer
  // again when the view has moved away from where it was when the menu was
  // last placed (kViewShift metres, or kViewTurn degrees), and when it was
  // shown without being placed. Nothing in head-mounted mode, where the
  // engine keeps the menus by the player as the head moves.
  void keep_menus_in_view();
  static constexpr float kViewShift = 0.1f;
  static constexpr float kViewTurn = 20.0f;
  // The menus needed at start: the main menu, "audio", the VR labels of
  // both hands, the hint images (a failure is printed) and "controls",
  // hidden again. 0.
  int build_menus();
  // The engine's menu function (start-up installs it as the menu hook):
  // shown opens the main menu, pauses the game and its sounds and stops the
  // walker (nothing at all while pausing is not allowed); hidden resumes
  // them and hides the menus. Then the VR labels follow.
  void menu_changed(bool shown);

  // ---- Set-up menus (pool_menus_setup.cpp). Each builder builds its menu
  // on the first call and returns the same dialog afterwards.

  // "new_game": the three pairings of players and Back.
  Dialog* new_game_menu();
  Dialog* new_game_type_menu();
  // "gameplay": Difficulty, the status text switch and Back.
  Dialog* gameplay_menu();
  // "difficulty": Easy, Medium, Hard (the level in force marked "*"), Back;
  // built hidden.
  Dialog* difficulty_menu();
  // "video": the full-screen switch (at the stored choice), the resolution
  // list and Back; a change is saved and puts the restart notice on the back
  // stack.
  Dialog* video_menu();
  // "confirm_restart": the notice that the changes wait for a restart.
  Dialog* confirm_restart_menu();
  // Marks the level's button (children 1 to 3) with a trailing "*" and
  // takes the mark off the others.
  void mark_difficulty(Dialog* menu, int level);
  // "video_settings" "fullscreen" = 1 or 0, saved; the restart notice.
  void set_fullscreen(bool on);
  // "video_settings" "resolution" = the list's entry, saved; the restart
  // notice.
  void set_resolution(const std::string& mode);

  // ---- Main and option menus (pool_menus_options.cpp)

  Dialog* main_menu();
  Dialog* options();
  // "audio"; loads "audio_settings" for the switches' states.
  Dialog* audio();
  // "master_volume".
  Dialog* volume_controls();
  // "controls"; applies the stored control tips first.
  Dialog* controls();
  Dialog* about();
  Dialog* confirm_quit();
  // The switches' and sliders' actions: each applies the value, writes its
  // key and saves the section at once; nothing without an engine.
  void set_effects_on(bool on);
  void set_music_on(bool on);
  void set_effects_volume(float v);
  void set_music_volume(float v);
  // The mouse look turns at (v, v, v), the walker's own look at 200 times
  // that; both "look_speed" and "look_sensitivity" take the mouse look's
  // speeds.
  void set_look_speed(float v);
  // Sets the mouse's inversion of one axis (0 horizontal, 1 vertical),
  // keeping the others, and writes the three flags as "look_inversion".
  void set_look_inversion(int axis, bool on);
  void set_walk_accel(float v);
  void set_show_control_hints(bool on);
  // Shows or hides every VR label and the engine's controller tutorial.
  void show_control_hints(bool on);

  // ---- Control hints and VR labels (pool_menus_hints.cpp)

  // Loads "controls/<name>.png" of the textures for every name of
  // kHintImages; a missing file is skipped. The sum of the load errors.
  int load_hint_images();
  // Hides every hint image; while a human's input is awaited, places the
  // confirm image beside the selected item of the current dialog and the
  // back image beside its Back item (gamepad or keyboard images by the menu
  // device).
  void place_control_hints();
  // The image of that name, made empty when missing.
  Decal& hint(const std::string& name);
  // The labels of one hand controller's buttons.
  void init_vr_labels(int controller);
  // The label texts for the state of the game, on both controllers.
  void update_vr_labels();
  // The text of one button's label (controller -1: both); an empty text
  // hides the label.
  void set_vr_label_text(int controller, const std::string& text, const std::string& button);
  // The label of one button, made with create_vr_label when missing (at the
  // button's location plus offset): null without an engine or when the
  // engine has no location for the button.
  Dialog* add_vr_label(int controller, const std::string& button, const std::string& text,
                       const Vec3& offset);
  // A new label named `name` (none of that name may exist yet) showing one
  // line of text: small, without background, not selectable, registered
  // with the engine and kept in vr_labels; while it is enabled an endless
  // real-time event keeps it at `at` in the frame of the controller's model.
  // Null without an engine.
  Dialog* create_vr_label(const std::string& name, int controller, const Vec3& at,
                          const std::string& text);
  // The dialog the hints stand by and Enter goes to: the open menu while in
  // menu mode, else, while a human's shot waits and no stroke is on its way,
  // the shot wizard's dialog of the current step, shown alone (and placed
  // again: after ball in hand, its builder runs).
  Dialog* current_dialog();

  // The menus Back returns to; the last is the top.
  std::vector<Dialog*> back_stack;
  // Showing a menu turns its depth test off unless a VR hand controller is
  // connected.
  bool depth_control = true;
  // The hint images by name, in kHintImages.
  std::map<std::string, Decal> hint_images;
  // One label per controller button, by "help_<controller>_<button>".
  std::map<std::string, Dialog*> vr_labels;
  // A placed hint is this fraction of its item's height.
  float hint_scale = 0.6f;
  // The maker's home page on the about menu.
  std::string home_page = "https://www.talvorin.example";
  // Opens an address in the system's browser; 0 when it started.
  std::function<int(const std::string&)> open_address = platform::open_in_browser;

  // By name: "ball", "ball in hand", "pocket", "shoot".
  std::map<std::string, Dialog*> wizard_dialogs;
  // The menus by name.
  std::map<std::string, Dialog*> menus;
  PoolEngine* engine = nullptr;
  // A menu is meant to be open (the game is in menu mode); arrow keys then
  // leave the shot alone.
  bool menus_active = true;
  // Shown while the spot pointed at for the cue ball is not free; starts
  // hidden.
  SimpleOption placement_marker;

 private:
  // The wizard dialog of that name, built by `build` when missing: standing
  // where it is put (not following the player), drawn without depth test
  // (the table and the balls never hide it), its menu sounds off, stored,
  // its default child selected.
  template <typename Build>
  Dialog* wizard_dialog(const std::string& name, Build build);
  // Shows the dialog as the engine's selected dialog (it takes the arrow
  // keys and places the menu sounds); with a position, places it there or
  // in front of the view as PoolEngine::panel_in_sight says (without one,
  // as after Delete cleared the choice, it stays where it was).
  void show_at(Dialog* dialog, const float* position);

  // The wizard-dialog buttons' actions. "Choose ball" and "Choose pocket":
  // unless paused or nothing is chosen yet (no ball; at "Choose pocket" no
  // pocket), the wizard dialogs give way to the next step's, shown by
  // show_next, and the wizard goes on; the button's dialog closes.
  void step_pressed(Dialog* dialog, Dialog* (PoolMenus::*show_next)());
  void shoot_pressed(Dialog* dialog);
  void power_changed(float value);
  void place_here_pressed(Dialog* dialog);
  void randomize_pressed(Dialog* dialog);

  // The prompt of that name, built by `build` when missing: stored in
  // `menus`, its default child selected.
  template <typename Build>
  Dialog* prompt(const std::string& name, Build build);
  // A new game with the current seats; nothing without an engine.
  void restart_same_seats();

  // The menu of that name, built when missing: a new dialog with the title
  // (when not empty) as its first line, the items `build` adds, hidden when
  // asked, stored in menus, its default child selected.
  Dialog* menu(const std::string& name, const std::string& title,
               const std::function<void(Dialog&)>& build, bool hidden = false);
  // Ends menu mode in the engine and hides the menus.
  void close_menus();
  // The items every menu shares: a button (`is_back`) that runs `before`
  // and then back(); a button that opens the builder's menu, remembering
  // this one; a switch that acts only on the player's changes (not on the
  // state it is built with). Their actions do nothing without an engine.
  TextFrame* add_back_button(Dialog& menu, const std::string& text = "Back",
                             std::function<void()> before = {});
  TextFrame* add_submenu_button(Dialog& menu, const std::string& text,
                                Dialog* (PoolMenus::*builder)());
  ToggleControl* add_switch(Dialog& menu, const std::string& label,
                            std::function<void(bool)> action, bool initial);
  // Adds a list or switch made apart from the menu as one of its items, with
  // the menu's text margins; a change of its text lays the menu out anew.
  static void add_list(Dialog& menu, ListSelection* list);
  // Writes the key into the section and saves the section.
  template <typename T>
  void save_setting(const std::string& section, const std::string& key, const T& value);
  // Places the image beside the first child of d that passes the test, at
  // `height` (0: hint_scale times the child's height), to its right (left
  // when asked); hidden when no child passes.
  void place_hint(Decal& image, Dialog& d, const std::function<bool(const Frame&)>& test,
                  float height = 0.0f, bool left = false);

  // Places the menu in front of the viewer (its orientation function,
  // forced) and remembers the view it was placed for.
  void place_in_view(Dialog* menu);

  std::vector<std::unique_ptr<Dialog>> owned_;
  // The menu last placed in front of the viewer, and the view then.
  Dialog* placed_menu_ = nullptr;
  Vec3 placed_eye_{0.0f, 0.0f, 0.0f};
  Vec3 placed_look_{0.0f, 0.0f, 0.0f};
};
