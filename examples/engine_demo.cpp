// varnox_demo: the engine on its own, without the game. It brings the engine
// up in the order an application does (settings, window, OpenGL state and
// lights, the extension loader, the frame buffer or the headset, the
// post-OpenGL steps, content, scenes), shows a dialog, the control hints and
// a lit sphere, and runs frames until Escape, the window's close box or the
// frame limit.
//
//   varnox_demo [--frames N] [--headset]
//
// --frames N  ends after N frames (0, the default: no limit).
// --headset   draws in the simulated headset that the platform layer plays:
//             both eyes into its eye targets, submitted, the right eye
//             mirrored in the window.
//
// The data root is the folder named by TALVORIN_ROOT, else the working
// directory; cfg/basic_engine.ini is written there. Once started it prints
// "varnox_demo: started; Escape ends"; on the way out one line: the frames drawn, whether the
// pointer thread ran and was joined, and the loads still in flight.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "audio/audio_context.h"
#include "engine/basic_engine.h"
#include "engine/controller_tutorial.h"
#include "input/vr_interface.h"
#include "platform/vr_simulator.h"
#include "ui/dialog.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace {

struct Options {
  long frames = 0;
  bool headset = false;
};

// freeglut's callbacks are plain functions: they reach the demo through
// this one pointer, set while the main loop runs.
struct Demo;
Demo* demo = nullptr;

void report_gl_error(const char* where) {
  for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError())
    std::cerr << "varnox_demo: " << where << " GL error " << e << std::endl;
}

struct Demo {
  explicit Demo(const Options& o) : options(o), tutorial(&engine) {
    engine.controller_tutorial() = &tutorial;
  }

  Options options;
  BasicEngine engine;
  ControllerTutorial tutorial;
  AudioContext audio;
  std::unique_ptr<vr::SimulatedHeadset> headset;
  VRInterface vr_interface;
  bool hmd_in_use = false;
  Dialog dialog{"Varnox engine"};
  VBO sphere;
  long frames = 0;

  int start(int* argc, char** argv);
  void frame();
  void draw_vr_frame();
  int finish();
};

int Demo::start(int* argc, char** argv) {
  // Sound first, as the engine's menu sounds need a context.
  if (audio.create() != 0) std::cerr << "varnox_demo: no audio device, running silent" << std::endl;

  varnox_init_glut(argc, argv);
  if (options.headset) {
    headset = std::make_unique<vr::SimulatedHeadset>();
    vr::set_runtime(headset.get());
  }
  std::array<int, 2> render_size{0, 0};
  if (options.headset && vr::VR_IsHmdPresent()) {
    hmd_in_use = vr_interface.init_hmd(nullptr) != nullptr;
    if (hmd_in_use) {
      const std::array<unsigned, 2>& shape = vr_interface.detect_shape();
      render_size = {static_cast<int>(shape[0]), static_cast<int>(shape[1])};
    }
  }
  kWindow& window = engine.window();
  window.set_title("Varnox demo");
  window.double_buffer(!hmd_in_use);
  if (engine.auto_game_mode(true, "") != 0) return 1;
  // A window, not the full-screen mode the choice prepared.
  window.fullscreen_flag(false);
  window.set_resolution(960, 540, false);
  if (!hmd_in_use) render_size = {960, 540};
  engine.render_size(render_size);

  if (const int r = engine.init_basic(); r != 0) return r;
  engine.cmds()["exit"] = [this](int) {
    engine.quit(1);
    return 0;
  };
  engine.init_walk();
  engine.init_cfg();
  engine.init_win();
  glPolygonMode(GL_FRONT, GL_FILL);
  glFrontFace(GL_CCW);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  engine.init_lights(4);
  report_gl_error("start-up");

  glewExperimental = GL_TRUE;
  if (const GLenum r = glewInit(); r != GLEW_OK) {
    std::cerr << "varnox_demo: glewInit() returned " << r << std::endl;
    return 56;
  }
  // GLEW may leave an error of its own probing behind.
  glGetError();
  if (hmd_in_use) {
    hmd_in_use = vr_interface.init() == 0;
    vr_interface.enable(hmd_in_use);
    if (hmd_in_use) {
      vr_interface.set_clip(engine.camera().near(), engine.camera().far());
      engine.crosshair().disable();
      vr_interface.mirror(true);
    }
  }
  engine.hmd_control(hmd_in_use);
  if (!hmd_in_use) {
    if (const int r = engine.frame_buffer().create(render_size[0], render_size[1]); r != 0)
      return r;
  }

  glutDisplayFunc([] {
    if (demo) demo->frame();
  });
  glutReshapeFunc([](int, int) {});
  glutKeyboardFunc([](unsigned char key, int x, int y) {
    if (demo) demo->engine.keyboard_callback(key, 1, float(x), float(y), 0.0f);
  });
  glutKeyboardUpFunc([](unsigned char key, int x, int y) {
    if (demo) demo->engine.keyboard_callback(key, 0, float(x), float(y), 0.0f);
  });
  glutMouseFunc([](int button, int state, int x, int y) {
    if (demo && demo->engine.quit() == 0)
      demo->engine.mouse_button(button, state, float(x), float(y), 0);
  });
  glutMotionFunc([](int x, int y) {
    if (demo) demo->engine.mouse_passive(float(x), float(y), 0.0f);
  });
  glutPassiveMotionFunc([](int x, int y) {
    if (demo) demo->engine.mouse_passive(float(x), float(y), 0.0f);
  });
  glutSpecialFunc([](int key, int x, int y) {
    if (demo) demo->engine.special_key(key, 1, float(x), float(y), 0.0f);
  });
  glutSpecialUpFunc([](int key, int x, int y) {
    if (demo) demo->engine.special_key_up(key, float(x), float(y), 0.0f);
  });
  glutCloseFunc([] {
    if (demo) demo->engine.quit(1);
  });
  glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
  glutIgnoreKeyRepeat(engine.get_ignore_repeat_keys());

  if (const int r = engine.init_post_glew(); r != 0) return r;
  engine.bind_key_up(27, "exit", 0);
  engine.init_audio();
  engine.init_camera();

  // Content: the hints, a dialog in front of the viewer, a sphere.
  if (tutorial.init(true) == 0)
    engine.enqueue_periodic([this] { tutorial.update_control_hints(true); }, 0.1);
  else
    std::cerr << "varnox_demo: no control hints (cfg/controls.ini or the gamepad model is missing)"
              << std::endl;
  dialog.add_text("Varnox engine", false);
  dialog.add_button("Walk with W S A D", [] {});
  dialog.add_button("Quit with Escape", [this] { engine.quit(1); });
  dialog.arrange_children();
  dialog.frame().coord_sys().translate(0.0f, 0.3f, 1.0f);
  engine += &dialog;
  engine.selected_dialog() = &dialog;

  engine.construct();
  sphere = engine.geometry().spheres().vbos().back();
  // Behind the dialog, below the eye line.
  sphere.coord_sys().translate(0.0f, -0.5f, -4.0f);
  engine.draw_vbos().add(&sphere);
  if (const int r = engine.init_scenes(); r != 0) return r;
  // The menu is open: the mouse points at the dialog.
  engine.set_menu(true);
  report_gl_error("post-GL start-up");
  return 0;
}

