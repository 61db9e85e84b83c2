// GLUTInterface: the engine's base for everything that arrives through
// freeglut and for the passing of time: the game-time and real-time event
// queues advanced once a frame, pause and menu state, the times of the last
// keyboard, mouse and gamepad input, the overlay colour that screen fades
// animate, and the hooks a program plugs its own handling into.
#pragma once

#include <array>
#include <functional>

#include "core/event_queue.h"
#include "core/wrapper.h"
#include "input/frame_clock.h"
#include "input/keyboard.h"
#include "input/mouse.h"

class Joystick;

// The program's freeglut callbacks forward to the entry points below
// (window coordinates as floats, z = 0); a deriving engine fills the four
// pure virtual operations. Real time is the time of the real-time queue's
// last advance, not a fresh clock reading. Everything runs on the thread that
// pumps freeglut; nothing locks.
//
// Copies copy every field: an owned mouse or keyboard is copied, a borrowed
// one shared; the queues list the same events. Destruction deletes what the
// holders own and the events the queues adopted (the fades), nothing else.
class GLUTInterface : public Wrapper<kMouse>, public Wrapper<Keyboard> {
 public:
  using Hook = std::function<void()>;
  // (button, state, x, y, z); (buttons, x, y, z); (key, state, x, y, z).
  using MouseButtonHook = std::function<void(int, int, float, float, float)>;
  using JoystickHook = std::function<void(unsigned int, float, float, float)>;
  using KeyHook = std::function<void(int, int, float, float, float)>;
  using MenuHook = std::function<void(bool)>;
  using Color = std::array<float, 4>;
  // Rows: the x axis (negative, positive), the y axis (negative, positive).
  using ArrowKeys = std::array<std::array<int, 2>, 2>;

  // A mouse or keyboard given is borrowed, one not given is made and owned.
  // The joystick is not used.
  explicit GLUTInterface(kMouse* mouse = nullptr, Keyboard* keyboard = nullptr,
                         Joystick* joystick = nullptr);
  GLUTInterface(const GLUTInterface&) = default;
  GLUTInterface(GLUTInterface&&) = default;
  GLUTInterface& operator=(const GLUTInterface&) = default;
  GLUTInterface& operator=(GLUTInterface&&) = default;
  virtual ~GLUTInterface();

  // ---- The frame

  // Reads the clock; unless paused, advances the game clock and runs the
  // game-time queue game_speed_steps() times at the new game time (each
  // removing at most the first finished event); advances the real-time queue
  // once (removing every finished event); polls the joystick; then
  // idle_impl() and the idle hook. The game step is the game clock's change
  // in this frame (0 on its first frame and while paused), the real step the
  // change of real time since the real-time queue last advanced.
  void idle();

  // The clock idle() and the pause read; the steady clock unless a caller
  // hands in another (which must outlive this object).
  void frame_clock(FrameClock* clock) { clock_ = clock ? clock : &FrameClock::steady(); }
  FrameClock& frame_clock() const { return *clock_; }

  // ---- Pause and menu

  // Pausing is refused while pause_allowed() is false; a request equal to
  // the current state changes nothing. The game clock stands still while
  // paused and resumes at the value it had.
  void pause(bool p);
  void unpause();
  bool paused() const { return paused_; }
  bool pause_allowed() const { return pause_allowed_; }
  void pause_allowed(bool allowed) { pause_allowed_ = allowed; }

  // The menu opens only while pause_allowed(). Closing (or refusing to open)
  // stamps menu_closed_time(); the menu hook runs with the new state when the
  // state changed.
  void set_menu(bool on);
  // set_menu(!menu_enabled()); the state after the hook ran.
  bool toggle_menu();
  // Store the state as given, with no check and no stamp, and always call the
  // menu hook.
  void enable_menu(bool on);
  void disable_menu(bool on);
  bool menu_enabled() const { return menu_enabled_; }

  // ---- Input recency (against real time)

  bool keyboard_input() const { return real_time() - last_key_time_ < keyboard_timeout_; }
  bool mouse_input() const { return real_time() - last_mouse_time_ < mouse_timeout_; }
  bool arrow_keys_active(double t) const { return real_time() - last_arrow_key_time_ < t; }
  // Either Alt key (special keys 116, 117) is down.
  bool any_alt_key();
  // A unit direction for a freeglut arrow key: 100 left (-1, 0, 0), 102 right
  // (1, 0, 0), 103 down (0, -1, 0), 101 up (0, 1, 0); zeros for other keys.
  static std::array<float, 3> arrow_key_direction(int key);

