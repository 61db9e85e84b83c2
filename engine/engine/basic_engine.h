// BasicEngine: the engine's main class. For now only the two collision models
// of a pair of physics bodies, which use no engine state.
#pragma once

class PhysObj;

class BasicEngine {
 public:
  // Equal-mass elastic collision of two touching spheres: b is moved back along
  // the pair's relative path to the position of first contact and the velocity
  // components along the line of centres are exchanged. The float arguments
  // have no effect. With check set, the pair must overlap, and the faster body
  // plays the part of b.
  static void elastic_collision(PhysObj& a, PhysObj& b, float = 0.0f, bool check = false,
                                float = 0.0f);

  // Momentum-conserving collision for unequal masses that loses the fraction
  // `loss` of the energy in the centre-of-mass frame and couples the angular
  // velocities by `spin_coupling`. Coincident centres and zero masses are
  // refused without change.
  static void Collide(PhysObj& a, PhysObj& b, float loss, float spin_coupling);
};
