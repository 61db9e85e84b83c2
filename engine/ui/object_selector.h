// ObjectSelector: picks one of a list of 3-D points and moves the pick in a
// direction seen from a viewer (the balls and pockets chosen with the arrow
// keys, a gamepad or a hand controller).
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "core/coordinate_system.h"
#include "ui/option.h"

// The selection and the one before the last change are positions in the
// list, or none. Copies select the same positions of their own list. Draws
// nothing. Main thread.
class ObjectSelector : public SimpleOption {
 public:
  using Point = std::array<float, 3>;
  using Filter = std::function<bool(unsigned int)>;
  using iterator = std::vector<Point>::iterator;

  ObjectSelector() = default;

  // Replaces the points; selects index (and makes it the previous
  // selection too), nothing for a negative index or one past the list.
  void positions(const std::vector<Point>& list, int index);
  const std::vector<Point>& points() const { return points_; }
  // Only indices it accepts may be chosen; an empty filter accepts all.
  void filter(Filter f) { filter_ = std::move(f); }

  // Selects the index, or nothing when it is outside the list; the old
  // selection becomes the previous one. The selection (end() for none).
  iterator select(int index);
  // Back to the previous selection. 0.
  int back();
  // The selected position, -1 for none.
  int selection() const { return current_; }
  // Points exist and one is selected.
  explicit operator bool() const { return !points_.empty() && current_ >= 0; }

  // Moves the selection in a direction (x right, y up, as the viewer sees
  // it). Without a selection, or with fewer than two points, the first
  // accepted point is chosen (the selection stays when none is). Otherwise
  // each other accepted point d away from the selected one scores
  // |d| x |angle off the direction| as the viewer turned toward the
  // direction sees it, or `penalty` when it lies behind (or at the selected
  // point); the lowest score wins, the earlier point among equals, and with
  // no candidate nothing is selected. The new selection, -1 for none.
  int select(CoordinateSystem view, std::array<float, 3> direction, float penalty);

 private:
  bool accepted(std::size_t i) const { return !filter_ || filter_(static_cast<unsigned int>(i)); }
  void choose(int index);

  std::vector<Point> points_;
  int current_ = -1;
  int previous_ = -1;
  Filter filter_;
};
