// kWindow: the engine's one window (a freeglut top-level window, a
// sub-window or the full-screen game mode), the display modes the screen
// accepts for game mode, and the scale between window pixels and the render
// size; with the freeglut start-up helpers.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

// Runs on the freeglut thread. The wanted title, size, position and
// visibility are kept before the window exists; create() then uses them.
// Every freeglut call goes through the freeglut guard's checks: before
// glutInit no call is made (create() refuses), so nothing here ends the
// process. Copies refer to the same freeglut window; destruction does not
// close it.
class kWindow {
 public:
  // Answers whether a game-mode string ("1920x1080") is possible.
  using ModeProbe = std::function<bool(const std::string& mode)>;

  // A width or height of 0 means the screen's. A parent of 0 or more makes a
  // sub-window of that freeglut window.
  kWindow(std::string title, int width, int height, int x, int y, bool fullscreen, bool visible,
          int parent);
  kWindow() : kWindow("kWindow", 0, 0, 5, 5, true, true, -1) {}

  // Creates the window with the display mode of the four flags, or enters
  // game mode (probing the modes first when none are known yet); prints
  // "Window::create() id = " and the id, which it returns (-1 in game mode,
  // and when freeglut is not initialised). When the probe refuses the
  // resolution's mode or freeglut does not enter it, one line on the error
  // stream says so, the full-screen flag is cleared and a window of the
  // resolution is created instead.
  int create();
  // Destroys the window; in game mode, leaves it.
  void close();

  // The freeglut window id; -1 while there is none.
  int operator()() const { return id_; }

  void set_title(std::string title);
  const std::string& get_title() const { return title_; }
  void set_position(int x, int y);
  std::array<int, 2> get_position() const { return position_; }
  // Stores the size; with reshape, resizes an existing window (not in game
  // mode) to the size divided by the scale factor.
  void set_resolution(int w, int h, bool reshape);
  std::array<int, 2> get_resolution() const { return resolution_; }
  int width() const { return resolution_[0]; }
  int height() const { return resolution_[1]; }
  void set_visible(bool visible);
  bool get_visible() const { return visible_; }
  int stereo() const { return stereo_; }
  void set_stereo(int stereo) { stereo_ = stereo; }

  // Registers the display function of an existing window; a function object
  // that holds anything but a plain function registers nothing.
  void set_display_callback(void (*f)());
  void set_display_callback(const std::function<void()>& f);
  // Stored and returned only.
  std::function<void()> register_callback_function(std::function<void()> f);
  std::function<void()> register_callback_function() const { return callback_; }

  // 1 when this window exists and is freeglut's current window.
  int in_focus() const;
  // Makes an existing window (not in game mode) current.
  void focus() const;
  // freeglut's current window (0 for none).
  static int current();

  // The game-mode flag: stored only by fullscreen_flag; the other two enter
  // or leave game mode (probing the fixed list of modes on every entry).
  bool get_fullscreen() const { return fullscreen_; }
  void fullscreen_flag(bool on) { fullscreen_ = on; }
  void set_fullscreen(bool on);
  void toggle_fullscreen();

  // Refreshes the scale factor and sets the viewport at (x, y) to the stored
  // size; a w or h of 0 keeps the stored one. Without scaled (w, h) is
  // stored; with it a component is stored unless scaling it gives the stored
  // value already.
  void reset_viewport(int w, int h, int x, int y, bool scaled);

  // The stored resolution over the size freeglut reports for the window (for
  // the screen in game mode), x and y.
  std::array<float, 2>& scale_factor() { return scale_factor_; }
  const std::array<float, 2>& scale_factor() const { return scale_factor_; }
  // The resolution divided by the scale factor (a factor that is 0 or no
  // number counts as 1, as in set_resolution).
  std::array<float, 2> get_scaled_resolution() const;

  // ---- Game modes (window_modes.cpp)

  std::vector<std::string> game_modes() const { return game_modes_; }
  std::string game_mode_string() const;
  // "1920x1080".
  static std::string game_mode_string(unsigned int w, unsigned int h);
  // The numbers before and after the first "x" (atoi); a string without "x"
  // gives its number twice.
  static std::array<int, 2> game_mode_resolution(const std::string& mode);
  // Whether a mode's size fits on the screen (true while the screen's size
  // is unknown, before glutInit).
  static bool fits_on_screen(const std::string& mode);
  // Stores the mode's size as the resolution and hands the mode to freeglut
  // (without entering game mode); returns the size.
  std::array<int, 2> set_game_mode(const std::string& mode);
  // Appends the modes the probe accepts among the screen's size and its
  // multiples (from_screen) or a fixed list, printing each test; then takes
  // the last mode listed as the resolution and freeglut's game-mode string.
  void init_game_modes(bool from_screen);
  // Appends the modes the probe accepts among all pairs of a list of common
  // sizes and the screen's (with match_aspect, only pairs of the screen's
  // aspect within 0.1 %), logging to log_file with the tag "kwindow"; then
  // lists each mode once and returns the list.
  //
  // freeglut may answer no mode at all (under Xvfb and on some desktops),
  // though the desktop runs at the screen's size. When no mode is known
  // afterwards, init_game_modes takes the screen's size as the one mode, and
  // detect_game_modes every candidate pair that fits on the screen (the
  // screen's size last), so a window of the stored "resolution" can open.
  std::vector<std::string> detect_game_modes(bool match_aspect, std::string log_file);
  // The probe; by default freeglut's answer (glutGameModeString, then
  // glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) == 1; false before glutInit).
  // An empty probe restores the default.
  void mode_probe(ModeProbe probe);
  const ModeProbe& mode_probe() const { return mode_probe_; }
  static bool freeglut_mode_possible(const std::string& mode);

  // ---- Display mode flags, stored for create()

  // double_buffer leads: the program sets it when no headset is in use.
  bool double_buffer() const { return double_buffer_; }
  void double_buffer(bool on) { double_buffer_ = on; }
  // Only reported by create(); freeglut's RGBA has no bit for it.
  bool alpha() const { return alpha_; }
  void alpha(bool on) { alpha_ = on; }
  bool depth() const { return depth_; }
  void depth(bool on) { depth_ = on; }
  bool multisample() const { return multisample_; }
  void multisample(bool on) { multisample_ = on; }

 private:
  bool exists() const { return id_ >= 0; }
  // Runs f with this window current (not in game mode, freeglut running),
  // then makes the previous window current again. False when f did not run.
  bool on_window(const std::function<void()>& f) const;
  void refresh_scale_factor();
  // Enters game mode at the resolution; false, after one line on the error
  // stream, when the probe refuses the mode or freeglut does not enter it.
  bool enter_game_mode();
  // The screen's size as the one mode when none is known.
  bool add_screen_mode_if_none();

  bool double_buffer_ = true;
  bool alpha_ = true;
  bool depth_ = true;
  bool multisample_ = true;
  std::vector<std::string> game_modes_;
  std::function<void()> callback_;
  std::array<float, 2> scale_factor_{1.0f, 1.0f};
  std::array<int, 2> resolution_;
  std::array<int, 2> position_;
  bool fullscreen_;
  int id_ = -1;
  std::string title_;
  bool visible_;
  int parent_;
  int stereo_ = 0;
  ModeProbe mode_probe_ = freeglut_mode_possible;
};

// glutInit with the program's arguments, unless freeglut is initialised
// already. freeglut ends the process when it finds no display.
void varnox_init_glut(int* argc, char** argv);
// Does nothing: a display function for windows that draw nothing.
void varnox_null_func();
