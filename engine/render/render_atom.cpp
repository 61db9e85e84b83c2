// Render atoms and molecules.
#include "render/render_atom.h"

RenderAtom::RenderAtom(VAO vao, TextureGL texture, Material material)
    : VAO(std::move(vao)), texture_(texture), material_(material) {}

void RenderAtom::draw_body() {
  material_.colorGL();
  if (texture_.id()) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_.id());
  }
  bind();
  mode().draw_arrays();
  release();
}

void RenderAtom::draw_arrays(bool apply_pose) {
  glPushAttrib(0xFFFFF);
  if (apply_pose) {
    glPushMatrix();
    glMultTransposeMatrixf(pose_.data());
  }
  draw_body();
  if (apply_pose) glPopMatrix();
  glPopAttrib();
}

RenderMolecule& RenderMolecule::operator+=(const RenderAtom& atom) {
  atoms_.push_back(atom);
  return *this;
}

void RenderMolecule::draw_atom(unsigned long long index) {
  if (index >= atoms_.size()) return;
  RenderAtom& atom = atoms_[index];
  const unsigned int t = atom.texture().id();
  if (last_texture_ == 0 || last_texture_ != t) {
    atom.texture().bind();
    last_texture_ = t;
  }
  glPushAttrib(0xFFFFF);
  glPushMatrix();
  glMultTransposeMatrixf(atom.pose().data());
  atom.draw_body();
  glPopMatrix();
  glPopAttrib();
}

void RenderMolecule::draw() {
  for (std::size_t i = 0; i < atoms_.size(); ++i) draw_atom(i);
}
