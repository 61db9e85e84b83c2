// TextFrame: the panel that shows lines of text in freeglut's stroke font,
// measured into its volume, aligned per line, with styles for the normal,
// selected and pressed states, an optional wide shadow pass and a fade of
// its current text colour.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/frame.h"

class EventQueue;

// Text is laid out in stroke-font units, line_height() (160) to a line, and
// scaled by text_size() / line_height() into scene units (0.05 to a line by
// default). Measuring needs freeglut initialised: before glutInit every text
// measures (1, 1, 1), and a frame keeps its text_changed() flag so its first
// display() measures it again.
//
// Copies and moves take every field, the caches included. A colour fade
// that runs on the queue writes into the frame it was started on, and stops
// writing once that frame is destroyed.
class TextFrame : public Frame {
 public:
  explicit TextFrame(std::string text = "", Action callback = {});

  // The normal, selected, pressed and shadow styles, and current_style as a
  // copy of the normal one.
  void default_styles();

  const std::string& text() const { return text_; }
  // A different text is stored, flags text_changed() and is measured; an
  // equal one changes nothing.
  void set_text(std::string text);
  float text_size() const { return text_size_; }
  // Scene height of a line; with recompute the volume is measured anew.
  void text_size(float size, bool recompute);
  float line_height() const { return line_height_; }
  void line_height(float h) { line_height_ = h; }
  bool text_changed() const { return text_changed_; }
  void text_changed(bool changed) { text_changed_ = changed; }

  // vol() = text_vol(text()).
  void calculate_volume() override;
  void calc_text_vol() { calculate_volume(); }
  // The volume of a text: (1, 1, 1) for an empty text or before glutInit;
  // otherwise width = scale x widest line x width_scale + left and right
  // margins, height = lines x text_size() + bottom and top margins, depth 1.
  Vec3 text_vol(const std::string& text) const;
  Vec3 text_vol(const std::vector<std::string>& lines, const std::vector<float>& widths) const;
  // Stroke-unit width of each line (0 for characters outside the font, and
  // before glutInit).
  std::vector<float> line_widths(const std::vector<std::string>& lines) const;
  // Stroke units to scene units: text_size() / line_height(); 0 when that is
  // not a finite number, so a zero line height never spreads into a layout.
  float text_scale() const;

  // Draws the characters of one line from the current position, in stroke
  // units.
  void draw_text_line(const std::string& line) const;
  // Lays out and draws a text in stroke units (the scale already applied):
  // from the top-left corner of the volume when anchor_top_left is set, each
  // line aligned on its own width within the margins, the first below the
  // top margin, lines line_height() - line_raise apart. The text drawn lies
  // within the volume text_vol() measures, inside its margins.
  void draw_string(const std::string& text);
  // The text at text_scale() (nothing at scale 0); the matrix as before.
  void render() override;
  void render_text() { TextFrame::render(); }
  // Measures a changed text, applies the pose (which stays applied), draws
  // the shadow pass and the text in the style of the frame's state. The
  // attributes are as before afterwards.
  void display() override;

  std::array<float, 2> text_area() const { return area(); }
  // The area test (inside_volume with n = 2); false for a frame that is not
  // selectable when only_selectable is set.
  bool point_in_text(const Vec3& p, bool parent_coords, bool only_selectable);

  // Fades current_style's text colour to the pressed (or else selected)
  // style's text colour over fade_time on queue(), which owns the fade.
  // Nothing without a queue or without a target (see the no_*_fade flags).
  void animate_text_color();

  DrawStyle& text_style() { return text_style_; }
  const DrawStyle& text_style() const { return text_style_; }
  DrawStyle& selected_text_style() { return selected_text_style_; }
  const DrawStyle& selected_text_style() const { return selected_text_style_; }
  DrawStyle& activated_text_style() { return activated_text_style_; }
  const DrawStyle& activated_text_style() const { return activated_text_style_; }
  DrawStyle& shadow_text_style() { return shadow_text_style_; }
  const DrawStyle& shadow_text_style() const { return shadow_text_style_; }
  EventQueue* queue() const { return queue_; }
  void queue(EventQueue* q) { queue_ = q; }

  // freeglut's GLUT_STROKE_ROMAN.
  static void* default_font();

  // Stroke units by which each line is raised before it is drawn.
  float line_raise = 40.0f;
  // Factor on the widest line in the volume.
  float width_scale = 1.0f;
  // Drawing starts from the top-left corner of the volume.
  bool anchor_top_left = true;
  // 0 left, 1 centred, 2 right.
  int alignment = 1;
  // A freeglut stroke font.
  void* font = default_font();
  bool no_activated_fade = false;
  bool no_selected_fade = false;
  // Seconds of a colour fade.
  double fade_time = 0.2;
  // The style whose text colour animate_text_color() fades.
  DrawStyle current_style;

 protected:
  // Stores the text without measuring it or flagging the change.
  void store_text(std::string text) { text_ = std::move(text); }

 private:
  // Alive as long as the frame: running fades hold it weakly. Copies and
  // moves start without one.
  struct LifeToken {
    std::shared_ptr<char> token;
    LifeToken() = default;
    LifeToken(const LifeToken&) noexcept {}
    LifeToken& operator=(const LifeToken&) noexcept { return *this; }
  };

  std::string text_;
  float line_height_ = 160.0f;
  bool text_changed_ = true;
  float text_size_ = 0.05f;
  std::vector<float> cached_widths_;
  DrawStyle text_style_;
  DrawStyle selected_text_style_;
  DrawStyle activated_text_style_;
  DrawStyle shadow_text_style_;
  EventQueue* queue_ = nullptr;
  std::string cached_text_;
  std::vector<std::string> cached_lines_;
  LifeToken life_;
};
