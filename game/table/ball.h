// Ball: one pool ball, a physics object the simulation moves and a sphere
// drawn with its own texture. Its centre is the PhysObj position; the
// coordinate system carries its orientation.
#pragma once

#include <cstdint>
#include <functional>

#include "core/phys_obj.h"
#include "render/geometry.h"
#include "render/material.h"

class Dialog;

class Ball : public PhysObj, public GeomObj {
 public:
  using SphereSet = ParameterizedGeometry::Spheres;
  // A pool ball's radius, metres (57.15 mm across).
  static constexpr float kRadius = 0.028575f;

  // Number 0, mass 1, the PhysObj radius set to `radius` and the moment of
  // inertia of a solid sphere, 0.4 m r^2.
  explicit Ball(ParameterizedGeometry* geometry = nullptr);

  // True strictly outside the ball.
  bool ValidPoint(const float* p) const override;
  // At rest: no velocity, spin, force or torque, so that integrating the
  // ball leaves it where it is until a contact moves it.
  void stop();

  void draw() override { draw_with({}); }
  // The material, integration switched on and, when the ball has one, its
  // label made ready (init_label).
  void init() override;
  // A number label as a new ball has it: one unselectable line "Ball" at
  // text size 0.04, stroked 2.0 wide, on no background, standing where it is
  // put (turned toward the viewer only), hidden. A label that has its line
  // already gets the text back; no line is added.
  static void init_label(Dialog& label);
  // The level of the sphere set (and of sphere_set) from radius over the
  // distance to position (to the origin when null).
  void set_observer(const float* position, const float* direction) override;

  // At the ball's position and orientation, with its texture (untextured when
  // it has none) and material: draw_sphere when given, else sphere_set when
  // set, else the geometry's sphere set. Matrix, texture, enable and lighting
  // state are restored.
  void draw_with(const std::function<void()>& draw_sphere);

  SphereSet* sphere_set = nullptr;
  float radius = kRadius;  // hides PhysObj::radius, which holds it as double
  std::uint8_t selected = 0;
  int number = 0;
  bool spin_force = true;
  Material material;
  unsigned int texture = 0;  // OpenGL texture name, 0 for none
  int contacts = 0;
  // The number label shown above the ball once it is pocketed. Borrowed:
  // the engine owns the labels, one per ball index, for the whole run, so
  // copies of the ball and a new rack never free or register one.
  Dialog* label = nullptr;
};
