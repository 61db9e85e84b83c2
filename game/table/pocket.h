// Pocket: one of the table's twelve capture spheres, a fixed physics object
// that lists the balls dropped into it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/phys_obj.h"
#include "render/geometry.h"
#include "render/material.h"

class Pocket : public PhysObj, public GeomObj {
 public:
  explicit Pocket(ParameterizedGeometry* geometry = nullptr);

  // True outside the capture sphere; a point on it is not.
  bool ValidPoint(const float* p) const override;

  // The current level of the shared sphere set, scaled to the radius, with
  // the material; matrix and lighting state are restored.
  void draw() override;
  void init() override {}
  // Sets the sphere set's level from the radius over the distance to the
  // position; nothing for a null position.
  void set_observer(const float* position, const float* direction) override;

  float radius = 0.0909251f;  // capture radius (hides PhysObj::radius)
  std::uint8_t highlighted = 0;
  Material material;
  std::vector<int> balls;  // balls dropped into it, in order
  float max_entry_speed = 0.05f;
  float sink_tangent = 0.05f;
};