  // ---- Entry points of the program's freeglut callbacks

  // A key press (state 1) or release (0): stamps the key time, records the
  // state and the modifiers, then keyboard_impl(). The key intercept does not
  // apply.
  void keyboard_callback(int key, int state, float x, float y, float z);
  // A special key with its state: stamps the key time (and the arrow-key time
  // for an arrow key), records the state and the modifiers; then the key
  // intercept when set, otherwise special_key_up_impl() for a press.
  void special_key(int key, int state, float x, float y, float z);
  // A special-key release: stamps as above and records state 0 with the
  // modifiers (so a held Alt is let go also under an intercept); then the
  // key intercept with state 0 when set, otherwise special_key_up_impl().
  void special_key_up(int key, float x, float y, float z);
  // A special-key press: stamps and records state 1; then the key intercept
  // with state 1 when set. No virtual call.
  void special_key_down(int key, float x, float y, float z);
  // Stamps the mouse time and calls the mouse-button hook.
  void mouse_button(int button, int state, float x, float y, float z);
  // Stamps the gamepad time and calls the joystick hook.
  void joystick_callback(unsigned int buttons, float x, float y, float z);
  // The shutdown hook, then glutLeaveMainLoop (when freeglut runs).
  void shutdown();
  // The close hook.
  void close_gl();

  // ---- Overlay fades on the real-time queue (seconds; each returns the
  // event it queued, which the queue owns and frees when it ends). The
  // faders write into this object's overlay colour.

  // The overlay alpha from `from` to `to`, starting delay after the real
  // time, named "Fade overlay alpha".
  Event* fade_overlay_alpha(double duration, float from, float to, double delay);
  // All four overlay components from their current values to color, named
  // "Fade overlay".
  Event* fade_overlay(double duration, const Color& color, double delay);
  // Alpha 0 to 1: the view goes dark.
  Event* fade_out(double duration, double delay);
  // Alpha 1 to 0.
  Event* fade_in(double duration, double delay);
  // A fade out lasting out_duration from delay, then a fade in lasting
  // in_duration from delay + out_duration.
  std::array<Event*, 2> fade_out_in(double out_duration, double in_duration, double delay);

  // ---- Accessors

  kMouse& mouse() { return Wrapper<kMouse>::get(); }
  const kMouse& mouse() const { return Wrapper<kMouse>::get(); }
  Keyboard& keyboard() { return Wrapper<Keyboard>::get(); }
  const Keyboard& keyboard() const { return Wrapper<Keyboard>::get(); }
  EventQueue& gametime_queue() { return gametime_queue_; }
  const EventQueue& gametime_queue() const { return gametime_queue_; }
  EventQueue& realtime_queue() { return realtime_queue_; }
  const EventQueue& realtime_queue() const { return realtime_queue_; }
  double real_time() const { return realtime_queue_.time(); }

  unsigned int game_speed_steps() const { return game_speed_steps_; }
  // At least 1.
  void game_speed_steps(unsigned int n) { game_speed_steps_ = n < 1 ? 1 : n; }
  double game_time() const { return game_time_; }
  double previous_game_time() const { return previous_game_time_; }
  double game_start() const { return game_start_; }
  double paused_game_time() const { return paused_game_time_; }
  double game_step() const { return game_step_; }
  double real_step() const { return real_step_; }

  double mouse_timeout() const { return mouse_timeout_; }
  void mouse_timeout(double t) { mouse_timeout_ = t; }
  double keyboard_timeout() const { return keyboard_timeout_; }
  void keyboard_timeout(double t) { keyboard_timeout_ = t; }
  double last_arrow_key_time() const { return last_arrow_key_time_; }
  void last_arrow_key_time(double t) { last_arrow_key_time_ = t; }
  double last_mouse_time() const { return last_mouse_time_; }
  void last_mouse_time(double t) { last_mouse_time_ = t; }
  double last_key_time() const { return last_key_time_; }
  void last_key_time(double t) { last_key_time_ = t; }
  double last_gamepad_time() const { return last_gamepad_time_; }
  void last_gamepad_time(double t) { last_gamepad_time_ = t; }
  double menu_closed_time() const { return menu_closed_time_; }
  double menu_look_delay() const { return menu_look_delay_; }
  void menu_look_delay(double t) { menu_look_delay_ = t; }

