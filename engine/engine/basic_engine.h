// BasicEngine: the engine's main class. One object owns the window, the
// input devices, the camera and the walker, the settings store, the render
// scenes, the registered dialogs and commands and the per-frame machinery; an
// application derives its engine from it and plugs its behaviour in through
// the hooks, the maps of update and draw functions, the scenes and the event
// queues.
//
// Its operations live in files by concern: basic_engine.cpp (construction,
// accessors), basic_engine_events.cpp (event operations),
// basic_engine_loading.cpp (loaders), basic_engine_frame.cpp (the frame
// step), basic_engine_volumes.cpp (player volumes), basic_engine_keys.cpp
// (keys, commands, bindings and gamepad buttons), basic_engine_camera.cpp
// (camera moves and animations), basic_engine_pointer.cpp (the mouse
// pointer, mouse buttons and the device choice), basic_engine_dialogs.cpp
// (the registered dialogs), basic_engine_sounds.cpp (the menu sounds),
// basic_engine_lights.cpp (lights), basic_engine_drawing.cpp (the frame's
// drawing and the dialog scenes), basic_engine_collision.cpp (collision models),
// basic_engine_display_mode.cpp (the full-screen mode), basic_engine_lens.cpp
// (the lens and mirror-sphere programs), basic_engine_view.cpp (view and
// collision queries) and basic_engine_controllers.cpp (controller models).
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "audio/audio_source.h"
#include "audio/menu_audio.h"
#include "core/coordinate_system.h"
#include "core/engine_settings.h"
#include "core/event_queue.h"
#include "core/vector_math.h"
#include "core/wrapper.h"
#include "engine/camera_moves.h"
#include "engine/controller_button_locations.h"
#include "engine/controller_type.h"
#include "engine/load_workers.h"
#include "engine/mouse_look.h"
#include "engine/pointer_container.h"
#include "engine/pointer_thread.h"
#include "engine/walking.h"
#include "input/controller.h"
#include "input/glut_interface.h"
#include "input/joystick.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "input/window.h"
#include "render/camera.h"
#include "render/frame_buffer.h"
#include "render/geometry.h"
#include "render/material.h"
#include "render/render_process.h"
#include "render/texture.h"
#include "render/vbo.h"
#include "ui/cursor.h"

class CollisionPartition;
class ControllerTutorial;
class Dialog;
class OBJRenderer;
class PhysObj;
class ProgramCfg;
class TextFrame;

// Runs on the thread that pumps freeglut, except the loaders' workers, which
// reach the main thread only through the hand-over (see the loaders below),
// and the pointer thread, which reads a copy of its inputs and hands its poses
// over whole (see the mouse pointer below).
//
// Members held by value are owned; every pointer member and every pointer in
// a container is borrowed (the application owns the dialogs, VBOs, objects
// and events it registers), except the frame buffer the constructor makes,
// which follows Wrapper's rules. Copies and moves take every member over in
// declaration order, except the loads in flight, which stay with the source.
// The destructor deletes nothing held by pointer; it first stops the pointer
// thread and waits for the loads in flight. Copies and moves start without
// camera moves or a pointer thread of their own.
class BasicEngine : public GLUTInterface, public Wrapper<FrameBuffer> {
 public:
  using Hook = GLUTInterface::Hook;
  using UpdateFunction = std::function<void(double)>;
  using UpdateFunctions = std::map<std::string, UpdateFunction>;
  using DrawFunctions = std::map<std::string, std::function<void()>>;
  using Command = std::function<int(int)>;
  using Commands = std::map<std::string, Command>;
  // A bound command: its name and the integer it is called with.
  using Binding = std::pair<std::string, int>;
  using KeyBindings = std::map<unsigned char, Binding>;
  using MouseBindings = std::map<int, Binding>;
  using StartGameHook = std::function<void(int humans, int computers)>;
  using ArrowKeyHook = std::function<void(int key)>;
  // A box where the walker may stand: its centre and its full edge lengths.
  using PlayerVolume = Box<3, float>;

  // Opens nothing (no window, no OpenGL, no audio device). root_variable
  // names the environment variable of the data root, for the settings.
  explicit BasicEngine(ControllerTutorial* tutorial = nullptr,
                       std::string root_variable = "TALVORIN_ROOT");
  BasicEngine(const BasicEngine& other);
  BasicEngine(BasicEngine&& other);
  BasicEngine& operator=(const BasicEngine& other);
  BasicEngine& operator=(BasicEngine&& other);
  ~BasicEngine() override;

  // ---- Start-up (main thread; basic_engine_startup.cpp)
  //
  // An application calls, in this order: init_basic(); its hooks;
  // init_walk(), init_cfg(), init_win(); its own GL state and init_lights();
  // the extension loader, its frame buffer or headset and its freeglut
  // callbacks; init_post_glew(); its content, then construct() and
  // init_scenes(). init_cfg() drops every section loaded before it.

  // The menu sounds from settings() (their result is not examined), the
  // material's specular colour white with shininess 20, enabled, and the
  // endless cursor-shape function on the real-time queue every 0.05 s: the
  // system pointer shows the left arrow while the mouse drives the open
  // menu and is hidden otherwise, with a cursor call only on a change. 0.
  int init_basic();
  // Lists the walker in realtime_objects() and takes its walk_accel from
  // "walk_accel" of the section "controls" when that loads and holds the
  // key. Nothing is written.
  void init_walk();
  // A store for the same data-root variable and root, holding the section
  // "basic_engine" with "autostart_newgame" 1, "autostart_human_players" 0
  // and "autostart_ai_players" 2.
  EngineSettings default_cfg() const;
  // settings() becomes default_cfg() with cfg/basic_engine.ini merged over
  // it, saved back: the file then holds every key, defaults included.
  void init_cfg();
  // Unless both components are set, render_size() becomes the window's size
  // (a 0, the screen's, counted as the screen's) over its scale factors,
  // truncated; then creates the window and sets the input base's
  // buffer_count() to 2 in game mode, 1 for a window. 0.
  int init_win();
  // Builds geometry(): spheres of scale 0.03 at details 16 down to 3, quads
  // of scale 2 and cylinders of scale 0.005 at detail 1; the CPU arrays are
  // emptied afterwards.
  void construct();
  // find_controllers_daemon(), init_cursor(), the events "Update dialogs"
  // every 1/60 s and "Sort dialogs" every 0.5 s; then init_basic_cmds()'s
  // result (the commands "quit" and "start_game").
  int init_post_glew();
  // Stops any event "find controllers" of the real-time queue and queues a
  // new endless one that, about once a second, looks for gamepads (binding
  // their buttons anew when the set changed) and shows the tutorial's 3-D
  // gamepad exactly while gamepad_active().
  void find_controllers_daemon();
  // init_dialogs_scene() (its non-zero result is returned), then a pass of
  // the scene "vbos" that draws draw_vbos() depth-tested with depth writes,
  // back faces culled, unblended, with material(); the GL state is as
  // before afterwards. 0.
  int init_scenes();
  // The menu sounds from settings(); 0.
  int init_audio();
  // pointer_target()'s scale (the extents of its box) 0.002, the cursor's
  // draw style enabled.
  void init_cursor();
  // Outside head-mounted mode: the view pose looks from (0, 0.3, 2) at the
  // origin with y up (mouse_look()'s up axis 1) and the walker stands at
  // (0, 0.3, 2).
  void init_camera();

