// Choosing a dialog's children: pointer rays, arrow-key moves, clicks and
// the default child.
#include <cmath>
#include <numbers>

#include "core/timer.h"
#include "core/vector_math.h"
#include "ui/dialog.h"

bool Dialog::choosable(int i) const {
  const auto& list = children();
  if (i < 0 || static_cast<std::size_t>(i) >= list.size()) return false;
  const Frame* f = list[static_cast<std::size_t>(i)];
  return f && f->selectable() && f->enabled();
}

CursorData Dialog::cursor_callback(const CoordinateSystem* pointer, bool backward, bool) {
  CursorData hit;
  if (!pointer || disabled() || selectable_children_ == 0) return hit;
  const CoordinateSystem& plane = frame_.coord_sys();
  int status = 0;
  const float t =
      plane.ray_intersection_1d(pointer->position().data(), pointer->zhat(), &status, backward);
  if (status != 0) return hit;
  hit.distance = t;
  const Vec3 point = pointer->position() + pointer->zhat_array() * (backward ? -t : t);
  hit.index = point_in_child(plane.global2local(point), true, false);
  if (hit.index >= 0) {
    Frame* f = children()[static_cast<std::size_t>(hit.index)];
    f->selected(f->selectable());
  }
  return hit;
}

int Dialog::cursor_data(const CursorData& hit, bool skip_same) {
  if (skip_same && hit == cursor_data_) return -1;
  cursor_data_ = hit;
  const auto& list = children();
  if (list.empty()) return 1;
  bool met = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!choosable(static_cast<int>(i))) continue;
    const bool is_hit = static_cast<int>(i) == hit.index;
    list[i]->selected(is_hit ? 1 : 0);
    if (is_hit) {
      met = true;
      if (!cursor_data_.valid()) cursor_data_.distance = 100.0f;
    }
  }
  return met ? 0 : 1;
}

bool Dialog::move_selection(std::array<float, 3> direction, unsigned int sectors, bool wrap,
                            bool pass_to_child) {
  if (sectors == 0) return false;
  const auto& list = children();
  const int current = cursor_data_.index;
  if (current < 0) {
    cursor_data_.index = -1;
    for (Frame* f : list)
      if (f) f->selected(0);
    return false;
  }

  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  const int n = static_cast<int>(sectors);
  const double width = kTwoPi / n;
  const double lower = -width * 0.5;
  const auto sector_of = [&](double angle) {
    while (angle < lower) angle += kTwoPi;
    return static_cast<int>((angle - lower) / width) % n;
  };
  const CoordinateSystem& cs = frame_.coord_sys();
  const int k =
      sector_of(std::atan2(dot(direction.data(), cs.yhat()), dot(direction.data(), cs.xhat())));

  const bool has_current = static_cast<std::size_t>(current) < list.size() && list[current];
  const Vec3 from = has_current ? list[current]->coord_sys().position() : Vec3{0, 0, 0};
  // The child of sector j nearest to (or farthest from) the current one;
  // the first in child order among equals. -1 when the sector is empty.
  const auto pick = [&](int j, bool farthest) {
    int chosen = -1;
    float best = 0.0f;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (static_cast<int>(i) == current || !choosable(static_cast<int>(i))) continue;
      const Vec3 d = list[i]->coord_sys().position() - from;
      if (sector_of(std::atan2(d[1], d[0])) != j) continue;
      const float dist = norm(d);
      if (chosen < 0 || (farthest ? dist > best : dist < best)) {
        chosen = static_cast<int>(i);
        best = dist;
      }
    }
    return chosen;
  };

  int chosen = pick(k, false);
  if (chosen < 0 && wrap) chosen = pick((n / 2 + k) % n, true);
  if (chosen >= 0) {
    cursor_data_.index = chosen;
    return chosen != current;
  }
  if (pass_to_child && has_current) {
    Frame* f = list[current];
    return (k < n / 2 ? f->next() : f->back()) == 0;
  }
  return false;
}

int Dialog::click(int state, bool only_activated) {
  frame_.selected(0);
  if (selectable_children_ == 0) return 1;
  const auto& list = children();
  if (state != 0) {
    // A press marks the child under the cursor, so the release runs that
    // child even when no drawing came in between.
    const int cursor = choosable(cursor_data_.index) ? cursor_data_.index : -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (!choosable(static_cast<int>(i))) continue;
      if (cursor < 0 || static_cast<int>(i) == cursor) {
        list[i]->selected(1);
        list[i]->activated(state);
      } else {
        list[i]->activated(0);
      }
    }
    return 1;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!choosable(static_cast<int>(i))) continue;
    Frame* f = list[i];
    if (selectable_children_ >= 2 && only_activated && !f->activated()) continue;
    f->activated(0);
    last_click_time_ = time_origin();
    // A copy: the action may replace the children's actions or free them.
    const Action action = f->callback();
    if (action) action();
    return 0;
  }
  return 1;
}

int Dialog::select_default_child() {
  const auto& list = children();
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!list[i] || !list[i]->selectable()) continue;
    list[i]->selected(1);
    cursor_data_.index = static_cast<int>(i);
    if (!(cursor_data_.distance > 0.0f)) cursor_data_.distance = 100.0f;
    return static_cast<int>(i);
  }
  return -1;
}

int Dialog::point_in_child(const Vec3& p, bool parent_coords, bool only_selectable) const {
  const auto& list = children();
  for (std::size_t i = 0; i < list.size(); ++i) {
    Frame* f = list[i];
    if (!f || !f->enabled() || (only_selectable && !f->selectable())) continue;
    if (f->inside_area(p, parent_coords)) return static_cast<int>(i);
  }
  return -1;
}

int Dialog::get_in_bounds(const float* p, bool parent_coords) {
  if (!p) return -2;
  if (frame_.inside_area(p, parent_coords)) return -1;
  const int i = point_in_child(to_vec3(p), parent_coords, false);
  return i >= 0 ? i : -2;
}

bool Dialog::ray_hits_text(float t, const float* origin, const float* dir, bool check) {
  if (!origin || !dir) return false;
  if (check && (!frame_.selectable() || !frame_.enabled())) return false;
  const Vec3 point = to_vec3(origin) + to_vec3(dir) * t;
  return frame_.inside_area(point, check);
}