  // While set, the engine warps the hidden pointer back to the window centre
  // when it strays (either Alt key suspends this).
  bool warp_pointer() const { return warp_pointer_; }
  void warp_pointer(bool on) { warp_pointer_ = on; }
  // For glutIgnoreKeyRepeat.
  bool get_ignore_repeat_keys() const { return ignore_repeat_keys_; }
  void ignore_repeat_keys(bool on) { ignore_repeat_keys_ = on; }
  // Set by the engine when it makes its window: 2 in full-screen game
  // mode, 1 for a window.
  int buffer_count() const { return buffer_count_; }
  void buffer_count(int n) { buffer_count_ = n; }
  // Target rates, stored only.
  double display_fps() const { return display_fps_; }
  void display_fps(double fps) { display_fps_ = fps; }
  double idle_fps() const { return idle_fps_; }
  void idle_fps(double fps) { idle_fps_ = fps; }

  // The overlay drawn over the view (fades animate it; alpha last) and the
  // tint of the picture on the monitor.
  Color& overlay_color() { return overlay_color_; }
  const Color& overlay_color() const { return overlay_color_; }
  Color& monitor_color() { return monitor_color_; }
  const Color& monitor_color() const { return monitor_color_; }
  // The freeglut special keys that act as arrows.
  ArrowKeys& arrow_keys() { return arrow_keys_; }
  const ArrowKeys& arrow_keys() const { return arrow_keys_; }

  // Hooks; empty ones are skipped. Assign through the references.
  Hook& idle_hook() { return idle_hook_; }
  MouseButtonHook& mouse_button_hook() { return mouse_button_hook_; }
  JoystickHook& joystick_hook() { return joystick_hook_; }
  // When set, takes over the special keys.
  KeyHook& key_intercept() { return key_intercept_; }
  Hook& close_gl_hook() { return close_gl_hook_; }
  Hook& shutdown_hook() { return shutdown_hook_; }
  MenuHook& menu_hook() { return menu_hook_; }

 protected:
  // Virtual slots 0 to 3.
  virtual void idle_impl() = 0;
  virtual void keyboard_impl(int key, int state, float x, float y, float z) = 0;
  // Called by the deriving engine, not by this class.
  virtual void joystick_impl(unsigned int buttons, float x, float y, float z) = 0;
  // Called for a special-key press without intercept and for every
  // special-key release without intercept.
  virtual void special_key_up_impl(int key, float x, float y, float z) = 0;

  void close_gl_impl() {}

  // Whether the key is one of arrow_keys().
  bool is_arrow_key(int key) const;

 private:
  // Stamps the key time (and the arrow-key time) and records a special key.
  void record_special_key(int key, int state);
  // Game time 0 lies at that clock reading.
  void start_game_clock(double at);
  Event* queue_overlay_fade(int count, float* output, const float* from, const float* to,
                            double duration, double delay, const char* name);

  FrameClock* clock_ = &FrameClock::steady();
  unsigned int game_speed_steps_ = 1;
  bool paused_ = false;
  bool pause_allowed_ = true;
  double mouse_timeout_ = 0.5;
  double keyboard_timeout_ = 5.0;
  double last_arrow_key_time_ = 0.0;
  bool menu_enabled_ = false;
  EventQueue gametime_queue_;
  EventQueue realtime_queue_;
  bool warp_pointer_ = true;
  bool ignore_repeat_keys_ = true;
  int buffer_count_ = 2;
  Hook idle_hook_;
  MouseButtonHook mouse_button_hook_;
  JoystickHook joystick_hook_;
  KeyHook key_intercept_;
  Hook close_gl_hook_;
  Hook shutdown_hook_;
  double display_fps_ = 0.0;
  double idle_fps_ = 0.0;
  double last_mouse_time_ = 0.0;
  double last_key_time_ = 0.0;
  double last_gamepad_time_ = 0.0;
  double menu_closed_time_ = 0.0;
  double menu_look_delay_ = 0.375;
  double game_time_ = 0.0;
  double previous_game_time_ = 0.0;
  double game_start_ = 0.0;
  bool game_clock_started_ = false;
  double paused_game_time_ = 0.0;
  double game_step_ = 0.0;
  double real_step_ = 0.0;
  MenuHook menu_hook_;
  Color overlay_color_{0.0f, 0.0f, 0.0f, 0.0f};
  Color monitor_color_{1.0f, 1.0f, 1.0f, 1.0f};
  ArrowKeys arrow_keys_{{{100, 102}, {103, 101}}};
};
