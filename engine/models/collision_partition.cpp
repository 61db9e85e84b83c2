// The voxel grid of a model's faces: building, point and path queries, and the
// binary cache with its settings-text header.
#include "models/collision_partition.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <numeric>
#include <sstream>
#include <string>

#include "core/binary_io.h"
#include "core/program_cfg.h"
#include "core/vector_math.h"

namespace {

using Vec = CollisionPartition::Vec;

// The collision records of the six sides of the unit cube [0, 1]^3.
const std::array<FaceCollisionData, 6>& unit_cube() {
  static const std::array<FaceCollisionData, 6> sides = [] {
    const std::vector<float> corners{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0,
                                     0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1};
    const unsigned long long quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                            {2, 3, 7, 6}, {0, 4, 7, 3}, {1, 2, 6, 5}};
    std::array<FaceCollisionData, 6> out;
    for (int q = 0; q < 6; ++q) {
      OBJFace side(0);
      side.v.assign(quads[q], quads[q] + 4);
      out[q].init(side, corners);
    }
    return out;
  }();
  return sides;
}

Vec vertex(const std::vector<float>& vertices, unsigned long long index) {
  return to_vec3(&vertices[3 * index]);
}

}  // namespace

bool CollisionPartition::touches(const OBJFace& face, const FaceCollisionData& data,
                                 const std::vector<float>& vertices, const Vec& box_min,
                                 const Vec& box_size) {
  const Vec box_max = box_min + box_size;
  for (unsigned long long index : face.v) {
    const Vec p = vertex(vertices, index);
    bool in = true;
    for (int a = 0; a < 3; ++a) in = in && box_min[a] <= p[a] && p[a] < box_max[a];
    if (in) return true;
  }
  // The twelve box edges: from each corner whose coordinate on axis a is the
  // lower one, along a.
  for (int a = 0; a < 3; ++a) {
    for (int bits = 0; bits < 8; ++bits) {
      if (bits & (1 << a)) continue;
      Vec corner;
      for (int b = 0; b < 3; ++b) corner[b] = (bits & (1 << b)) ? box_max[b] : box_min[b];
      Vec end = corner;
      end[a] = corner[a] + box_size[a];
      if (data.intersects(corner, end)) return true;
    }
  }
  // The face's outline in the box's unit coordinates against the cube's sides.
  const size_t n = face.v.size();
  std::vector<Vec> unit(n);
  for (size_t k = 0; k < n; ++k) {
    const Vec p = vertex(vertices, face.v[k]);
    for (int a = 0; a < 3; ++a) unit[k][a] = (p[a] - box_min[a]) / box_size[a];
  }
  for (size_t k = 0; k < n; ++k)
    for (const FaceCollisionData& side : unit_cube())
      if (side.intersects(unit[k], unit[(k + 1) % n])) return true;
  return false;
}

void CollisionPartition::voxel_box(unsigned long long i, unsigned long long j, unsigned long long k,
                                   Vec& box_min, Vec& box_size) const {
  const unsigned long long cell[3] = {i, j, k};
  float thickness = std::max({pitch_[0], pitch_[1], pitch_[2]});
  if (!(thickness > 0.0f)) thickness = 1.0f;
  for (int a = 0; a < 3; ++a) {
    if (pitch_[a] == 0.0f) {
      box_min[a] = lower_bounds_[a] - thickness * 0.5f;
      box_size[a] = thickness;
    } else {
      box_min[a] = lower_bounds_[a] + static_cast<float>(cell[a]) * pitch_[a];
      box_size[a] = pitch_[a];
    }
  }
}

