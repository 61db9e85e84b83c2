// Cursor, the arrow pointer, and Crosshair, the aiming cross, drawn in
// immediate mode with a DrawStyle in the flat overlay of the desktop view.
#pragma once

#include <array>

#include "ui/option.h"

// An arrow with its tip at `position` pointing along +y, turned by `angle`
// degrees about z and scaled by `size` (units of the current matrix).
class Cursor : public SimpleOption {
 public:
  Cursor();

  // Nothing when disabled. Sets the style's line width and fill colour when
  // the style is enabled; the matrix and that state are as before
  // afterwards.
  void draw() const;

  DrawStyle& style() { return style_; }
  const DrawStyle& style() const { return style_; }

  std::array<float, 3> position{};
  float angle = 30.0f;
  // The right corner of the arrow head (the left one is mirrored).
  std::array<float, 2> wing_point{0.3f, -0.6f};
  float size = 30.0f;
  // How far below the tip the back of the head is notched.
  float notch_depth = 0.4f;
  // Width of the shaft's base.
  float shaft_width = 0.15f;

 private:
  DrawStyle style_;
};

// A dot and stroke_count radial strokes from radius cross_gap / 2 to
// cross_size / 2, at the origin of the current matrix, turned by `angle`
// degrees about z; drawn in the style's line colour, with its line width as
// the line width and the dot's size. The enabled flag is the caller's to
// test.
class Crosshair : public Cursor {
 public:
  Crosshair();

  // Angle 0, cross size 20, 4 strokes, gap 8.
  void set_defaults();
  // The matrix, the colour, the line width and the point size are as before
  // afterwards.
  void draw() const;

  float cross_size = 20.0f;
  float cross_gap = 8.0f;
  float stroke_count = 4.0f;
};
