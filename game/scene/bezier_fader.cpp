// BezierFader: the three-float Bezier step on the caller's arrays.
#include "game/scene/bezier_fader.h"

#include <utility>

BezierFader::BezierFader(float* output, const float* start, const float* target,
                         const float* start_tangent, const float* end_tangent, double start_time,
                         double duration, std::string name)
    : Event(std::move(name), start_time, duration, nullptr, nullptr, nullptr, nullptr),
      output_(output),
      start_(start),
      target_(target),
      start_tangent_(start_tangent),
      end_tangent_(end_tangent),
      tangent_scale_(duration) {
  update_callback() = [this](double s) { step(s); };
  stop_callback() = [this](double) { write_target(); };
}

void BezierFader::write_target() {
  if (!output_ || !target_) return;
  for (int i = 0; i < kCount; ++i) output_[i] = target_[i];
}

void BezierFader::step(double s) {
  if (!output_) return;
  if (!start_) {
    write_target();
    return;
  }
  if (!target_) {
    for (int i = 0; i < kCount; ++i) output_[i] = start_[i];
    return;
  }
  if (!(s > 0.0 && s < 1.0)) return;
  const double u = 1.0 - s;
  const double k = tangent_scale_;
  for (int i = 0; i < kCount; ++i) {
    const double p0 = start_[i];
    const double p3 = target_[i];
    const double p1 = start_tangent_ ? p0 + double(start_tangent_[i]) * k : p0;
    const double p2 = end_tangent_ ? p3 - double(end_tangent_[i]) * k : p3;
    output_[i] = static_cast<float>(u * u * u * p0 + 3.0 * s * u * u * p1 + 3.0 * s * s * u * p2 +
                                    s * s * s * p3);
  }
}
