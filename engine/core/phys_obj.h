// PhysObj: the engine's rigid body. A named object with a coordinate system
// for its orientation, a point-mass state and a rotational state, integrated
// one explicit step at a time. Forces and torques accumulate until cleared.
#pragma once

#include <string>

#include "core/coordinate_system.h"
#include "core/named.h"
#include "core/vector_math.h"
#include "core/wrapper.h"

class PhysObj : public Wrapper<CoordinateSystem>, public Named {
 public:
  // Borrows cs, or owns a default coordinate system when cs is null.
  explicit PhysObj(CoordinateSystem* cs = nullptr, std::string name = "Unnamed");
  virtual ~PhysObj() = default;
  PhysObj(const PhysObj&) = default;
  PhysObj& operator=(const PhysObj&) = default;

  // Whether a point is valid for this kind of object.
  virtual bool ValidPoint(const float* p) const = 0;

  CoordinateSystem& coord_sys() { return get(); }
  const CoordinateSystem& coord_sys() const { return get(); }

  void enable_update(bool b) { update_enabled = b; }
  bool enable_update() const { return update_enabled; }

  void AddLinearForce(const float* f);
  void AddLinearForce(const Vec3& f) { AddLinearForce(f.data()); }
  void AddTorque(const float* t);
  void AddTorque(const Vec3& t) { AddTorque(t.data()); }
  void ClearLinearForces() { force = {0, 0, 0}; }
  void ClearAngularForces() { torque = {0, 0, 0}; }
  void ClearForces() {
    ClearLinearForces();
    ClearAngularForces();
  }

  // One integration step of dt seconds; does nothing when frozen or disabled.
  void Update(double dt);

  bool frozen = false;
  double mass = 1.0;  // 0: no linear or angular acceleration
  Vec3 position{0, 0, 0};
  Vec3 previous_position{0, 0, 0};
  Vec3 velocity{0, 0, 0};
  float max_speed = 0.0f;  // 0 or less: no cap
  Vec3 angular_velocity{0, 0, 0};
  double inertia = 1.0;
  Vec3 force{0, 0, 0};
  Vec3 torque{0, 0, 0};
  double radius = -1.0;  // negative until set
  bool update_enabled = true;
};