  // ---- Collision models of two bodies (no engine state)

  // Equal-mass elastic collision of two touching spheres: b is moved back along
  // the pair's relative path to the position of first contact and the velocity
  // components along the line of centres are exchanged. The float arguments
  // have no effect. With check set, the pair must overlap, and the faster body
  // plays the part of b.
  static void elastic_collision(PhysObj& a, PhysObj& b, float = 0.0f, bool check = false,
                                float = 0.0f);
  // Momentum-conserving collision for unequal masses that loses the fraction
  // `loss` of the energy in the centre-of-mass frame and couples the angular
  // velocities by `spin_coupling`. Coincident centres and zero masses are
  // refused without change.
  static void Collide(PhysObj& a, PhysObj& b, float loss, float spin_coupling);

  // ---- Event operations (main thread only; the work runs when the queue
  // next advances past its start). The events are the queue's: it frees
  // them after the flush that removes them. A null queue is the real-time
  // queue.

  // An event "enqueue" at the queue's time + delay, of duration 0, whose
  // start calls fn; nothing for an empty fn.
  void enqueue(std::function<void()> fn, double delay = 0.0, EventQueue* queue = nullptr);
  // An event "enqueue" from the queue's time + delay lasting duration
  // (negative: endless) that calls fn at most once a period; nothing for an
  // empty fn.
  void enqueue_periodic(std::function<void()> fn, double period, double delay = 0.0,
                        double duration = -1.0, EventQueue* queue = nullptr);
  // An event "start_after_realtime" on the real-time queue from now, lasting
  // delay seconds (a negative delay counts as 0), whose stop calls fn (when
  // set): fn runs once, delay seconds of real time from now. The event
  // stays valid until the flush after it ends.
  Event* start_after_realtime(std::function<void()> fn, double delay);
  // An event named `name` on the game-time queue from the game time, lasting
  // delay (a negative delay counts as 0): during gets its scaled time (0 to
  // 1) at every step, at_end runs at its end. Frozen while paused.
  void start_delayed_event(double delay, std::function<void(double)> at_end,
                           std::function<void(double)> during, std::string name);

  // ---- Loaders
  //
  // A file is read (and, where said, parsed) on a worker thread the engine
  // owns; its completion, which makes the OpenGL objects and then calls
  // done, is handed to the main thread and queued on the real-time queue by
  // the frame step: it runs at the next frame's advance of that queue,
  // completions in the order their workers handed them over. The caller
  // keeps the texture or model alive and untouched until done has run.

  // <textures folder>/<file> read on a worker; decoded as PNG, made into
  // an OpenGL texture (GL_RGBA), its pixels emptied with free_pixels, on
  // the main thread. The file read's status: 0 started, -1 no such file.
  int load_tex(Texture& tex, std::string file, bool free_pixels, std::function<void()> done);
  // The same, with the decoding on the worker.
  int load_tex_async(Texture& tex, std::string file, bool free_pixels, std::function<void()> done);
  // The model that section file cfg/<section>.ini names under key (a
  // description file in cfg holding "obj_file" and the transform keys),
  // loaded here; the section file's values are merged into settings()
  // [section]. 1 when the section file does not load, 2 when it has no
  // value under key, else the model loader's result (0 success). With
  // free_vertices the CPU vertex arrays are freed afterwards.
  int load_obj(OBJRenderer& obj, std::string key, std::string section, bool free_vertices);
  // The same model read and parsed (with its per-material attribute arrays)
  // on a worker; the vertex arrays and the textures of its materials (from
  // the models folder, then what is still missing from the textures folder)
  // made on the main thread, also when parsing failed. 1 and 2 as load_obj,
  // 3 when the description file does not load, 4 when it has no "obj_file",
  // -1 when that file does not exist; 0 when the read started.
  int load_obj_async(OBJRenderer& obj, std::string key, std::string section, bool free_vertices,
                     std::function<void()> done);
  // Waits until every load in flight has handed its completion over (which
  // still runs through the frame step). A deriving class whose members are
  // load targets calls this in its destructor.
  void wait_for_loads() { load_workers_.wait(); }
  // Loads whose worker has not been joined yet, and completions handed over
  // and not yet queued.
  std::size_t loads_in_flight() const { return load_workers_.workers(); }
  std::size_t loads_handed_over() const { return load_workers_.pending(); }
  // Stops and joins the pointer thread, asks the loads in flight to stop and
  // waits for them, then the input base's shutdown (its hook, the end of the
  // main loop).
  void shutdown();

  // ---- Keys, named commands, bindings and gamepad buttons
  //
  // A key press reaches keyboard_impl: ignored while a camera animation runs
  // (active_camera_animation()); a walk key (of walk_keys(), either case)
  // pushes the walker along the view at once (not while the menu is open;
  // held keys go on pushing through the frame step); any other key runs the
  // command bound to its press or release. Keys are compared by their low
  // byte. Special keys that no key intercept takes move the selected
  // dialog's selection with the arrow keys, on the press only.

  // The edge codes of key_cmd.
  static constexpr int kPressEdge = 103;
  static constexpr int kReleaseEdge = 101;

