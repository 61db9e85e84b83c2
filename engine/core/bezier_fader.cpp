// Bezier fader steps in the element type's own precision.
#include "core/bezier_fader.h"

#include <iostream>

namespace {

template <typename T>
std::vector<T> copy_or_zeros(const T* values, int n) {
  if (!values) return std::vector<T>(std::size_t(n), T(0));
  return std::vector<T>(values, values + n);
}

}  // namespace

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered()
    : BezierFaderBuffered(0, nullptr, nullptr, nullptr, 0.0, 0.0, "BezierFaderBuffered") {}

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered(int n, T* output, const T* start, const T* target,
                                            double start_time, double duration, std::string name) {
  init(n, output, start, target, start_time, duration, std::move(name));
}

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered(int n, T* output, const T* start, const T* target,
                                            double tangent_scale, double start_time,
                                            double duration, std::string name) {
  init(n, output, start, target, nullptr, nullptr, tangent_scale, start_time, duration,
       std::move(name));
}

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered(T* output, const T* start, const T* target,
                                            const T* start_tangent, const T* end_tangent,
                                            double start_time, double duration, std::string name) {
  init(3, output, start, target, start_tangent, end_tangent, duration, start_time, duration,
       std::move(name));
}

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered(int n, T* output, const T* start, const T* target,
                                            const T* start_tangent, const T* end_tangent,
                                            double tangent_scale, double start_time,
                                            double duration, std::string name) {
  init(n, output, start, target, start_tangent, end_tangent, tangent_scale, start_time, duration,
       std::move(name));
}

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered(const BezierFaderBuffered& other)
    : Event(other), curve_(other.curve_) {
  bind_callbacks();
}

template <typename T>
BezierFaderBuffered<T>::BezierFaderBuffered(BezierFaderBuffered&& other) noexcept
    : Event(std::move(other)), curve_(std::move(other.curve_)) {
  bind_callbacks();
}

template <typename T>
BezierFaderBuffered<T>& BezierFaderBuffered<T>::operator=(const BezierFaderBuffered& other) {
  Event::operator=(other);
  curve_ = other.curve_;
  bind_callbacks();
  return *this;
}

template <typename T>
BezierFaderBuffered<T>& BezierFaderBuffered<T>::operator=(BezierFaderBuffered&& other) noexcept {
  if (this == &other) return *this;
  Event::operator=(std::move(other));
  curve_ = std::move(other.curve_);
  bind_callbacks();
  return *this;
}

template <typename T>
void BezierFaderBuffered<T>::init(int n, T* output, const T* start, const T* target,
                                  double start_time, double duration, std::string name) {
  init(n, output, start, target, nullptr, nullptr, duration, start_time, duration, std::move(name));
}

template <typename T>
void BezierFaderBuffered<T>::init(int n, T* output, const T* start, const T* target,
                                  const T* start_tangent, const T* end_tangent,
                                  double tangent_scale, double start_time, double duration,
                                  std::string name) {
  if (n < 0) n = 0;
  // Copied before anything is written: start may be the output buffer itself.
  curve_.start = copy_or_zeros(start, n);
  curve_.target = copy_or_zeros(target, n);
  curve_.start_tangent = copy_or_zeros(start_tangent, n);
  curve_.end_tangent = copy_or_zeros(end_tangent, n);
  curve_.output = output;
  curve_.tangent_scale = tangent_scale;
  Event::init(std::move(name), start_time, duration, nullptr, nullptr, nullptr, nullptr);
  bind_callbacks();
}

template <typename T>
void BezierFaderBuffered<T>::bind_callbacks() {
  update_callback() = [this](double s) { step(s); };
  stop_callback() = [this](double) { write_targets(); };
}

template <typename T>
void BezierFaderBuffered<T>::write_targets() {
  if (!curve_.output) return;
  for (std::size_t i = 0; i < curve_.target.size(); ++i) curve_.output[i] = curve_.target[i];
}

template <typename T>
void BezierFaderBuffered<T>::step(double s) {
  if (s >= 1.0) {
    write_targets();
    return;
  }
  T* out = curve_.output;
  if (!(s > 0.0) || !out) return;  // before the start, or no scaled time

  const T u = T(s);
  const T v = T(1) - u;
  const T k = T(curve_.tangent_scale);
  const T c0 = T(3) * u * (v * v);
  const T c1 = v * v * v;
  const T c2 = T(3) * v * (u * u);
  const T c3 = T(double(u * u) * s);
  const std::size_t n = curve_.start.size();
  for (std::size_t i = 0; i < n; ++i) {
    const T p0 = curve_.start[i];
    const T p3 = curve_.target[i];
    out[i] = (p0 + k * curve_.start_tangent[i]) * c0 + p0 * c1 +
             (p3 - k * curve_.end_tangent[i]) * c2 + p3 * c3;
  }
  if (verbose()) {
    std::cout << "time = " << s << ", target = ";
    for (std::size_t i = 0; i < n; ++i) std::cout << out[i] << ",";
    std::cout << std::endl;
  }
}

template class BezierFaderBuffered<float>;
