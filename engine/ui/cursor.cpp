// The arrow cursor and the crosshair.
#include "ui/cursor.h"

#include <cmath>
#include <numbers>

#include "render/gl.h"

Cursor::Cursor() {
  style_.fill_color(0.8f, 0.8f, 1.0f, 1.0f);
  style_.enable(true);
}

void Cursor::draw() const {
  if (disabled()) return;
  glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT);
  glPushMatrix();
  glTranslatef(position[0], position[1], position[2]);
  glRotatef(angle, 0.0f, 0.0f, 1.0f);
  glScalef(size, size, 1.0f);
  if (style_.enabled()) style_.apply_gl();
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(-wing_point[0], wing_point[1]);
  glVertex2f(0.0f, -notch_depth);
  glVertex2f(wing_point[0], wing_point[1]);
  glEnd();
  glBegin(GL_TRIANGLE_FAN);
  glVertex2f(0.0f, 0.0f);
  glVertex2f(-shaft_width * 0.5f, -1.0f);
  glVertex2f(shaft_width * 0.5f, -1.0f);
  glEnd();
  glPopMatrix();
  glPopAttrib();
}

Crosshair::Crosshair() {
  set_defaults();
}

void Crosshair::set_defaults() {
  angle = 0.0f;
  cross_size = 20.0f;
  stroke_count = 4.0f;
  cross_gap = 8.0f;
}

void Crosshair::draw() const {
  glPushAttrib(GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
  glPushMatrix();
  if (angle != 0.0f) glRotatef(angle, 0.0f, 0.0f, 1.0f);
  glLineWidth(style().line_width());
  glPointSize(style().line_width());
  glColor4fv(style().line_color().data());
  glBegin(GL_POINTS);
  glVertex2f(0.0f, 0.0f);
  glEnd();
  const float inner = cross_gap * 0.5f, outer = cross_size * 0.5f;
  glBegin(GL_LINES);
  for (int i = 0; i < stroke_count; ++i) {
    const double a = i * 2.0 * std::numbers::pi / stroke_count;
    const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
    glVertex2f(inner * c, inner * s);
    glVertex2f(outer * c, outer * s);
  }
  glEnd();
  glPopMatrix();
  glPopAttrib();
}