  // Bind the press or release of a key, or of a mouse button, to a command
  // and the integer it is called with, replacing an earlier binding; 0. The
  // mouse bindings are stored only.
  int bind_key_down(unsigned char key, std::string command, int argument);
  int bind_key_up(unsigned char key, std::string command, int argument);
  int bind_mouse_down(int button, std::string command, int argument);
  int bind_mouse_up(int button, std::string command, int argument);
  // Registers "quit" (answers the quit code) and "start_game" (calls the
  // start-game hook with the numbers of human and computer players of the
  // section "basic_settings" when it holds either count, else of
  // "basic_engine" "autostart_human_players" and "autostart_ai_players";
  // nothing without a hook; answers its argument); 0.
  int init_basic_cmds();
  // The command bound to the key's press (edge kPressEdge) or release (any
  // other edge) called with its integer: its result; 0 for an unbound key
  // and for a name without a function (the name is then entered with an
  // empty function).
  int key_cmd(int key, int edge);
  int key_down(int key) { return key_cmd(key, kPressEdge); }
  int key_up(int key) { return key_cmd(key, kReleaseEdge); }
  // -1 for a key not in arrow_keys() and whenever VR hand controllers are
  // connected. Otherwise 0: moves the selected dialog's selection (enabled,
  // with something selectable) toward the arrow in the dialog's plane, with
  // the menu arrow sound when the dialog's sounds are on; when that moves
  // nothing, hands the key to the arrow-key hook (when set).
  int arrow_key_up(int key);
  // Installs the button functions on gamepad `index` of xinput(), on every
  // gamepad it lists for a negative index: the D-pad releases are the arrow
  // keys, Start's release Escape (27), Back's and B's release and Back's
  // press Delete (127), A's release and press line feed (10), X copies A,
  // Y copies B's release and B's press as it stands (none is installed for
  // B's press), the shoulder releases turn the view 45 degrees left and
  // right (comfort_rotate), the thumb releases only stamp. Every function
  // stamps last_gamepad_input(), every release last_gamepad_time().
  void bind_gamepad_callbacks(int index);
  // The step of the periodic gamepad search: looks for gamepads and, when
  // the set of connected user indices changed, binds the buttons of all of
  // them anew. True when it bound them.
  bool find_gamepads();
  // Stamps last_gamepad_input() with the steady clock.
  void any_gamepad_callback();
  // Does nothing.
  void any_key_callback() {}
  // Whether look_controller(), walk_controller() or menu_controller() (asked
  // in that order, until one answers) answers gamepad.
  bool gamepad_active() const;
  // One trigger value per VR hand controller (the shorter list counts), fed
  // as (value, 0, 0) to the controller's trigger or secondary-trigger axis.
  void input_triggers(const std::vector<float>& primary, const std::vector<float>& secondary);
  void input_triggers(const std::vector<float>& values);
  void input_secondary_triggers(const std::vector<float>& values);

  // ---- Camera moves and animations (main thread). The camera is the view
  // pose (mouse_look()) carried at the walker's position.

  // Moves the walker to position and turns the view to look at look_at over
  // duration seconds from the queue's time + delay (null: the game-time
  // queue): a position fader, a look-at fader and the event "move camera",
  // listed in look_events() until it stops. Without force nothing happens
  // while a started move is listed; otherwise every listed event (the
  // program's own looks too) and the earlier moves' events are taken out of
  // their queues where they stand. Events the program lists must outlive
  // their listing: the queue they are taken out of must not own them.
  void move_camera(std::array<float, 3> position, std::array<float, 3> look_at, double duration,
                   double delay = 0.0, EventQueue* queue = nullptr, bool force = false);
  // Drops from look_events() every entry that is null, in no queue, not
  // started yet or stopped.
  void sync_look_events();
  // Turns the view by degrees about the walker's up axis at an even rate
  // over 0.5 s of real time (the event "Comfort rotate"); a new turn stops a
  // running one where it stands. The double is not read.
  void comfort_rotate(float degrees, double = 0.5);
  // The event "Camera animation" on the game-time queue from its time for
  // duration seconds: the walker (and so the camera) follows the cubic from
  // the kept start point (the camera position at the first call) with the
  // kept start tangent to target with end_tangent, tangents scaled by the
  // duration, and ends at target. Null pointers keep the kept vectors;
  // without a target the walker stays at the start point; c is kept only.
  void camera_follow(const float* target, const float* end_tangent, double duration,
                     const float* c = nullptr, const float* start_tangent = nullptr,
                     const float* start = nullptr);
  // An update function for an Event: turns cs from its position to look at
  // target (read at each call; both must outlive the event), unless
  // condition is set and answers false.
  std::function<void(double)> update_look_at(CoordinateSystem* cs, const float* target,
                                             std::function<bool()> condition);
  // Queues (null: on the real-time queue) the endless event "voxel-based
  // collider" that keeps body out of the model's faces: a step that crosses
  // a face is put back and its velocity reflected, and the force sum cleared;
  // with reach > 0, the force is also cleared while a face lies within reach
  // along an axis the body is not moving toward. Idle in head-mounted mode
  // and during camera moves. model and body must outlive the event, which
  // the queue owns.
  Event* collider_event(CollisionPartition& model, PhysObj& body, EventQueue* queue, float reach);

  // ---- Mouse pointer, mouse buttons and the device choice
  //
  // With the pointer shown the mouse points into the scene: the first such
  // motion starts the pointer thread, which keeps mouse_pointer() and
  // pointer_target() placed from the mouse position about 30 times a second;
  // the frame step hands its newest poses to them and its inputs to it. With
  // the pointer hidden the mouse turns the view.