void Demo::frame() {
  report_gl_error("before the frame");
  engine.idle();
  if (vr_interface.enabled()) vr_interface.poll_events();
  engine.hmd_control(vr_interface.enabled());
  if (engine.hmd_control())
    draw_vr_frame();
  else
    engine.draw_desktop_mode(&engine.frame_buffer(), {});
  report_gl_error("after the frame");
  if (++frames == options.frames) engine.quit(1);
}

void Demo::draw_vr_frame() {
  vr_interface.update_poses();
  vr_interface.update_hmd_pose();
  const Vec3& walker = engine.walking().position();
  CoordinateSystem& view = engine.mouse_look().coord_sys();
  const CoordinateSystem& head = vr_interface.hmd_coord_sys();
  view.position() = {head.x() + walker[0], head.y() + walker[1], head.z() + walker[2]};
  view.set_rotation(head.rotation());
  vr_interface.get_eye_matrices();
  for (int eye = 0; eye < 2; ++eye)
    engine.eye_info().eye_positions()[eye] = vr_interface.eye_positions()[eye];
  const std::array<float, 2> scaled = engine.window().get_scaled_resolution();
  const std::array<int, 2> size{static_cast<int>(scaled[0]), static_cast<int>(scaled[1])};
  vr_interface.render_stereo(
      [this](int eye) {
        engine.eye_info().eye(eye);
        engine.display_basic({}, {});
      },
      size, {-walker[0], -walker[1], -walker[2]});
  if (vr_interface.mirror()) {
    vr_interface.prepare_mirror_display(size);
    engine.simple_draw_monitor(vr_interface.get_eye_data()[1].resolve_texture(), {1.0f, 1.0f});
  }
  glutSwapBuffers();
}

int Demo::finish() {
  engine.shutdown();
  // shutdown() joined the pointer thread when it ran.
  const bool pointer_ran = engine.pointer_thread().started();
  std::cout << "varnox_demo: " << frames << " frames"
            << (hmd_in_use ? ", headset submits " + std::to_string(headset->submits().size()) : "")
            << ", pointer thread " << (pointer_ran ? "joined" : "not started") << ", "
            << engine.loads_in_flight() << " loads in flight" << std::endl;
  dialog.delete_children();
  vr_interface.release_gl();
  engine.frame_buffer().clear();
  engine.menu_audio().bank().clear();
  audio.destroy();
  audio.device().destroy();
  engine.window().close();
  return 0;
}

bool parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--headset") {
      options.headset = true;
    } else if (arg == "--frames" && i + 1 < argc) {
      char* end = nullptr;
      options.frames = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || options.frames < 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!parse(argc, argv, options)) {
    std::cerr << "usage: varnox_demo [--frames N] [--headset]" << std::endl;
    return 2;
  }
  Demo d(options);
  demo = &d;
  if (const int r = d.start(&argc, argv); r != 0) {
    std::cerr << "varnox_demo: start-up failed (" << r << ")" << std::endl;
    return r;
  }
  std::cout << "varnox_demo: started; Escape ends" << std::endl;
  while (d.engine.quit() == 0) glutMainLoopEvent();
  const int r = d.finish();
  demo = nullptr;
  return r;
}
