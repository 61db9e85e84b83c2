// PoolEngine: the game's engine object. It derives from BasicEngine, overrides
// none of its virtual operations, owns every object of the game and plugs the
// game into the engine through the engine's hooks.
//
// Its operations live in files by concern: pool_engine.cpp (construction,
// settings, the shot wizard, sounds), pool_engine_callbacks.cpp (the hooks),
// pool_engine_simulation.cpp (the per-frame step: forces, contacts, the rest
// test), pool_engine_pockets.cpp (walls and pockets: the wall check, sinking
// and its events), pool_engine_turns.cpp (what the simulation hands to the
// turn logic: the end of a shot, free spots for the cue ball),
// pool_engine_init.cpp (start-up once the sounds are set up: the engine's
// steps and the game's OpenGL state), pool_engine_input.cpp (commands, key
// bindings, the mouse and the input hooks), and in game/scene
// pool_engine_setup.cpp (the start-up once OpenGL is up: settings, camera,
// model loads, periodic events) and pool_engine_passes.cpp (the game's
// render scenes and their passes).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "engine/basic_engine.h"
#include "game/app/aim_guide.h"
#include "game/app/controller_tutorial_pool.h"
#include "game/audio/pool_audio.h"
#include "game/rules/difficulty.h"
#include "game/rules/eight_ball.h"
#include "game/rules/random.h"
#include "game/shot/cue_stick.h"
#include "game/table/ball.h"
#include "game/table/ball_textures.h"
#include "game/table/table.h"
#include "models/attrib_selector.h"
#include "models/obj_renderer.h"
#include "render/detail_renderer.h"
#include "render/render_atom.h"
#include "render/sky.h"
#include "ui/wizard.h"

class Dialog;

// The names of the two sink faders of a ball: "Sink " + the ball's index,
// and that followed by " delayed".
std::array<std::string, 2> sink_event_names(unsigned int ball);
// The name of the event that holds a sunk ball's number label above it: the
// ball's index followed by " event".
std::string label_event_name(unsigned int ball);

// Main thread only. One object lives for the whole run; it is neither
// copied nor moved (its hooks and events point back at it).
class PoolEngine : public BasicEngine {
 public:
  // A frame's game step is simulated as at most this long, so that a slow
  // frame does not carry balls through each other or through a wall.
  static constexpr double kMaxStep = 1.0 / 30.0;
  // Seconds after the strike before the rest test may end a shot.
  static constexpr double kRestTestDelay = 2.0;
  // The shot wizard's steps, in order.
  static constexpr std::array<const char*, 4> kWizardSteps{"Ball in hand", "Choose ball",
                                                           "Choose pocket", "Shoot"};

  // Opens nothing. Makes the controller tutorial, which the engine keeps as
  // its own. Reads section "video_settings" for the window's full-screen
  // flag: "fullscreen" read as an integer, non-zero (or a missing key or
  // section) meaning full screen; nothing is written back.
  PoolEngine();
  // Waits for the loads in flight, whose targets are members.
  ~PoolEngine() override;
  PoolEngine(const PoolEngine&) = delete;
  PoolEngine& operator=(const PoolEngine&) = delete;

  // ---- Start-up

  // The game's sounds on the real-time queue and the settings store
  // (logged to `log_file`), then the stored "effects_volume" and
  // "music_volume" of section "audio_settings" when it loads. The sound
  // system's result.
  int init_sounds(const std::string& log_file);
  // The shot wizard's four steps (kWizardSteps); every step but the first
  // may finish the wizard. 0.
  int init_shot_wizard();
  // Stores the game's functions in the engine's hooks: for now the post-idle
  // hook (the simulation step) and the pre-idle hook (the guide hit flag).
  void install_callbacks();

  // ---- Start-up of the game program (pool_engine_init.cpp; a window and
  // OpenGL from init on)

  // The engine's basics (a non-zero result is returned at once), the hooks,
  // walking, settings and the window, the game's OpenGL state (each group
  // checked for GL errors, reported on the error stream), four lights and
  // the shot wizard. 0.
  int init();

  // ---- The simulation of a shot (GL-free; sounds, shot events and sinking
  // go out through the audio, the rules and the game-time queue)

