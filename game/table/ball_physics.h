// The physics of one ball in one frame: drag, spin force and spin damping,
// and the bounce off a wall of the box. Plain arithmetic on the ball's
// PhysObj state; no engine, no OpenGL.
#pragma once

#include "game/table/ball.h"

namespace ball_physics {

// Drag coefficient (force per speed) and spin damping (torque per angular
// speed) of every ball in play.
constexpr float kDrag = 0.25f;
constexpr float kSpinDamping = 0.00015f;
// The part of the counted energy a wall bounce keeps.
constexpr double kBounceKeep = 0.9;
// Below this tangential speed a wall bounce is a plain mirror bounce.
constexpr float kTangentialEpsilon = 1.1920929e-07f;

// Replaces the ball's force sum with the drag -kDrag v plus, when the ball's
// spin_force is set, the spin force coefficient (w x v) (each component
// worked in double, stored as float), and its torque sum with the damping
// -kSpinDamping w.
void apply_forces(Ball& ball, double spin_force_coefficient);

// The bounce off the wall across `axis` that the ball has passed (on the
// side of the sign of its position) while moving outward. The velocity is
// mirrored so that the angle of reflection equals the angle of incidence,
// and the linear energy plus the rotational energy of the spin about axes
// in the wall's plane drops to kBounceKeep of itself, shared so that the
// ball leaves rolling along the wall; the spin about the wall's normal is
// kept. With no tangential speed to roll with (or a non-finite one) the
// normal component is negated and the speed scaled by sqrt(kBounceKeep),
// the spin kept. Nothing happens without motion across the wall.
void bounce_off_wall(Ball& ball, int axis);

// Linear plus rotational kinetic energy, in double.
double energy(const Ball& ball);

}  // namespace ball_physics
