// Canvas drawing, lettering and seamless noise.
#include "datagen/canvas.h"

#include <algorithm>
#include <cmath>
#include <pcg_random.hpp>

#include "datagen/font.h"
#include "render/texture.h"

namespace datagen {

RGBA mix(const RGBA& x, const RGBA& y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
          x.a + (y.a - x.a) * t};
}

float circle_distance(Point p, Point c, float radius) {
  return std::hypot(p.x - c.x, p.y - c.y) - radius;
}

float capsule_distance(Point p, Point a, Point b, float radius) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float length2 = dx * dx + dy * dy;
  float t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0f;
  t = std::clamp(t, 0.0f, 1.0f);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)) - radius;
}

float rounded_rect_distance(Point p, Point lo, Point hi, float radius) {
  const float cx = (lo.x + hi.x) / 2, cy = (lo.y + hi.y) / 2;
  const float hx = (hi.x - lo.x) / 2 - radius, hy = (hi.y - lo.y) / 2 - radius;
  const float qx = std::fabs(p.x - cx) - hx, qy = std::fabs(p.y - cy) - hy;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float polygon_distance(Point p, const std::vector<Point>& c) {
  bool inside = false;
  float edge = 1e9f;
  for (std::size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
    const Point& a = c[i];
    const Point& b = c[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
    edge = std::min(edge, capsule_distance(p, a, b, 0.0f));
  }
  return inside ? -edge : edge;
}

Canvas::Canvas(int width, int height, RGBA fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill) {}

void Canvas::blend(int x, int y, const RGBA& c, float coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
  RGBA& d = at(x, y);
  const float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
  const float out = a + d.a * (1 - a);
  if (out <= 0) {
    d = rgb(0, 0, 0, 0);
    return;
  }
  const float keep = d.a * (1 - a);
  d.r = (c.r * a + d.r * keep) / out;
  d.g = (c.g * a + d.g * keep) / out;
  d.b = (c.b * a + d.b * keep) / out;
  d.a = out;
}

void Canvas::fill(float x0, float y0, float x1, float y1,
                  const std::function<float(Point)>& distance,
                  const std::function<RGBA(Point)>& colour) {
  const int ix0 = std::max(0, static_cast<int>(std::floor(x0)) - 1);
  const int iy0 = std::max(0, static_cast<int>(std::floor(y0)) - 1);
  const int ix1 = std::min(width_, static_cast<int>(std::ceil(x1)) + 1);
  const int iy1 = std::min(height_, static_cast<int>(std::ceil(y1)) + 1);
  for (int y = iy0; y < iy1; ++y) {
    for (int x = ix0; x < ix1; ++x) {
      const Point p{x + 0.5f, y + 0.5f};
      const float coverage = std::clamp(0.5f - distance(p), 0.0f, 1.0f);
      if (coverage > 0) blend(x, y, colour(p), coverage);
    }
  }
}

void Canvas::fill(float x0, float y0, float x1, float y1,
                  const std::function<float(Point)>& distance, const RGBA& colour) {
  fill(x0, y0, x1, y1, distance, [&](Point) { return colour; });
}

void Canvas::circle(Point c, float r, const RGBA& colour) {
  fill(
      c.x - r, c.y - r, c.x + r, c.y + r, [&](Point p) { return circle_distance(p, c, r); },
      colour);
}

void Canvas::ring(Point c, float r, float w, const RGBA& colour) {
  fill(
      c.x - r - w, c.y - r - w, c.x + r + w, c.y + r + w,
      [&](Point p) { return std::fabs(circle_distance(p, c, r)) - w / 2; }, colour);
}

void Canvas::capsule(Point a, Point b, float r, const RGBA& colour) {
  fill(
      std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
      std::max(a.y, b.y) + r, [&](Point p) { return capsule_distance(p, a, b, r); }, colour);
}

void Canvas::rounded_rect(Point lo, Point hi, float r, const RGBA& colour) {
  fill(
      lo.x, lo.y, hi.x, hi.y, [&](Point p) { return rounded_rect_distance(p, lo, hi, r); }, colour);
}

void Canvas::polygon(const std::vector<Point>& corners, const RGBA& colour) {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (const Point& c : corners) {
    x0 = std::min(x0, c.x), y0 = std::min(y0, c.y);
    x1 = std::max(x1, c.x), y1 = std::max(y1, c.y);
  }
  fill(
      x0, y0, x1, y1, [&](Point p) { return polygon_distance(p, corners); }, colour);
}

float Canvas::text_width(const std::string& s, float height) {
  if (s.empty()) return 0;
  const float cell = height / kGlyphRows;
  return cell * (kGlyphAdvance * static_cast<float>(s.size()) - 1);
}

void Canvas::text(const std::string& s, Point centre, float height, const RGBA& c, float weight,
                  const RGBA& outline, float outline_width) {
  const float cell = height / kGlyphRows;
  const float left = centre.x - text_width(s, height) / 2;
  const float top = centre.y - height / 2;
  const float radius = cell * weight / 2;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 0 && (outline.a <= 0 || outline_width <= 0)) continue;
    const float r = pass == 0 ? radius + outline_width : radius;
    for (std::size_t i = 0; i < s.size(); ++i) {
      const float x0 = left + cell * kGlyphAdvance * static_cast<float>(i);
      std::vector<Stroke> strokes = glyph_strokes(s[i]);
      if (strokes.empty()) continue;
      for (Stroke& k : strokes) {
        k = {x0 + k.x0 * cell, top + k.y0 * cell, x0 + k.x1 * cell, top + k.y1 * cell};
      }
      fill(
          x0 - r, top - r, x0 + kGlyphColumns * cell + r, top + height + r,
          [&](Point p) {
            float d = 1e9f;
            for (const Stroke& k : strokes)
              d = std::min(d, capsule_distance(p, {k.x0, k.y0}, {k.x1, k.y1}, r));
            return d;
          },
          pass == 0 ? outline : c);
    }
  }
}

