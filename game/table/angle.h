// The angle between two vectors, as the table, the computer player and the
// shot flow measure cuts.
#pragma once

#include "core/vector_math.h"

// acos of the cosine of a and b: 0 when the cosine is 1 or more, pi
// (3.1415927) when it is -1 or less, and `fallback` when the angle is not a
// finite number (a zero vector).
float angle_between(const Vec3& a, const Vec3& b, float fallback);
