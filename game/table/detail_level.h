// Choosing the level of a detailed shape set from how large an object looks.
#pragma once

#include <cmath>

#include "render/geometry.h"

// The level for an apparent size ratio (object size over distance): ratio x
// maximum detail / reference size, clamped to the set's detail range, minus
// its first level, truncated. A ratio that gives no number (0 / 0) counts as
// the minimum; an infinite one (no reference size, or zero distance) as the
// maximum.
template <typename Shape>
int detail_level(const Detailed<Shape, float, float>& set, float ratio) {
  float x = ratio * set.max_detail() / set.scale();
  if (std::isnan(x)) x = set.min_detail();
  if (x < set.min_detail()) x = set.min_detail();
  if (x > set.max_detail()) x = set.max_detail();
  const float level = x - static_cast<float>(set.detail_start());
  // Detail values outside int's range are no level of any set.
  if (!(level > -2.0e9f && level < 2.0e9f)) return 0;
  return static_cast<int>(level);
}

// Sets the set's current level for the ratio.
template <typename Shape>
void set_detail_level(Detailed<Shape, float, float>& set, float ratio) {
  set.current_level() = detail_level(set, ratio);
}
