// Virtual screens.
#include "render/virtual_screen.h"

#include <algorithm>
#include <cmath>

namespace {

// a * n / d, or 0 when d is 0 (an axis without extent or without pixels).
float ratio(float a, float n, float d) {
  return d == 0.0f ? 0.0f : a * n / d;
}

}  // namespace

VirtualScreen::VirtualScreen(FrameBuffer* frame_buffer, CoordinateSystem* coord_sys,
                             ParameterizedGeometry* geometry)
    : RenderInterface(frame_buffer), Wrapper<CoordinateSystem>(coord_sys), GeomObj(geometry) {
  material_.set_spec(1, 1, 1, 1, 120);
}

int VirtualScreen::init_render() {
  return frame_buffer().create(0, 0);
}

void VirtualScreen::render() {
  if (render_func_) render_func_();
}

void VirtualScreen::ensure_quad() {
  ParameterizedGeometry::Quads& quads = geometry().quads();
  if (!quads.details().empty()) return;
  quads.scale() = 1;
  quads.max_detail() = 1;
  quads.min_detail() = 1;
  quads.construct();
  if (!quads.vbos().empty()) quads.current_level() = 0;
}

void VirtualScreen::draw(bool with_overlay) {
  if (!enabled()) return;
  // Enables and the texture binding are saved too, so that texturing and
  // culling are as before for whatever is drawn next.
  glPushAttrib(GL_COLOR_BUFFER_BIT | GL_LIGHTING_BIT | GL_ENABLE_BIT | GL_TEXTURE_BIT |
               GL_CURRENT_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, frame_buffer().resolve_texture());
  glDisable(GL_CULL_FACE);
  glPushMatrix();
  coord_sys().apply_gl(true, false);
  // The quad is a unit square: stretch it over the screen's size.
  const auto [w, h] = size();
  if (w > 0 && h > 0) glScalef(w, h, 1);
  glColor4f(1, 1, 1, 1);
  const GLfloat white[4] = {1, 1, 1, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, white);
  ensure_quad();
  geometry().quads().draw();
  if (with_overlay) draw_overlay();
  glPopMatrix();
  glPopAttrib();
}

void VirtualScreen::draw_overlay() {
  glBindTexture(GL_TEXTURE_2D, 0);
  if (!(overlay_[3] > 0)) return;
  glColor4fv(overlay_.data());
  geometry().quads().draw();
  glColor4f(1, 1, 1, 1);
}

void VirtualScreen::set_observer(const float*, const float*) {
  ParameterizedGeometry::Quads& quads = geometry().quads();
  const float detail = std::clamp(quads.min_detail(), 0.0f, std::max(quads.max_detail(), 0.0f));
  const float level = detail - static_cast<float>(quads.detail_start());
  // NaN or a level beyond int (a wild detail) selects level 0.
  quads.current_level() =
      level > -2147483648.0f && level < 2147483648.0f ? static_cast<int>(level) : 0;
}

void VirtualScreen::fill() {
  // The caller's framebuffers are bound again before the attributes are
  // popped: the saved draw buffer belongs to them, and restoring it onto the
  // default framebuffer that finish_gl leaves bound would be an error.
  GLint draw_binding = 0, read_binding = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw_binding);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read_binding);
  glPushAttrib(GL_COLOR_BUFFER_BIT);
  const auto& c = style_.fill_color();
  glClearColor(c[0], c[1], c[2], c[3]);
  frame_buffer().bind_gl();
  glClear(GL_COLOR_BUFFER_BIT);
  frame_buffer().finish_gl();
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw_binding));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read_binding));
  glPopAttrib();
}

std::array<float, 2> VirtualScreen::size() const {
  const auto& v = coord_sys().volume();
  return {v[0], v[1]};
}

std::array<float, 2> VirtualScreen::pixels() const {
  return {static_cast<float>(frame_buffer().width()), static_cast<float>(frame_buffer().height())};
}

std::array<float, 2> VirtualScreen::local_of(const float* p) const {
  const CoordinateSystem& cs = coord_sys();
  const Vec3 d = to_vec3(p) - cs.position();
  return {dot(cs.xhat(), d.data()), dot(cs.yhat(), d.data())};
}

std::array<float, 2> VirtualScreen::pixel_of(float x, float y) const {
  const auto [w, h] = size();
  const auto [W, H] = pixels();
  return {ratio(x + w / 2, W, w), ratio(y + h / 2, H, h)};
}

std::array<float, 2> VirtualScreen::global2pixel(const float* p) const {
  const auto [x, y] = local_of(p);
  return pixel_of(x, y);
}

std::array<float, 2> VirtualScreen::local2pixel(const float* p) const {
  return pixel_of(p[0], p[1]);
}

std::array<float, 2> VirtualScreen::pixel2local(const float* pixel) const {
  const auto [w, h] = size();
  const auto [W, H] = pixels();
  return {ratio(pixel[0], w, W) - w / 2, ratio(pixel[1], h, H) - h / 2};
}

std::array<float, 3> VirtualScreen::pix_per_length() const {
  const auto [w, h] = size();
  const auto [W, H] = pixels();
  return {ratio(1, W, w), ratio(1, H, h), 0};
}

bool VirtualScreen::in_bounds(const float* p, float* local) const {
  const auto [w, h] = size();
  const auto [x, y] = local_of(p);
  if (local) {
    local[0] = x;
    local[1] = y;
  }
  return std::abs(x) <= w / 2 && std::abs(y) <= h / 2;
}

std::array<float, 3> VirtualScreen::ray_intersection_3d(const float* origin, const float* direction,
                                                        int* status, bool reverse,
                                                        bool bounds) const {
  int local = 0;
  const Vec3 hit = coord_sys().ray_intersection_3d(origin, direction, &local, reverse);
  if (status) {
    if (local != 0) *status = local;
    // Only a crossing that exists can lie outside.
    else if (bounds && !in_bounds(hit.data(), nullptr))
      *status = -3;
  }
  return hit;
}

std::array<float, 2> VirtualScreen::ray2pixels(const float* origin, const float* direction,
                                               int* status, bool reverse) const {
  Vec3 d = to_vec3(direction);
  if (reverse) d = -d;
  int local = 0;
  const Vec3 hit = coord_sys().ray_intersection_3d(origin, d.data(), &local, false);
  if (status) *status = local;
  if (local != 0) return {-1, -1};
  float xy[2];
  if (in_bounds(hit.data(), xy)) return pixel_of(xy[0], xy[1]);
  if (status) *status = -1;
  return {-1, -1};
}
