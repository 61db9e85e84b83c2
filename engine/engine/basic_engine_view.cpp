// BasicEngine: whether a point is in front of the view, and a body's path
// against a model's collision partition.
#include <cmath>

#include "core/phys_obj.h"
#include "engine/basic_engine.h"
#include "models/collision_partition.h"

bool BasicEngine::in_view(const std::array<float, 3>& point, float) const {
  const Vec3 p = mouse_look_.coord_sys().global2local(point, true);
  // In double: a float length of a far point could overflow and turn the
  // angle to 90 degrees.
  const double x = p[0], y = p[1], z = p[2];
  const double angle =
      std::fabs(std::acos(-z / std::sqrt(x * x + y * y + z * z))) * 57.29577951308232;
  return angle < 90.0;  // NaN (the view's own position) is not
}

std::vector<unsigned long long> BasicEngine::collide(CollisionPartition& partition, PhysObj& obj,
                                                     const float* point) const {
  const Vec3 start = point ? Vec3{point[0], point[1], point[2]} : obj.position;
  return partition.collision_faces(obj.position, obj.velocity, start, 0.5f);
}
