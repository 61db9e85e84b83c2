// PoolEngine: the game's engine object. It derives from BasicEngine, overrides
// none of its virtual operations, owns every object of the game and plugs the
// game into the engine through the engine's hooks.
//
// Its operations live in files by concern: pool_engine.cpp (construction,
// settings, the shot wizard, sounds), pool_engine_callbacks.cpp (the hooks),
// pool_engine_simulation.cpp (the per-frame step: forces, contacts, the rest
// test), pool_engine_pockets.cpp (walls and pockets: the wall check, sinking
// and its events), pool_engine_turns.cpp (new games and racks, the end of a
// shot, the next turn, free spots for the cue ball), pool_engine_status.cpp
// (the score board and its status lines), pool_engine_init.cpp (start-up
// once the sounds are set up: the engine's steps and the game's OpenGL
// state), pool_engine_input.cpp (commands, key bindings, the mouse and the
// input hooks), pool_engine_controllers.cpp (the VR hand controllers' input
// of a frame); in game/shot: shot_flow.cpp (the human's side of a shot:
// arrow keys, ball and pocket selection, ball in hand, the gates of a
// stroke), strike.cpp (the aiming update and the strike) and
// computer_shot.cpp (the start of a turn, the cue's alignment and stroke
// animations); in game/scene: camera_animations.cpp (the shot power, the
// centre of the moving balls, the computer shot's camera), intro.cpp (the
// intro, its logos and the overlay pass), wall_text.cpp (the
// score board's place on the wall facing the viewer), pool_engine_setup.cpp
// (the start-up once OpenGL is up: settings, camera, model loads, periodic
// events) and pool_engine_passes.cpp (the game's render scenes and their
// passes).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/vector_math.h"
#include "core/wrapper.h"
#include "engine/basic_engine.h"
#include "engine/owned_dialogs.h"
#include "game/app/aim_guide.h"
#include "game/app/controller_tutorial_pool.h"
#include "game/audio/pool_audio.h"
#include "game/menus/pool_menus.h"
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
class TextFrame;

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
  // During a shot a frame is split into sub-steps so that no ball moves
  // more than this fraction of a ball's radius in one, at most
  // kMaxSubSteps of them.
  static constexpr double kSubStepTravel = 0.5;
  static constexpr unsigned int kMaxSubSteps = 64;
  // The shot wizard's steps, in order.
  static constexpr std::array<const char*, 4> kWizardSteps{"Ball in hand", "Choose ball",
                                                           "Choose pocket", "Shoot"};
  // The settings section whose keys name the scene's model descriptions
  // (files in cfg whose "obj_file" names the model in models), and the keys
  // of the models every game loads: the room, the table and the cue.
  static constexpr const char* kPoolObjects = "pool_objects";
  static constexpr std::array<const char*, 3> kSceneModelKeys{"room_model", "table_model",
                                                              "cue_stick_model"};
  // A "pool_objects" key of a piece of furniture: its name holds "bench",
  // "chair" or "stool".
  static bool furniture_key(const std::string& key);

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
  // Stores the game's functions in the engine's hooks: the post-idle hook
  // (the simulation step), the pre-idle hook (the aiming update, the guide
  // hit flag, the listener, the start of a turn, the open menus kept in
  // view), the arrow-key fallback
  // (on_arrow_key), the start-game hook (new_game, queued on the real-time
  // queue, and the VR controller labels), the controller-pose hook
  // (update_controller_input) and the input hooks (install_input_callbacks).
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
  // contacts and integrates the balls in play game_speed_steps() times, in
  // sub_steps() parts of the step each with its own contacts, and
  // from kRestTestDelay after the strike zeroes the balls that have come to
  // rest and ends the shot once all have.
  void simulation_step(double dt);
  // Forces, pocket and wall checks and ball pairs of one frame; nothing
  // without rules or shot. A touching pair collides in every frame, but is
  // recorded (a contact of the cue ball) and heard only when it comes into
  // contact, and heard again only when the collision knocks it; so the
  // shot's records stay bounded while balls rest against each other.
  void handle_collisions();
  // Drag, spin force and spin damping of every ball in play; nothing
  // without rules or shot.
  void apply_ball_forces();
  // The pockets, then the walls, of one ball: the axis (0, 1, 2) of the
  // wall pair it bounced off, or -1.
  int check_pockets_and_walls(int ball);
  // A ball in play enters a pocket: out of play, gliding into the pocket
  // and settling in its stack (the cue ball stops where it is and goes to
  // ball in hand; for a human's ball in hand it is back on the table, in
  // play on a free spot, at once). Indices out of range and balls already
  // sinking are ignored.
  void ball_sunk(int ball, int pocket);
  // Erases every sink fader and label event of every ball from the
  // game-time queue (a new rack frees the positions they write).
  void clear_sink_events();
  // Every ball at rest, its force sums cleared and its integration on.
  void stop_balls();
  // The number label of ball index i: made on first use, registered once
  // with the engine and kept, at one address, for the engine's whole life,
  // so that racks of any size reuse the labels and none is registered twice
  // or freed while the engine still lists it. A new rack lends each ball
  // the label of its index.
  Dialog* ball_label(std::size_t i);
  // The height above a sunk ball's centre at which its label floats.
  static constexpr float kLabelHeight = 0.075f;

  // ---- Games, turns and the score board (main thread; every entry point
  // does nothing without rules)

  // A game of humans + computers seats (the last `computers` of them the
  // computer's): the players, their shot powers, a new rack with the cue
  // ball at the -x end near the bottom face and the object balls racked at
  // the +x end, every ball turned at random, the pockets emptied, the wizard
  // at "Choose ball" with its dialogs hidden, the cue animations and the
  // pending stroke request called off, a suggested target, and the score
  // board shown. Safe from inside an event of either queue.
  void new_game(int humans, int computers);
  // The balls for the rules' object balls plus the cue ball, numbered,
  // with their pictures (ball_textures) and at rest; the sink events are erased and the aim guide
  // aims at the new cue ball.
  void new_rack();
  // All balls have stopped (also called again by the team choice): teams
  // for a shooter without one (a human who pocketed balls of both teams is
  // asked, through "choose_team", and the evaluation waits for the answer),
  // the rules' verdict, the wizard's step for the player now at the table,
  // and either the scratch-on-the-break handling or the next turn.
  void end_shot();
  // A question of the end of a shot ("choose_team", "scratched_on_break")
  // in menu mode, shown alone in front of the viewer.
  void show_prompt(Dialog* prompt);
  // Hands the table to the current player: the VR controller labels for the
  // turn, the play-again question (or, with only computers, a new game)
  // when the game is over, the computer's shot on its turn, and for a human
  // (without VR hand controllers) the cue ball out of a pocket, a suggested
  // target and, on a gamepad, the choosing buttons flashed. Then the status
  // lines and the turn's start time.
  void next_turn();
  // A spot for the cue ball inside the box (a ball's radius off every wall),
  // drawn from spot_random: up to seven draws, each kept when it lies in no
  // pocket and farther than a ball's radius plus clearance from every object
  // ball, the clearance being at least the cue ball's radius (a ball put
  // there touches none); then up to kFreeSpotRetries more before the last
  // draw is taken as it is.
  Vec3 random_ball_position(double clearance);
  static constexpr int kFreeSpotRetries = 1000;
  // The gamepad buttons (XInput masks) a human's turn flashes on the
  // tutorial's gamepad while the gamepad drives the menus.
  static constexpr std::array<int, 2> kGamepadHintButtons{0x0004, 0x1000};
  // The computer's choice for the current player (path test on, cuts up to
  // 45 degrees) becomes the selected ball and pocket.
  void choose_computer_shot();
  // Two "Fade" events (BezierFader) on queue (null: the game-time queue)
  // from its time over duration: the cue's end_a glides from where it is
  // to the first VR hand controller, end_b to the second (each end whose
  // controller exists), reading the hands' positions as each headset frame
  // moves them (hand_positions), so the cue ends in the hands where they
  // are then. A fade still running on that queue is taken out first.
  // Nothing without hand controllers or for a duration that is not
  // positive. The queue must not outlive the engine.
  void fade_aim_to_controllers(EventQueue* queue, float duration);

  // The score board's three lines (each only when its frame exists), each
  // written with set_frame_text (so it shows from the real-time queue's next
  // step), then the board on the wall facing the viewer at height 0.
  void update_status_text();
  // "<name>'s turn (<team>)." for the current player; after a foul or with
  // ball in hand, between shots, "<previous player> table scratched!" (a
  // foul) or "<previous player> scratched!".
  std::string turn_text();
  // "Ball-in-hand for <name> (<team>)." after a foul or with ball in hand;
  // " Aiming for the <n> ball." with a ball and a pocket selected; else " ".
  void update_aim_text();
  // Between shots after a foul or a scratch: " " (and "Table scratched" or
  // "Scratched" on the standard output); otherwise "Sunk " and the list of
  // the object balls pocketed in this shot, in order, or " ".
  void update_sunk_text();
  // The dialog "new_score_board" of info_dialogs, made on first use (by the
  // menus, which own it): three transparent lines that become turn_text_frame,
  // aim_text_frame and sunk_text_frame.
  Dialog* new_score_board();
  // The "choose_team" buttons read "<Team> (sunk <n> ball[s])".
  void update_team_choice_texts();
  // Moves the dialog onto the side wall that faces the view (mouse_look()),
  // at its own height, facing the viewer, 2 mm off the wall.
  void place_on_facing_wall(Dialog* dialog);

  // ---- The human's side of a shot (main thread; game/shot/shot_flow.cpp,
  // strike.cpp)

  // The wizard is at "Ball in hand".
  bool is_ball_in_hand() const;
  // Starts the shot wizard at the named step, the step the turn begins at
  // (turn_first_step).
  void begin_turn_at(const char* step);
  // Paused, or rules exist, no shot is in progress, the current player is
  // human and the wizard is active.
  bool awaiting_human_input() const;
  // The arrow-key fallback (GLUT special keys 100 left, 101 up, 102 right,
  // 103 down). The tutorial's gamepad stops flashing the key's D-pad
  // button; nothing more while paused, while the menus are active, on a
  // computer's turn or during a shot that blocks strikes. In "Shoot" it
  // goes back to "Choose ball" (a shot requested with the Shoot button and
  // not yet started is called off) and moves the ball selection in the same
  // press; in "Choose ball" it moves the ball selection, in "Choose pocket"
  // the pocket selection.
  void on_arrow_key(int key);
  // Moves the ball selection toward the key's direction as the viewer sees
  // it: among the legal balls in play with a clear path from the cue ball,
  // else among those with a blocked path; none keeps the selection and
  // writes "Ball index is -1!". A key of 0 moves nothing. Then shows the
  // wizard's dialog of the step, takes the suitable pocket for the ball
  // (writes "Ball index = -1!" without ball or rules), aligns the cue when
  // both are chosen and refreshes the status text.
  void select_ball(int key);
  // Moves the pocket selection toward the key's direction among the pockets
  // the selected ball can be cut into at less than 90 degrees (any pocket
  // without a selected ball); with none, the suitable pocket of the ball
  // (without a ball "ball index = -1" and the pocket stays). Then shows the
  // "pocket" dialog, aligns the cue when both are chosen and refreshes the
  // status text.
  void select_pocket(int key);
  // Whether a stroke may strike now: there are balls, the step is not "Ball
  // in hand", no shot that blocks strikes runs, the wizard is active, the
  // step is "Shoot" (any step with a VR hand controller), and more than 1 s
  // of game time has passed since the last strike.
  bool can_shoot() const;
  // can_shoot() without its step conditions: there are balls, no shot that
  // blocks strikes runs, the wizard is active and more than 1 s of game time
  // has passed since the last strike. Undoing a step asks this.
  bool strike_gate_open() const;
  // False only on a computer's turn whose aim is not marked for this shot
  // (aim_marked).
  bool computer_may_strike() const;
  // Ball in hand on a human's turn: the cue ball follows the spot held in
  // front of the view (placement_offset) or, with a VR hand controller, the
  // first controller, while that spot lies inside the box and off the
  // pockets and the other balls; otherwise it stays and the placement
  // marker shows. With the controller, releasing its trigger on a free spot
  // puts the ball into play and goes to "Choose ball". The "ball in hand"
  // dialog is laid out and keeps its highlighted item (its first one when
  // it has none); while the ball stays, its open dialog stands over the ball
  // as panel_in_sight places it, so that it never leaves the picture, and
  // no nearer than at_reading_distance allows.
  void human_control_step();
  // Whether p lies well inside the picture (within three quarters of both
  // half fields of view, ahead of the viewer at the walker's position).
  bool in_sight(const Vec3& p) const;
  // Where a panel of the shot's steps stands that its step puts at `spot`:
  // there when the viewer can see it (in_sight), else in front of the view,
  // over the spot where the ball in hand is held as at_reading_distance
  // moves it. In a headset, `spot` itself.
  Vec3 panel_in_sight(const Vec3& spot) const;
  // p, or, when it is nearer to the viewer than a menu stands in front of
  // the viewer (Dialog::kPlacedDistance), the point at that distance on the
  // line of sight through p: a panel there reads as the menus do. In a
  // headset, p itself.
  Vec3 at_reading_distance(const Vec3& p) const;
  // The per-frame aiming: records the cue's pose (on a monitor and on a
  // computer's turn) and strikes when the tip moves forward along the cue
  // and a stroke may strike. 1 when it returned early, else the strike's
  // result.
  int update_aim();
  // The strike of the cue's tip at p moving with velocity v (p_prev: the
  // tip's previous position) on the cue ball. 0: the cue ball moves along
  // the line from the contact through its centre with the tip's speed
  // along that line, spinning by the contact's offset; the shot starts.
  // Otherwise, in the order tested: -1 no stroke may strike, -10 a
  // computer's aim is stale, -11 the guide does not see the cue's line meet
  // the ball, -2 the line back from the tip does not meet the ball (the tip
  // has not passed through it, or the velocity is zero or not finite), -6 a
  // VR stroke not faster than min_strike_speed, -101 the tip is still
  // inside the ball, -3 the tip moves away from the ball's centre.
  int strike_cue_ball(const float* p, const float* v, const float* p_prev);

  // ---- The computer's shot and the cue's animations (main thread;
  // game/shot/computer_shot.cpp). The animations are events on the
  // game-time queue, known by these names.

  static constexpr const char* kGlideEvents[2] = {"move_cue_0", "move_cue_1"};
  static constexpr const char* kStrokeEvent = "shoot_cue";
  static constexpr const char* kAlignMarkEvent = "set align shot";
  static constexpr const char* kShootRequestEvent = "shoot_after_cue_animation2";
  // The cue's glide into the hands (fade_aim_to_controllers).
  static constexpr const char* kFadeEvent = "Fade";

  // Called each frame by the pre-idle hook and when a turn begins. Once the
  // game is won: allows menus, nothing else. During a shot: allows menus (allow_pausing; or
  // realigns when the shot does not block strikes). A human's turn: allows menus; a cue ball lying
  // in a pocket at the first step goes to a free spot. A computer's turn, while its aim is not
  // settling (aim_settling) and no stroke runs: a cue ball in a pocket goes
  // to a free spot, the computer chooses ball and pocket and the cue
  // aligns; once that glide has ended and marked the aim for this shot,
  // the stroke starts.
  void start_turn();
  // Glides the cue into the pose that sends the selected ball into the
  // selected pocket (with the aim error of the computer's level on its
  // turn), over align_duration (align_duration_running_shot during a shot
  // that does not block strikes); marks the aim ("set align shot") when the
  // glide ends; hands the shot camera (computer_shot_camera) the balls'
  // centre and camera_point = target_b. A running glide or stroke is kept
  // unless restart. Nothing without both selections.
  void align_shot(bool restart);
  // The cue's ends glide to target_a = from and target_b 1 m behind it on
  // the line from `to` through `from` (at once for a duration of 0 or
  // less). Nothing while a glide runs unless restart.
  void animate_cue_to_aim(const Vec3& from, const Vec3& to, bool restart, double duration);
  // The stroke over the cue's stroke_duration: the back end, and with it
  // the tip, first thrusts forward through the cue ball with the current
  // player's power, then draws back to reach / 2 behind where it started
  // (reach = min((power / 0.6)^3, 0.6) m). The step becomes "Shoot". Nothing
  // while a glide is queued or runs.
  void start_stroke_animation();
  // Requests the stroke as soon as the aim has settled (aim_settling; on a
  // computer's turn its aim marked for this shot); one request at a time.
  void shoot_after_cue_animation();
  // A glide, or the stroke, is running.
  bool cue_animation_running() const;
  bool stroke_pending() const;
  // A stroke is asked for (the Shoot button's request waits) or runs: the
  // shot of the step is on its way and no wizard dialog takes input.
  bool stroke_coming() const;
  // The aim of the shot to be played has been marked: a glide of this game
  // ended after the last strike (false without rules).
  bool aim_marked() const;
  // A glide, or the mark that follows it, is queued or running: the aim of
  // the last alignment is not settled yet, and no stroke may start on it.
  bool aim_settling() const;

  // ---- Camera of a computer's shot and what it reads
  // (game/scene/camera_animations.cpp)

  // The current player's stored power; the cue's default power when the
  // player has none.
  float shot_power() const;
  // The mass-weighted mean position (and, when asked, velocity) of the
  // balls in play, from ball 1 when skip_cue_ball; the table's centre (the
  // origin) and a zero velocity when none is in play.
  Vec3 moving_balls_centre(Vec3* mean_velocity, bool skip_cue_ball) const;
  // Carries the viewer to camera_point + camera_offset while the view turns
  // to look_target, over duration from the queue's time (null: the
  // game-time queue): the events "Align camera position", "Align camera
  // target" and "Align camera rotation" (camera_event_names), which replace
  // a running set. Nothing in head-mounted mode, before align_delay of real
  // time has passed since the last key, mouse or gamepad input, on a
  // human's turn (when there are rules), while a camera animation runs or
  // once a device has looked around (look_controller() not none).
  void computer_shot_camera(EventQueue* queue, const Vec3& look_target, double duration);
  // The real time of the latest key, mouse or gamepad input (0: none).
  double last_input_time() const;
  // The point the rotation of the computer shot's camera looks at; one for
  // the whole process.
  static inline Vec3 align_look_target{0.0f, 0.0f, 0.0f};

  // ---- The intro (game/scene/intro.cpp; a current OpenGL context)

  // The whole intro as events on the real-time queue from its time: the
  // maker's logo fading in (0 to 2.5 s), out and in again to the product
  // logo (2.5 to 7.5 s), out again (7.5 to 10 s); at 10 s the logo goes,
  // the control hints follow "show_control_hints" of section "controls"
  // (off when missing) and a game of two computers starts behind the
  // clearing overlay; at 12.5 s the score board shows, pausing is allowed
  // again and, with a gamepad, its A and D-pad left flash. Pausing is
  // refused until then. Outside head-mounted mode the viewer walks along
  // intro_waypoints() (kIntroSegment seconds per segment) looking at the
  // table's centre ("intro look", listed as a camera look event; no turn
  // while a VR hand controller is connected).
  void intro();
  // Lets a pause request take effect, except while the intro runs (it
  // allows pausing at its end).
  void allow_pausing();
  // Set from the intro's start until its end (12.5 s).
  bool in_intro = false;
  // The overlay dialogs of the logos, made on the first call (hidden, with
  // no background) and kept for the rest of the run: the maker's logo with
  // the word "presents", and the product logo.
  Dialog* maker_logo_dialog();
  Dialog* product_logo_dialog();
  static constexpr const char* kMakerLogo = "merivane(R)-ecl-transp.png";
  static constexpr const char* kProductLogo = "tlv-transp.png";
  static constexpr double kIntroFade = 2.5;
  static constexpr double kIntroSegment = 6.25;
  // Where the viewer passes during the intro: beside and above the table,
  // out into the room, and in front of the table's -x end, just below its
  // top; and the tangents there.
  std::array<Vec3, 3> intro_waypoints() const;
  static constexpr std::array<Vec3, 3> kIntroTangents{
      Vec3{0.0f, 0.0f, 0.0f}, Vec3{-0.3f, -0.1f, 0.5f}, Vec3{0.0f, 0.0f, 0.0f}};
  // The game's second render-pass function, after the engine's dialog
  // scenes: the menus' hint decals (while the menus are active or a human's
  // shot awaits input), then the fade overlay blended over the view without
  // depth writes. The GL state is as before afterwards.
  void render_overlay_pass();

  // The selected ball and pocket, null when the index names none.
  Ball* selected_ball_object();
  Pocket* selected_pocket_object();

  // ---- Scene set-up and render passes (a current OpenGL context)

  // The start-up once OpenGL is up: the "controls" settings (applied, missing
  // keys written from the current state, the section saved), the camera and
  // the walker at (0, 0.3, 2) looking at the origin, the "room_model"
  // defaults, the room, furniture, table and cue loads (asynchronous), the
  // ball textures, the screen atom, the menus, the cue's label among the
  // engine's dialogs, the ball renderer, the key bindings, the table's
  // pockets, the intro, the aim guide's buffers, the periodic events, and
  // last init_scenes(), whose result it returns. Pending GL errors are
  // printed ("8: main() Error ...") and cleared on the way.
  int init_post_glew();
  // Section "controls": "look_sensitivity" (the view's turn speeds) and
  // "look_inversion" (the mouse's inverted axes) applied when present and
  // written from the current state when missing, "show_control_hints"
  // written as "1" when missing; the section is saved, also when it did not
  // load.
  void init_controls();
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
  // its own); the room's lamps as lights (load_obj_lighting: at most 8,
  // brightness 1, cluster radius 1, ambient 0.2 where section "room_model"
  // gives none) and the player volumes are queued on the real-time queue,
  // in that order.
  void room_model_loaded();
  // One furniture model per "pool_objects" key whose name contains "bench",
  // "chair" or "stool", loaded asynchronously into furniture[key].
  void load_furniture();
  // The icosphere model of a level of detail: "icosphere/icosphere-" + the
  // level with at least two digits + ".obj" (ball_model_file), found in the
  // models folder (empty when there is no such file).
  static std::string ball_model_file(unsigned int level);
  std::string ball_model_name(unsigned int level) const;
  // The sixteen ball textures (asynchronous), the felt and the blank texture.
  int load_ball_textures();
  // The engine's shapes (construct: the walls' quads at one level, the
  // pockets' spheres from detail 16 down to 3), the cue, then the shared
  // sphere renderer of the balls: six levels of the icosphere models scaled
  // to the ball radius. A level whose model is missing is named on standard
  // error by its path and left out.
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
  // the key pictures beside the dialog that takes input (placed while the
  // game is paused or a human's shot waits and no VR hand controller is
  // connected; all hidden while a stroke the Shoot button asked for is on
  // its way, when no dialog takes input) and the aim guide's tick.
  void update_ball_highlights();
  void update_cue_pointer();
  void update_pointer_source();
  void update_key_hints();
  void update_aim_guide();
  // Queues update_aim_guide on the real-time queue, at most once every
  // aim_guide.min_interval, for the rest of the run (init_post_glew).
  void enqueue_aim_guide_updates();

  // ---- Input

  // The commands "enter_key_down", "enter_key_up", "toggle_menu",
  // "backspace_key_up" and "menu_back_or_esc", bound to Enter (13 and 10),
  // Esc (27, on release) and Delete (127, on release). Enter's press and
  // release both go to the dialog that takes input now (the open menu,
  // else the wizard's dialog of a waiting human's step; else the last one
  // Enter went to): the press marks its highlighted item, the release runs
  // it. 0.
  int bind_keys();
  // The mouse motion handler: the engine's passive-motion path (the pointer
  // and its thread, or mouse look with re-centring).
  void mouse_motion(float x, float y);
  // Stores the input hooks: mouse button, special key, walking check (which
  // leaves the view alone while the game is paused), menu and the
  // arrow-key fallback.
  void install_input_callbacks();
  // One step of the shot wizard back ("backspace_key_up"), never below
  // turn_first_step (leaving "Shoot" calls off a stroke the Shoot button
  // asked for); the choices of the steps undone are cleared (back at the
  // pocket, the pocket; back at the ball, both) and the dialog of the step
  // is shown alone. Nothing while a prompt stays open, on a computer's turn
  // or once the game is won. -1.
  int undo_shot_step();
  // ---- VR hand controllers (pool_engine_controllers.cpp)

  // A trigger counts as held while its value is above this.
  static constexpr float kTriggerThreshold = 0.5f;
  // With one hand and no shot to aim (paused, or no balls) the cue runs
  // this far (m) along the hand's model's z axis.
  static constexpr float kHeldCueReach = 0.5f;
  // The engine's controller-pose hook, once a headset frame after the
  // controller records took their poses and triggers. The first two hands'
  // positions go to hand_positions. Each trigger that crossed
  // kTriggerThreshold since the last update queues a click of button 0 for
  // the dialogs (state 1 pressed, 0 let go). Then, while paused, without
  // rules or on a human's turn, the cue follows the hands: one hand holds it from the hand through
  // the target (paused or without balls: kHeldCueReach along its model's z axis, nothing without a
  // model); with two, the hand nearer the target (the first of equally
  // near ones; the first without balls) holds the front end, where it
  // stays while that hand's trigger is held, and the other the back end,
  // which while its trigger is held slides along the cue's line by as far
  // as that hand lies along it.
  void update_controller_input();
  // What the hands aim at: the first enabled dialog with selectable
  // children when no menu is up; the menu's position when one is up and
  // the game is paused or has no balls; else the cue ball (the origin
  // without one).
  Vec3 controller_target();

  // The menus' side of the keys: the dialog that takes input now (the open
  // menu, else the dialog of the wizard's step while a human's shot waits)
  // and the Back of the menus (the menu now shown, null when they closed).
  Dialog* menus_current_dialog();
  Dialog* menus_back();

  // ---- Members, in construction order

  Table table;
  Wizard shot_wizard{"Wizard"};
  // Index 0 the cue ball, index n the object ball numbered n.
  std::vector<Ball> balls;
  // The rules of the game; points at eight_ball.
  GameRules* rules = nullptr;
  PoolMenus menus{this};

  Ball* cue_ball = nullptr;
  // Borrows the cue ball, balls[0], once a rack is built; until then it
  // owns a default ball.
  Wrapper<Ball> cue_ball_holder;
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
  // The target of the shot: indices of a ball and a pocket, -1 for none.
  int selected_ball = -1;
  int selected_pocket = -1;
  // The wizard's step index at which the current turn began: undoing steps
  // stops there.
  int turn_first_step = 0;
  // Real time at which a VR player last placed the cue ball; aiming waits a
  // second after it.
  double placed_time = 0.0;
  // With both positive, aiming waits while less than aim_pause_length of
  // real time has passed since aim_pause_start.
  double aim_pause_start = 0.0;
  double aim_pause_length = 1.0;
  // The cue pose the last alignment aims for, and the cue ball's centre at
  // the contact that sends the selected ball into the selected pocket.
  Vec3 target_a{0.0f, 0.0f, 0.0f};
  Vec3 target_b{0.0f, 0.0f, 0.0f};
  // The first two VR hand controllers' positions as the last headset frame
  // left them, and where the cue's ends began the fade into them: the
  // targets and starts that fade_aim_to_controllers' faders read.
  std::array<Vec3, 2> hand_positions{};
  std::array<Vec3, 2> fade_starts{};
  Vec3 ghost_point{0.0f, 0.0f, 0.0f};
  float ghost_factor = 1.0f;
  double align_duration = 3.0;
  double align_duration_running_shot = 0.0;
  // The rules' shot number (GameRules::shot_number) when the last
  // alignment's glide ended; kNoAim until a glide of the game has ended.
  static constexpr std::uint64_t kNoAim = ~std::uint64_t(0);
  std::uint64_t aim_shot_number = kNoAim;
  RandomReal rack_random;
  // The draws of random_ball_position.
  RandomReal spot_random;
  std::vector<float> shot_powers;  // one per player
  // Where the last rack put the cue ball.
  Vec3 cue_start{0.0f, 0.0f, 0.0f};
  // The score board's lines, top to bottom; null until the board is made.
  TextFrame* turn_text_frame = nullptr;
  TextFrame* aim_text_frame = nullptr;
  TextFrame* sunk_text_frame = nullptr;
  // Real time at which the current turn began.
  double turn_start_time = 0.0;
  EightBall eight_ball;
  Difficulty difficulty;
  // Paced by the real-time queue's time.
  AimGuide aim_guide;
  // The aim guide's hit as the last pre-idle step saw it.
  bool guide_hit = false;

  // The computer's shot is watched from camera_offset above camera_point.
  Vec3 camera_point{0.0f, 0.0f, 0.0f};
  Vec3 camera_offset{0.0f, 0.3f, 0.0f};
  double camera_duration_factor = 1.25;
  double align_delay = 3.0;
  std::array<std::string, 4> camera_event_names{"Align camera position", "Align camera target",
                                                "Align camera rotation",
                                                "Align camera shot rotation"};
  std::map<std::string, Dialog*> info_dialogs;
  // The "fullscreen" of section "video_settings" as start-up read it, and as
  // the Video menu's switch then stores it: what the next start asks for,
  // also when this one fell back to a window.
  bool fullscreen_setting = true;
  SkySphere sky_sphere;
  SkyBox sky_box;
  Starfield starfield;
  PoolAudio audio;

  // Brings the audio listener to the viewer before the first impact sound
  // of a frame and in every pre-idle step: the view pose and the walker's
  // velocity, into the engine's listener and OpenAL's.
  std::function<void()> update_listener;

  // The copies of the runtime's controller models that controller_vbos()
  // lists; kept for the whole run (a registration again adds more).
  std::vector<std::unique_ptr<VBO>> controller_models;

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
  // The cue's pose with z inverted: what the cue points at dialogs with.
  CoordinateSystem cue_pointer;
  AttribSelector ball_geometry;
  DetailVertexDataVAO ball_renderer;
  RenderMolecule screen_molecule;
  RenderAtom screen_atom;
  // The dialog of the menu on show (null when none); Enter clicks it.
  Dialog* menu_dialog = nullptr;

  DialogPtr maker_logo;
  DialogPtr product_logo;
  // The intro's turn of the view toward the table; listed among the camera
  // look events while it runs, so it is the engine's and not the queue's.
  Event intro_look;

 private:
  // The view pose at the walker's position.
  CoordinateSystem view_pose() const;
  // The first pocket (in table order) whose capture sphere holds the point;
  // -1 for none.
  int pocket_holding(const Vec3& p) const;
  // Whether ball i may be chosen with the key; path_check leaves out balls
  // the cue ball cannot reach on a straight line.
  bool selectable_ball(unsigned int i, bool path_check, const std::vector<int>& legal) const;

  // The sub-steps of a frame that integrates `span` seconds: 1 unless a
  // shot is in progress and the fastest ball in play would move more than
  // kSubStepTravel of a radius.
  unsigned int sub_steps(double span) const;
  // Ball i's label shows its number, and the endless event
  // label_event_name(i) on the game-time queue holds it kLabelHeight above
  // the sunk ball until the ball is back in play, which hides it.
  void show_label(int i);
  // Calls update_listener once per frame of contacts.
  void listener_for_impact(bool& updated);
  // The rest test of a frame: zeroes the stopped balls; true when all are.
  bool balls_at_rest();

  // The balls' number labels by ball index (ball_label).
  OwnedDialogs ball_labels_{this};
  // One more than the highest ball index that ever sank, so that
  // clear_sink_events reaches the events of a larger rack that is gone.
  std::size_t sink_span_ = 0;
  // The balls that have had their turn in the current frame of contacts.
  std::vector<unsigned char> done_;
  // Per pair of ball indices (i * n + j, i < j): the two touched in the
  // last frame of contacts of the shot that started at touching_shot_.
  std::vector<unsigned char> touching_;
  double touching_shot_ = -1.0;
  // The first VR controller's trigger as the last ball-in-hand step saw it.
  bool trigger_was_down_ = false;
};