  // The freeglut motion and passive-motion handler: (x, y) in window
  // coordinates, scaled to pixels and rounded. Nothing when the mouse did not
  // move; otherwise stamps the mouse time and mouse_control(). Pointer
  // shown: starts the pointer thread (once) and lists mouse_pointer() in
  // pointer_coordsys(). Hidden, and more than menu_look_delay() after the
  // menu closed: unlists it; warps a pointer that strayed more than a
  // quarter of the centre's distance from the window centre back there
  // (unless warp_pointer() is off or an Alt key is down), without turning;
  // otherwise turns the view by the motion. The bool is not read.
  void mouse_passive(float x, float y, float z, bool = false);
  // Places mouse_pointer() and pointer_target() from the mouse position and
  // the view now, on the calling (main) thread.
  void update_mouse_screen_pointer();
  // The scene point under the mouse at depth in front of the camera.
  std::array<float, 3> unproject_mouse(float depth) const;
  // Everything the pointer poses depend on, as it stands.
  PointerInputs pointer_inputs() const;
  // The freeglut mouse handler: the input base's (mouse time, mouse-button
  // hook), then queues (button, +1 for a press (state 0) or -1, 0) in
  // mouse_button_events(). The queue is taken under a lock that is never
  // held while events are handed out, so a handler may queue more.
  void mouse_button(int button, int state, float x, float y, float z);
  // Takes the queued events out and hands handler +1 or -1 for each event of
  // the button, in arrival order; events of other buttons are dropped.
  // Nothing without a handler, or from inside a handler of this call (the
  // events then stay); the handler may queue new events.
  void process_mouse_button_events(std::function<void(int)> handler, int button);
  // Set while process_mouse_button_events hands events out.
  bool mouse_events_busy() const;
  // False for null; whether cs is listed in pointer_coordsys().
  bool have_pointer_coordsys(const CoordinateSystem* cs) const;
  // The device driving the menus: VR hand controller when one is connected;
  // else keyboard for an arrow key within 2 s, gamepad for a gamepad button
  // within 1 s, mouse for mouse input within the mouse timeout; else the
  // last answer, mouse when none.
  ControllerType menu_controller() const;
  // The device driving the look: mouse for mouse input within the mouse
  // timeout; outside head-mounted mode gamepad for a right-stick turn within
  // gamepad_look_timeout(); hmd in head-mounted mode; else the last answer
  // (none until a device looked).
  ControllerType look_controller() const;
  // The device driving the walk: keyboard for a key within the keyboard
  // timeout, gamepad for stick walking or a gamepad button within 1 s; else
  // hmd in head-mounted mode, otherwise the last answer, keyboard when none.
  //
  // In all three a time stamp of 0 (the start value of the input base's and
  // the engine's stamps) is no input, and last_gamepad_input() counts only
  // once a gamepad stamped it after construction. Each answer is kept as
  // that operation's last answer.
  ControllerType walk_controller() const;
  // The pointer thread (started by mouse_passive, stopped by shutdown()).
  const PointerThread& pointer_thread() const { return pointer_thread_; }

  // ---- Dialogs (main thread)
  //
  // The engine keeps the application's dialogs: each registered dialog is
  // turned toward the viewer (the view pose) by an event of its own, the
  // pointer poses are tested against the dialogs and the left-button
  // clicks handed to them every update period ("Update dialogs"), the
  // enabled ones are sorted far to near every sort period ("Sort
  // dialogs"), and the scenes "dialogs" and "ortho_dialogs" draw the sorted
  // list and the overlay dialogs. The dialogs are borrowed: each must stay
  // alive until it is taken off with remove_dialog (or the engine is gone).

  // add_dialog(d, dialogs(), 0.8); the engine.
  BasicEngine& add_dialog(Dialog* d);
  BasicEngine& operator+=(Dialog* d);
  // Appends d to list (nothing for null): its text frame's animations run on
  // the real-time queue, its orientation function (billboard_callback on the
  // view pose, no offset) is installed and called forced, and the endless
  // event "auto orient" (at most every min(0.5, d->move_time) s of real
  // time) calls that function while the dialog is enabled and the height
  // tolerance is positive: forced at the first run after the dialog was
  // enabled, and whenever its height (along the walker's up axis, y when it
  // has none) differs from the viewer's by more than height_tolerance.
  BasicEngine& add_dialog(Dialog* d, std::list<Dialog*>& list, float height_tolerance);
  // Takes d off dialogs(), sorted_dialogs(), ortho_dlgs() and the
  // selection, and ends every "auto orient" event of its registrations, so
  // that its owner may free it; the engine never reads d again.
  void remove_dialog(const Dialog* d);
  // Queue the endless events "Update dialogs" and "Sort dialogs" on the
  // real-time queue, at most once a period; each call queues one more.
  //
  // Update: while the mouse moved within mouse_timeout(), the right stick
  // turned the view within gamepad_look_timeout() (outside head-mounted
  // mode) or VR hand controllers are connected, every pose of
  // pointer_coordsys() is tested on each enabled dialog with selectable
  // children, in registration order; the first dialog any pose hits takes
  // the hit (the last hitting pose's) and becomes selected_dialog(). Then,
  // always, the pending left-button events are handed out as by
  // update_dialogs().
  void update_dialogs_periodically(double period);
  // Sort: sorted_dialogs() becomes the enabled dialogs, farthest from the
  // viewer first (equal distances in registration order, a distance that
  // is not a number last).
  void sort_dialogs_periodically(double period);
  // Hands each pending left-button event (+1 press, -1 release) to the
  // dialogs that are enabled and have selectable children when the event
  // is handed out, in registration order: Dialog::click with only the
  // pressed child; a release also plays the select sound at each such
  // dialog whose sounds are on. A dialog shown by an action of this event
  // waits for the next one.
  void update_dialogs();
  // Queues on the real-time queue the one-shot event "Set dlg text: '" +
  // text + "'", which runs at its next advance: unless the engine is
  // quitting or d is null, prints "set_dialog_text()" and sets the dialog's
  // first text line (Dialog::set_text(text, 0)).
  void set_dialog_text(Dialog* d, std::string text);
  // Sets the frame's text at the real-time queue's next advance (nothing
  // for null); f must live until then.
  void set_frame_text(TextFrame* f, std::string text);
  // Adds the passes of the scenes "dialogs" (layer 1: sorted_dialogs(),
  // farthest first, blended, depth-tested without depth writes, unlit,
  // untextured) and "ortho_dialogs" (the enabled overlay dialogs, flat 0.5
  // in front of the viewer, upright along the walker's up axis, blended,
  // unlit, without depth test); each pass leaves the GL state and both
  // matrices as it found them. 0.
  int init_dialogs_scene();
  // The enabled overlay dialogs drawn `distance` in front of the viewer,
  // upright along y; the GL state and the matrices are as before. No GL
  // call when none is enabled.
  void draw_ortho_dlgs(float distance);

  // ---- Menu sounds (main thread)

