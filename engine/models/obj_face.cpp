// Corner parsing, fan triangulation and per-face geometry of OBJFace.
#include "models/obj_face.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/strings.h"
#include "core/vector_math.h"
#include "render/vertex_data.h"

namespace {

// The material of a new face, shared by all of them.
const ModelName& none_name() {
  static const ModelName* const none = new ModelName("None");
  return *none;
}

// What an index that addresses no entry of any list becomes.
constexpr unsigned long long kNoEntry = ~0ULL;

// An index word as atoll reads it: a positive number counts from 1, a
// negative one back from `size` entries (-1 is the last). 0, a reach before
// the first entry and an overflow that atoll saturates give an index that
// addresses no entry.
unsigned long long index_word(std::string_view word, unsigned long long size) {
  // The usual word, plain digits, read here; signs, blanks and numbers of
  // more than 18 digits the general way.
  unsigned long long plain = 0;
  std::size_t i = 0;
  for (; i < word.size() && i < 18; ++i) {
    const unsigned digit = static_cast<unsigned char>(word[i]) - unsigned('0');
    if (digit > 9) break;
    plain = plain * 10 + digit;
  }
  if (i > 0 && (i < 18 || i == word.size())) return plain > 0 ? plain - 1ULL : kNoEntry;
  const long long n = read_long_long(word);
  if (n > 0) return static_cast<unsigned long long>(n) - 1ULL;
  // 0 - n in unsigned arithmetic, exact for LLONG_MIN too.
  const unsigned long long back = 0ULL - static_cast<unsigned long long>(n);
  return n < 0 && back <= size ? size - back : kNoEntry;
}

}  // namespace

OBJFace::OBJFace(unsigned long long n) : v(n, 0), vt(n, 0), vn(n, 0), material_name(none_name()) {}

int OBJFace::read_vertices(const std::vector<std::string>& tokens, const ListSizes& sizes) {
  clear();
  int result = 0;
  for (const std::string& token : tokens)
    if (!add_corner(token, sizes)) result = 1;
  return result;
}

bool OBJFace::add_corner(std::string_view token, const ListSizes& sizes) {
  // The parts of split(token, "/"): empty inner parts count, an empty part
  // after a final "/" does not. One part is a bare vertex index.
  std::string_view parts[3];
  std::size_t count = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < token.size(); ++i) {
    if (token[i] != '/') continue;
    if (count == 3) return false;
    parts[count++] = token.substr(start, i - start);
    start = i + 1;
  }
  if (start < token.size()) {
    if (count == 3) return false;
    parts[count++] = token.substr(start);
  }
  if (count == 0) return false;
  v.push_back(index_word(parts[0], sizes.v));
  if (count > 1 && !parts[1].empty()) vt.push_back(index_word(parts[1], sizes.vt));
  if (count == 3) vn.push_back(index_word(parts[2], sizes.vn));
  return true;
}

void OBJFace::clear() {
  v.clear();
  vt.clear();
  vn.clear();
}