  // One frame with the game step of the engine's last frame.
  void simulation_step();
  // One frame with the game step dt (capped at kMaxStep; a negative or
  // non-finite step counts as 0). Between shots it only runs the human
  // control while a human is to play; during a shot it handles forces and
  // contacts, integrates the balls in play game_speed_steps() times, and
  // from kRestTestDelay after the strike zeroes the balls that have come to
  // rest and ends the shot once all have.
  void simulation_step(double dt);
  // Forces, pocket and wall checks and ball pairs of one frame; nothing
  // without rules or shot.
  void handle_collisions();
  // Drag, spin force and spin damping of every ball in play; nothing
  // without rules or shot.
  void apply_ball_forces();
  // The pockets, then the walls, of one ball: the axis (0, 1, 2) of the
  // wall pair it bounced off, or -1.
  int check_pockets_and_walls(int ball);
  // A ball in play enters a pocket: out of play, gliding into the pocket
  // and settling in its stack (the cue ball stops where it is and goes to
  // ball in hand). Indices out of range and balls already sinking are
  // ignored.
  void ball_sunk(int ball, int pocket);
  // Erases every sink fader and label event of every ball from the
  // game-time queue (a new rack frees the positions they write).
  void clear_sink_events();
  // Every ball at rest, its force sums cleared and its integration on.
  void stop_balls();

  // ---- Hand-offs to the turn logic

  // All balls have stopped: the rules' verdict on the shot. Nothing
  // without rules.
  void end_shot();
  // The score board's line of sunk balls; nothing while there is no board.
  void update_sunk_text();
  // A human's control between shots; nothing yet.
  void human_control_step();
  // A spot for the cue ball: up to seven draws inside the box, each kept
  // when it lies in no pocket and farther than a ball's radius plus
  // clearance from every object ball; after the seventh its point is taken
  // as it is.
  Vec3 random_ball_position(double clearance);

  // ---- Scene set-up and render passes (a current OpenGL context)

  // The start-up once OpenGL is up: the "controls" settings (applied, missing
  // keys written from the current state, the section saved), the camera and
  // the walker at (0, 0.3, 2) looking at the origin, the "room_model"
  // defaults, the room, furniture, table and cue loads (asynchronous), the
  // ball textures, the screen atom and the ball renderer, the key bindings,
  // the table's pockets, the aim guide's buffers, the periodic events, and
  // last init_scenes(), whose result it returns. Pending GL errors are
  // printed ("8: main() Error ...") and cleared on the way.
  int init_post_glew();
  // The scenes "sky", "balls", "cue_stick" and "room", stopping at the first
  // non-zero step: init_sky, init_balls_scene (1 when the ball program does
  // not link, and then neither of the last two scenes is made), the cue's
  // init, init_room_scene.
  int init_scenes();
  int init_sky();
  int init_balls_scene();
  int init_room_scene();
  // The balls' lit, textured program; 0, or 1 when it does not link.
  int init_ball_program();
  // The room model's completion: the "screen" model cut out of it (the faces
  // of the "screen_object" of section "room_model", with vertex arrays of
  // its own); the player volumes are queued on the real-time queue.
  void room_model_loaded();
  // One furniture model per "pool_objects" key whose name contains "bench",
  // "chair" or "stool", loaded asynchronously into furniture[key].
  void load_furniture();
  // The icosphere model of a level of detail: "icosphere/icosphere-" + the
  // level with at least two digits + ".obj", found in the models folder
  // (empty when there is no such file).
  std::string ball_model_name(unsigned int level) const;
  // The sixteen ball textures (asynchronous), the felt and the blank texture.
  int load_ball_textures();
  // The shared sphere renderer of the balls: six levels of the icosphere
  // models scaled to the ball radius.
  int build_ball_renderer();
  // The screen atom: a quad 3 high with the render size's aspect, standing
  // at (-5, 2, 0) facing (0, 0.5, 0), in global coordinates.
  void build_screen_atom();

  // The game's first render-pass function: "sky", "balls" layer 0,
  // "cue_stick", "room" layers 0 to 4, then "balls" layer 1.
  void render_game_scenes();
  // The balls that are not selected, each at the level of detail of its
  // distance from the camera.
  void draw_balls();
  // The selected ball, half transparent and glowing, both faces.
  void draw_selected_ball();
  // Every furniture model in the four quadrants of the room (mirrored in z,
  // in x and z, in x), each copy only when its centre or a corner of its
  // box is in view. Pending GL errors are printed and cleared first.
  void draw_furniture(bool opaque);
  // Whether the cue is drawn: in VR while the menu is open; otherwise
  // unless a shot has been running for 2 s or more, or the wizard is in
  // "Ball in hand".
  bool cue_stick_visible() const;
  // The eye point: the view pose's position.
  std::array<float, 3> camera_position() const;

  // The periodic work of the scenes (on the real-time queue): each ball's
  // selected flag, the cue pointer pose, the pose that points at dialogs,
  // and the aim guide's tick.
  void update_ball_highlights();
  void update_cue_pointer();
  void update_pointer_source();
  void update_aim_guide();

  // ---- Input

