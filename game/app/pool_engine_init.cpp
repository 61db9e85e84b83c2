// PoolEngine: start-up once the sounds are set up: the engine's steps with
// the game's hooks, the game's OpenGL state, the ball renderer and the
// screen atom.
#include <cstdio>
#include <iostream>

#include "game/app/pool_engine.h"
#include "render/gl.h"
#include "render/primitives.h"

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

std::string PoolEngine::icosphere_model_name(unsigned int level) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02u", level);
  return std::string("icosphere/icosphere-") + digits + ".obj";
}

int PoolEngine::build_ball_renderer() {
  construct();
  cue.init();
  const float radius = static_cast<float>(Ball().radius);
  ball_renderer.set_render_detail(6, 0.45f, 1);
  for (unsigned int level = 1; level <= 6; ++level)
    ball_geometry.files[level] = settings().find_model(icosphere_model_name(level));
  ball_geometry.transform.scale = {radius, radius, radius};
  ball_renderer.distance_function(&DetailRenderer::log2_distance2detail);
  ball_renderer.generator(ball_geometry);
  return ball_renderer.construct_all_detail();
}

void PoolEngine::build_screen_atom() {
  Quad quad;
  quad.construct(1);
  // The quad spans -0.5 to 0.5: three units high, as wide as the frame's
  // aspect asks.
  const std::array<int, 2>& size = render_size();
  const float aspect =
      size[1] > 0 ? static_cast<float>(size[0]) / static_cast<float>(size[1]) : 1.0f;
  std::vector<float> vertices = quad.vertices();
  for (std::size_t i = 0; i + 2 < vertices.size(); i += 3) {
    vertices[i] *= 3.0f * aspect;
    vertices[i + 1] *= 3.0f;
  }
  CoordinateSystem place;
  const Vec3 from{-5.0f, 2.0f, 0.0f};
  const Vec3 at{0.0f, 0.5f, 0.0f};
  place.look_at(from.data(), at.data());
  place.local2global(vertices.data(), vertices.data(), static_cast<unsigned>(vertices.size() / 3));
  // Normals turn with the screen but do not move with it.
  std::vector<float> normals = quad.normals();
  place.local2global_rotation(normals.data(), normals.data(),
                              static_cast<unsigned>(normals.size() / 3));

  VAO vao;
  vao.construct(Quad::to_triangles(vertices, 3, 0), Quad::to_triangles(normals, 3, 0),
                Quad::to_triangles(quad.tex_coords(), 2, 0), 0, 1, 2, 3, 3, 2);
  Material material;
  material.set_amb(0.0f, 1.0f);
  material.set_spec(0.0f, 0.0f, 0.0f);
  material.set_color(1.0f, 1.0f, 1.0f, 1.0f);
  screen_atom = RenderAtom(vao, TextureGL(0), material);
  screen_molecule.atoms().clear();
  screen_molecule += screen_atom;
}