int OBJFace::find_vertex(unsigned long long index) const {
  const auto it = std::find(v.begin(), v.end(), index);
  return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

OBJFace::Indices OBJFace::vertices(const char* skip) const {
  if (!skip) return v;
  Indices out;
  for (unsigned long long index : v)
    if (skip[index] == 0) out.push_back(index);
  return out;
}

bool OBJFace::vertices_in_range(unsigned long long vertex_count) const {
  return std::all_of(v.begin(), v.end(),
                     [vertex_count](unsigned long long i) { return i < vertex_count; });
}

const IndexList* OBJFace::indices(AttributeType type) const {
  switch (type) {
    case ATTRIB_VERTEX:
      return &v;
    case ATTRIB_NORMAL:
      return &vn;
    case ATTRIB_TEXCOORD:
      return &vt;
  }
  return nullptr;
}

IndexList* OBJFace::indices(AttributeType type) {
  return const_cast<IndexList*>(static_cast<const OBJFace*>(this)->indices(type));
}

OBJFace::Indices OBJFace::tri_indices(bool reverse) const {
  Indices out;
  out.reserve(3 * num_triangles());
  for (unsigned long long k = 0; k < num_triangles(); ++k) {
    out.push_back(0);
    out.push_back(k + 1);
    out.push_back(k + 2);
  }
  if (reverse) std::reverse(out.begin(), out.end());
  return out;
}

std::vector<OBJFace> OBJFace::triangles(bool reverse) const {
  const Indices corners = tri_indices(reverse);
  std::vector<OBJFace> out(num_triangles(), OBJFace(0));
  for (unsigned long long t = 0; t < out.size(); ++t) {
    OBJFace& tri = out[t];
    tri.material_name = material_name;
    tri.object_name = object_name;
    tri.group_name = group_name;
    tri.smoothing_group = smoothing_group;
    for (unsigned long long c = 0; c < 3; ++c) {
      const unsigned long long p = corners[3 * t + c];
      if (p < v.size()) tri.v.push_back(v[p]);
      if (p < vt.size()) tri.vt.push_back(vt[p]);
      if (p < vn.size()) tri.vn.push_back(vn[p]);
    }
  }
  return out;
}

std::vector<float> OBJFace::triangle_attributes(unsigned long long dim,
                                                const std::vector<float>& data, AttributeType type,
                                                bool reverse) const {
  std::vector<float> out;
  append_triangle_attributes(dim, data, type, reverse, out);
  return out;
}

void OBJFace::append_triangle_attributes(unsigned long long dim, const std::vector<float>& data,
                                         AttributeType type, bool reverse,
                                         std::vector<float>& out) const {
  if (data.empty()) return;
  const IndexList* list = indices(type);
  const unsigned long long entries = dim == 0 ? 0 : data.size() / dim;
  const unsigned long long triangles = num_triangles();
  const std::size_t start = out.size();
  out.resize(start + triangles * 3 * dim, 0.0f);
  for (unsigned long long t = 0; t < triangles; ++t) {
    // The corners of tri_indices(reverse) for triangle t: reversing the whole
    // list turns triangle T-1-t around.
    const unsigned long long r = triangles - 1 - t;
    const unsigned long long corners[3] = {reverse ? r + 2 : 0, reverse ? r + 1 : t + 1,
                                           reverse ? 0 : t + 2};
    // As triangles() builds them: a triangle's list holds, in corner order,
    // the entries that exist, so a gap moves the later entries forward.
    unsigned long long c = 0;
    for (unsigned long long k = 0; k < 3; ++k) {
      const unsigned long long p = corners[k];
      if (!list || p >= list->size()) continue;
      const unsigned long long index = (*list)[p];
      if (index < entries)
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(index * dim), dim,
                    out.begin() + static_cast<std::ptrdiff_t>(start + (3 * t + c) * dim));
      ++c;
    }
  }
}

std::array<float, 3> OBJFace::position(const std::vector<float>& vertices,
                                       unsigned long long k) const {
  return to_vec3(&vertices[3 * v[k]]);
}

bool OBJFace::has_geometry(const std::vector<float>& vertices) const {
  return !v.empty() && vertices_in_range(vertices.size() / 3);
}

std::array<float, 3> OBJFace::normal(const std::vector<float>& vertices) const {
  const std::array<float, 3> fallback{0, 0, 1};
  const unsigned long long n = v.size();
  if (n < 3 || !has_geometry(vertices)) return fallback;
  const Vec3 e1 = position(vertices, 1) - position(vertices, 0);
  for (unsigned long long i = 0; i < n; ++i) {
    const Vec3 e2 = position(vertices, (i + 2) % n) - position(vertices, (i + 1) % n);
    Vec3 candidate = cross(e1, e2);
    const float s = dot(candidate, candidate);
    if (!(s > 0.0f) || !std::isfinite(std::sqrt(s))) continue;
    rescale_to_unit(candidate.data());
    return candidate;
  }
  return fallback;
}

namespace {

float triangle_area(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
  return 0.5f * norm(cross(p1 - p0, p2 - p1));
}

}  // namespace

float OBJFace::area(const std::vector<float>& vertices) const {
  if (v.size() < 3 || !has_geometry(vertices)) return 0.0f;
  if (v.size() < 4)
    return triangle_area(position(vertices, 0), position(vertices, 1), position(vertices, 2));
  float sum = 0.0f;
  for (const OBJFace& tri : triangles(false)) sum += tri.area(vertices);
  return sum;
}

std::array<float, 3> OBJFace::average_vertex(const std::vector<float>& vertices) const {
  if (!has_geometry(vertices)) return {0, 0, 0};
  Vec3 sum{0, 0, 0};
  for (unsigned long long k = 0; k < v.size(); ++k) sum += position(vertices, k);
  return sum * (1.0f / static_cast<float>(v.size()));
}
