// Vertex data operations and vertex transforms.
#include "render/vertex_data.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "core/vector_math.h"
#include "render/gl.h"

void rescale_to_unit(float* v) {
  const float s = dot(v, v);
  if (s == 1.0f || s == 0.0f) return;
  const float r = 1.0f / std::sqrt(s);
  if (r == 1.0f) return;
  for (int i = 0; i < 3; ++i) v[i] *= r;
}

void VertexData::clear() {
  vertices_.clear();
  normals_.clear();
  tex_coords_.clear();
}

VertexData::Bounds VertexData::vertex_bounds() const {
  Bounds b{};
  const std::size_t n = num_vertices();
  if (n == 0) return b;
  b[0] = b[1] = to_vec3(vertices_.data());
  for (std::size_t i = 1; i < n; ++i) {
    for (int a = 0; a < 3; ++a) {
      const float c = vertices_[3 * i + a];
      b[0][a] = std::min(b[0][a], c);
      b[1][a] = std::max(b[1][a], c);
    }
  }
  return b;
}

void VertexData::center_vertices() {
  const Bounds b = vertex_bounds();
  translate({-((b[0][0] + b[1][0]) / 2), -((b[0][1] + b[1][1]) / 2), -((b[0][2] + b[1][2]) / 2)});
}

void VertexData::translate(const std::array<float, 3>& d) {
  const std::size_t n = num_vertices();
  for (std::size_t i = 0; i < n; ++i)
    for (int a = 0; a < 3; ++a) vertices_[3 * i + a] += d[a];
}

void VertexData::rotate(const std::array<float, 9>& m, bool with_normals) {
  std::cout << "Rotating vertices... ";
  float out[3];
  const std::size_t n = num_vertices();
  for (std::size_t i = 0; i < n; ++i) {
    rotate_vector(m.data(), &vertices_[3 * i], out);
    std::copy(out, out + 3, &vertices_[3 * i]);
  }
  if (!with_normals || normals_.empty()) return;
  std::cout << "Rotating normals... ";
  for (std::size_t i = 0; i + 2 < normals_.size(); i += 3) {
    rotate_vector(m.data(), &normals_[i], out);
    rescale_to_unit(out);
    std::copy(out, out + 3, &normals_[i]);
  }
}

int VertexData::verts_each(int mode) {
  switch (mode) {
    case GL_POINTS:
      return 1;
    case GL_LINES:
      return 2;
    case GL_TRIANGLES:
      return 3;
    case GL_TRIANGLE_STRIP:
      return 2;
    case GL_QUADS:
      return 4;
    case GL_QUAD_STRIP:
      return 3;
    default:  // line loops and strips, fans, polygons and anything unknown
      return 1;
  }
}

int VertexData::calc_normals(bool flip, int face_size, bool) {
  if (vertices_.empty()) {
    std::cerr << "Warning: calc_normals(), no vertices" << std::endl;
    return 0;
  }
  // A face needs three corners to span a plane.
  if (face_size < 3) {
    std::cerr << "Warning: calc_normals(), face size " << face_size << std::endl;
    return 0;
  }
  if (normals_.size() < vertices_.size()) normals_.resize(vertices_.size(), 0.0f);
  const std::size_t size = static_cast<std::size_t>(face_size);
  const std::size_t faces = num_vertices() / size;
  for (std::size_t f = 0; f < faces; ++f) {
    const float* p0 = &vertices_[3 * f * size];
    Vec3 n = cross(to_vec3(p0 + 6) - to_vec3(p0 + 3), to_vec3(p0 + 3) - to_vec3(p0));
    rescale_to_unit(n.data());
    if (flip) n = -n;
    for (std::size_t k = 0; k < size; ++k)
      std::copy(n.begin(), n.end(), &normals_[3 * (f * size + k)]);
  }
  return 0;
}

