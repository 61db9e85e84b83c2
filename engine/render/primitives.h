// Shapes generated at run time at a chosen level of detail: a flat square, a
// sphere (or spherical patch) as quads or as triangles, the side of a cylinder
// or cone, and a box of triangles. CPU work only; no OpenGL here.
#pragma once

#include <array>
#include <vector>

#include "render/vertex_data.h"

// Primitive modes of the generated arrays (the values of GL_TRIANGLES and GL_QUADS).
inline constexpr int kTrianglesMode = 4;
inline constexpr int kQuadsMode = 7;

// Most vertices one construct call may generate; larger requests are refused
// (arrays emptied, -1 returned) so that a wild detail cannot exhaust memory.
inline constexpr unsigned long long kMaxGeneratedVertices = 1ull << 24;
// Detail values and numbers of levels a detailed set accepts.
inline constexpr float kMaxDetailValue = 65536.0f;
inline constexpr unsigned long long kMaxDetailLevels = 1024;

// The levels between two detail values given in either order: the first
// detail (the smaller value, truncated) and the number of levels. `valid` is
// false, with count 0, for a negative or non-finite value, one above
// kMaxDetailValue, or more than kMaxDetailLevels levels.
struct DetailLevels {
  int start = 0;
  unsigned long long count = 0;
  bool valid = false;
};
DetailLevels detail_levels(float a, float b);

// A VertexData whose arrays come from construct(detail). The primitive mode
// tells how the vertex list is to be drawn (triangles unless a shape says so).
class ParametericVertices : public VertexData {
 public:
  ParametericVertices() = default;
  virtual ~ParametericVertices() = default;
  ParametericVertices(const ParametericVertices&) = default;
  ParametericVertices& operator=(const ParametericVertices&) = default;
  ParametericVertices(ParametericVertices&&) = default;
  ParametericVertices& operator=(ParametericVertices&&) = default;

  // 0 on success; a detail of 0 gives empty arrays.
  virtual int construct(unsigned int detail) = 0;

  int primitive_mode() const { return primitive_mode_; }

 protected:
  explicit ParametericVertices(int mode) : primitive_mode_(mode) {}

 private:
  int primitive_mode_ = kTrianglesMode;
};

// The unit square in the xy plane centred at the origin, facing +z, as quads.
class Quad : public ParametericVertices {
 public:
  Quad() : ParametericVertices(kQuadsMode) {}

  // The square as detail x detail quads.
  int construct(unsigned int detail) override;
  // n columns (along y) by m rows (along x) of quads; -1 when refused.
  int construct(unsigned int n, unsigned int m);
  unsigned long long num_quads() const { return vertices_.size() / 12; }

  // Triangles 0 1 2 and 0 2 3 of each quad of `data`, whose vertices are
  // records of a + b floats; each output vertex keeps the first a floats. A
  // trailing partial quad is dropped; a negative a or b, or a + b of 0,
  // gives an empty list.
  static std::vector<float> to_triangles(const std::vector<float>& data, int a, int b);
};

// A sphere, or the patch between azimuth limits (lower[0], upper[0]) and polar
// limits (lower[1], upper[1]), as quads around the pole coordinate `axis`.
// Normals are the unit-sphere points; positions are scaled by the radius.
class SolidSphere : public ParametericVertices {
 public:
  explicit SolidSphere(float radius = 1.0f) : ParametericVertices(kQuadsMode), radius_(radius) {}

  // 2 x detail azimuth steps by detail polar steps.
  int construct(unsigned int detail) override;
  // n azimuth steps by m polar steps, plus the closing faces when closed; -1 when refused.
  int construct(unsigned int n, unsigned int m);

  void limits(float phi_lower, float phi_upper, float theta_lower, float theta_upper) {
    lower_ = {phi_lower, theta_lower};
    upper_ = {phi_upper, theta_upper};
  }
  std::array<float, 2>& lower() { return lower_; }
  const std::array<float, 2>& lower() const { return lower_; }
  std::array<float, 2>& upper() { return upper_; }
  const std::array<float, 2>& upper() const { return upper_; }
  float& radius() { return radius_; }
  float radius() const { return radius_; }
  unsigned int& axis() { return axis_; }
  unsigned int axis() const { return axis_; }
  std::array<double, 2>& tex_lower() { return tex_lower_; }
  const std::array<double, 2>& tex_lower() const { return tex_lower_; }
  std::array<double, 2>& tex_upper() { return tex_upper_; }
  const std::array<double, 2>& tex_upper() const { return tex_upper_; }
  bool& closed() { return closed_; }
  bool closed() const { return closed_; }

  unsigned long long num_quads() const { return num_vertices() / 4; }

 protected:
  SolidSphere(float radius, int mode) : ParametericVertices(mode), radius_(radius) {}

  // The pole, first and second equatorial coordinates.
  std::array<unsigned int, 3> roles() const {
    return {axis_ % 3, (axis_ + 1) % 3, (axis_ + 2) % 3};
  }
  void scale_positions();

  float radius_;
  std::array<float, 2> lower_{0.0f, 0.0f};
  std::array<float, 2> upper_{6.2831855f, 3.1415927f};
  unsigned int axis_ = 2;
  std::array<double, 2> tex_lower_{0.0, 0.0};
  std::array<double, 2> tex_upper_{1.0, 1.0};
  bool closed_ = false;
};

// The same surface as SolidSphere as triangles (two per cell, counter-clockwise
// seen from outside), with the second texture coordinate flipped; never closed.
class SolidSphere2 : public SolidSphere {
 public:
  SolidSphere2() : SolidSphere(1.0f, kTrianglesMode) {}

  int construct(unsigned int detail) override;
  int construct(unsigned int n, unsigned int m);
};

// The side of a cylinder or cone around z from height 0 (radius base[0]) to
// height 1 (radius base[1]), as quads. Only the azimuth limits are read.
class Cylinder : public SolidSphere {
 public:
  Cylinder() : SolidSphere(1.0f, kQuadsMode) { limits(0.0f, 6.2831855f, -0.5f, 0.5f); }

  // detail segments around the axis.
  int construct(unsigned int detail) override;

  void set_base(float r0, float r1) { base_ = {r0, r1}; }
  const std::array<float, 2>& base() const { return base_; }

 private:
  std::array<float, 2> base_{1.0f, 1.0f};
};

// A box centred at the origin with edge lengths `scale`, as triangles with
// outward normals and per-face texture coordinates.
class Cube {
 public:
  explicit Cube(std::array<float, 3> size) : scale_(size) {}

  int construct(unsigned long long detail) { return construct(detail, detail); }
  // p by q cells on every face; 0 divisions or too many vertices are refused
  // (arrays emptied, -1).
  int construct(unsigned long long p, unsigned long long q);

  std::array<float, 3>& scale() { return scale_; }
  const std::array<float, 3>& scale() const { return scale_; }
  // The divisions of the last successful construct (1, 1 before any).
  const std::array<unsigned long long, 2>& resolution() const { return resolution_; }
  unsigned long long num_tris() const { return vertices_.size() / 9; }

  std::vector<float>& vertices() { return vertices_; }
  const std::vector<float>& vertices() const { return vertices_; }
  std::vector<float>& normals() { return normals_; }
  const std::vector<float>& normals() const { return normals_; }
  std::vector<float>& tex_coords() { return tex_coords_; }
  const std::vector<float>& tex_coords() const { return tex_coords_; }

 private:
  std::array<unsigned long long, 2> resolution_{1, 1};
  std::array<float, 3> scale_;
  std::vector<float> vertices_;
  std::vector<float> normals_;
  std::vector<float> tex_coords_;
};
