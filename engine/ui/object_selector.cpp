// Object selection: the first accepted point and the move toward a
// direction scored by distance times the angle off it.
#include "ui/object_selector.h"

#include <cmath>
#include <limits>

#include "core/vector_math.h"

void ObjectSelector::positions(const std::vector<Point>& list, int index) {
  if (&list != &points_) points_ = list;
  current_ = index >= 0 && static_cast<std::size_t>(index) < points_.size() ? index : -1;
  previous_ = current_;
}

void ObjectSelector::choose(int index) {
  previous_ = current_;
  current_ = index;
}

ObjectSelector::iterator ObjectSelector::select(int index) {
  choose(index >= 0 && static_cast<std::size_t>(index) < points_.size() ? index : -1);
  return current_ < 0 ? points_.end() : points_.begin() + current_;
}

int ObjectSelector::back() {
  current_ = previous_;
  return 0;
}

int ObjectSelector::select(CoordinateSystem view, std::array<float, 3> direction, float penalty) {
  if (current_ < 0 || points_.size() < 2) {
    previous_ = current_;
    for (std::size_t i = 0; i < points_.size(); ++i) {
      if (!accepted(i)) continue;
      current_ = static_cast<int>(i);
      break;
    }
    return current_;
  }

  // Turned so that the direction becomes the view's x axis.
  const float angle = std::atan2(direction[1], direction[0]);
  if (angle != 0.0f) {
    const float z[3] = {0.0f, 0.0f, 1.0f};
    Mat3 turn;
    rodrigues(z, angle, turn.data());
    view.rotate_local(turn.data(), false);
  }

  const Point from = points_[static_cast<std::size_t>(current_)];
  int chosen = -1;
  float best = std::numeric_limits<float>::infinity();
  for (std::size_t i = 0; i < points_.size(); ++i) {
    if (static_cast<int>(i) == current_ || !accepted(i)) continue;
    const Vec3 d = points_[i] - from;
    float score = penalty;
    if (dot(d, d) >= 1.1920929e-07f) {
      const float a = dot(d.data(), view.xhat());
      const float b = dot(d.data(), view.yhat());
      const float c = dot(d.data(), view.zhat());
      if (a >= 0.0f) score = std::sqrt(a * a + b * b + c * c) * std::abs(std::atan2(b, a));
    }
    if (chosen < 0 || score < best) {
      chosen = static_cast<int>(i);
      best = score;
    }
  }
  choose(chosen);
  return current_;
}
