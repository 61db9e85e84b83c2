// Face collision records, their point and segment tests and their binary form.
#include "models/face_collision.h"

#include <cmath>
#include <iostream>

#include "core/binary_io.h"
#include "core/vector_math.h"
#include "render/vertex_data.h"

namespace {

using Vec = FaceCollisionData::Vec;

// The unit normal of the first pair of consecutive edge normals that spans a
// plane; false when no pair does.
bool surface_normal(const std::vector<Vec>& edge_normals, Vec& normal) {
  const size_t n = edge_normals.size();
  for (size_t i = 0; i < n; ++i) {
    Vec q = cross(edge_normals[i], edge_normals[(i + 1) % n]);
    const float s = dot(q, q);
    if (!(s > 0.0f) || !std::isfinite(s)) continue;
    rescale_to_unit(q.data());
    normal = q;
    return true;
  }
  return false;
}

void write_vec(std::ostream& out, const Vec& v) {
  for (float c : v) write_f32(out, c);
}

bool read_vec(std::istream& in, Vec& v) {
  return read_f32(in, v[0]) && read_f32(in, v[1]) && read_f32(in, v[2]);
}

// n vectors, grown as the bytes arrive.
bool read_vecs(std::istream& in, std::vector<Vec>& out, std::uint64_t n) {
  if (!can_hold(in, n, 12)) return false;
  out.clear();
  out.reserve(static_cast<size_t>(std::min<std::uint64_t>(n, 4096)));
  Vec v;
  for (std::uint64_t i = 0; i < n; ++i) {
    if (!read_vec(in, v)) return false;
    out.push_back(v);
  }
  return true;
}

}  // namespace

int FaceCollisionData::init(const OBJFace& face, const std::vector<float>& vertices) {
  if (initialized_) return 0;
  if (!face.vertices_in_range(vertices.size() / 3)) return -1;
  const size_t n = face.v.size();
  std::vector<Vec> p(n);
  Vec sum{0, 0, 0};
  for (size_t k = 0; k < n; ++k) {
    p[k] = to_vec3(&vertices[3 * face.v[k]]);
    sum += p[k];
  }
  centroid_ = n == 0 ? Vec{0, 0, 0} : sum * (1.0f / static_cast<float>(n));
  edge_normals_.assign(n, Vec{0, 0, 0});
  edge_points_.assign(n, Vec{0, 0, 0});
  for (size_t i = 0; i < n; ++i) {
    const Vec& a = p[i];
    Vec e = p[(i + 1) % n] - a;
    if (dot(e, e) != 0.0f) {
      rescale_to_unit(e.data());
      const Vec w = a - centroid_;
      edge_normals_[i] = w - e * dot(w, e);
    }
    edge_points_[i] = edge_normals_[i] + centroid_;
  }
  normal_ = {0, 0, 1};
  surface_ = surface_normal(edge_normals_, normal_) && n >= 3;
  initialized_ = true;
  return 0;
}

bool FaceCollisionData::inside(const Vec& p) const {
  for (size_t i = 0; i < edge_normals_.size(); ++i)
    if (!(dot(p - edge_points_[i], edge_normals_[i]) <= 0.0f)) return false;
  return true;
}

bool FaceCollisionData::intersects(const Vec& a, const Vec& b) const {
  if (!surface_) return false;
  const Vec d = b - a;
  // Parallel segments give an infinite or undefined t and fail the range test.
  const float t = dot(normal_, centroid_ - a) / dot(normal_, d);
  if (!(t >= 0.0f && t <= 1.0f)) return false;
  return inside(a + d * t);
}

int FaceCollisionData::save(std::ostream& out) const {
  write_u64(out, edge_normals_.size());
  if (stream_failed(out)) return -1;
  write_vec(out, centroid_);
  if (stream_failed(out)) return -2;
  write_vec(out, normal_);
  if (stream_failed(out)) return -3;
  for (const Vec& v : edge_normals_) write_vec(out, v);
  if (stream_failed(out)) return -4;
  for (const Vec& v : edge_points_) write_vec(out, v);
  if (stream_failed(out)) return -5;
  return 0;
}

int FaceCollisionData::load(std::istream& in) {
  std::uint64_t count = 0;
  Vec centroid, normal;
  std::vector<Vec> edge_normals, edge_points;
  if (!read_u64(in, count)) return -1;
  if (count == 0) return -2;
  if (!read_vec(in, centroid)) return -3;
  if (!read_vec(in, normal)) return -4;
  if (count > kMaxEdges || !read_vecs(in, edge_normals, count)) return -5;
  if (!read_vecs(in, edge_points, count)) return -6;
  centroid_ = centroid;
  normal_ = normal;
  edge_normals_ = std::move(edge_normals);
  edge_points_ = std::move(edge_points);
  Vec unused;
  surface_ = count >= 3 && surface_normal(edge_normals_, unused);
  return 0;
}

int CollisionDataLoader::save(std::ostream& out) const {
  std::cout << "CollisionDataLoader::save() ";
  write_u64(out, data_.size());
  if (stream_failed(out)) return -1;
  for (const FaceCollisionData& record : data_)
    if (const int r = record.save(out); r != 0) return r;
  return 0;
}

int CollisionDataLoader::load(std::istream& in) {
  std::cout << "CollisionDataLoader::load() ";
  // The smallest record: its count, centroid, normal and one edge.
  constexpr std::uint64_t kMinRecord = 8 + 12 + 12 + 24;
  std::uint64_t count = 0;
  if (!read_u64(in, count)) return -1;
  if (count == 0) return -2;
  if (!can_hold(in, count, kMinRecord)) return -1;
  // Grown record by record, so a stream of unknown size costs only what arrives.
  data_.clear();
  data_.reserve(static_cast<size_t>(std::min<std::uint64_t>(count, 4096)));
  for (std::uint64_t i = 0; i < count; ++i) {
    data_.emplace_back();
    if (const int r = data_.back().load(in); r != 0) return r;
  }
  return 0;
}
