// Icosphere construction and its spherical texture coordinates.
#include "datagen/icosphere.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <utility>

namespace datagen {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

bool on_pole(const Vec3& p) {
  return p[0] == 0.0f && p[2] == 0.0f;
}

}  // namespace

Icosphere make_icosphere(int subdivisions) {
  Icosphere s;
  const float t = static_cast<float>((1.0 + std::sqrt(5.0)) / 2.0);
  const Vec3 corners[12] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                            {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                            {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
  // Turned about x so that the corner (0, 1, t) becomes the north pole: the
  // poles are vertices, and no triangle spans a pole.
  const double angle = std::atan(-static_cast<double>(t));
  const double c = std::cos(angle), sn = std::sin(angle);
  for (const Vec3& corner : corners) {
    Vec3 p{corner[0], static_cast<float>(corner[1] * c - corner[2] * sn),
           static_cast<float>(corner[1] * sn + corner[2] * c)};
    for (float& component : p)
      if (std::fabs(component) < 1e-6f) component = 0.0f;
    s.vertices.push_back(normalized(p));
  }
  s.triangles = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                 {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                 {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                 {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  for (int level = 0; level < subdivisions; ++level) {
    std::map<std::pair<unsigned, unsigned>, unsigned> middles;
    auto middle = [&](unsigned a, unsigned b) {
      const auto key = std::minmax(a, b);
      const auto found = middles.find(key);
      if (found != middles.end()) return found->second;
      const Vec3& p = s.vertices[a];
      const Vec3& q = s.vertices[b];
      s.vertices.push_back(normalized({p[0] + q[0], p[1] + q[1], p[2] + q[2]}));
      const unsigned index = static_cast<unsigned>(s.vertices.size() - 1);
      middles.emplace(key, index);
      return index;
    };
    std::vector<std::array<unsigned, 3>> finer;
    finer.reserve(s.triangles.size() * 4);
    for (const auto& [a, b, c] : s.triangles) {
      const unsigned ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
      finer.push_back({a, ab, ca});
      finer.push_back({b, bc, ab});
      finer.push_back({c, ca, bc});
      finer.push_back({ab, bc, ca});
    }
    s.triangles = std::move(finer);
  }
  return s;
}

std::array<float, 2> sphere_uv(const Vec3& p) {
  const double longitude = std::atan2(-static_cast<double>(p[2]), static_cast<double>(p[0]));
  const double latitude = std::asin(std::clamp(static_cast<double>(p[1]), -1.0, 1.0));
  return {static_cast<float>(0.5 + longitude / kTwoPi),
          static_cast<float>(0.5 + latitude / std::numbers::pi)};
}

std::array<std::array<float, 2>, 3> triangle_uv(const std::array<Vec3, 3>& corners) {
  std::array<std::array<float, 2>, 3> uv;
  for (int k = 0; k < 3; ++k) uv[k] = sphere_uv(corners[k]);
  float low = 2.0f, high = -1.0f;
  for (int k = 0; k < 3; ++k) {
    if (on_pole(corners[k])) continue;
    low = std::min(low, uv[k][0]);
    high = std::max(high, uv[k][0]);
  }
  if (high - low > 0.5f)
    for (int k = 0; k < 3; ++k)
      if (!on_pole(corners[k]) && uv[k][0] < 0.5f) uv[k][0] += 1.0f;
  for (int k = 0; k < 3; ++k) {
    if (!on_pole(corners[k])) continue;
    float sum = 0.0f;
    int n = 0;
    for (int j = 0; j < 3; ++j)
      if (!on_pole(corners[j])) sum += uv[j][0], ++n;
    uv[k][0] = n ? sum / static_cast<float>(n) : 0.5f;
  }
  return uv;
}

OBJRenderer icosphere_model(int subdivisions, const std::string& material) {
  const Icosphere s = make_icosphere(subdivisions);
  OBJRenderer model;
  for (const Vec3& p : s.vertices) {
    model.vertices().insert(model.vertices().end(), p.begin(), p.end());
    model.normals().insert(model.normals().end(), p.begin(), p.end());
  }
  std::map<std::array<float, 2>, unsigned long long> uv_index;
  for (const auto& tri : s.triangles) {
    const auto uv = triangle_uv({s.vertices[tri[0]], s.vertices[tri[1]], s.vertices[tri[2]]});
    OBJFace face(0);
    for (int k = 0; k < 3; ++k) {
      auto [it, added] = uv_index.emplace(uv[k], uv_index.size());
      if (added) model.tex_coords().insert(model.tex_coords().end(), {uv[k][0], uv[k][1], 0.0f});
      face.v.push_back(tri[k]);
      face.vn.push_back(tri[k]);
      face.vt.push_back(it->second);
    }
    face.material_name = material;
    face.object_name = "icosphere";
    model.faces().push_back(face);
  }
  return model;
}

}  // namespace datagen