  // Play "menu_arrow_sound" or "menu_select_sound" through menu_audio() at
  // `at`, else at the selected dialog when it is enabled, else at no place;
  // first the listener takes gain 1 and the view pose and walker velocity.
  // Nothing plays before menu_audio() has its source (MenuAudio::init).
  void play_menu_arrow_sound(const CoordinateSystem* at = nullptr);
  void play_menu_select_sound(const CoordinateSystem* at = nullptr);
  // Copies the view pose and the walker's velocity into listener() (not
  // into OpenAL); 0.
  int update_listener_audio();

  // ---- Lights (a current GL context)

  // Replaces lights() by n positional white lights (GL_LIGHT0 + i; the
  // first four at (-3, 2, 3), (-3, 2, -3), (3, 2, 3), (3, 2, -3), the rest
  // at the origin), with ambient 0.2, quadratic attenuation (0.5 / L)^2 (L
  // the length of the first position as a 4-vector, w = 1) and their
  // colours, attenuation and enable state sent; enables lighting with a
  // local viewer, one-sided, without GL_NORMALIZE. n is capped at
  // GL_MAX_LIGHTS; n <= 0 gives no lights. Positions are sent by
  // apply_lighting().
  void init_lights(int n);
  // One light per cluster of faces of each object named in the section's
  // "point_lights_objects" (clusters within that object's radius, from
  // "point_lights_radii"), at the cluster's mean face position, with the
  // quadratic attenuation cluster area / brightness
  // ("point_lights_brightnesses") and the ambient colour light colour x
  // ambient ("point_lights_ambient"); missing list entries take the
  // arguments. With fewer lights than min(max_lights, clusters),
  // init_lights() makes that many; the clusters then take the lights in
  // order while both last. 1 when there is no cluster (nothing changes),
  // else 0. A brightness that gives no finite, non-negative attenuation
  // makes the lamp dark.
  int load_obj_lighting(int max_lights, OBJRenderer& model, ProgramCfg& cfg, float brightness,
                        float radius, float ambient);
  // Enables or disables each light's GL light by its flag and sends its
  // position through the current model-view matrix (so light positions are
  // world positions when the view is loaded). No GL call without lights.
  void apply_lighting() const;

  // ---- Drawing (a current GL context)
  //
  // A desktop frame: draw_desktop_mode(). In a headset the VR layer calls
  // display_basic() once per eye with its projection and pose loaded
  // (hmd_control() set) and the window shows a mirror through
  // simple_draw_monitor().

  // The 3-D scene: reports a pending GL error ("display_impl() pre-call
  // error " and its number, one line) and goes on; outside head-mounted
  // mode loads the camera's projection and the view pose (moved to the
  // walker) as the model-view matrix; depth test and lighting on, colour
  // white, no colour material, apply_lighting(); then the scenes "vbos",
  // first, "dialogs", "ortho_dialogs", second (empty functions skipped);
  // asks freeglut for the next redisplay. Leaves the matrices and the
  // enables it set for the application's drawing.
  void display_basic(std::function<void()> first, std::function<void()> second);
  // One desktop frame: clear colour and depth to transparent black in
  // target (bound, its size as viewport) or, with none, in the window; draw
  // (display_basic without passes when empty); with a target, resolve it
  // and show it in the window (simple_draw_monitor with the window's scale
  // factors); the crosshair at the centre of the render size when it is
  // enabled, the mouse moved within mouse_timeout() and the mouse pointer is
  // hidden (mouse look); swap buffers.
  void draw_desktop_mode(FrameBuffer* target, std::function<void()> draw);
  // The texture (0: frame_buffer()'s) over a viewport of the render size
  // divided by scale (rounded), as the quad of geometry() at detail 0
  // through an orthographic view of it; tinted and blended by the input
  // base's monitor colour when that is not opaque white. Leaves the
  // viewport and both matrices so (model-view current); the other state it
  // changes is restored.
  void simple_draw_monitor(unsigned int texture, std::array<float, 2> scale);
  // The fade overlay over the view: nothing (no GL call) when the overlay
  // colour's alpha is 0; otherwise the quad of geometry() through
  // gluOrtho2D(0.5 - scale[0], 0.5, -0.5, scale[1] - 0.5), textured with
  // texture when it is not 0, in the overlay colour blended when the alpha
  // is below 1. The GL state and both matrices are as before.
  void draw_overlay(unsigned int texture, std::array<float, 2> scale);
  // Clear colour transparent black, GL_NORMALIZE on; projection = the view
  // pose (local to global); model-view identity (current).
  void prepare_draw();
  // cursor() at pointer_target(), when the cursor is enabled; the state and
  // the model-view matrix are as before.
  void draw_cursor();
  // draw_vbos() (VBO::draw(true, true, true)), draw_objects() (draw()) and
  // draw_functions() (in key order; a function may erase entries), null
  // and empty entries skipped.
  void draw_all_vbos();
  void draw_all_objects();
  void draw_all_functions();
  // Takes each controller model's first entry out of draw_vbos() and
  // empties controller_vbos() and button_locations(); the VBOs themselves
  // stay.
  void clear_controller_vbos();

  // ---- Frame step

  // Whether an event "Camera animation" is active on the game-time queue or
  // a camera look event is listed.
  bool active_camera_animation() const;
  // Runs the update functions in key order with the frame's game step:
  // steps longer than a second are split into ceil(step) equal parts, each
  // function called once per part. Nothing for a step of 0.
  void update_all_functions();
  // The controller records from the valid poses (those with translation or
  // rotation enabled), in order: each position is the pose's plus the
  // walker's; controller model k takes the pose at that position. Then the
  // controller-pose hook.
  void update_controller_poses(const std::vector<CoordinateSystem>& poses);

  // ---- Player volumes

  // One box per name in the section's "player_volume_objects" (white-space
  // separated): the bounds of the model's object "player_volume_" + name,
  // appended. -1 (nothing changes) when the key is missing or empty, else 0.
  int load_player_volume(OBJRenderer& model, ProgramCfg& cfg);
  // Whether the point lies strictly inside at least one box.
  bool in_player_volume(std::array<float, 3> point) const;

  // ---- Full-screen display mode (before the window is made)