  // The commands "enter_key_down", "enter_key_up", "toggle_menu",
  // "backspace_key_up" and "menu_back_or_esc", bound to Enter (13 and 10),
  // Esc (27, on release) and Delete (127, on release). 0.
  int bind_keys();
  // The mouse motion handler: the engine's passive-motion path (the pointer
  // and its thread, or mouse look with re-centring).
  void mouse_motion(float x, float y);
  // Stores the input hooks: mouse button, special key, walking check, menu
  // and the arrow-key fallback.
  void install_input_callbacks();
  // Whether a shot may be made now: balls exist, the wizard is active and
  // not in "Ball in hand", no blocking shot runs, the step is "Shoot" (or a
  // VR hand controller aims), and more than 1 s of game time has passed
  // since the last strike.
  bool can_shoot() const;
  // One step of the shot wizard back ("backspace_key_up"); -1.
  int undo_shot_step();
  // The menus' side of the keys. Until the game's menus keep a stack of
  // dialogs: the dialog that takes input is menu_dialog, and going back
  // leaves no menu to show (null).
  Dialog* menus_current_dialog();
  Dialog* menus_back();

  // ---- Members, in construction order

  Table table;
  Wizard shot_wizard{"Wizard"};
  // Index 0 the cue ball, index n the object ball numbered n.
  std::vector<Ball> balls;
  // The rules of the game; points at eight_ball.
  GameRules* rules = nullptr;

  Ball* cue_ball = nullptr;
  double spin_force_coefficient = 0.04;
  float shot_speed = 0.0f;  // the cue's speed at the last strike
  float min_strike_speed = 0.1f;
  double stop_speed = 0.001;
  double stop_spin = 0.002;
  double shot_start_time = 0.0;  // game time of the last strike

  // Poses stamped with the real-time queue's time.
  CueStick cue;
  // Where the cue ball is held in ball in hand, in the view's coordinates.
  Vec3 placement_offset{0.0f, -0.05f, -0.4f};
  RandomReal rack_random;
  std::vector<float> shot_powers;  // one per player
  EightBall eight_ball;
  Difficulty difficulty;
  // Paced by the real-time queue's time.
  AimGuide aim_guide;
  // The aim guide's hit as the last pre-idle step saw it.
  bool guide_hit = false;

  Vec3 camera_offset{0.0f, 0.3f, 0.0f};
  double camera_duration_factor = 1.25;
  double align_delay = 3.0;
  std::array<std::string, 4> camera_event_names{"Align camera position", "Align camera target",
                                                "Align camera rotation",
                                                "Align camera shot rotation"};
  std::map<std::string, Dialog*> info_dialogs;
  std::map<std::string, Dialog*> wizard_dialogs;
  SkySphere sky_sphere;
  SkyBox sky_box;
  Starfield starfield;
  PoolAudio audio;

  // Brings the audio listener to the viewer before the first impact sound
  // of a frame and in every pre-idle step: the view pose and the walker's
  // velocity, into the engine's listener and OpenAL's.
  std::function<void()> update_listener;

  // Made last; the engine's controller_tutorial() points at it.
  std::unique_ptr<ControllerTutorialPool> tutorial;

  // The simulation's own state for the whole run: the order in which balls
  // take their turn in a frame (reshuffled after a frame with a wall
  // bounce, from its own generator), and the wall bounces of the last frame.
  std::vector<int> pair_order;
  int wall_contacts = 0;
  RandomInt pair_order_random;

  // The scenes' models: "room" and "screen" (cut out of the room); the
  // furniture by its "pool_objects" key. Entries are load targets: none is
  // erased while a load may run.
  std::map<std::string, OBJRenderer> models;
  std::map<std::string, OBJRenderer> furniture;
  unsigned int ball_program = 0;
  BallTextures ball_textures;
  // The shot flow's choice, -1 for none.
  int selected_ball = -1;
  int selected_pocket = -1;
  // The cue's pose with z inverted: what the cue points at dialogs with.
  CoordinateSystem cue_pointer;
  AttribSelector ball_geometry;
  DetailVertexDataVAO ball_renderer;
  RenderMolecule screen_molecule;
  RenderAtom screen_atom;
  // The dialog of the menu on show (null when none); Enter clicks it.
  Dialog* menu_dialog = nullptr;
  // The menus take the keys first (Delete goes back through them).
  bool menus_active = true;

 private:
  // Calls update_listener once per frame of contacts.
  void listener_for_impact(bool& updated);
  // The rest test of a frame: zeroes the stopped balls; true when all are.
  bool balls_at_rest();

  // One more than the highest ball index that ever sank, so that
  // clear_sink_events reaches the events of a larger rack that is gone.
  std::size_t sink_span_ = 0;
  // The balls that have had their turn in the current frame of contacts.
  std::vector<unsigned char> done_;
};
