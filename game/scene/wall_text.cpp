// The score board's place on the side wall that faces the viewer.
#include "game/scene/wall_text.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "game/app/pool_engine.h"
#include "ui/dialog.h"

namespace wall_text {

void place_on_facing_wall(CoordinateSystem& text, const CoordinateSystem& viewer, int u,
                          const Vec3& h) {
  if (u < 0 || u > 2) return;
  const int a = (u + 2) % 3;
  const int b = (u + 1) % 3;
  Vec3 candidates[4] = {};
  candidates[0][a] = -h[a];
  candidates[1][a] = h[a];
  candidates[2][b] = -h[b];
  candidates[3][b] = h[b];

  const Vec3 eye = viewer.position();
  const Vec3 view = viewer.zhat_array(true);
  int best = -1;
  double best_score = std::numeric_limits<double>::infinity();
  for (int k = 0; k < 4; ++k) {
    const Vec3 v = candidates[k] - eye;
    const double distance = norm(v);
    // No direction to a wall whose centre is the eye itself.
    if (!(distance > 0.0)) continue;
    // Rounding may put the cosine a little outside [-1, 1].
    const double cosine = std::clamp(double(dot(view, v)) / distance, -1.0, 1.0);
    const double score = std::acos(cosine) * std::pow(distance, -kDistanceExponent);
    if (best < 0 || score < best_score) {
      best = k;
      best_score = score;
    }
  }
  if (best < 0) return;

  Vec3 position = candidates[best];
  position[u] = text.position()[u];
  Vec3 w = -position;
  w[u] = 0.0f;
  const float length = norm(w);
  if (!(length > 0.0f)) return;
  w = w / length;
  if (dot(position - eye, w) > 0.0f) w = -w;
  Vec3 up{0.0f, 0.0f, 0.0f};
  up[u] = 1.0f;
  text.set_yz(up, w);
  text.position() = position + w * kLift;
}

}  // namespace wall_text

void PoolEngine::place_on_facing_wall(Dialog* dialog) {
  if (!dialog) return;
  wall_text::place_on_facing_wall(dialog->frame().coord_sys(), mouse_look().coord_sys(), up_axis(),
                                  table.half_extents);
}
