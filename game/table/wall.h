// Wall: one face of the box table, a fixed physics object drawn as a felt
// quad whose z axis is the inward normal and whose x axis runs along its
// longer side.
#pragma once

#include "core/phys_obj.h"
#include "render/geometry.h"
#include "render/material.h"

class Wall : public PhysObj, public GeomObj {
 public:
  explicit Wall(ParameterizedGeometry* geometry = nullptr);

  // True behind the wall's plane (outside the box); a point on it is not.
  bool ValidPoint(const float* p) const override;

  // Draws the current level of the shared quad set scaled to the wall, with
  // two-sided lighting and the material; OpenGL errors are reported on the
  // error stream and drawing goes on. Matrix and lighting state are restored.
  void draw() override;
  void init() override {}
  // Sets the quad set's level from the wall's larger side over its distance
  // to the position; nothing for a null position.
  void set_observer(const float* position, const float* direction) override;

  float width = 0.0f;   // the longer side
  float height = 0.0f;  // the shorter side
  Material material;
};
