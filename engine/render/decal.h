// Decals, textured rectangles placed by their own coordinate system, and
// colour maps that turn a number in a range into a colour.
#pragma once

#include <array>
#include <cstddef>

#include "core/coordinate_system.h"
#include "render/object_gl.h"

// A unit quad scaled to width x height, drawn unlit and blended with the
// decal's texture. Copies share the OpenGL texture and vertex array; nothing
// here deletes them.
class Decal : public CoordinateSystem, public TextureGL {
 public:
  Decal() : TextureGL(0) {}

  // Builds the quad (two triangles in the plane z = 0, facing +z).
  void init();
  // Draws the decal when it is visible and init has run. All attributes and
  // the matrix are restored; the texture binding becomes 0.
  void render();

  float width = 1;
  float height = 1;
  bool visible = true;
  bool depth_test = false;
  VAO quad;
};

// Maps a value between the lowest and highest input to N channels of T.
template <typename T, typename F, std::size_t N>
class Colormap {
 public:
  explicit Colormap(T largest = 255, F lowest = 0, F highest = 255)
      : largest_(largest), lowest_(lowest), highest_(highest) {}
  virtual ~Colormap() = default;

  // The value's place in the input range times the largest output, truncated.
  // Values outside the range (and NaN, and any value of an empty range) are
  // held to the range first, so the result is always 0 .. largest.
  T rescale(F value) const {
    F t = (value - lowest_) / (highest_ - lowest_);
    if (!(t > F(0))) t = F(0);
    if (t > F(1)) t = F(1);
    return static_cast<T>(static_cast<long long>(t * static_cast<F>(largest_)));
  }
  virtual std::array<T, N> operator()(F value) const = 0;

  T largest() const { return largest_; }
  F lowest() const { return lowest_; }
  F highest() const { return highest_; }

 private:
  T largest_;
  F lowest_;
  F highest_;
};

// Equal channels: the grey level of the value.
template <typename T, typename F, std::size_t N>
class Grayscale : public Colormap<T, F, N> {
 public:
  Grayscale() = default;

  std::array<T, N> operator()(F value) const override {
    std::array<T, N> c;
    c.fill(this->rescale(value));
    return c;
  }
};
