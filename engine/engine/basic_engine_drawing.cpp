// BasicEngine: drawing a frame (the 3-D scene through the render scenes, the
// desktop frame with its picture and crosshair, the headset mirror and the
// fade overlay), the dialog scenes, the cursor and the draw lists.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include "engine/basic_engine.h"
#include "platform/glut_guard.h"
#include "render/gl.h"
#include "render/state_guards.h"
#include "ui/dialog.h"

namespace {

// Blending of what is drawn over what is there.
void blend_over() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// A pixel count divided by a scale factor, rounded; the count itself when
// the quotient is no usable size.
GLsizei scaled(int pixels, float scale) {
  const float q = static_cast<float>(pixels) / scale;
  if (!(q >= 0.0f) || q > 1e8f) return pixels;
  return static_cast<GLsizei>(std::lround(q));
}

}  // namespace

// ---- The scene

void BasicEngine::display_basic(std::function<void()> first, std::function<void()> second) {
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) std::cerr << "display_impl() pre-call error " << error << std::endl;

  if (!hmd_control_) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    camera_.apply_gl();
    CoordinateSystem& view = mouse_look_.coord_sys();
    view.position() = walking_.position();
    glMatrixMode(GL_MODELVIEW);
    const Mat4 m = view.pose_matrix(false, false, false);
    glLoadTransposeMatrixf(m.data());
  }
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDisable(GL_COLOR_MATERIAL);
  apply_lighting();

  scenes_["vbos"].render();
  if (first) first();
  scenes_["dialogs"].render();
  scenes_["ortho_dialogs"].render();
  if (second) second();
  platform::glut_guard::post_redisplay();
}

// ---- The desktop frame

void BasicEngine::draw_desktop_mode(FrameBuffer* target, std::function<void()> draw) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  if (target) {
    glViewport(0, 0, static_cast<GLsizei>(target->width()), static_cast<GLsizei>(target->height()));
    target->bind_gl();
  } else {
    glViewport(0, 0, window_.width(), window_.height());
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (draw)
    draw();
  else
    display_basic({}, {});
  if (target) {
    target->finish_gl();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    simple_draw_monitor(target->resolve_texture(), window_.scale_factor());
  }
  // Mouse look shows where the view points, while the mouse is in use.
  if (crosshair_.enabled() && recent(last_mouse_time(), mouse_timeout()) && mouse().hidden()) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    blend_over();
    const int width = render_size_[0], height = render_size_[1];
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(static_cast<float>((width - 1) / 2), static_cast<float>((height - 1) / 2), 0.0f);
    crosshair_.draw();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
  }
  platform::glut_guard::swap_buffers();
}

void BasicEngine::simple_draw_monitor(unsigned int texture, std::array<float, 2> scale) {
  if (texture == 0) texture = frame_buffer().resolve_texture();
  glViewport(0, 0, scaled(render_size_[0], scale[0]), scaled(render_size_[1], scale[1]));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluOrtho2D(-0.5, 0.5, -0.5, 0.5);

  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
  const CurrentColorGuard color;
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  // The tint multiplies the picture; opaque white shows it as it is,
  // whatever colour was current.
  const Color& tint = monitor_color();
  if (std::any_of(tint.begin(), tint.end(), [](float c) { return c != 1.0f; })) blend_over();
  glColor4fv(tint.data());
  draw_quad_shape();
  glBindTexture(GL_TEXTURE_2D, 0);
  glPopAttrib();
}

void BasicEngine::draw_overlay(unsigned int texture, std::array<float, 2> scale) {
  const Color& overlay = overlay_color();
  if (overlay[3] == 0.0f) return;
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT |
               GL_TRANSFORM_BIT);
  const CurrentColorGuard color;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0.5 - scale[0], 0.5, -0.5, scale[1] - 0.5);
  if (texture) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  if (overlay[3] != 1.0f)
    blend_over();
  else
    glDisable(GL_BLEND);
  // An opaque overlay without a texture is the overlay colour too (the end
  // of a fade to black is black, whatever colour was current); an opaque
  // texture is drawn in the current colour.
  if (overlay[3] != 1.0f || !texture) glColor4fv(overlay.data());
  draw_quad_shape();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void BasicEngine::draw_quad_shape() {
  ParameterizedGeometry::Quads& quads = geometry_.quads();
  const int levels = static_cast<int>(quads.details().size());
  const int previous = quads.current_level();
  quads.current_level() = std::clamp(0 - quads.detail_start(), 0, std::max(levels - 1, 0));
  quads.draw();
  quads.current_level() = previous;
}