std::vector<unsigned char> Canvas::bytes() const {
  std::vector<unsigned char> out;
  out.reserve(pixels_.size() * 4);
  auto byte = [](float v) {
    return static_cast<unsigned char>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
  };
  for (const RGBA& p : pixels_) {
    out.push_back(byte(p.r));
    out.push_back(byte(p.g));
    out.push_back(byte(p.b));
    out.push_back(byte(p.a));
  }
  return out;
}

int Canvas::save_png(const std::string& path, bool alpha) const {
  std::vector<unsigned char> data = bytes();
  if (!alpha) {
    std::vector<unsigned char> rgb_only;
    rgb_only.reserve(data.size() / 4 * 3);
    for (std::size_t i = 0; i < data.size(); i += 4)
      rgb_only.insert(rgb_only.end(), data.begin() + i, data.begin() + i + 3);
    data.swap(rgb_only);
  }
  Texture texture;
  texture.set_data(width_, height_, data.data(), alpha ? Texture::kRGBA : Texture::kRGB);
  return texture.save_png(path);
}

TileNoise::TileNoise(unsigned long long seed, int cells, int octaves)
    : cells_(cells), octaves_(octaves) {
  pcg32 rng(seed);
  for (int o = 0; o < octaves; ++o) {
    const int n = cells << o;
    std::vector<float> grid(static_cast<std::size_t>(n) * n);
    for (float& v : grid) v = static_cast<float>(rng() >> 8) / 16777216.0f;
    values_.push_back(std::move(grid));
  }
}

float TileNoise::lattice(int octave, int i, int j) const {
  const int n = cells_ << octave;
  i = ((i % n) + n) % n;
  j = ((j % n) + n) % n;
  return values_[octave][static_cast<std::size_t>(j) * n + i];
}

float TileNoise::operator()(float u, float v) const {
  float sum = 0, weight = 0, amplitude = 1;
  for (int o = 0; o < octaves_; ++o) {
    const float n = static_cast<float>(cells_ << o);
    const float x = u * n, y = v * n;
    const float fx = std::floor(x), fy = std::floor(y);
    const int i = static_cast<int>(fx), j = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = lattice(o, i, j) + (lattice(o, i + 1, j) - lattice(o, i, j)) * tx;
    const float b = lattice(o, i, j + 1) + (lattice(o, i + 1, j + 1) - lattice(o, i, j + 1)) * tx;
    sum += amplitude * (a + (b - a) * ty);
    weight += amplitude;
    amplitude *= 0.5f;
  }
  return sum / weight;
}

}  // namespace datagen
