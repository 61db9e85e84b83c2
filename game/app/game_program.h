// GameProgram: the game program's spine. Start-up in its fixed order with the
// failure message and exit code of each step, the freeglut callbacks, the
// frame that the display callback runs, the main loop and the close. The
// program's main owns the engine object, the headset interface and the
// desktop frame buffer and hands them in; the tests build their own.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "game/app/vr_frame.h"

class FrameBuffer;
class PoolEngine;
class VRInterface;
class VersionCheckerGL;

// Main thread only. start_up() runs once; the frame and input operations run
// from the freeglut callbacks that register_callbacks() installs.
class GameProgram {
 public:
  static constexpr const char* kProduct = "Talvorin";
  static constexpr const char* kVersion = "1.1.1";
  // The OpenGL version the game needs, compared over three dotted fields.
  static constexpr const char* kRequiredGL = "4.5.0";
  // Where the update check asks for the newest version, and the page an
  // accepted upgrade opens. The host is a reserved name, so the check never
  // reaches a third party's server.
  static constexpr const char* kUpdateHost = "www.talvorin.example";
  static constexpr const char* kUpdateFolder = "pub/latest_versions";
  static constexpr const char* kUpdateFile = "talvorin.txt";
  static constexpr const char* kProductPage = "http://www.talvorin.example/talvorin";

  // Exit codes of start-up failures that have no code of their own.
  static constexpr int kOldOpenGL = 1;
  // The data folder lacks a folder or a model the game needs.
  static constexpr int kDataMissing = 2;
  static constexpr int kGlewFailed = 56;

  // The failure texts of start-up (each shown with itself as caption).
  static constexpr const char* kNoScreenMode =
      "No compatible screen resolutions found. The program will exit.\nPlease contact technical "
      "support with your hardware specs.";
  static constexpr const char* kEngineInitFailed =
      "There was an error in basic engine initialization.\nPlease contact technical support.";
  static constexpr const char* kFrameBufferFailed =
      "Error creating framebuffer.\nPlease contact technical support.";
  static constexpr const char* kPostGlewFailed =
      "Error post-GLEW intialization.\nPlease contact technical support.";

  GameProgram(PoolEngine& engine, VRInterface& vr, FrameBuffer& desktop);
  // freeglut's callbacks do nothing from then on: freeglut still calls the
  // close callback for the windows it closes at process exit.
  ~GameProgram();
  GameProgram(const GameProgram&) = delete;
  GameProgram& operator=(const GameProgram&) = delete;

  // The whole run: start_up(), then, when it succeeded, main_loop() and
  // close(). 0 after a normal end or an accepted upgrade; otherwise the
  // code of the first failing step.
  int tlv_main(bool allow_vr);
  // The start-up steps, from the update check to the game's post-OpenGL
  // set-up, with the data folder's check (missing_data, kDataMissing; the
  // missing furniture only named on the error stream) right after the
  // update check: 0 when the main loop may run; the failing step's code
  // (after its message box); 0 with upgrade_chosen() set when the player
  // chose to upgrade (the game then does not start).
  int start_up(bool allow_vr);
  // One pass of freeglut's event processing until the engine's quit code is
  // not 0.
  void main_loop();

  // ---- The freeglut callbacks' work

  // One frame: idle(), then the drawing (the headset's, or the desktop
  // frame buffer shown in the window: the engine's scenes with the game's
  // between "vbos" and "dialogs"), each part followed by a GL error check
  // that writes one line to the error stream.
  void display();
  // The engine's idle step between GL error checks; in a headset also its
  // events, the controllers and the view's position.
  void idle();
  void keyboard(unsigned char key, int x, int y);
  void keyboard_up(unsigned char key, int x, int y);
  void special(int key, int x, int y);
  void special_up(int key, int x, int y);
  // Nothing once the engine is quitting.
  void mouse(int button, int state, int x, int y);
  void motion(int x, int y);
  // Clears the game's sound banks (music, menu, game) and shuts the engine
  // down (pointer thread, loads in flight, freeglut's loop).
  void close();

  // Makes this program the one freeglut's callbacks act on and registers
  // them on the current window: display, reshape, keyboard, keyboard up,
  // mouse, motion, special, special up, passive motion, close.
  void register_callbacks();

  // The game's drawing after the engine's dialog scenes (display_basic's
  // second function; its first is the game's scenes); skipped while empty.
  // The engine's overlay pass (render_overlay_pass) unless replaced.
  std::function<void()> second_pass;

  // The scene of one frame or one eye: the engine's scenes with the game's
  // between "vbos" and "dialogs" (render_game_scenes) and second_pass after
  // them.
  void draw_scene();

  // ---- The headset's side of the frame: the program's own VRFrame's
  // operations from construction on; a slot left empty is skipped.

  // At start-up, once the runtime is up: the controllers' and the base
  // stations' models.
  std::function<void()> load_vr_models;
  // Every headset frame, after the runtime's events: the controllers.
  std::function<void()> update_vr_controllers;
  // Draws the headset frame (both eyes, the mirror).
  std::function<void()> draw_vr_frame;
  // A controller's menu button (device, button).
  std::function<void(int, int)> vr_menu_button;

  // Start-up's OpenGL version check: true when the current context has
  // kRequiredGL. Otherwise its message (gl_version_failure_text), quit code
  // kOldOpenGL and the window closed.
  bool gl_version_ok();

  bool hmd_in_use() const { return hmd_in_use_; }
  bool upgrade_chosen() const { return upgrade_chosen_; }

 private:
  // The update check; true when the player chose to upgrade.
  bool check_for_update();
  // The headset when allowed and present; its size per eye.
  void detect_headset(bool allow_vr);
  int init_glew();
  // The headset's runtime and eye targets, else the desktop frame buffer.
  int init_render_target();

  PoolEngine& engine_;
  VRInterface& vr_;
  FrameBuffer& desktop_;
  // After the engine and the interface it acts on.
  VRFrame vr_frame_;
  bool hmd_in_use_ = false;
  bool upgrade_chosen_ = false;
  std::array<unsigned, 2> headset_size_{0, 0};
  std::array<float, 2> render_size_{0.0f, 0.0f};
};

// The text of a failed glewInit: its number and GLEW's words for it (with no
// closing parenthesis, as the program has always shown it).
std::string glew_failure_text(int code);

// The text of a failed OpenGL version check: "OpenGL ", what failed, and the
// advice to update the drivers. What failed is the checker's error text for
// an old version; with no version text at all (no context could be made
// current) it says that no context of the required version could be created
// on this display, and names the display (the DISPLAY variable).
std::string gl_version_failure_text(const VersionCheckerGL& checker);

// Runs body and returns its result. An exception that escapes it is shown in
// an error box captioned "Error": a standard exception's own message (-1),
// anything else the incompatible-hardware text (-2).
int run_guarded(const std::function<int()>& body);

// Writes "<where> " and the GLU text of each pending OpenGL error to the
// error stream, one line each; true when there was one.
bool report_gl_error(const char* where);
// Empties OpenGL's error queue.
void drain_gl_errors();
