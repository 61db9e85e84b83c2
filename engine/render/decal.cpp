// Decals.
#include "render/decal.h"

#include <vector>

void Decal::init() {
  const std::vector<float> positions{-0.5f, -0.5f, 0.0f, 0.5f, -0.5f, 0.0f, 0.5f,  0.5f, 0.0f,
                                     -0.5f, -0.5f, 0.0f, 0.5f, 0.5f,  0.0f, -0.5f, 0.5f, 0.0f};
  std::vector<float> normals;
  for (int i = 0; i < 6; ++i) normals.insert(normals.end(), {0.0f, 0.0f, 1.0f});
  const std::vector<float> tex_coords{0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1};
  quad.construct(positions, normals, tex_coords, -1, -1, -1, 3, 3, 2);
}

void Decal::render() {
  if (quad.id() == 0 || !visible) return;
  glPushAttrib(0xFFFFF);
  glEnable(target);
  TextureGL::bind();
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  if (depth_test)
    glEnable(GL_DEPTH_TEST);
  else
    glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPushMatrix();
  // Local to global, as every placed object is drawn.
  apply_gl(true, false);
  glScalef(width, height, 1.0f);
  quad.draw_arrays();
  glBindTexture(target, 0);
  glPopMatrix();
  glPopAttrib();
}
