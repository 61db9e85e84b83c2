// Generation of the parametric shapes' vertex arrays.
#include "render/primitives.h"

#include <algorithm>
#include <cmath>
#include <iostream>

DetailLevels detail_levels(float a, float b) {
  DetailLevels levels;
  if (std::isnan(a) || std::isnan(b)) return levels;
  const float lo = std::min(a, b);
  const float hi = std::max(a, b);
  if (!(lo >= 0.0f && hi <= kMaxDetailValue)) return levels;
  const int start = static_cast<int>(lo);
  const float n = hi - static_cast<float>(start) + 1.0f;
  const auto count = static_cast<unsigned long long>(n);
  if (count > kMaxDetailLevels) return levels;
  levels.start = start;
  levels.count = count;
  levels.valid = true;
  return levels;
}

namespace {

void put3(std::vector<float>& out, std::size_t vertex, double x, double y, double z) {
  out[3 * vertex] = static_cast<float>(x);
  out[3 * vertex + 1] = static_cast<float>(y);
  out[3 * vertex + 2] = static_cast<float>(z);
}

void put2(std::vector<float>& out, std::size_t vertex, double u, double v) {
  out[2 * vertex] = static_cast<float>(u);
  out[2 * vertex + 1] = static_cast<float>(v);
}

// n x m cells of `per_cell` vertices, or more than the limit (overflow included).
unsigned long long cell_vertices(unsigned long long n, unsigned long long m,
                                 unsigned long long per_cell) {
  if (n == 0 || m == 0) return 0;
  if (n > kMaxGeneratedVertices || m > kMaxGeneratedVertices / n) return kMaxGeneratedVertices + 1;
  return n * m * per_cell;
}

// A point of the unit sphere at polar angle theta and azimuth phi, with the
// pole on coordinate roles[0] and the equator spanned by roles[1], roles[2].
std::array<double, 3> sphere_point(const std::array<unsigned int, 3>& roles, double theta,
                                   double phi) {
  std::array<double, 3> p{};
  p[roles[1]] = std::sin(theta) * std::cos(phi);
  p[roles[2]] = std::sin(theta) * std::sin(phi);
  p[roles[0]] = std::cos(theta);
  return p;
}

// Reports n x m cells that would make `vertices` vertices, more than the limit.
bool refused(const char* who, unsigned long long n, unsigned long long m,
             unsigned long long vertices) {
  if (vertices <= kMaxGeneratedVertices) return false;
  std::cerr << who << ": " << n << " x " << m << " cells refused" << std::endl;
  return true;
}

// The parameters of an n x m grid over a sphere's limits: polar angle and v
// by polar step j, azimuth and u by azimuth step i (in double precision).
class SphereGrid {
 public:
  SphereGrid(const SolidSphere& s, unsigned int n, unsigned int m)
      : s_(s),
        n_(n),
        m_(m),
        dphi_(s.upper()[0] - s.lower()[0]),
        dtheta_(s.upper()[1] - s.lower()[1]),
        du_(s.tex_upper()[0] - s.tex_lower()[0]),
        dv_(s.tex_upper()[1] - s.tex_lower()[1]) {}

  double theta(unsigned int j) const { return s_.lower()[1] + dtheta_ * j / m_; }
  double theta_step() const { return dtheta_ / m_; }
  double v(unsigned int j) const { return s_.tex_lower()[1] + dv_ * j / m_; }
  double phi(unsigned int i) const { return s_.lower()[0] + dphi_ * i / n_; }
  double phi_step() const { return dphi_ / n_; }
  double u(unsigned int i) const { return s_.tex_lower()[0] + du_ * i / n_; }

 private:
  const SolidSphere& s_;
  unsigned int n_, m_;
  double dphi_, dtheta_, du_, dv_;
};

// A sphere's detail as 2 x detail azimuth steps by detail polar steps.
template <typename Sphere>
int construct_sphere_detail(Sphere& sphere, const char* who, unsigned int per_cell,
                            unsigned int detail) {
  const unsigned long long n = 2ull * detail;
  if (refused(who, n, detail, cell_vertices(n, detail, per_cell))) {
    sphere.clear();
    return -1;
  }
  return sphere.construct(static_cast<unsigned int>(n), detail);
}

}  // namespace

