// CollisionPartition: a regular voxel grid over a model's faces that lists,
// per voxel, the faces touching it, answers which faces a moving point's path
// crosses, and is kept in a binary cache file with a settings-text header.
#pragma once

#include <array>
#include <deque>
#include <istream>
#include <ostream>
#include <vector>

#include "core/loader.h"
#include "models/face_collision.h"
#include "models/obj_face.h"

// Voxel (i, j, k) has the index (k * res[1] + j) * res[0] + i. An axis on
// which the faces have no extent (a floor, a wall) has one layer of pitch 0
// that holds every coordinate along it. The faces and their records are
// borrowed (copies share them); faces are expected to be convex, as the
// triangles and quads of models are.
class CollisionPartition : public StreamLoader<1> {
 public:
  using Vec = std::array<float, 3>;
  using Res = std::array<unsigned long long, 3>;

  CollisionPartition() = default;

  // Builds the grid over the selected faces (an empty selection: all) with a
  // voxel size near `pitch` on each axis. A face is listed in every voxel it
  // touches, in selection order. Selected faces without a collision record or
  // with vertex indices outside `vertices` are skipped with a warning.
  // 0 (also when there are no faces: nothing changes); otherwise the
  // partition is left empty and the result is -1 for a pitch that is not a
  // positive number, -2 when no selected face has a vertex, -3 for bounds that
  // are not finite, -4 for more voxels than kMaxVoxels.
  int init(const std::deque<OBJFace>& faces, const std::vector<FaceCollisionData>& data,
           const std::vector<float>& vertices, std::vector<unsigned long long> face_indices,
           float pitch);
  // Borrows the model's faces and records (a loaded partition needs them) and
  // drops every listed index that addresses no face or no record; how many
  // were dropped (with a warning when any).
  unsigned long long set_faces(const std::deque<OBJFace>& faces,
                               const std::vector<FaceCollisionData>& data);

  // The voxel holding p, or -1. Along an axis a coordinate less than one
  // pitch below the grid still counts as the first layer.
  int voxel_index(const Vec& p) const;
  // The faces of start's voxel that the path start-position crosses, in list
  // order; each reflects velocity, keeping the fraction restitution of its
  // normal component. When any is crossed, position is put back to start.
  // Indices without a record are skipped.
  std::vector<unsigned long long> collision_faces(Vec& position, Vec& velocity, const Vec& start,
                                                  float restitution) const;

  // Whether the listed face touches the box [box_min, box_min + box_size]:
  // a vertex in the half-open box, a box edge crossing the face, or an edge of
  // the face crossing a side of the box. box_size must be positive.
  static bool touches(const OBJFace& face, const FaceCollisionData& data,
                      const std::vector<float>& vertices, const Vec& box_min, const Vec& box_size);
  // The box init tests for voxel (i, j, k). A zero-pitch axis is given the
  // largest pitch of the others (1 when all are zero) as a thickness centred
  // on the faces' plane, so that faces in the plane can cross the box.
  void voxel_box(unsigned long long i, unsigned long long j, unsigned long long k, Vec& box_min,
                 Vec& box_size) const;

  // 0, or -1 header length, -2 header, -3 voxel count, -4 voxel indices.
  int save(std::ostream& out) const override;
  // 0; -1 header length, -2 header (also a length beyond kMaxHeader or the
  // bytes left), -3 to -6 a missing "lower_bounds", "pitch", "res" or
  // "volume" (-5 also for a resolution over kMaxVoxels), -7 a voxel count
  // (also when the bytes left cannot hold every voxel's count), -8 a voxel's
  // indices. The keys before a failing one are set; the borrowed faces are
  // not touched, so set_faces must follow.
  int load(std::istream& in) override;

  std::vector<std::vector<unsigned long long>>& voxels() { return voxels_; }
  const std::vector<std::vector<unsigned long long>>& voxels() const { return voxels_; }
  const Vec& lower_bounds() const { return lower_bounds_; }
  const Vec& pitch() const { return pitch_; }
  const Res& res() const { return res_; }
  const Vec& volume() const { return volume_; }
  const std::deque<OBJFace>* faces() const { return faces_; }
  const std::vector<FaceCollisionData>* face_data() const { return face_data_; }

  // Most voxels a grid may have (built or loaded).
  static constexpr unsigned long long kMaxVoxels = 1ULL << 24;
  // Longest header a cache file may have.
  static constexpr unsigned long long kMaxHeader = 1ULL << 16;

 private:
  std::vector<std::vector<unsigned long long>> voxels_;
  Vec lower_bounds_{0, 0, 0};
  Vec pitch_{0, 0, 0};
  Res res_{0, 0, 0};
  Vec volume_{0, 0, 0};
  const std::deque<OBJFace>* faces_ = nullptr;
  const std::vector<FaceCollisionData>* face_data_ = nullptr;
};