  // Detects the game modes the display accepts (the window's mode probe,
  // logging to log_file) and hands one to the window and freeglut without
  // entering game mode: the "resolution" of section "video_settings" when it
  // is listed exactly so, else the last listed mode. 0; -1 when no mode was
  // found (logged with the tag "basic_engine" and printed).
  int auto_game_mode(bool match_aspect, std::string log_file);
  // Merges cfg/video_settings.ini into settings() and returns its
  // "resolution", empty when there is none. Nothing is written back.
  std::string load_resolution_setting();

  // ---- Lens and mirror-sphere programs (a current GL context)

  // Lit VBO programs, one light per entry of lights(), whose vertices pass
  // through a thin lens (the uniforms of lens_uniforms) or are reflected in
  // the sphere "sphere_center_radius"; textured ones sample texture unit 0
  // at gl_MultiTexCoord0; with write_depth the fragment depth is the
  // vertex's distance from the sphere's centre. The program's name, or 0
  // when it does not compile or link (reported on the error stream).
  unsigned int lens_program(std::string name, bool textured) const;
  unsigned int reflect_sphere_program(std::string name, bool textured, bool write_depth) const;
  // Sets the sphere of such a program, (center, radius). Nothing for a name
  // that is no program or has no such uniform. It writes to `program`
  // itself, bound or not, and leaves the current program as it was.
  void reflect_sphere_center_radius(unsigned int program, float radius,
                                    std::array<float, 3> center) const;

  // ---- Controller models

  // Registers the model of the next VR hand controller: the VBO takes the
  // name and is listed in controller_vbos() and then in draw_vbos(), and
  // button tables for the name are appended to button_locations() until
  // there is one per controller model. The VBO stays the caller's.
  void add_controller_vbo(VBO* vbo, std::string name);

  // ---- View and collision queries

  // Whether the point lies in front of the view pose (mouse_look()'s
  // coordinate system, which looks along its local -z): its angle from the
  // view axis is below 90 degrees. The view's own position, points at the
  // side and NaN give false. The float has no effect.
  bool in_view(const std::array<float, 3>& point, float) const;
  // The faces of the partition that the path from point (null: the object's
  // position) to the object's position crosses; when any is crossed the
  // object is put back at point and its velocity reflected on each face,
  // keeping half of the normal component.
  std::vector<unsigned long long> collide(CollisionPartition& partition, PhysObj& obj,
                                          const float* point) const;

  // ---- Accessors