int Quad::construct(unsigned int detail) {
  return construct(detail, detail);
}

int Quad::construct(unsigned int n, unsigned int m) {
  const unsigned long long count = cell_vertices(n, m, 4);
  if (refused("Quad::construct()", n, m, count)) {
    clear();
    return -1;
  }
  vertices_.assign(3 * count, 0.0f);
  normals_.assign(3 * count, 0.0f);
  tex_coords_.assign(2 * count, 0.0f);
  for (std::size_t v = 0; v < count; ++v) normals_[3 * v + 2] = 1.0f;
  for (unsigned int j = 0; j < m; ++j) {
    const double a0 = static_cast<double>(j) / m - 0.5;
    const double a1 = static_cast<double>(j + 1) / m - 0.5;
    for (unsigned int i = 0; i < n; ++i) {
      const double b0 = static_cast<double>(i) / n - 0.5;
      const double b1 = static_cast<double>(i + 1) / n - 0.5;
      const std::size_t first = 4 * (std::size_t(j) * n + i);
      const double corners[4][2] = {{a0, b0}, {a1, b0}, {a1, b1}, {a0, b1}};
      for (std::size_t k = 0; k < 4; ++k) {
        const float x = static_cast<float>(corners[k][0]);
        const float y = static_cast<float>(corners[k][1]);
        put3(vertices_, first + k, x, y, 0.0);
        tex_coords_[2 * (first + k)] = x + 0.5f;
        tex_coords_[2 * (first + k) + 1] = y + 0.5f;
      }
    }
  }
  return 0;
}

std::vector<float> Quad::to_triangles(const std::vector<float>& data, int a, int b) {
  std::vector<float> out;
  if (a < 0 || b < 0 || a + b == 0) return out;
  const std::size_t record = static_cast<std::size_t>(a) + static_cast<std::size_t>(b);
  const std::size_t quads = data.size() / record / 4;
  out.reserve(quads * 6 * static_cast<std::size_t>(a));
  static constexpr std::size_t kOrder[6] = {0, 1, 2, 0, 2, 3};
  for (std::size_t q = 0; q < quads; ++q) {
    for (std::size_t k : kOrder) {
      const auto from = data.begin() + static_cast<std::ptrdiff_t>((4 * q + k) * record);
      out.insert(out.end(), from, from + a);
    }
  }
  return out;
}

int SolidSphere::construct(unsigned int detail) {
  return construct_sphere_detail(*this, "SolidSphere::construct()", 4, detail);
}

void SolidSphere::scale_positions() {
  if (radius_ == 1.0f) return;
  for (float& f : vertices_) f *= radius_;
}

