// Canvas: an RGBA picture in floats, drawn with anti-aliased shapes given by
// their signed distance, and saved as PNG through the engine's texture saver.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace datagen {

struct RGBA {
  float r = 0, g = 0, b = 0, a = 1;
};

inline RGBA rgb(float r, float g, float b, float a = 1.0f) {
  return {r, g, b, a};
}
// Linear mix of two colours.
RGBA mix(const RGBA& x, const RGBA& y, float t);

struct Point {
  float x = 0, y = 0;
};

// Signed distances in pixels, negative inside.
float circle_distance(Point p, Point centre, float radius);
float capsule_distance(Point p, Point a, Point b, float radius);
float rounded_rect_distance(Point p, Point lo, Point hi, float radius);
// A simple polygon (no crossing edges), corners in either order.
float polygon_distance(Point p, const std::vector<Point>& corners);

// Pixel (0, 0) is the top left; a pixel's centre is at (x + 0.5, y + 0.5).
class Canvas {
 public:
  Canvas(int width, int height, RGBA fill);

  int width() const { return width_; }
  int height() const { return height_; }
  RGBA& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
  const RGBA& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  // Paints c over the pixel with the given coverage (straight alpha).
  void blend(int x, int y, const RGBA& c, float coverage);
  // Paints the shape whose distance function is given, inside the box
  // [x0, x1) x [y0, y1), with a colour per pixel centre.
  void fill(float x0, float y0, float x1, float y1, const std::function<float(Point)>& distance,
            const std::function<RGBA(Point)>& colour);
  void fill(float x0, float y0, float x1, float y1, const std::function<float(Point)>& distance,
            const RGBA& colour);

  void circle(Point centre, float radius, const RGBA& c);
  void ring(Point centre, float radius, float width, const RGBA& c);
  void capsule(Point a, Point b, float radius, const RGBA& c);
  void rounded_rect(Point lo, Point hi, float radius, const RGBA& c);
  void polygon(const std::vector<Point>& corners, const RGBA& c);

  // Text in the generator's own font, centred on the point, `height` pixels
  // from the top of a capital to its foot; strokes `weight` times a font
  // cell wide. An outline of `outline` pixels is painted first when its
  // colour is not transparent.
  void text(const std::string& s, Point centre, float height, const RGBA& c, float weight = 0.8f,
            const RGBA& outline = rgb(0, 0, 0, 0), float outline_width = 0.0f);
  // Width in pixels of the text at that height.
  static float text_width(const std::string& s, float height);

  // RGBA bytes, top row first.
  std::vector<unsigned char> bytes() const;
  // Writes the PNG with or without its alpha channel; 0 on success.
  int save_png(const std::string& path, bool alpha) const;

 private:
  int width_, height_;
  std::vector<RGBA> pixels_;
};

// A seamless noise pattern of values in [0, 1]: value noise on a lattice that
// wraps, summed over octaves. Deterministic for a seed.
class TileNoise {
 public:
  TileNoise(unsigned long long seed, int cells, int octaves);
  // u and v in turns: 1 is a full period.
  float operator()(float u, float v) const;

 private:
  float lattice(int octave, int i, int j) const;
  int cells_, octaves_;
  std::vector<std::vector<float>> values_;
};

}  // namespace datagen