void BasicEngine::prepare_draw() {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_NORMALIZE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  mouse_look_.coord_sys().apply_gl(true);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void BasicEngine::draw_cursor() {
  if (!cursor_.enabled()) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  pointer_target_.apply_gl(true);
  cursor_.draw();
  glPopMatrix();
  glPopAttrib();
}

void BasicEngine::draw_crosshair(float size, float line_width, std::array<float, 4>) {
  const float x = static_cast<float>(window_.width()) * 0.5f;
  const float y = static_cast<float>(window_.height()) * 0.5f;
  const float half = size / 2.0f;
  glPushAttrib(GL_LINE_BIT);
  if (line_width > 0.0f) glLineWidth(line_width);
  glBegin(GL_LINES);
  glVertex3f(x - half, y, 0.0f);
  glVertex3f(x + half, y, 0.0f);
  glVertex3f(x, y - half, 0.0f);
  glVertex3f(x, y + half, 0.0f);
  glEnd();
  glPopAttrib();
}

// ---- Draw lists

void BasicEngine::draw_all_vbos() {
  for (VBO* vbo : draw_vbos_)
    if (vbo) vbo->draw(true, true, true);
}

void BasicEngine::draw_all_objects() {
  for (GeomObj* object : draw_objects_)
    if (object) object->draw();
}

void BasicEngine::draw_all_functions() {
  for (auto it = draw_functions_.begin(); it != draw_functions_.end();) {
    const std::string key = it->first;
    // A copy: the function may erase its own entry while it runs.
    const std::function<void()> fn = it->second;
    if (fn) fn();
    it = draw_functions_.upper_bound(key);
  }
}

void BasicEngine::clear_controller_vbos() {
  for (VBO* vbo : controller_vbos_)
    if (vbo) draw_vbos_.remove(vbo);
  controller_vbos_.clear();
  // Table k belongs to model k: the tables go with their models.
  button_locations_.clear();
}

// ---- The dialog scenes

int BasicEngine::init_dialogs_scene() {
  RenderProcess dialogs;
  dialogs.name = "dialogs";
  dialogs.layer = 1;
  // The pass's attribute push restores what this sets.
  dialogs.draw = [this] {
    blend_over();
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);
    glDisable(GL_CULL_FACE);
    // Farthest first, so nearer panels blend over farther ones.
    for (Dialog* d : sorted_dialogs_)
      if (d) d->display();
  };
  scenes_["dialogs"] += dialogs;

  RenderProcess overlay;
  overlay.name = "ortho_dialogs";
  overlay.draw = [this] { draw_overlay_dialogs(0.5f, up_direction()); };
  scenes_["ortho_dialogs"] += overlay;
  return 0;
}

void BasicEngine::draw_ortho_dlgs(float distance) {
  if (std::none_of(ortho_dlgs_.begin(), ortho_dlgs_.end(),
                   [](const Dialog* d) { return d && d->enabled(); }))
    return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  draw_overlay_dialogs(distance, {0.0f, 1.0f, 0.0f});
  glPopAttrib();
}

void BasicEngine::draw_overlay_dialogs(float distance, const Vec3& up) {
  std::vector<Dialog*> shown;
  for (Dialog* d : ortho_dlgs_)
    if (d && d->enabled()) shown.push_back(d);
  if (shown.empty()) return;
  glDisable(GL_LIGHTING);
  blend_over();
  glDepthMask(GL_FALSE);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  // A plane `distance` in front of the viewer, its z axis toward the
  // viewer, so the panels read left to right as the 3-D dialogs do.
  const CoordinateSystem& view = mouse_look_.coord_sys();
  const Vec3 eye = view.position();
  CoordinateSystem plane;
  plane.look_at(eye - view.zhat_array() * distance, eye, up, true);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  plane.apply_gl(true);
  for (Dialog* d : shown) d->display();
  glPopMatrix();
}

Vec3 BasicEngine::up_direction() const {
  const int axis = walking_.up_axis;
  Vec3 up{0.0f, 1.0f, 0.0f};
  if (axis >= 0 && axis <= 2) {
    up = {0.0f, 0.0f, 0.0f};
    up[static_cast<std::size_t>(axis)] = 1.0f;
  }
  return up;
}
