// Text panels: measuring stroke text, laying lines out, drawing them in the
// style of the frame's state, and the text colour fade.
#include "ui/text_frame.h"

#include <algorithm>
#include <cmath>

#include "core/bezier_fader.h"
#include "core/event_queue.h"
#include "core/strings.h"
#include "platform/glut_guard.h"
#include "render/gl.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

TextFrame::TextFrame(std::string text, Action callback) : Frame(std::move(callback)) {
  set_text(std::move(text));
  default_styles();
}

void* TextFrame::default_font() {
  return GLUT_STROKE_ROMAN;
}

namespace {

void set_style(DrawStyle& style, bool on, const DrawStyle::Color& text, float width) {
  style.enable(on);
  style.text_color() = text;
  style.line_width(width);
}

}  // namespace

void TextFrame::default_styles() {
  set_style(text_style_, true, {0.6f, 0.6f, 0.6f, 1.0f}, 2.0f);
  set_style(selected_text_style_, true, {0.0f, 1.0f, 0.0f, 1.0f}, 2.0f);
  set_style(activated_text_style_, true, {0.0f, 0.6f, 0.0f, 1.0f}, 2.0f);
  set_style(shadow_text_style_, false, {0.0f, 0.0f, 0.0f, 1.0f}, 10.0f);
  current_style = text_style_;
}

void TextFrame::set_text(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  text_changed_ = true;
  vol() = text_vol(text_);
}

void TextFrame::text_size(float size, bool recompute) {
  text_size_ = size;
  if (recompute) vol() = text_vol(text_);
}

void TextFrame::calculate_volume() {
  vol() = text_vol(text_);
}

float TextFrame::text_scale() const {
  const float s = text_size_ / line_height_;
  return std::isfinite(s) ? s : 0.0f;
}

Frame::Vec3 TextFrame::text_vol(const std::string& text) const {
  if (text.empty() || !platform::glut_guard::initialised()) return {1.0f, 1.0f, 1.0f};
  const std::vector<std::string> lines = split(text, "\n");
  return text_vol(lines, line_widths(lines));
}

Frame::Vec3 TextFrame::text_vol(const std::vector<std::string>& lines,
                                const std::vector<float>& widths) const {
  if (widths.empty()) return {1.0f, 1.0f, 1.0f};
  const auto m = margins();
  const float widest = *std::max_element(widths.begin(), widths.end());
  return {text_scale() * widest * width_scale + m[0] + m[2],
          static_cast<float>(lines.size()) * text_size_ + m[1] + m[3], 1.0f};
}

std::vector<float> TextFrame::line_widths(const std::vector<std::string>& lines) const {
  std::vector<float> widths;
  widths.reserve(lines.size());
  for (const std::string& line : lines) {
    float w = 0.0f;
    for (unsigned char c : line) w += platform::glut_guard::stroke_width(font, c);
    widths.push_back(w);
  }
  return widths;
}

void TextFrame::draw_text_line(const std::string& line) const {
  for (unsigned char c : line) platform::glut_guard::stroke_character(font, c);
}

void TextFrame::draw_string(const std::string& text) {
  if (text != cached_text_) {
    cached_lines_ = split(text, "\n");
    cached_text_ = text;
    if (!cached_lines_.empty()) cached_widths_ = line_widths(cached_lines_);
  }
  const float s = text_scale();
  if (cached_lines_.empty() || s == 0.0f) return;

  const auto m = margins();
  const Vec3& v = vol();
  // The volume holds the margins around the text (text_vol): start at its
  // left edge, the margins inside it. Each line steps in by the left margin
  // (below), and the first line hangs below the top margin.
  if (anchor_top_left)
    glTranslatef(-(v[0] * 0.5f) / s, (v[1] * 0.5f - m[3]) / s - line_height_, 0.0f);
  const std::size_t n = std::min(cached_lines_.size(), cached_widths_.size());
  for (std::size_t k = 0; k < n; ++k) {
    const float w = cached_widths_[k];
    float x = m[0];
    if (alignment == 1)
      x = m[0] + ((v[0] - m[0]) - m[2] - w * s) * 0.5f;
    else if (alignment == 2)
      x = v[0] - w * s - m[2];
    glTranslatef(x / s, line_raise, 0.0f);
    draw_text_line(cached_lines_[k]);
    glTranslatef(-(w * s + x) / s, -line_height_, 0.0f);
  }
}

void TextFrame::render() {
  const float s = text_scale();
  if (s == 0.0f) return;
  glPushMatrix();
  glScalef(s, s, 1.0f);
  draw_string(text_);
  glPopMatrix();
}

void TextFrame::display() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  const Vec3& v = vol();
  if (text_changed_ || (v[0] == 0.0f && v[1] == 0.0f && v[2] == 0.0f)) {
    vol() = text_vol(text_);
    text_changed_ = false;
  }
  apply_pose();
  const bool pressed = selectable() && activated();
  if (pressed) {
    glPushMatrix();
    glTranslatef(pressed_offset_[0], pressed_offset_[1], pressed_offset_[2]);
  }
  const DrawStyle& shadow = shadow_text_style_;
  if (shadow.enabled() && shadow.text_color()[3] != 0.0f && shadow.line_width() > 0.0f) {
    glLineWidth(shadow.line_width());
    glColor4fv(shadow.text_color().data());
    render();
  }
  const DrawStyle* style = &text_style_;
  if (selectable()) {
    if (activated())
      style = &activated_text_style_;
    else if (selected())
      style = &selected_text_style_;
  }
  if (style->enabled()) {
    glLineWidth(style->line_width());
    glColor4fv(style->text_color().data());
  }
  render();
  if (pressed) glPopMatrix();
  glPopAttrib();
}

bool TextFrame::point_in_text(const Vec3& p, bool parent_coords, bool only_selectable) {
  if (only_selectable && !selectable()) return false;
  return inside_area(p, parent_coords);
}

void TextFrame::animate_text_color() {
  const DrawStyle::Color* target = nullptr;
  if (activated() && !no_activated_fade)
    target = &activated_text_style_.text_color();
  else if (selected() && !no_selected_fade)
    target = &selected_text_style_.text_color();
  if (!target || !queue_) return;

  float* colour = current_style.text_color().data();
  auto fade = std::make_unique<BezierFaderBuffered<float>>(4, colour, colour, target->data(),
                                                           queue_->time(), fade_time);
  // The fade outlives nothing it writes into: once this frame is gone it
  // runs on without writing.
  if (!life_.token) life_.token = std::make_shared<char>();
  const std::weak_ptr<char> alive = life_.token;
  for (Event::Callback* step : {&fade->update_callback(), &fade->stop_callback()}) {
    *step = [alive, write = std::move(*step)](double s) {
      if (!alive.expired()) write(s);
    };
  }
  queue_->adopt(std::move(fade));
}