int CollisionPartition::init(const std::deque<OBJFace>& faces,
                             const std::vector<FaceCollisionData>& data,
                             const std::vector<float>& vertices,
                             std::vector<unsigned long long> face_indices, float pitch) {
  if (faces.empty()) return 0;
  std::cout << "CollisionPartition::init() ";
  *this = CollisionPartition();
  if (!(pitch > 0.0f)) {
    std::cerr << "CollisionPartition::init() pitch " << pitch << " is not a positive number"
              << std::endl;
    return -1;
  }
  if (face_indices.empty()) {
    face_indices.resize(faces.size());
    std::iota(face_indices.begin(), face_indices.end(), 0ULL);
  }
  const unsigned long long vertex_count = vertices.size() / 3;
  std::vector<unsigned long long> selected;
  selected.reserve(face_indices.size());
  for (unsigned long long f : face_indices)
    if (f < faces.size() && f < data.size() && faces[f].vertices_in_range(vertex_count))
      selected.push_back(f);
  if (selected.size() != face_indices.size())
    std::cerr << "CollisionPartition::init() skipped " << face_indices.size() - selected.size()
              << " faces without collision data or with vertices out of range" << std::endl;

  Vec lower{0, 0, 0}, upper{0, 0, 0};
  bool seen = false;
  for (unsigned long long f : selected) {
    for (unsigned long long index : faces[f].v) {
      const Vec p = vertex(vertices, index);
      for (int a = 0; a < 3; ++a) {
        lower[a] = seen ? std::min(lower[a], p[a]) : p[a];
        upper[a] = seen ? std::max(upper[a], p[a]) : p[a];
      }
      seen = true;
    }
  }
  if (!seen) {
    std::cerr << "CollisionPartition::init() the faces have no vertices" << std::endl;
    return -2;
  }
  Res res{};
  Vec volume{}, cell{};
  for (int a = 0; a < 3; ++a) {
    volume[a] = upper[a] - lower[a];
    if (!std::isfinite(lower[a]) || !std::isfinite(volume[a])) {
      std::cerr << "CollisionPartition::init() the bounds are not finite" << std::endl;
      return -3;
    }
    const float r =
        volume[a] == 0.0f ? 1.0f : std::max(std::roundf(volume[a] * (1.0f / pitch)), 1.0f);
    if (!(r <= static_cast<float>(kMaxVoxels))) {
      std::cerr << "CollisionPartition::init() too many voxels" << std::endl;
      return -4;
    }
    res[a] = static_cast<unsigned long long>(r);
    cell[a] = volume[a] / r;
  }
  if (res[0] * res[1] > kMaxVoxels || res[0] * res[1] * res[2] > kMaxVoxels) {
    std::cerr << "CollisionPartition::init() too many voxels" << std::endl;
    return -4;
  }

  lower_bounds_ = lower;
  volume_ = volume;
  pitch_ = cell;
  res_ = res;
  faces_ = &faces;
  face_data_ = &data;
  voxels_.resize(res[0] * res[1] * res[2]);
  std::cout << "CollisionPartition::init() calculating collision data";

  // Each face visits only the voxels that its slightly enlarged bounding box
  // overlaps; going face by face in selection order keeps every voxel's list
  // in that order.
  unsigned long long first[3], last[3];
  Vec box_min, box_size;
  for (unsigned long long f : selected) {
    const OBJFace& face = faces[f];
    if (face.v.empty()) continue;
    Vec fmin = vertex(vertices, face.v[0]), fmax = fmin;
    for (unsigned long long index : face.v) {
      const Vec p = vertex(vertices, index);
      for (int a = 0; a < 3; ++a) {
        fmin[a] = std::min(fmin[a], p[a]);
        fmax[a] = std::max(fmax[a], p[a]);
      }
    }
    for (int a = 0; a < 3; ++a) {
      first[a] = last[a] = 0;
      if (pitch_[a] == 0.0f) continue;
      // Enough to cover the rounding of the voxel corners and the crossings.
      const double slack = 1e-3 * pitch_[a] + 1e-6 * (std::fabs(lower_bounds_[a]) +
                                                      std::fabs(fmin[a]) + std::fabs(fmax[a]));
      const double lo = std::floor((fmin[a] - slack - lower_bounds_[a]) / pitch_[a]);
      const double hi = std::floor((fmax[a] + slack - lower_bounds_[a]) / pitch_[a]);
      const double top = static_cast<double>(res_[a] - 1);
      first[a] = static_cast<unsigned long long>(std::clamp(lo, 0.0, top));
      last[a] = static_cast<unsigned long long>(std::clamp(hi, 0.0, top));
    }
    for (unsigned long long k = first[2]; k <= last[2]; ++k)
      for (unsigned long long j = first[1]; j <= last[1]; ++j)
        for (unsigned long long i = first[0]; i <= last[0]; ++i) {
          voxel_box(i, j, k, box_min, box_size);
          if (touches(face, data[f], vertices, box_min, box_size))
            voxels_[(k * res_[1] + j) * res_[0] + i].push_back(f);
        }
  }
  return 0;
}

unsigned long long CollisionPartition::set_faces(const std::deque<OBJFace>& faces,
                                                 const std::vector<FaceCollisionData>& data) {
  faces_ = &faces;
  face_data_ = &data;
  const unsigned long long limit = std::min<unsigned long long>(faces.size(), data.size());
  unsigned long long dropped = 0;
  for (std::vector<unsigned long long>& list : voxels_) {
    const size_t before = list.size();
    std::erase_if(list, [limit](unsigned long long f) { return f >= limit; });
    dropped += before - list.size();
  }
  if (dropped != 0)
    std::cerr << "CollisionPartition::set_faces() dropped " << dropped
              << " face indices without a face or collision data" << std::endl;
  return dropped;
}

int CollisionPartition::voxel_index(const Vec& p) const {
  unsigned long long k[3];
  for (int a = 0; a < 3; ++a) {
    if (res_[a] == 0 || std::isnan(p[a])) return -1;
    if (pitch_[a] == 0.0f) {
      k[a] = 0;
      continue;
    }
    const float q = (p[a] - lower_bounds_[a]) / pitch_[a];
    if (!(q > -1.0f) || !(static_cast<double>(q) < static_cast<double>(res_[a]))) return -1;
    k[a] = static_cast<unsigned long long>(static_cast<long long>(q));
  }
  return static_cast<int>((k[2] * res_[1] + k[1]) * res_[0] + k[0]);
}

