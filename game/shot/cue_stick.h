// CueStick: the cue the player aims and strikes with, drawn from its
// Wavefront model and posed by its two end points, with a time-stamped
// history of both ends and of its tip for the shot to read back.
#pragma once

#include <array>
#include <functional>

#include "core/phys_obj.h"
#include "game/shot/pose_buffer.h"
#include "models/obj_renderer.h"
#include "render/geometry.h"
#include "render/material.h"
#include "ui/dialog.h"

class EventQueue;

class CueStick : public PhysObj, public GeomObj {
 public:
  // Seconds on the clock that stamps the poses.
  using Clock = std::function<double()>;

  // The pose buffers keep one sample per 1/30 s; the tip's also keeps
  // velocities. Without a clock the poses are stamped with the engine's
  // steady frame clock. The label's text animations run on queue.
  explicit CueStick(ParameterizedGeometry* geometry = nullptr, Clock clock = {},
                    EventQueue* queue = nullptr);

  // No point is valid for the cue: nothing collides with it.
  bool ValidPoint(const float*) const override { return false; }

  // The model's opaque parts at the cue's pose: untextured, lit, depth-tested,
  // no culling. Nothing while not visible. Attributes and the matrix are
  // restored.
  void draw() override;
  // Zero ends and tip, the radii, the material's colour, and the label: one
  // line "Cue stick" at text size 0.04, standing where it is put, hidden.
  void init() override;
  // The shaft's level of detail from the distance of the observer (the
  // origin when null) to the cue's position.
  void set_observer(const float* position, const float* direction) override;

  // Takes the given ends (null keeps an end). With order_by_reference and a
  // reference, the end nearer the reference becomes end_a. The cue then
  // lies from end_b towards end_a, its tip `length` ahead of end_b, and both
  // ends and the tip are recorded at the clock's time.
  void set_pose(const float* new_a, const float* new_b, const float* reference,
                bool order_by_reference);

  // The tip's latest recorded velocity (offset has no effect on it).
  Vec3 tip_velocity(double offset) const { return tip_buffer.velocity_at(0, offset); }

  OBJRenderer model;
  Vec3 end_a{0, 0, 0};
  Vec3 end_b{0, 0, 0};
  bool visible = true;
  std::array<float, 4> colour{0, 0, 0, 0};
  float butt_radius = 0.0127f;
  float tip_radius = 0.0065f;
  // Added to tip_radius in the shaft's apparent size.
  float size = 0.0f;
  Vec3 tip{0, 0, 0};
  // Clock times of the two latest set_pose calls.
  double previous_time = 0.0;
  double last_time = 0.0;
  float length = 0.9144f;
  // The shaft's detail range (16 down to 4); nothing here draws it.
  ParameterizedGeometry::Cylinders shaft;
  Material material;
  std::array<PoseBuffer, 2> buffers;  // end_a, end_b
  PoseBuffer tip_buffer;
  float stroke_duration = 1.5f;  // seconds of the computer's stroke
  float default_power = 0.6f;    // a player's shot power before one is set
  // The cue's name tag. The cue owns it (so the cue is not copied); whoever
  // registers it with an engine takes it off again before the cue goes.
  DialogPtr label{new Dialog()};
  Clock clock;
};
