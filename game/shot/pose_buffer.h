// PoseBuffer: a short, time-stamped history of one tracked point (a cue end,
// the cue tip) from which its position and velocity at a moment are read off
// a natural cubic spline through the newest samples.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "core/vector_math.h"

// The natural cubic spline through a series of knots, one independent fit
// per component. Segment j holds a + b x + c x^2 + d x^3 for the offset x from
// knot j.
class CubicSpline {
 public:
  struct Segment {
    float a = 0, b = 0, c = 0, d = 0;
    float value(float x) const { return a + b * x + c * x * x + d * x * x * x; }
    float slope(float x) const { return b + 2.0f * c * x + 3.0f * d * x * x; }
  };

  // Fits the spline through (times[i], values[i]). Lists of different
  // lengths, fewer than two knots or knots not strictly increasing give no
  // segment.
  void fit(const std::vector<double>& times, const std::vector<Vec3>& values);

  std::size_t segments() const { return count_; }
  // Segment j of component k (0..2); j below segments().
  const Segment& segment(unsigned k, std::size_t j) const { return parts_[k][j]; }
  // Length of interval j (float, as the fit uses it).
  float interval(std::size_t j) const { return h_[j]; }
  const std::vector<double>& knots() const { return knots_; }

 private:
  std::vector<Segment> parts_[3];
  std::vector<float> h_;
  std::vector<double> knots_;
  std::size_t count_ = 0;
};

class PoseBuffer {
 public:
  // Records p at time t (seconds). A sample sooner than min_interval after
  // the newest one is dropped; a new value at an existing time replaces the
  // old one. With keep_velocities each sample also records a velocity (zero
  // for the first, else the difference of the two newest samples, at their
  // middle time). Samples older than history before the newest are pruned,
  // at most once per prune_interval. A time that is not a finite number is
  // dropped.
  void add(double t, const Vec3& p);

  // The newest value; a zero vector when there is none.
  const Vec3& latest() const;
  // The newest time; 0 when there is no sample.
  double latest_time() const;
  // The newest recorded velocity (unless force_difference, or none is kept),
  // else the difference of the two newest samples over their time step; zero
  // with fewer than two samples or a zero step.
  Vec3 latest_velocity(bool force_difference) const;

  // The spline through the newest n samples read at the newest time plus
  // offset (a positive offset extrapolates). n = 0, n above the number of
  // samples or offset 0 give latest(); n = 1 gives latest() as well (the
  // spline through one point is that point).
  Vec3 position_at(std::size_t n, double offset) const;
  // The derivative of that spline at the same point. n = 0 or n above the
  // number of samples give latest_velocity(false); n = 1 gives zero.
  Vec3 velocity_at(std::size_t n, double offset) const;

  const std::map<double, Vec3>& samples() const { return samples_; }
  const std::map<double, Vec3>& velocities() const { return velocities_; }

  bool keep_velocities = false;
  double min_interval = 1.0 / 60.0;  // 0: every sample is kept
  double history = 10.0;             // 0: nothing is pruned
  double last_prune = 0.0;
  double prune_interval = 0.25;

 private:
  // The spline through the newest n samples (n within the count).
  CubicSpline fit_newest(std::size_t n) const;
  // Its last segment's value (or slope) at the newest time plus offset;
  // zero when it has no segment.
  Vec3 spline_at(std::size_t n, double offset, bool slope) const;
  void prune();

  std::map<double, Vec3> samples_;
  std::map<double, Vec3> velocities_;
};
