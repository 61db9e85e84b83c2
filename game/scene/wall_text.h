// Texts that stand flat on the table's side walls: the wall the viewer sees
// best and the pose of a text on it.
#pragma once

#include "core/coordinate_system.h"

namespace wall_text {

// How far a text stands off its wall, metres.
inline constexpr float kLift = 0.002f;
// The distance exponent of a wall's score.
inline constexpr double kDistanceExponent = 4.0;

// Moves `text` to the centre of the side wall (a face of the box of half
// extents h across the two axes other than up_axis) with the smallest score
// angle / distance^4, seen from the viewer's position along its -z axis;
// equal scores keep the earlier wall (-h, +h on axis (up + 2) % 3, then on
// (up + 1) % 3). The text keeps its height along the up axis, faces the
// viewer's side of the wall (its z axis, horizontal, never points away from
// the viewer) and stands kLift in front of the wall. A wall whose centre is
// the viewer's own position is skipped; with no wall left (or an up axis
// outside 0..2) the text stays as it is.
void place_on_facing_wall(CoordinateSystem& text, const CoordinateSystem& viewer, int up_axis,
                          const Vec3& h);

}  // namespace wall_text
