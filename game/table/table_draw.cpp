// Drawing the table: walls, pockets and the table's model.
#include <algorithm>

#include "game/scene/pass_state.h"
#include "game/table/detail_level.h"
#include "game/table/table.h"
#include "render/gl.h"

namespace {

// The program in use when it is made, in use again when it goes.
class ProgramGuard {
 public:
  ProgramGuard() { glGetIntegerv(GL_CURRENT_PROGRAM, &previous_); }
  ~ProgramGuard() { glUseProgram(static_cast<GLuint>(previous_)); }
  ProgramGuard(const ProgramGuard&) = delete;
  ProgramGuard& operator=(const ProgramGuard&) = delete;

 private:
  GLint previous_ = 0;
};

}  // namespace

void Table::draw_walls() {
  if (!show_walls) return;
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_LIGHTING_BIT);
  felt.bind();
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
  for (Wall& wall : walls) {
    if (observer_position) {
      const float distance = norm(wall.position - *observer_position);
      set_detail_level(geometry().quads(), std::max(wall.width, wall.height) / distance);
    }
    wall.draw();
  }
  glPopAttrib();
}

void Table::draw_opaque() {
  ProgramGuard program;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  draw_walls();
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_CULL_FACE);
  glUseProgram(model_program);
  model.render_opaque(true);
  glUseProgram(0);
  glPopAttrib();
}

void Table::draw() {
  draw_opaque();
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  set_blended_untextured();
  glEnable(GL_NORMALIZE);
  glDisable(GL_CULL_FACE);
  model.render_transparent(true);
  glPopAttrib();
}

void Table::draw_pockets() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  for (std::size_t k = 0; k < pockets.size(); ++k) {
    if (!pocket_drawn(k)) continue;
    Pocket& pocket = pockets[k];
    glPushMatrix();
    pocket.coord_sys().apply_gl(true, false);
    if (pocket.material.enabled()) {
      const float grey = pocket.highlighted ? 0.8f : 0.0f;
      pocket.material.set_color(grey, grey, grey, 1.0f);
      pocket.material.colorGL();
    }
    DetailVertexDataVAO& renderer =
        pocket.position[0] != 0.0f ? corner_pocket_renderer : edge_pocket_renderer;
    const float distance =
        observer_position ? pocket.coord_sys().distance(*observer_position) : norm(pocket.position);
    renderer.render_distance(distance);
    glPopMatrix();
  }
  glPopAttrib();
}
