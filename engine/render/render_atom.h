// Render atoms (a vertex array with pose, texture and material) and molecules
// (atoms drawn together, skipping a texture rebind the previous atom did).
#pragma once

#include <vector>

#include "core/vector_math.h"
#include "render/material.h"
#include "render/object_gl.h"

// Something with a 4x4 pose stored row by row (applied with glMultTransposeMatrixf).
class PosedObject {
 public:
  Mat4& pose() { return pose_; }
  const Mat4& pose() const { return pose_; }

 protected:
  Mat4 pose_{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

class RenderAtom : public VAO, public PosedObject {
 public:
  RenderAtom(VAO vao = VAO(), TextureGL texture = TextureGL(0), Material material = Material());

  Material& material() { return material_; }
  const Material& material() const { return material_; }
  TextureGL& texture() { return texture_; }
  const TextureGL& texture() const { return texture_; }

  // Draws with the material and texture, all attribute state saved and
  // restored; the pose is applied (in a pushed matrix) when asked.
  void draw_arrays(bool apply_pose);

 private:
  friend class RenderMolecule;
  void draw_body();

  TextureGL texture_;
  Material material_;
};

class RenderMolecule {
 public:
  std::vector<RenderAtom>& atoms() { return atoms_; }
  const std::vector<RenderAtom>& atoms() const { return atoms_; }
  RenderMolecule& operator+=(const RenderAtom& atom);

  // Draws one atom with its pose; an index outside the list draws nothing.
  void draw_atom(unsigned long long index);
  void draw();

 private:
  std::vector<RenderAtom> atoms_;
  unsigned int last_texture_ = 0;
};