std::vector<unsigned long long> CollisionPartition::collision_faces(Vec& position, Vec& velocity,
                                                                    const Vec& start,
                                                                    float restitution) const {
  std::vector<unsigned long long> crossed;
  if (!faces_ || !face_data_) return crossed;
  const int index = voxel_index(start);
  if (index < 0 || static_cast<size_t>(index) >= voxels_.size()) return crossed;
  for (unsigned long long f : voxels_[static_cast<size_t>(index)]) {
    if (f >= face_data_->size()) continue;
    const FaceCollisionData& record = (*face_data_)[f];
    if (!record.intersects(start, position)) continue;
    const float s = (restitution + 1.0f) * dot(velocity, record.normal());
    velocity = velocity - record.normal() * s;
    crossed.push_back(f);
  }
  if (!crossed.empty()) position = start;
  return crossed;
}

int CollisionPartition::save(std::ostream& out) const {
  ProgramCfg header("");
  // Nine digits keep every float as it was.
  const auto put = [&header](const char* key, const auto& values) {
    CfgField& field = header[key];
    field.precision(9);
    field = values;
  };
  put("lower_bounds", lower_bounds_);
  put("pitch", pitch_);
  put("res", res_);
  put("volume", volume_);
  const std::string text = header.str();
  std::cout << "Header size " << text.size() << " bytes" << std::endl;
  write_u64(out, text.size());
  if (stream_failed(out)) return -1;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (stream_failed(out)) return -2;
  const unsigned long long product = res_[0] * res_[1] * res_[2];
  if (product != voxels_.size())
    std::cerr << "Error, prod(res) = " << product << " != " << voxels_.size() << std::endl;
  std::cout << "Saving " << voxels_.size() << " voxel faces, sizeof(unsigned) = " << 8
            << ", sizeof(unsigned long long) = " << 8 << std::endl;
  for (const std::vector<unsigned long long>& list : voxels_) {
    write_u64(out, list.size());
    if (stream_failed(out)) return -3;
    write_u64s(out, list.data(), list.size());
    if (stream_failed(out)) return -4;
  }
  return 0;
}

namespace {

// The first three words of a list as unsigned integers (missing ones 0); false
// when one is out of range for a grid of `cap` voxels or the product is.
bool read_resolution(const CfgField& field, unsigned long long cap, CollisionPartition::Res& res) {
  const std::vector<std::string> words = field.vec<std::string>();
  CollisionPartition::Res out{0, 0, 0};
  for (size_t a = 0; a < 3 && a < words.size(); ++a) {
    const std::string& w = words[a];
    if (w.find('-') != std::string::npos) return false;
    out[a] = std::strtoull(w.c_str(), nullptr, 10);
    if (out[a] > cap) return false;
  }
  if (out[0] * out[1] > cap || out[0] * out[1] * out[2] > cap) return false;
  res = out;
  return true;
}

}  // namespace

int CollisionPartition::load(std::istream& in) {
  std::cout << "CollisionPartition::load() ";
  std::uint64_t length = 0;
  if (!read_u64(in, length)) return -1;
  std::string text;
  if (length > kMaxHeader || !can_hold(in, length) || !read_bytes(in, text, length)) return -2;
  ProgramCfg header("");
  std::istringstream header_text(text);
  if (const int r = header.load(header_text); r != 0) return r;

  if (!header.contains("lower_bounds")) return -3;
  lower_bounds_ = header["lower_bounds"];
  if (!header.contains("pitch")) return -4;
  pitch_ = header["pitch"];
  if (!header.contains("res")) return -5;
  if (!read_resolution(header["res"], kMaxVoxels, res_)) {
    std::cerr << "CollisionPartition::load() resolution " << header["res"].str() << " exceeds "
              << kMaxVoxels << " voxels" << std::endl;
    return -5;
  }
  if (!header.contains("volume")) return -6;
  volume_ = header["volume"];

  const unsigned long long count = res_[0] * res_[1] * res_[2];
  std::cout << "Loading " << count << " voxels " << std::endl;
  // Every voxel stores at least its count.
  if (!can_hold(in, count, 8)) return -7;
  // Grown voxel by voxel, so a stream of unknown size costs only what arrives.
  voxels_.clear();
  voxels_.reserve(static_cast<size_t>(std::min<unsigned long long>(count, 4096)));
  for (unsigned long long v = 0; v < count; ++v) {
    std::uint64_t m = 0;
    if (!read_u64(in, m)) return -7;
    voxels_.emplace_back();
    if (!can_hold(in, m, 8) || !read_u64s(in, voxels_.back(), m)) return -8;
  }
  return 0;
}
