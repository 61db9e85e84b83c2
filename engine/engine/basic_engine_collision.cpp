// The two collision models of BasicEngine.
#include <cmath>
#include <utility>

#include "core/intersections.h"
#include "core/phys_obj.h"
#include "core/vector_math.h"
#include "engine/basic_engine.h"

namespace {
bool finite(const Vec3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}
}  // namespace

void BasicEngine::elastic_collision(PhysObj& a_in, PhysObj& b_in, float, bool check, float) {
  PhysObj* a = &a_in;
  PhysObj* b = &b_in;
  const float r = static_cast<float>(a->radius + b->radius);
  if (check) {
    if (r - norm(a->position - b->position) <= 0.0f) return;
    if (norm(a->velocity) > norm(b->velocity)) std::swap(a, b);
  }
  const Vec3 rel = b->velocity - a->velocity;
  const float s = norm(rel);
  // Equal velocities: no relative path, nothing to exchange.
  if (!(s > 0.0f)) return;
  // A pair whose centres already move apart is left alone. Without this the
  // backward ray below finds the crossing on a's far side, and an overlapping
  // or distant separating pair would have b jump through a.
  if (dot(a->position - b->position, rel) < 0.0f) return;
  const Vec3 u = normalized(a->velocity - b->velocity);
  int status = 0;
  const float t =
      ray_sphere_intersection(b->position.data(), u.data(), a->position.data(), &status, r);
  if (status != 0 || !(t > 0.0f)) return;
  const Vec3 pb = b->position + u * t;
  const Vec3 n = a->position - pb;
  if (dot(n, rel) < 0.0f) return;
  const Vec3 nh = normalized(n);
  const float k = dot(normalized(rel), nh) * s;
  const Vec3 dv = nh * k;
  const Vec3 va = a->velocity + dv;
  const Vec3 vb = b->velocity - dv;
  // Touching centres leave no line of centres: refuse rather than write NaN.
  if (!finite(va) || !finite(vb) || !finite(pb)) return;
  a->velocity = va;
  b->velocity = vb;
  b->position = pb;
}

void BasicEngine::Collide(PhysObj& a, PhysObj& b, float loss, float spin_coupling) {
  const Vec3 d = b.position - a.position;
  const float dist = norm(d);
  if (!(dist > 0.0f) || a.mass == 0.0 || b.mass == 0.0) return;
  const double M = a.mass + b.mass;
  if (M == 0.0) return;
  const Vec3 n = d / dist;
  if (b.radius + a.radius - double(dist) < 0.0) return;
  Vec3 vcm;
  for (int i = 0; i < 3; ++i)
    vcm[i] = static_cast<float>((b.mass * b.velocity[i] + a.mass * a.velocity[i]) / M);
  const float E = static_cast<float>(
      0.5 * (dot(b.velocity, b.velocity) * b.mass + dot(a.velocity, a.velocity) * a.mass));
  const float Ecm = static_cast<float>(0.5 * dot(vcm, vcm) * M);
  const float keep = (1.0f - loss) + (1.0f - loss);
  // Rounding can put E - E_cm a hair below 0, and a loss above 1 makes the
  // factor negative: clamp the radicand so no NaN reaches the bodies.
  double radicand = double(E - Ecm) * keep * a.mass / (M * b.mass);
  if (!(radicand > 0.0)) radicand = 0.0;
  const float w = static_cast<float>(std::sqrt(radicand));
  b.velocity = vcm + n * w;
  a.velocity = vcm - n * static_cast<float>(w * b.mass / a.mass);
  const float f = spin_coupling;
  for (int i = 0; i < 3; ++i) {
    a.angular_velocity[i] = (1.0f - f) * a.angular_velocity[i] - f * b.angular_velocity[i];
    b.angular_velocity[i] = (1.0f - f) * b.angular_velocity[i] - f * a.angular_velocity[i];
  }
}