int VertexData::smooth_normals(double radius_factor) {
  if (vertices_.empty()) {
    std::cerr << "Warning: smooth_normals(), no vertices" << std::endl;
    return 0;
  }
  if (normals_.size() < vertices_.size()) {
    std::cerr << "Warning: smooth_normals(), fewer normals than vertices" << std::endl;
    return 0;
  }
  const Bounds b = vertex_bounds();
  const float diagonal = norm(b[1] - b[0]);
  const float r = static_cast<float>(diagonal * radius_factor);
  const float r2 = r * r;
  const std::size_t n = num_vertices();
  std::vector<bool> done(n, false);
  std::vector<std::size_t> group;
  for (std::size_t i = 0; i < n; ++i) {
    if (done[i]) continue;
    const Vec3 p = to_vec3(&vertices_[3 * i]);
    group.clear();
    for (std::size_t j = i + 1; j < n; ++j) {
      if (done[j]) continue;
      const Vec3 d = to_vec3(&vertices_[3 * j]) - p;
      if (dot(d, d) <= r2) group.push_back(j);
    }
    if (group.empty()) continue;
    float* ni = &normals_[3 * i];
    for (std::size_t j : group)
      for (int a = 0; a < 3; ++a) ni[a] += normals_[3 * j + a];
    const float count = static_cast<float>(group.size() + 1);
    for (int a = 0; a < 3; ++a) ni[a] /= count;
    rescale_to_unit(ni);
    for (std::size_t j : group) {
      std::copy(ni, ni + 3, &normals_[3 * j]);
      done[j] = true;
    }
  }
  return 0;
}

void VertexData::hard_threshold(bool lower, unsigned int axis, float value, bool fix_normals,
                                NeighbourFunction neighbours) {
  if (axis > 2) return;
  auto beyond = [lower, value](float c) { return lower ? c < value : c > value; };
  const std::size_t n = num_vertices();
  // Turns a normal along the axis, keeping the sign of its axis component.
  auto fix = [this, axis](unsigned long long k) {
    if (k >= normals_.size() / 3) return;
    float* nk = &normals_[3 * k];
    nk[(axis + 1) % 3] = 0.0f;
    nk[(axis + 2) % 3] = 0.0f;
    rescale_to_unit(nk);
  };
  if (fix_normals && (neighbours || normals_.size() == vertices_.size())) {
    for (std::size_t i = 0; i < n; ++i) {
      if (!beyond(vertices_[3 * i + axis])) continue;
      if (!neighbours) {
        fix(i);
      } else {
        for (unsigned long long k : neighbours(i)) fix(k);
      }
    }
  }
  std::vector<float> clamped = vertices_;
  for (std::size_t i = 0; i < n; ++i)
    if (beyond(clamped[3 * i + axis])) clamped[3 * i + axis] = value;
  vertices_ = std::move(clamped);
}

namespace {

std::vector<unsigned long long> self_only(unsigned long long i) {
  return {i};
}

}  // namespace

void VertexData::hard_upper_threshold(unsigned int axis, float value, bool fix_normals) {
  hard_threshold(false, axis, value, fix_normals, self_only);
}

void VertexData::hard_lower_threshold(unsigned int axis, float value, bool fix_normals) {
  hard_threshold(true, axis, value, fix_normals, self_only);
}

std::vector<unsigned long long> VertexData::default_vertex_indices() const {
  std::vector<unsigned long long> indices(num_vertices());
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = i;
  return indices;
}

std::array<float, 3> VertexData::calc_average_vertex(
    std::vector<unsigned long long> indices) const {
  if (indices.empty()) indices = default_vertex_indices();
  if (vertices_.size() < 3 || indices.empty()) return {0, 0, 0};
  Vec3 sum{0, 0, 0};
  unsigned long long count = 0;
  for (unsigned long long i : indices) {
    if (i >= num_vertices()) continue;
    sum += to_vec3(&vertices_[3 * i]);
    ++count;
  }
  if (count == 0) return {0, 0, 0};
  const float r = 1.0f / static_cast<float>(count);
  return {sum[0] * r, sum[1] * r, sum[2] * r};
}

