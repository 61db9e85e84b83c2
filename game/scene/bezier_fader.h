// BezierFader: an event that moves three floats along a cubic Bezier curve
// read through pointers, so the caller may move its start, target and
// tangents while the fader runs.
#pragma once

#include <string>

#include "core/event.h"

// The curve at scaled time s in (0, 1): P0 = start, P1 = start + k * start
// tangent, P2 = target - k * end tangent, P3 = target, k the duration (a
// null tangent counts as zero), evaluated in double and stored as float.
// Without a start the output takes the target at every update; without a
// target it takes the start. At s <= 0 and s >= 1 the update writes nothing;
// the stop writes the target (when there is one).
//
// The five arrays are the caller's (any may be null; a null output writes
// nothing) and must outlive the fader's run. The output should not be the
// start array: the start is read again at every update. The callbacks act
// on this object, so it is neither copied nor moved; a queue adopts it.
class BezierFader : public Event {
 public:
  static constexpr int kCount = 3;

  BezierFader(float* output, const float* start, const float* target, const float* start_tangent,
              const float* end_tangent, double start_time, double duration,
              std::string name = "BezierFader");
  BezierFader(const BezierFader&) = delete;
  BezierFader& operator=(const BezierFader&) = delete;

  double tangent_scale() const { return tangent_scale_; }

 private:
  // The update callback.
  void step(double s);
  // The stop callback.
  void write_target();

  float* output_;
  const float* start_;
  const float* target_;
  const float* start_tangent_;
  const float* end_tangent_;
  double tangent_scale_;
};
