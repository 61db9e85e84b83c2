#include "game/shot/pose_buffer.h"

#include <cmath>
#include <iterator>

namespace {

constexpr float kThird = 0.33333334f;

const Vec3 kZero{0.0f, 0.0f, 0.0f};

// Erases every entry at or below `limit`.
void erase_through(std::map<double, Vec3>& m, double limit) {
  m.erase(m.begin(), m.upper_bound(limit));
}

}  // namespace

void CubicSpline::fit(const std::vector<double>& times, const std::vector<Vec3>& values) {
  for (auto& part : parts_) part.clear();
  h_.clear();
  knots_.clear();
  count_ = 0;
  if (times.size() != values.size() || times.size() < 2) return;
  const std::size_t m = times.size() - 1;
  std::vector<float> h(m);
  for (std::size_t i = 0; i < m; ++i) {
    h[i] = static_cast<float>(times[i + 1] - times[i]);
    // Equal or falling knots would divide by zero or by a negative interval.
    if (!(h[i] > 0.0f) || !std::isfinite(h[i])) return;
  }
  std::vector<float> alpha(m + 1), l(m + 1), mu(m + 1), z(m + 1), c(m + 1);
  for (unsigned k = 0; k < 3; ++k) {
    auto y = [&](std::size_t i) { return values[i][k]; };
    for (std::size_t i = 1; i < m; ++i)
      alpha[i] = (3.0f / h[i]) * (y(i + 1) - y(i)) - (3.0f / h[i - 1]) * (y(i) - y(i - 1));
    l[0] = 1.0f;
    mu[0] = 0.0f;
    z[0] = 0.0f;
    for (std::size_t i = 1; i < m; ++i) {
      l[i] = 2.0f * static_cast<float>(times[i + 1] - times[i - 1]) - h[i - 1] * mu[i - 1];
      mu[i] = h[i] / l[i];
      z[i] = (alpha[i] - h[i - 1] * z[i - 1]) / l[i];
    }
    l[m] = 1.0f;
    z[m] = 0.0f;
    c[m] = 0.0f;
    std::vector<Segment>& part = parts_[k];
    part.resize(m);
    for (std::size_t j = m; j-- > 0;) {
      c[j] = z[j] - mu[j] * c[j + 1];
      Segment& s = part[j];
      s.a = y(j);
      s.b = (y(j + 1) - y(j)) / h[j] - (c[j + 1] + 2.0f * c[j]) * h[j] * kThird;
      s.c = c[j];
      s.d = (c[j + 1] - c[j]) * (kThird / h[j]);
    }
  }
  h_ = std::move(h);
  knots_ = times;
  count_ = m;
}

void PoseBuffer::add(double t, const Vec3& p) {
  if (!std::isfinite(t)) return;
  if (!samples_.empty() && min_interval != 0.0 && t - samples_.rbegin()->first < min_interval)
    return;
  samples_[t] = p;
  if (keep_velocities) {
    if (samples_.size() == 1) {
      velocities_[t] = kZero;
    } else {
      const auto newest = samples_.rbegin();
      const double t2 = newest->first;
      const double t1 = std::next(newest)->first;
      velocities_[(t1 + t2) / 2.0] = latest_velocity(true);
    }
  }
  if (history != 0.0) prune();
}

void PoseBuffer::prune() {
  const double newest = samples_.rbegin()->first;
  if (last_prune != 0.0 && newest - last_prune < prune_interval) return;
  erase_through(samples_, newest - history);
  if (keep_velocities && !velocities_.empty())
    erase_through(velocities_, velocities_.rbegin()->first - history);
  last_prune = newest;
}

const Vec3& PoseBuffer::latest() const {
  return samples_.empty() ? kZero : samples_.rbegin()->second;
}

double PoseBuffer::latest_time() const {
  return samples_.empty() ? 0.0 : samples_.rbegin()->first;
}

Vec3 PoseBuffer::latest_velocity(bool force_difference) const {
  if (!force_difference && keep_velocities && !velocities_.empty())
    return velocities_.rbegin()->second;
  if (samples_.size() < 2) return kZero;
  const auto newest = samples_.rbegin();
  const auto before = std::next(newest);
  const float dt = static_cast<float>(newest->first - before->first);
  if (dt == 0.0f) return kZero;
  return (newest->second - before->second) / dt;
}

CubicSpline PoseBuffer::fit_newest(std::size_t n) const {
  std::vector<double> times(n);
  std::vector<Vec3> values(n);
  auto it = samples_.end();
  for (std::size_t i = n; i-- > 0;) {
    --it;
    times[i] = it->first;
    values[i] = it->second;
  }
  CubicSpline spline;
  spline.fit(times, values);
  return spline;
}

Vec3 PoseBuffer::spline_at(std::size_t n, double offset, bool slope) const {
  const CubicSpline spline = fit_newest(n);
  if (spline.segments() == 0) return kZero;
  const std::size_t last = spline.segments() - 1;
  const float x = static_cast<float>(spline.interval(last) + offset);
  Vec3 out;
  for (unsigned k = 0; k < 3; ++k) {
    const CubicSpline::Segment& s = spline.segment(k, last);
    out[k] = slope ? s.slope(x) : s.value(x);
  }
  return out;
}

Vec3 PoseBuffer::position_at(std::size_t n, double offset) const {
  if (n < 2 || n > samples_.size() || offset == 0.0) return latest();
  return spline_at(n, offset, false);
}

Vec3 PoseBuffer::velocity_at(std::size_t n, double offset) const {
  if (n == 0 || n > samples_.size()) return latest_velocity(false);
  if (n == 1) return kZero;
  return spline_at(n, offset, true);
}
