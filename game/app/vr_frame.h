// VRFrame: the game's side of a headset. It draws each frame once per eye
// into the headset's eye targets, submits them and mirrors the right eye in
// the window; it registers the runtime's models of the hand controllers and
// of the base stations with the engine and feeds the controllers' triggers,
// poses and walking direction to the engine every frame.
#pragma once

#include <functional>

class PoolEngine;
class VRInterface;

// Main thread only, with the OpenGL context current for everything that
// loads models or draws. The engine and the headset interface outlive it.
// Every operation assumes the headset's runtime is up (VRInterface::init
// succeeded); the per-frame ones run only while the interface is enabled.
class VRFrame {
 public:
  // draw_scene draws the game's scene once for the eye set in the engine's
  // eye information (the desktop frame's drawing: the engine's scenes with
  // the game's passes).
  VRFrame(PoolEngine& engine, VRInterface& vr, std::function<void()> draw_scene);

  // Start-up: the controllers' models, then the base stations'.
  void load_models();
  // The runtime's controller models, a copy of each registered with the
  // engine (the copies are the engine's controller_models); the engine's
  // controller models cleared when the runtime names none. A model the
  // runtime cannot provide is skipped.
  void init_controller_vbos();
  // The base stations' models loaded (and exported), the poses read, and a
  // copy of its model in the engine's base-station table for each station
  // showing one of them that has no entry yet; then placed once.
  void init_base_stations();
  // Each station with an entry and a valid pose: its entry at that pose,
  // moved by the walker's position. A station without a valid pose keeps
  // its place.
  void update_base_station_poses();
  // Every headset frame: the triggers (primary, grip) into the engine's
  // controller records; the models registered again while more controllers
  // are tracked than models are listed; with at least one pose, the poses
  // into the engine (which runs the game's controller input), each model at
  // its controller's pose moved by the walker, and the walking direction of
  // the controllers' pads into the walker. Without poses nothing more.
  void update_vr_controllers();
  // Every headset frame: poses, the view at the headset (moved by the
  // walker), the eye matrices and positions, both eyes drawn and submitted
  // (the frame timings reset first), and with mirroring the right eye over
  // the window.
  void draw_vr_frame();
  // One eye (0 left, 1 right): the engine's eye set, then the scene.
  void draw_eye(int eye);
  // A controller's menu button: button 0 toggles the menu; others nothing.
  void vr_menu_button(int device, int button);

 private:
  PoolEngine& engine_;
  VRInterface& vr_;
  std::function<void()> draw_scene_;
};
