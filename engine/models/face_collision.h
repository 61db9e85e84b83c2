// Collision records of model faces: FaceCollisionData tests points against a
// face's prism and segments against the face; CollisionDataLoader keeps the
// records of a whole model in a binary cache file.
#pragma once

#include <array>
#include <istream>
#include <ostream>
#include <vector>

#include "core/loader.h"
#include "models/obj_face.h"

// Record layout (little-endian): edge count n (u64), centroid and normal
// (3 floats each), n edge normals, n edge points (3 floats each).
class FaceCollisionData : public StreamLoader<1> {
 public:
  using Vec = std::array<float, 3>;

  FaceCollisionData() = default;

  // Builds the record of a face from x, y, z per vertex, once: a second call
  // changes nothing. -1 (nothing built) when a vertex index of the face
  // addresses no vertex; otherwise 0.
  int init(const OBJFace& face, const std::vector<float>& vertices);

  // Whether p lies on the centroid's side of every edge line (the distance
  // from the plane is not tested). A record without edges contains every point.
  bool inside(const Vec& p) const;
  // Whether the segment a-b meets the face: its crossing with the face's plane
  // lies inside. A segment parallel to the plane (in it or not) does not meet
  // it, nor does a record without a surface (fewer than three edges, or edges
  // that span no plane: a face without area).
  bool intersects(const Vec& a, const Vec& b) const;

  // 0, or the failing part: -1 count, -2 centroid, -3 normal, -4 edge
  // normals, -5 edge points.
  int save(std::ostream& out) const override;
  // 0, or the failing part: -1 count, -2 a count of 0, -3 centroid, -4 normal,
  // -5 edge normals, -6 edge points (a count the bytes left cannot hold fails
  // at the part it would overrun). Leaves initialized as it was.
  int load(std::istream& in) override;

  bool initialized() const { return initialized_; }
  const Vec& centroid() const { return centroid_; }
  const Vec& normal() const { return normal_; }
  const std::vector<Vec>& edge_normals() const { return edge_normals_; }
  const std::vector<Vec>& edge_points() const { return edge_points_; }
  bool has_surface() const { return surface_; }

  // Most edges a loaded record may have.
  static constexpr unsigned long long kMaxEdges = 1ULL << 20;

 private:
  bool initialized_ = false;
  Vec centroid_{0, 0, 0};
  Vec normal_{0, 0, 1};
  // From the centroid to each edge's line, perpendicular to the edge; a
  // zero-length edge gets the zero vector and so bounds nothing.
  std::vector<Vec> edge_normals_;
  // centroid + edge normal: a point on each edge's line.
  std::vector<Vec> edge_points_;
  // Derived from the edge normals by init and load; not stored.
  bool surface_ = false;
};

// The records of a whole model. File: record count (u64), then the records.
class CollisionDataLoader : public StreamLoader<1> {
 public:
  CollisionDataLoader() = default;

  // 0, -1 when the count cannot be written, else the first failing record's code.
  int save(std::ostream& out) const override;
  // 0; -1 when the count cannot be read or the bytes left cannot hold that
  // many records; -2 for a count of 0; else the first failing record's code.
  int load(std::istream& in) override;

  std::vector<FaceCollisionData>& face_collision_data() { return data_; }
  const std::vector<FaceCollisionData>& face_collision_data() const { return data_; }

 private:
  std::vector<FaceCollisionData> data_;
};
