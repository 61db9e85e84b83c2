// Vertex attributes on the CPU side (positions, normals, texture coordinates,
// colours) with the operations a mesh needs before upload, and a transform
// that applies a fixed sequence of them in one call. No OpenGL here.
#pragma once

#include <array>
#include <functional>
#include <vector>

// Three floats per position; the vertex count is vertices().size() / 3. The
// normals run parallel to the positions. Operations that write normals never
// write past the end of the normal array.
class VertexData {
 public:
  using Bounds = std::array<std::array<float, 3>, 2>;
  using NeighbourFunction = std::function<std::vector<unsigned long long>(unsigned long long)>;

  VertexData() = default;

  std::vector<float>& vertices() { return vertices_; }
  const std::vector<float>& vertices() const { return vertices_; }
  std::vector<float>& normals() { return normals_; }
  const std::vector<float>& normals() const { return normals_; }
  std::vector<float>& tex_coords() { return tex_coords_; }
  const std::vector<float>& tex_coords() const { return tex_coords_; }
  std::vector<float>& colors() { return colors_; }
  const std::vector<float>& colors() const { return colors_; }

  unsigned long long num_vertices() const { return vertices_.size() / 3; }
  // Components per vertex of positions, normals, texture coordinates, colours.
  std::array<unsigned int, 4> attrib_depth() const { return depths_; }
  void attrib_depths(std::array<unsigned int, 4> depths) { depths_ = depths; }

  // Empties positions, normals and texture coordinates; colours and depths stay.
  void clear();

  // Lower corner, upper corner; zeros when there are no vertices.
  Bounds vertex_bounds() const;
  // Moves the bounding-box centre to the origin.
  void center_vertices();
  void translate(const std::array<float, 3>& d);
  // Positions (and, when asked and present, normals, renormalised) by the
  // row-major matrix m.
  void rotate(const std::array<float, 9>& m, bool with_normals);

  // Vertices per primitive of an OpenGL primitive mode; 1 for unknown modes.
  static int verts_each(int mode);

  // Flat normals of consecutive faces of face_size vertices (a trailing partial
  // face is skipped). With flip false the normal is that of a clockwise face.
  // The normal array is grown to the positions' size when it is shorter.
  // The third argument is not used. Always 0.
  int calc_normals(bool flip, int face_size, bool = false);
  // Averages the normals of vertices within radius_factor times the bounding
  // diagonal, greedily in index order (the result depends on the order).
  // Always 0.
  int smooth_normals(double radius_factor);
  // Clamps coordinate `axis` of every position beyond `value` (below it when
  // lower, above it otherwise). With fix_normals, the normals of the clamped
  // vertices (or of the vertices `neighbours` names for each) are turned
  // along the axis. Indices without a normal are skipped.
  void hard_threshold(bool lower, unsigned int axis, float value, bool fix_normals,
                      NeighbourFunction neighbours);
  void hard_upper_threshold(unsigned int axis, float value, bool fix_normals);
  void hard_lower_threshold(unsigned int axis, float value, bool fix_normals);

  std::vector<unsigned long long> default_vertex_indices() const;
  // Mean position of the listed vertices (each occurrence counts; an empty
  // list means all); indices past the last vertex are ignored.
  std::array<float, 3> calc_average_vertex(std::vector<unsigned long long> indices) const;

 protected:
  std::vector<float> vertices_;
  std::vector<float> normals_;
  std::vector<float> tex_coords_;
  std::vector<float> colors_;
  std::array<unsigned int, 4> depths_{3, 3, 2, 4};
};

// Scales v to unit length unless its squared length or 1/length is exactly 1.
// A zero vector is left as it is.
void rescale_to_unit(float* v);

// Applies, in this order: recentre, move by -offset, rotate, rescale normals,
// scale, align bounds to 0, spherical texture coordinates, move by center,
// lower then upper thresholds. A default transform changes nothing.
class VertexTransform {
 public:
  VertexTransform() = default;

  VertexData& operator()(VertexData& data) const;

  std::array<bool, 3> lower_threshold_axes{false, false, false};
  std::array<bool, 3> lower_threshold_normals{false, false, false};
  std::array<float, 3> lower_thresholds{0, 0, 0};
  std::array<bool, 3> upper_threshold_axes{false, false, false};
  std::array<bool, 3> upper_threshold_normals{false, false, false};
  std::array<float, 3> upper_thresholds{0, 0, 0};
  std::array<float, 3> offset{0, 0, 0};
  std::array<float, 3> center{0, 0, 0};
  // Applied only when its first or second diagonal entry differs from 1.
  std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::array<float, 3> scale{1, 1, 1};
  std::array<int, 3> lower_bound_axes{0, 0, 0};
  std::array<int, 3> upper_bound_axes{0, 0, 0};
  bool recenter = false;
  bool rescale_normals = false;
  bool spherical_tex_coords = false;

 protected:
  // The steps between the rotation and the final move: normals rescaled,
  // positions scaled, bounds aligned to 0, spherical texture coordinates.
  void scale_and_align(VertexData& data) const;
  // The enabled lower thresholds by axis, then the upper ones.
  void apply_thresholds(VertexData& data, const VertexData::NeighbourFunction& neighbours) const;
};