int SolidSphere::construct(unsigned int n, unsigned int m) {
  const unsigned long long surface = cell_vertices(n, m, 4);
  if (surface == 0) {
    clear();
    return 0;
  }
  const unsigned long long closing = closed_ ? 8ull * (std::size_t(n) + m) : 0;
  if (refused("SolidSphere::construct()", n, m, surface + closing)) {
    clear();
    return -1;
  }

  const SphereGrid grid(*this, n, m);
  vertices_.assign(3 * (surface + closing), 0.0f);
  tex_coords_.assign(2 * (surface + closing), 0.0f);
  const auto r = roles();

  for (unsigned int j = 0; j < m; ++j) {
    const double theta0 = grid.theta(j), theta1 = grid.theta(j + 1);
    const double va = grid.v(j), vb = grid.v(j + 1);
    for (unsigned int i = 0; i < n; ++i) {
      const double phi0 = grid.phi(i), phi1 = grid.phi(i + 1);
      const double ua = grid.u(i), ub = grid.u(i + 1);
      const std::size_t first = 4 * (std::size_t(j) * n + i);
      const double corners[4][4] = {{theta0, phi0, ua, va},
                                    {theta1, phi0, ua, vb},
                                    {theta1, phi1, ub, vb},
                                    {theta0, phi1, ub, va}};
      for (std::size_t k = 0; k < 4; ++k) {
        const auto p = sphere_point(r, corners[k][0], corners[k][1]);
        put3(vertices_, first + k, p[0], p[1], p[2]);
        put2(tex_coords_, first + k, corners[k][2], corners[k][3]);
      }
    }
  }
  normals_ = vertices_;

  if (closed_) {
    // Fans from the centre that close the patch at its four limits; they use
    // x, y, z directly whatever the pole axis.
    constexpr float kInward = -0.57735026f;
    std::size_t v = surface;
    auto closing_quad = [&](const std::array<double, 3>& p, const std::array<double, 3>& q) {
      for (int k = 0; k < 2; ++k) put3(normals_, v + k, kInward, kInward, kInward);
      put3(vertices_, v + 2, p[0], p[1], p[2]);
      put3(vertices_, v + 3, q[0], q[1], q[2]);
      for (std::size_t k = 2; k < 4; ++k)
        for (std::size_t c = 0; c < 3; ++c) normals_[3 * (v + k) + c] = vertices_[3 * (v + k) + c];
      v += 4;
    };
    const std::array<unsigned int, 3> xyz{2, 0, 1};
    for (const float phi : {lower_[0], upper_[0]}) {
      for (unsigned int j = 0; j < m; ++j)
        closing_quad(sphere_point(xyz, grid.theta(j), phi),
                     sphere_point(xyz, grid.theta(j + 1), phi));
    }
    for (const float theta : {lower_[1], upper_[1]}) {
      for (unsigned int i = 0; i < n; ++i)
        closing_quad(sphere_point(xyz, theta, grid.phi(i)),
                     sphere_point(xyz, theta, grid.phi(i + 1)));
    }
  }
  scale_positions();
  return 0;
}

int SolidSphere2::construct(unsigned int detail) {
  return construct_sphere_detail(*this, "SolidSphere2::construct()", 6, detail);
}

int SolidSphere2::construct(unsigned int n, unsigned int m) {
  const unsigned long long count = cell_vertices(n, m, 6);
  if (refused("SolidSphere2::construct()", n, m, count)) {
    clear();
    return -1;
  }
  const SphereGrid grid(*this, n, m);
  vertices_.assign(3 * count, 0.0f);
  tex_coords_.assign(2 * count, 0.0f);
  const auto r = roles();

  // The far corners are one step on from the near ones (not the next grid line).
  for (unsigned int j = 0; j < m; ++j) {
    const double theta0 = grid.theta(j), theta1 = theta0 + grid.theta_step();
    const double va = grid.v(j), vb = grid.v(j + 1);
    for (unsigned int i = 0; i < n; ++i) {
      const double phi0 = grid.phi(i), phi1 = phi0 + grid.phi_step();
      const double ua = grid.u(i), ub = grid.u(i + 1);
      const std::size_t first = 6 * (std::size_t(j) * n + i);
      const double corners[6][4] = {{theta1, phi0, ua, 1 - vb}, {theta1, phi1, ub, 1 - vb},
                                    {theta0, phi1, ub, 1 - va}, {theta1, phi0, ua, 1 - vb},
                                    {theta0, phi1, ub, 1 - va}, {theta0, phi0, ua, 1 - va}};
      for (std::size_t k = 0; k < 6; ++k) {
        const auto p = sphere_point(r, corners[k][0], corners[k][1]);
        put3(vertices_, first + k, p[0], p[1], p[2]);
        put2(tex_coords_, first + k, corners[k][2], corners[k][3]);
      }
    }
  }
  normals_ = vertices_;
  scale_positions();
  return 0;
}

