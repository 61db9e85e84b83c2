// The panel base: selection state, arrow actions, the inside test, the pose
// and the background quad.
#include "ui/frame.h"

#include <algorithm>
#include <cmath>

#include "render/gl.h"

Frame::Frame(Action callback) : callback_(std::move(callback)) {}

Frame::~Frame() = default;

void Frame::selected(int v) {
  selected_ = v;
  if (v == 0) activated_ = 0;
}

void Frame::activated(int v) {
  activated_ = v;
  if (v != 0) selected_ = 1;
}

int Frame::next() {
  if (!next_) return 1;
  next_();
  return 0;
}

int Frame::back() {
  if (!back_) return 1;
  back_();
  return 0;
}

Frame::Bounds Frame::bounding_box(const Vec3& centre, const Vec3& size) {
  Bounds b;
  for (int i = 0; i < 3; ++i) {
    b[0][i] = centre[i] - size[i] * 0.5f;
    b[1][i] = centre[i] + size[i] * 0.5f;
  }
  return b;
}

Frame::Bounds& Frame::bounding_box() {
  bounding_box_ = bounding_box(coord_sys_.position(), vol());
  return bounding_box_;
}

bool Frame::inside_volume(const float* p, bool parent_coords, int n) {
  if (!p) return false;
  n = std::clamp(n, 0, 3);
  const Vec3& v = vol();
  if (std::all_of(v.begin(), v.begin() + n, [](float e) { return e == 0.0f; })) return false;

  Vec3 local{p[0], p[1], p[2]};
  if (parent_coords) {
    const Vec3& o = coord_sys_.position();
    const Vec3 d{p[0] - o[0], p[1] - o[1], p[2] - o[2]};
    const float* axes[3] = {coord_sys_.xhat(), coord_sys_.yhat(), coord_sys_.zhat()};
    for (int i = 0; i < 3; ++i)
      local[i] = axes[i][0] * d[0] + axes[i][1] * d[1] + axes[i][2] * d[2];
  }
  bool inside = true;
  for (int i = 0; i < n; ++i)
    if (!(std::abs(local[i]) <= v[i] * 0.5f)) inside = false;
  if (inside) std::copy(local.begin(), local.begin() + n, last_inside_.begin());
  was_inside_ = inside;
  return inside;
}

void Frame::apply_pose() const {
  coord_sys_.apply_gl(true);
}

void Frame::default_display() {
  glPushMatrix();
  apply_pose();
  const bool pressed = selectable_ && activated_;
  if (pressed) {
    glPushMatrix();
    glTranslatef(pressed_offset_[0], pressed_offset_[1], pressed_offset_[2]);
  }
  render();
  if (pressed) glPopMatrix();
  glPopMatrix();
}

void Frame::render_bg() const {
  if (bg_color_[3] == 0.0f) return;
  glPushMatrix();
  apply_pose();
  render_bg(bg_color_, bounding_box_[0], bounding_box_[1]);
  glPopMatrix();
}

void Frame::render_bg(const Color& color, const Vec3& min, const Vec3& max) const {
  if (color[3] == 0.0f) return;
  Vec3 c, s;
  for (int i = 0; i < 3; ++i) {
    c[i] = (min[i] + max[i]) * 0.5f;
    s[i] = max[i] - min[i];
  }
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  if (color[3] == 1.0f) {
    glDisable(GL_BLEND);
  } else {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
  }
  glPushMatrix();
  glTranslatef(c[0], c[1], c[2]);
  glColor4fv(color.data());
  glScalef(s[0], s[1], 1.0f);
  glBegin(GL_QUADS);
  glVertex3f(-0.5f, -0.5f, 0.0f);
  glVertex3f(0.5f, -0.5f, 0.0f);
  glVertex3f(0.5f, 0.5f, 0.0f);
  glVertex3f(-0.5f, 0.5f, 0.0f);
  glEnd();
  glPopMatrix();
  glPopAttrib();
}