  FrameBuffer& frame_buffer() { return Wrapper<FrameBuffer>::get(); }
  const FrameBuffer& frame_buffer() const { return Wrapper<FrameBuffer>::get(); }
  // Objects integrated once per game sub-step with the game step, and once
  // a frame with the real step.
  std::vector<PhysObj*>& sim_objects() { return sim_objects_; }
  const std::vector<PhysObj*>& sim_objects() const { return sim_objects_; }
  std::vector<PhysObj*>& realtime_objects() { return realtime_objects_; }
  const std::vector<PhysObj*>& realtime_objects() const { return realtime_objects_; }
  Walking& walking() { return walking_; }
  const Walking& walking() const { return walking_; }
  Bindings& walk_keys() { return walk_keys_; }
  const Bindings& walk_keys() const { return walk_keys_; }
  ParameterizedGeometry& geometry() { return geometry_; }
  const ParameterizedGeometry& geometry() const { return geometry_; }
  std::vector<kLight>& lights() { return lights_; }
  const std::vector<kLight>& lights() const { return lights_; }
  XInputInterface& xinput() { return xinput_; }
  const XInputInterface& xinput() const { return xinput_; }
  // Whether gamepad 0's right stick may turn the view.
  bool gamepad_turn() const { return gamepad_turn_; }
  void gamepad_turn(bool on) { gamepad_turn_ = on; }
  Crosshair& crosshair() { return crosshair_; }
  const Crosshair& crosshair() const { return crosshair_; }
  // Kept for the application; the engine does not read it.
  std::array<float, 3>& start_position() { return start_position_; }
  const std::array<float, 3>& start_position() const { return start_position_; }
  // An OpenGL texture name kept for the application.
  unsigned int monitor_texture() const { return monitor_texture_; }
  void monitor_texture(unsigned int texture) { monitor_texture_ = texture; }
  AudioListener& listener() { return listener_; }
  const AudioListener& listener() const { return listener_; }
  MenuAudio& menu_audio() { return menu_audio_; }
  const MenuAudio& menu_audio() const { return menu_audio_; }
  Material& material() { return material_; }
  const Material& material() const { return material_; }
  EyeInfo& eye_info() { return eye_info_; }
  const EyeInfo& eye_info() const { return eye_info_; }
  // Head-mounted mode: the headset, not the engine, sets projection and
  // camera pose, and the player volumes do not hold the walker.
  bool hmd_control() const { return hmd_control_; }
  void hmd_control(bool on) { hmd_control_ = on; }
  // The mouse drives the pointer.
  bool mouse_control() const { return mouse_control_; }
  void mouse_control(bool on) { mouse_control_ = on; }
  // Size in pixels of the drawn image; (0, 0) until set.
  const std::array<int, 2>& render_size() const { return render_size_; }
  void render_size(const std::array<int, 2>& size) { render_size_ = size; }
  void render_size(int width, int height) { render_size_ = {width, height}; }
  // The application's main loop runs while this is 0.
  int quit() const { return quit_; }
  void quit(int code) { quit_ = code; }
  // One record per valid controller pose of the last update.
  const std::vector<Controller>& controllers() const { return controllers_; }
  PointerContainer<GeomObj*>& draw_objects() { return draw_objects_; }
  const PointerContainer<GeomObj*>& draw_objects() const { return draw_objects_; }
  PointerContainer<VBO*>& draw_vbos() { return draw_vbos_; }
  const PointerContainer<VBO*>& draw_vbos() const { return draw_vbos_; }
  // Entry k is the model of controller k.
  PointerContainer<VBO*>& controller_vbos() { return controller_vbos_; }
  const PointerContainer<VBO*>& controller_vbos() const { return controller_vbos_; }
  kWindow& window() { return window_; }
  const kWindow& window() const { return window_; }
  // Its coordinate system is the view pose.
  MouseLook& mouse_look() { return mouse_look_; }
  const MouseLook& mouse_look() const { return mouse_look_; }
  Camera& camera() { return camera_; }
  const Camera& camera() const { return camera_; }
  Cursor& cursor() { return cursor_; }
  const Cursor& cursor() const { return cursor_; }
  CoordinateSystem& pointer_target() { return pointer_target_; }
  const CoordinateSystem& pointer_target() const { return pointer_target_; }
  // Called at the end of each walking check (outside the menu).
  Hook& walking_hook() { return walking_hook_; }
  // Called at the end of update_controller_poses.
  Hook& controller_pose_hook() { return controller_pose_hook_; }
  // Called each frame right after the gamepads are polled.
  Hook& pre_idle_hook() { return pre_idle_hook_; }
  DrawFunctions& draw_functions() { return draw_functions_; }
  const DrawFunctions& draw_functions() const { return draw_functions_; }
  // Run every frame with the game step; a function may erase entries,
  // itself included, while it runs.
  UpdateFunctions& update_functions() { return update_functions_; }
  const UpdateFunctions& update_functions() const { return update_functions_; }
  // Pending mouse-button events; the application may append its own on the
  // main thread.
  std::list<MouseButtonEvent>& mouse_button_events() { return mouse_button_events_; }
  const std::list<MouseButtonEvent>& mouse_button_events() const { return mouse_button_events_; }
  std::list<Dialog*>& dialogs() { return dialogs_; }
  const std::list<Dialog*>& dialogs() const { return dialogs_; }
  StartGameHook& start_game_hook() { return start_game_hook_; }
  // The poses that can point at dialogs.
  std::vector<CoordinateSystem*>& pointer_coordsys() { return pointer_coordsys_; }
  const std::vector<CoordinateSystem*>& pointer_coordsys() const { return pointer_coordsys_; }
  CoordinateSystem& mouse_pointer() { return mouse_pointer_; }
  const CoordinateSystem& mouse_pointer() const { return mouse_pointer_; }
  EngineSettings& settings() { return settings_; }
  const EngineSettings& settings() const { return settings_; }
  // The dialog that arrow keys and the pointer act on; assign through it.
  Dialog*& selected_dialog() { return selected_dialog_; }
  Dialog* selected_dialog() const { return selected_dialog_; }
  Commands& cmds() { return cmds_; }
  const Commands& cmds() const { return cmds_; }
  KeyBindings& key_down_bindings() { return key_down_bindings_; }
  KeyBindings& key_up_bindings() { return key_up_bindings_; }
  MouseBindings& mouse_down_bindings() { return mouse_down_bindings_; }
  MouseBindings& mouse_up_bindings() { return mouse_up_bindings_; }
  // The application's map of named dialogs, stored only.
  std::map<std::string, Dialog*>*& named_dialogs() { return named_dialogs_; }
  std::vector<Dialog*>& sorted_dialogs() { return sorted_dialogs_; }
  const std::vector<Dialog*>& sorted_dialogs() const { return sorted_dialogs_; }
  // Entry k tells where the buttons of controller_vbos() entry k lie.
  std::vector<ControllerButtonLocations>& button_locations() { return button_locations_; }
  const std::vector<ControllerButtonLocations>& button_locations() const {
    return button_locations_;
  }
  // Dialogs drawn flat over the view.
  std::vector<Dialog*>& ortho_dlgs() { return ortho_dlgs_; }
  const std::vector<Dialog*>& ortho_dlgs() const { return ortho_dlgs_; }
  // Running camera look-at events; the walking step waits while any is
  // listed.
  std::vector<Event*>& look_events() { return camera_moves_.look_events; }
  const std::vector<Event*>& look_events() const { return camera_moves_.look_events; }
  // Real time of the last right-stick turn.
  double last_gamepad_look() const { return last_gamepad_look_; }
  void last_gamepad_look(double t) { last_gamepad_look_ = t; }
  double gamepad_look_timeout() const { return gamepad_look_timeout_; }
  void gamepad_look_timeout(double t) { gamepad_look_timeout_ = t; }
  ArrowKeyHook& arrow_key_hook() { return arrow_key_hook_; }
  // Steady-clock time of the last gamepad button or pad input.
  std::chrono::steady_clock::time_point& last_gamepad_input() { return last_gamepad_input_; }
  std::chrono::steady_clock::time_point last_gamepad_input() const { return last_gamepad_input_; }
  std::map<std::string, RenderScene>& scenes() { return scenes_; }
  const std::map<std::string, RenderScene>& scenes() const { return scenes_; }
  ControllerTutorial*& controller_tutorial() { return controller_tutorial_; }
  ControllerTutorial* controller_tutorial() const { return controller_tutorial_; }
  std::vector<PlayerVolume>& player_volumes() { return player_volumes_; }
  const std::vector<PlayerVolume>& player_volumes() const { return player_volumes_; }
  // The application's models of tracked devices (base stations) by device
  // index; the engine keeps them only.
  std::map<unsigned int, VBO>& base_stations() { return base_stations_; }
  const std::map<unsigned int, VBO>& base_stations() const { return base_stations_; }
  // The vertical axis (0 x, 1 y, 2 z) of the walker and the view: the
  // walker's; setting it sets both.
  int up_axis() const { return walking_.up_axis; }
  void up_axis(int axis);

  // At least n VR hand controllers are listed.
  bool positional_control(unsigned int n) const { return controllers_.size() >= n; }
  // The input base's paused state.
  bool awaiting_player_input() const { return paused(); }
  // The width in bits of the engine's native word, as a number and as text.
  int native_bits() const { return 32; }
  std::string native_bits_str() const { return "32"; }

 protected:
  // Virtual slots 0 to 3 of the input base.
  void idle_impl() override;
  void keyboard_impl(int key, int state, float x, float y, float z) override;
  // Does nothing.
  void joystick_impl(unsigned int buttons, float x, float y, float z) override;
  void special_key_up_impl(int key, float x, float y, float z) override;

  // The arrow's direction (x for left and right, y for down and up) turned
  // from the selected dialog's frame into the scene; zeros without a
  // selected dialog or for another key.
  std::array<float, 3> arrow_key_to_look_dir(unsigned int key) const;
  // Outside head-mounted mode, a right-stick turn within
  // gamepad_look_timeout().
  bool joystick_look_active() const;
  // A plus sign of arms `size` long at the window's centre, in the current
  // colour (the colour argument has no effect), line_width wide; the line
  // width is as before afterwards.
  void draw_crosshair(float size, float line_width, std::array<float, 4> color);

