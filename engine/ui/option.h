// On/off options: the abstract Option, SimpleOption (a flag and nothing
// more), and DrawStyle, the colours and line width a panel draws with.
#pragma once

#include <array>

// The enabled flag is true after construction and travels with copies and
// moves. What "enabled" means is the derived class's business.
class Option {
 public:
  Option() = default;
  virtual ~Option();
  Option(const Option&) = default;
  Option& operator=(const Option&) = default;
  Option(Option&&) = default;
  Option& operator=(Option&&) = default;

  virtual void enable(bool on) = 0;

  bool enabled() const { return enabled_; }
  bool disabled() const { return !enabled_; }
  void disable() { enable(false); }
  // Calls enable with the negated flag; the flag afterwards.
  bool toggle() {
    enable(!enabled_);
    return enabled_;
  }

 protected:
  bool enabled_ = true;
};

// An Option whose enable only stores the flag.
class SimpleOption : public Option {
 public:
  void enable(bool on) override { enabled_ = on; }
};

// The colours (red, green, blue, alpha) and line width of a panel. The
// fading flag is carried and copied; nothing reads it.
class DrawStyle : public SimpleOption {
 public:
  using Color = std::array<float, 4>;

  bool fading() const { return fading_; }
  bool filled() const { return filled_; }
  void filled(bool on) { filled_ = on; }
  bool outlined() const { return outlined_; }
  void outlined(bool on) { outlined_ = on; }

  Color& fill_color() { return fill_color_; }
  const Color& fill_color() const { return fill_color_; }
  void fill_color(float r, float g, float b, float a) { fill_color_ = {r, g, b, a}; }
  Color& line_color() { return line_color_; }
  const Color& line_color() const { return line_color_; }
  void line_color(float r, float g, float b, float a) { line_color_ = {r, g, b, a}; }
  Color& text_color() { return text_color_; }
  const Color& text_color() const { return text_color_; }
  void text_color(float r, float g, float b, float a) { text_color_ = {r, g, b, a}; }
  float line_width() const { return line_width_; }
  void line_width(float width) { line_width_ = width; }

  // Sets the OpenGL line width and makes the fill colour the current colour;
  // both stay set (the caller saves the state it wants back).
  void apply_gl() const;

 private:
  bool fading_ = false;
  bool filled_ = false;
  bool outlined_ = false;
  Color fill_color_{0.2f, 0.2f, 0.4f, 0.5f};
  Color line_color_{1.0f, 1.0f, 1.0f, 0.25f};
  Color text_color_{1.0f, 1.0f, 1.0f, 0.5f};
  float line_width_ = 1.0f;
};