int Cylinder::construct(unsigned int n) {
  const unsigned long long count = cell_vertices(n, 1, 4);
  if (refused("Cylinder::construct()", n, 1, count)) {
    clear();
    return -1;
  }
  const double dphi = upper_[0] - lower_[0];
  vertices_.assign(3 * count, 0.0f);
  normals_.assign(3 * count, 0.0f);
  tex_coords_.assign(2 * count, 0.0f);
  const double r0 = base_[0];
  const double r1 = base_[1];
  for (unsigned int i = 0; i < n; ++i) {
    const double ta = static_cast<double>(i) / n;
    const double tb = static_cast<double>(i + 1) / n;
    const double phia = lower_[0] + dphi * ta;
    const double phib = lower_[0] + dphi * tb;
    const std::size_t first = 4 * std::size_t(i);
    const double corners[4][5] = {{r0, phia, 0, 0.5 - ta, 0},
                                  {r0, phib, 0, 0.5 - ta, 1},
                                  {r1, phib, 1, 0.5 - tb, 1},
                                  {r1, phia, 1, 0.5 - tb, 0}};
    for (std::size_t k = 0; k < 4; ++k) {
      const double radius = corners[k][0];
      const double phi = corners[k][1];
      put3(vertices_, first + k, radius * std::cos(phi), radius * std::sin(phi), corners[k][2]);
      // The radial direction scaled by the radius: zero at a cone's tip.
      normals_[3 * (first + k)] = vertices_[3 * (first + k)];
      normals_[3 * (first + k) + 1] = vertices_[3 * (first + k) + 1];
      put2(tex_coords_, first + k, corners[k][3], corners[k][4]);
    }
  }
  return 0;
}

int Cube::construct(unsigned long long p, unsigned long long q) {
  const unsigned long long count = cell_vertices(p, q, 36);
  // The box needs at least one cell per face.
  if (refused("Cube::construct()", p, q, count == 0 ? kMaxGeneratedVertices + 1 : count)) {
    vertices_.clear();
    normals_.clear();
    tex_coords_.clear();
    return -1;
  }
  resolution_ = {p, q};
  vertices_.assign(3 * count, 0.0f);
  normals_.assign(3 * count, 0.0f);
  tex_coords_.assign(2 * count, 0.0f);
  const float fp = static_cast<float>(p);
  const float fq = static_cast<float>(q);
  std::size_t v = 0;
  auto emit = [&](unsigned int a, unsigned int b, unsigned int c, float face, float normal, float x,
                  float y, float s, float t) {
    float* pos = &vertices_[3 * v];
    pos[a] = x;
    pos[b] = y;
    pos[c] = face;
    normals_[3 * v + c] = normal;
    tex_coords_[2 * v] = s;
    tex_coords_[2 * v + 1] = t;
    ++v;
  };
  for (const unsigned int c : {2u, 0u, 1u}) {
    const unsigned int a = (c + 1) % 3;
    const unsigned int b = (c + 2) % 3;
    for (int side = 0; side < 2; ++side) {
      const float face = (side == 0 ? 1.0f : -1.0f) * scale_[c] / 2;
      const float normal = side == 0 ? 1.0f : -1.0f;
      for (unsigned long long l = 0; l < q; ++l) {
        for (unsigned long long k = 0; k < p; ++k) {
          const float a0 = static_cast<float>(k) * scale_[a] / fp - scale_[a] / 2;
          const float a1 = a0 + scale_[a] / fp;
          const float b0 = static_cast<float>(l) * scale_[b] / fq - scale_[b] / 2;
          const float b1 = b0 + scale_[b] / fq;
          const float sa = static_cast<float>(k) / fp;
          const float sb = sa + 1.0f / fp;
          const float ta = static_cast<float>(l) / fq;
          const float tb = ta + 1.0f / fq;
          // Corners in the order that keeps each side counter-clockwise from outside.
          const float side0[6][4] = {{a0, b0, sa, ta}, {a1, b0, sb, ta}, {a1, b1, sb, tb},
                                     {a0, b0, sa, ta}, {a1, b1, sb, tb}, {a0, b1, sa, tb}};
          const float side1[6][4] = {{a0, b0, sa, ta}, {a0, b1, sa, tb}, {a1, b1, sb, tb},
                                     {a0, b0, sa, ta}, {a1, b1, sb, tb}, {a1, b0, sb, ta}};
          const auto& corners = side == 0 ? side0 : side1;
          for (const auto& k4 : corners) emit(a, b, c, face, normal, k4[0], k4[1], k4[2], k4[3]);
        }
      }
    }
  }
  return 0;
}