  // One walking check: the rest-speed rule, then (outside the menu) the
  // walk keys, gamepad 0's left stick and right-stick turning, then the
  // walking hook.
  void check_walking_basic();
  // Walking input from the walk keys held in the key-state map; the flag has
  // no effect.
  void check_walking_helper(const Keyboard::States& keys, bool);
  // A direction in the view's frame turned into the scene frame and handed
  // to the walker as a level control input.
  void check_walking_direction(const float* direction);
  // Integrates every listed object whose update is enabled and clears its
  // force and torque sums.
  void update_objects(double dt, std::vector<PhysObj*>& objects);

 private:
  // Copyable holder of a mutex: copies get a mutex of their own.
  struct Lock {
    Lock() = default;
    Lock(const Lock&) {}
    Lock& operator=(const Lock&) { return *this; }
    std::mutex mutex;
  };

  // Queues the completions handed over by the loaders on the real-time queue.
  void queue_load_completions();
  // Adds to q an event `name` from q's time + delay lasting duration
  // (negative: endless) that calls fn at most once a period; q owns it.
  Event* queue_periodic(EventQueue& q, std::string name, double period, std::function<void()> fn,
                        double delay = 0.0, double duration = -1.0);
  // The dialogs' periodic work: whether a pointer moved lately (mouse, right
  // stick, hand controllers), the pointer tests, a click handed to the
  // dialogs, the sort.
  bool pointer_input_recent() const;
  void point_at_dialogs();
  void click_dialogs(int state);
  void sort_dialogs();
  // Non-null, enabled, with selectable children.
  static bool clickable(const Dialog* d);
  // The unit vector of the walker's up axis, y when it has none.
  Vec3 up_direction() const;
  // The enabled overlay dialogs, `distance` in front of the viewer, upright
  // along up; the caller saves the attributes. No GL call when none is
  // enabled.
  void draw_overlay_dialogs(float distance, const Vec3& up);
  // geometry()'s quad at detail level 0 (clamped to the levels it has).
  void draw_quad_shape();
  // The frame's hand-over with the pointer thread: its newest poses into
  // mouse_pointer() and pointer_target(), the current inputs to it.
  void sync_mouse_pointer();
  // Whether a stamp of real time lies less than span before now; a stamp of
  // 0 is no input.
  bool recent(double stamp, double span) const;
  void play_menu_sound(const std::string& name, const CoordinateSystem* at);
  // Runs the command bound to key in bindings: its result, 0 when unbound.
  int run_binding(const KeyBindings& bindings, int key);
  int read_texture(Texture& tex, const std::string& file, bool free_pixels,
                   std::function<void()> done, bool decode_on_worker);

  std::vector<PhysObj*> sim_objects_;
  std::vector<PhysObj*> realtime_objects_;
  Walking walking_{"walking"};
  Bindings walk_keys_;
  ParameterizedGeometry geometry_;
  std::vector<kLight> lights_;
  XInputInterface xinput_;
  bool gamepad_turn_ = true;
  Crosshair crosshair_;
  std::array<float, 3> start_position_{0.0f, 1.2f, 0.0f};
  unsigned int monitor_texture_ = 0;
  AudioListener listener_;
  MenuAudio menu_audio_;
  Material material_;
  EyeInfo eye_info_;
  bool hmd_control_ = false;
  bool mouse_control_ = false;
  std::array<int, 2> render_size_{0, 0};
  int quit_ = 0;
  std::vector<Controller> controllers_;
  PointerContainer<GeomObj*> draw_objects_;
  PointerContainer<VBO*> draw_vbos_;
  PointerContainer<VBO*> controller_vbos_;
  kWindow window_;
  MouseLook mouse_look_;
  Camera camera_;
  Cursor cursor_;
  CoordinateSystem pointer_target_;
  Hook walking_hook_;
  Hook controller_pose_hook_;
  Hook pre_idle_hook_;
  DrawFunctions draw_functions_;
  UpdateFunctions update_functions_;
  std::list<MouseButtonEvent> mouse_button_events_;
  // Guards mouse_button_events_ and mouse_events_busy_ in mouse_button and
  // process_mouse_button_events.
  mutable Lock mouse_events_lock_;
  bool mouse_events_busy_ = false;
  std::list<Dialog*> dialogs_;
  // What each registration's "auto orient" event keeps, by dialog.
  struct DialogOrientState;
  std::multimap<const Dialog*, std::shared_ptr<DialogOrientState>> dialog_orient_states_;
  StartGameHook start_game_hook_;
  std::vector<CoordinateSystem*> pointer_coordsys_;
  CoordinateSystem mouse_pointer_;
  EngineSettings settings_;
  Dialog* selected_dialog_ = nullptr;
  Commands cmds_;
  KeyBindings key_down_bindings_;
  KeyBindings key_up_bindings_;
  MouseBindings mouse_down_bindings_;
  MouseBindings mouse_up_bindings_;
  std::map<std::string, Dialog*>* named_dialogs_ = nullptr;
  std::vector<Dialog*> sorted_dialogs_;
  std::vector<ControllerButtonLocations> button_locations_;
  std::vector<Dialog*> ortho_dlgs_;
  CameraMoves camera_moves_;
  double last_gamepad_look_ = 0.0;
  double gamepad_look_timeout_ = 1.0;
  ArrowKeyHook arrow_key_hook_;
  std::chrono::steady_clock::time_point last_gamepad_input_;
  // last_gamepad_input_ as construction set it: no gamepad input.
  std::chrono::steady_clock::time_point constructed_;
  std::map<std::string, RenderScene> scenes_;
  ControllerTutorial* controller_tutorial_ = nullptr;
  std::vector<PlayerVolume> player_volumes_;
  std::map<unsigned int, VBO> base_stations_;
  // The last answers of the device choice.
  mutable ControllerType menu_choice_ = ControllerType::none;
  mutable ControllerType look_choice_ = ControllerType::none;
  mutable ControllerType walk_choice_ = ControllerType::none;
  PointerThread pointer_thread_;
  // Last, so that it is destroyed first: its workers write into load
  // targets and hand over to it.
  LoadWorkers load_workers_;
};
