// PoolEngine: start-up once the sounds are set up: the engine's steps with
// the game's hooks and the game's OpenGL state.
#include <iostream>

#include "game/app/pool_engine.h"
#include "render/gl.h"

namespace {

// One line on the error stream for a pending OpenGL error.
void check_gl(const char* step) {
  if (const GLenum error = glGetError(); error != GL_NO_ERROR)
    std::cerr << step << error << std::endl;
}

}  // namespace

int PoolEngine::init() {
  if (const int r = init_basic(); r != 0) return r;
  // Before the window exists, so that its first frame runs the game.
  install_callbacks();
  init_walk();
  init_cfg();
  init_win();

  glPolygonMode(GL_FRONT, GL_FILL);
  check_gl("PoolEngine::init() glPolgonMode() error ");
  glFrontFace(GL_CCW);
  check_gl("PoolEngine::init() glFrontFace() error ");
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_DEPTH_TEST);
  // The engine's drawing of a frame switches colour material off again
  // before its scenes, so models keep their own material colours.
  glEnable(GL_COLOR_MATERIAL);
  check_gl("PoolEngine::init() cull settings/depth error ");
  init_lights(4);
  check_gl("init_lights() error ");

  init_shot_wizard();
  check_gl("PoolEngine::init() init_shot_wizard() error ");
  return 0;
}
