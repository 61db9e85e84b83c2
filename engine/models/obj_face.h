// OBJFace: one polygon of a Wavefront model, its corner tokens and the per-face
// geometry (fan triangles, attribute arrays, normal, area, mean position).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "models/index_list.h"
#include "models/model_name.h"

// Which index list of a face addresses an attribute list.
enum AttributeType { ATTRIB_VERTEX = 0, ATTRIB_NORMAL = 1, ATTRIB_TEXCOORD = 2 };

// A plain value. Corner k has a texture-coordinate (normal) index only when k
// is below the size of vt (vn). Indices come from files: every operation that
// takes an attribute list treats an index that addresses no entry of it like a
// missing one, and a face with an out-of-range vertex index has no geometry
// (the model's builders drop such faces; see vertices_in_range). Faces of
// fewer than three corners have no triangles.
//
// The index lists are IndexLists (a triangle's or a quad's indices need no
// allocation; indices are read as values and written through operator[] or
// set) and the names ModelNames (copies share the text), so that a model of
// millions of faces stays small and quick to copy and free; both read like
// the vector and string they stand for.
class OBJFace {
 public:
  using Indices = std::vector<unsigned long long>;

  // n corners, every index 0.
  explicit OBJFace(unsigned long long n = 3);
  // No corners, and the four names.
  OBJFace(ModelName material, ModelName object, ModelName group, ModelName smoothing) noexcept
      : material_name(std::move(material)),
        object_name(std::move(object)),
        group_name(std::move(group)),
        smoothing_group(std::move(smoothing)) {}

  // How many entries the model's vertex, texture-coordinate and normal lists
  // hold when a face is read: a negative (relative) index counts back from
  // them, -1 being the latest entry. {} is all zeros.
  struct ListSizes {
    unsigned long long v, vt, vn;
  };

  // Replaces the three index lists by the corners of an `f` statement's words:
  // v, v/vt, v/, v//vn and v/vt/vn (also v/vt/ and v//). Positive indices are
  // 1-based; negative ones count back from `sizes`; 0, and a negative index
  // reaching before the first entry, address no entry. 0 when every word was
  // a corner; 1 when some word was not (it adds nothing; the rest still count).
  int read_vertices(const std::vector<std::string>& tokens, const ListSizes& sizes = {});
  // Appends the corner of one such word; false (nothing appended) for a word
  // of another form (more than three parts).
  bool add_corner(std::string_view token, const ListSizes& sizes = {});

  unsigned long long size() const { return v.size(); }
  // Fan triangles: size() - 2, and 0 below three corners.
  unsigned long long num_triangles() const { return v.size() < 3 ? 0 : v.size() - 2; }
  // Empties the index lists; the names stay.
  void clear();

  // Position in v of the first corner with that vertex index; -1 when none.
  int find_vertex(unsigned long long index) const;
  // With a null pointer a copy of v; otherwise the entries of v whose byte in
  // `skip` is zero. skip holds one byte per vertex of the model.
  Indices vertices(const char* skip) const;
  // Whether every vertex index addresses one of vertex_count vertices.
  bool vertices_in_range(unsigned long long vertex_count) const;

  // The index list `type` selects; null for any other value.
  const IndexList* indices(AttributeType type) const;
  IndexList* indices(AttributeType type);

  // Corner positions of the fan triangles (0, k+1, k+2), three per triangle;
  // reverse turns the whole list around (order and winding).
  Indices tri_indices(bool reverse) const;
  // The fan triangles as faces with this face's names; each list only where
  // this face has entries for those corners.
  std::vector<OBJFace> triangles(bool reverse) const;
  // dim floats per corner of every fan triangle, corner after corner, taken
  // from data at index * dim; zeros where the index is missing or addresses
  // no entry. Empty for empty data.
  std::vector<float> triangle_attributes(unsigned long long dim, const std::vector<float>& data,
                                         AttributeType type, bool reverse) const;
  // The same values appended to out, without building the triangles.
  void append_triangle_attributes(unsigned long long dim, const std::vector<float>& data,
                                  AttributeType type, bool reverse, std::vector<float>& out) const;

  // vertices: x, y, z per vertex. Unit normal by the right-hand rule from the
  // first non-degenerate corner pair; (0, 0, 1) when there is none.
  std::array<float, 3> normal(const std::vector<float>& vertices) const;
  // Sum of the fan triangles' areas; 0 below three corners.
  float area(const std::vector<float>& vertices) const;
  // Mean of the corner positions; zeros for no corners or no vertices.
  std::array<float, 3> average_vertex(const std::vector<float>& vertices) const;

  IndexList v;
  IndexList vt;
  IndexList vn;
  ModelName material_name;
  ModelName object_name;
  ModelName group_name;
  ModelName smoothing_group;

 private:
  std::array<float, 3> position(const std::vector<float>& vertices, unsigned long long k) const;
  bool has_geometry(const std::vector<float>& vertices) const;
};
