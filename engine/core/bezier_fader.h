// BezierFaderBuffered: an event that moves a caller's buffer of values to target
// values along cubic Bezier curves.
#pragma once

#include <string>
#include <vector>

#include "core/event.h"

// Element i follows the cubic with control points P0 = start[i],
// P1 = P0 + k * start_tangent[i], P2 = P3 - k * end_tangent[i], P3 = target[i],
// k the tangent scale. With zero tangents that is the ease-in, ease-out profile
// P0 + (P3 - P0) * (3u^2 - 2u^3). Each step of the event writes the curve at the
// scaled time into the output; the update that reaches the end, and a stop
// request, write the targets exactly.
//
// The output buffer is the caller's: it must hold as many values as the fader
// has elements and outlive the fader's run. Start values, targets and tangents
// are copied, so the output may be passed as the start values to fade from its
// current contents. A null array reads as zeros; with a null output nothing is
// written. The step and stop callbacks act on the fader that holds them, also
// after a copy or a move.
template <typename T>
class BezierFaderBuffered : public Event {
 public:
  // No elements, named "BezierFaderBuffered"; init gives it its values.
  BezierFaderBuffered();
  // n elements with zero tangents; the tangent scale is the duration.
  BezierFaderBuffered(int n, T* output, const T* start, const T* target, double start_time,
                      double duration, std::string name = "BezierFaderBuffered");
  // n elements with zero tangents and an explicit tangent scale (it shapes
  // nothing until init gives the fader tangents).
  BezierFaderBuffered(int n, T* output, const T* start, const T* target, double tangent_scale,
                      double start_time, double duration, std::string name = "BezierFaderBuffered");
  // Three elements with tangents (a null tangent counts as zero); the tangent
  // scale is the duration.
  BezierFaderBuffered(T* output, const T* start, const T* target, const T* start_tangent,
                      const T* end_tangent, double start_time, double duration,
                      std::string name = "BezierFaderBuffered");
  // n elements with tangents and an explicit tangent scale.
  BezierFaderBuffered(int n, T* output, const T* start, const T* target, const T* start_tangent,
                      const T* end_tangent, double tangent_scale, double start_time,
                      double duration, std::string name = "BezierFaderBuffered");
  BezierFaderBuffered(const BezierFaderBuffered& other);
  BezierFaderBuffered(BezierFaderBuffered&& other) noexcept;
  BezierFaderBuffered& operator=(const BezierFaderBuffered& other);
  BezierFaderBuffered& operator=(BezierFaderBuffered&& other) noexcept;
  ~BezierFaderBuffered() = default;

  // Sets everything anew and makes the fader pending again, so a running fader
  // restarts with the new values. Zero tangents; the tangent scale is the
  // duration.
  void init(int n, T* output, const T* start, const T* target, double start_time, double duration,
            std::string name);
  void init(int n, T* output, const T* start, const T* target, const T* start_tangent,
            const T* end_tangent, double tangent_scale, double start_time, double duration,
            std::string name);

  int size() const { return int(curve_.start.size()); }
  T* output() const { return curve_.output; }
  double tangent_scale() const { return curve_.tangent_scale; }

 private:
  void bind_callbacks();
  // The update callback: the curve at scaled time s.
  void step(double s);
  // The stop callback.
  void write_targets();

  // Everything a copy or move takes over as it is.
  struct Curve {
    std::vector<T> start_tangent;
    std::vector<T> end_tangent;
    std::vector<T> start;   // P0
    std::vector<T> target;  // P3
    T* output = nullptr;    // the caller's
    double tangent_scale = 0.0;
  };
  Curve curve_;
};

extern template class BezierFaderBuffered<float>;