namespace {

bool any_nonzero(const std::array<float, 3>& v) {
  return v[0] != 0.0f || v[1] != 0.0f || v[2] != 0.0f;
}

// Texture coordinates from each position's direction: the azimuth
// atan2(y, x) in radians and 1 - acos(x / |p|).
void write_spherical_tex_coords(VertexData& data) {
  const auto depth = data.attrib_depth();
  const std::size_t n = data.num_vertices();
  const std::vector<float>& v = data.vertices();
  std::vector<float>& tc = data.tex_coords();
  tc.assign(depth[2] * n, 0.0f);
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t at = k * depth[0];
    if (at + 2 >= v.size()) break;
    const Vec3 p = to_vec3(&v[at]);
    const float length = norm(p);
    // A vertex at the origin has no direction: it maps to the pole.
    const float ratio = length > 0.0f ? std::clamp(p[0] / length, -1.0f, 1.0f) : 1.0f;
    const float st[2] = {std::atan2(p[1], p[0]), 1.0f - std::acos(ratio)};
    for (unsigned c = 0; c < std::min(depth[2], 2u); ++c) tc[k * depth[2] + c] = st[c];
  }
}

}  // namespace

VertexData& VertexTransform::operator()(VertexData& data) const {
  if (recenter) data.center_vertices();
  if (any_nonzero(offset)) data.translate({-offset[0], -offset[1], -offset[2]});
  if (rotation[0] != 1.0f || rotation[4] != 1.0f) data.rotate(rotation, true);
  scale_and_align(data);
  if (any_nonzero(center)) data.translate(center);
  apply_thresholds(data, self_only);
  return data;
}

void VertexTransform::scale_and_align(VertexData& data) const {
  const bool scaled = scale[0] != 1.0f || scale[1] != 1.0f || scale[2] != 1.0f;
  std::vector<float>& normals = data.normals();
  if (rescale_normals) {
    for (std::size_t i = 0; i + 2 < normals.size(); i += 3) {
      if (scaled)
        for (int a = 0; a < 3; ++a) normals[i + a] *= scale[a];
      rescale_to_unit(&normals[i]);
    }
  }
  std::vector<float>& vertices = data.vertices();
  const std::size_t n = data.num_vertices();
  if (scaled) {
    for (std::size_t i = 0; i < n; ++i)
      for (int a = 0; a < 3; ++a) vertices[3 * i + a] *= scale[a];
  }

  const VertexData::Bounds bounds = data.vertex_bounds();
  const bool align = lower_bound_axes[0] + upper_bound_axes[0] != 0 ||
                     lower_bound_axes[1] + upper_bound_axes[1] != 0 ||
                     lower_bound_axes[2] + upper_bound_axes[2] != 0;
  if (align) {
    for (std::size_t i = 0; i < n; ++i) {
      for (int a = 0; a < 3; ++a) {
        if (lower_bound_axes[a] != 0) vertices[3 * i + a] -= bounds[0][a];
        if (upper_bound_axes[a] != 0) vertices[3 * i + a] -= bounds[1][a];
      }
    }
  }

  if (spherical_tex_coords) write_spherical_tex_coords(data);
}

void VertexTransform::apply_thresholds(VertexData& data,
                                       const VertexData::NeighbourFunction& neighbours) const {
  for (unsigned a = 0; a < 3; ++a)
    if (lower_threshold_axes[a])
      data.hard_threshold(true, a, lower_thresholds[a], lower_threshold_normals[a], neighbours);
  for (unsigned a = 0; a < 3; ++a)
    if (upper_threshold_axes[a])
      data.hard_threshold(false, a, upper_thresholds[a], upper_threshold_normals[a], neighbours);
}
