// AimGuide: where the cue ball goes if the cue strikes it in its current
// pose, and the fan that shows it. Its hit flag tells whether the cue's line
// meets the ball close enough for a strike.
#pragma once

#include <functional>
#include <memory>

#include "core/vector_math.h"
#include "game/shot/cue_stick.h"
#include "game/table/ball.h"
#include "render/object_gl.h"
#include "ui/option.h"

class AimGuide {
 public:
  // Seconds on the clock that paces update(); without one, the engine's
  // steady frame clock.
  using Clock = std::function<double()>;

  // Aims at a ball of its own until aim_at gives it the cue ball. The line
  // colour is (0.5, 0.5, 1.0, 0.3).
  explicit AimGuide(CueStick* cue = nullptr, Clock clock = {});
  // `ball` may point at the guide's own ball.
  AimGuide(const AimGuide&) = delete;
  AimGuide& operator=(const AimGuide&) = delete;

  // The ball to aim at: the cue ball of the rack in play. Called whenever a
  // rack is built, since a new rack replaces the balls the old pointer
  // named. Null points the guide back at its own ball.
  void aim_at(Ball* cue_ball);
  bool owns_ball() const { return ball == own_ball_.get(); }

  // Fills the fan's vertex buffers once OpenGL is up: the apex (0, 0, 0) and
  // the far corners (1, 0, 1) and (-1, 0, 1) in the fan's own coordinates
  // (streamed), each in the line colour with the corners' alpha 0 (static).
  // The array-buffer binding is restored.
  void init_buffers();

  // At most once per min_interval: casts the cue's line from the newest
  // recorded tip along the cue's z axis onto the ball. A crossing ahead
  // within max_distance sets hit, contact, far_point, cut_angle and, for a
  // cut, the fan's edges; anything else clears hit and keeps the points.
  void update();
  // The periodic step of the render loop: with strikes not allowed (the
  // computer's shot is running) hit is cleared; otherwise update() decides
  // it. A step that update() skips keeps the hit of the last cast.
  void tick(bool allowed);

  // While hit: the line from the tip to the contact and on to the far point
  // (fading out) and, for a cut, the fan from the ball's centre over the
  // edges and the far point, alpha-blended without depth writes or lighting.
  // All attributes are restored.
  void draw() const;

  CueStick* cue = nullptr;
  Ball* ball = nullptr;
  DrawStyle style;
  float max_distance = 0.6f;  // along the line from the tip to the ball
  float length = 1.25f;       // from the contact to the far point
  float spread = 0.25f;       // the fan's half-width over the cut angle
  // Between the cue's direction and the line of centres at the contact.
  double cut_angle = 0.0;
  double min_interval = 1.0 / 45.0;
  bool hit = false;
  Vec3 tip{0, 0, 0};
  Vec3 contact{0, 0, 0};
  Vec3 far_point{0, 0, 0};
  Vec3 edge_a{0, 0, 0};
  Vec3 edge_b{0, 0, 0};
  BufferGL colours;
  BufferGL positions;
  Clock clock;

 private:
  std::unique_ptr<Ball> own_ball_;
  double last_update_ = 0.0;
};
