// OBJRenderer construction, copies, and the operations on the model's geometry,
// faces, materials and collision data.
#include "models/obj_renderer.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <unordered_set>
#include <utility>

#include "core/vector_math.h"

OBJRenderer::OBJRenderer(std::string file) {
  attrib_depths({3, 3, 3, 0});
  if (!file.empty()) load(file, nullptr);
}

template <typename Self, typename Other>
void OBJRenderer::assign_fields(Self& to, Other&& from) {
  // Each line forwards a different member of `from`, so none is read after
  // it was moved.
  to.included_objects_ = std::forward<Other>(from).included_objects_;
  to.excluded_objects_ = std::forward<Other>(from).excluded_objects_;
  to.transform_ = std::forward<Other>(from).transform_;
  to.load_path_ = std::forward<Other>(from).load_path_;
  to.param_coords_ = std::forward<Other>(from).param_coords_;
  to.average_vertex_ = from.average_vertex_;
  to.lower_upper_bounds_ = from.lower_upper_bounds_;
  to.bounding_box_corners_ = from.bounding_box_corners_;
  to.faces_ = std::forward<Other>(from).faces_;
  to.collision_data_ = std::forward<Other>(from).collision_data_;
  to.materials_ = std::forward<Other>(from).materials_;
  to.mtl_files_ = std::forward<Other>(from).mtl_files_;
  to.missing_materials_ = std::forward<Other>(from).missing_materials_;
  to.opaque_attributes_ = std::forward<Other>(from).opaque_attributes_;
  to.transparent_attributes_ = std::forward<Other>(from).transparent_attributes_;
  to.loaded_ = from.loaded_;
  to.load_materials_ = from.load_materials_;
  to.auto_create_vaos_ = from.auto_create_vaos_;
  to.opaque_names_ = std::forward<Other>(from).opaque_names_;
  to.transparent_names_ = std::forward<Other>(from).transparent_names_;
  to.opaque_vaos_ = std::forward<Other>(from).opaque_vaos_;
  to.transparent_vaos_ = std::forward<Other>(from).transparent_vaos_;
  const bool had_faces = from.collision_partition_.faces() != nullptr;
  to.collision_partition_ = std::forward<Other>(from).collision_partition_;
  to.attribute_locations_ = from.attribute_locations_;
  to.pending_transform_ = from.pending_transform_;
  // The copied partition still refers to the source's faces.
  if (had_faces) to.set_faces();
}

OBJRenderer::OBJRenderer(const OBJRenderer& other) : VertexData(other), SimpleOption(other) {
  assign_fields(*this, other);
}

OBJRenderer::OBJRenderer(OBJRenderer&& other) noexcept
    : VertexData(std::move(other)), SimpleOption(std::move(other)) {
  assign_fields(*this, std::move(other));
}

OBJRenderer& OBJRenderer::operator=(const OBJRenderer& other) {
  if (this == &other) return *this;
  VertexData::operator=(other);
  SimpleOption::operator=(other);
  assign_fields(*this, other);
  return *this;
}

OBJRenderer& OBJRenderer::operator=(OBJRenderer&& other) noexcept {
  if (this == &other) return *this;
  VertexData::operator=(std::move(other));
  SimpleOption::operator=(std::move(other));
  assign_fields(*this, std::move(other));
  return *this;
}

OBJRenderer::~OBJRenderer() {
  // The faces' names let go first, the faces of one name together.
  ModelName::Releaser names[4];
  for (OBJFace& face : faces_) {
    names[0].release(face.material_name);
    names[1].release(face.object_name);
    names[2].release(face.group_name);
    names[3].release(face.smoothing_group);
  }
}

namespace {

bool holds(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

// ---- Data

bool OBJRenderer::have_material(const std::string& name) const {
  return std::any_of(materials_.begin(), materials_.end(),
                     [&name](const WavefrontMTL& m) { return m.name() == name; });
}

bool OBJRenderer::included_object(const std::string& name) const {
  return included_objects_.empty() || holds(included_objects_, name);
}

bool OBJRenderer::excluded_object(const std::string& name) const {
  return holds(excluded_objects_, name);
}

OBJRenderer::FaceList OBJRenderer::default_face_indices(FaceList faces) const {
  if (!faces.empty()) return faces;
  faces.resize(faces_.size());
  for (std::size_t i = 0; i < faces.size(); ++i) faces[i] = i;
  return faces;
}

OBJRenderer::FaceList OBJRenderer::listed(FaceList faces) const {
  if (faces.empty()) return default_face_indices(std::move(faces));
  const std::size_t count = faces_.size();
  faces.erase(std::remove_if(faces.begin(), faces.end(),
                             [count](unsigned long long f) { return f >= count; }),
              faces.end());
  return faces;
}

// ---- Bounds and centre

OBJRenderer::Bounds OBJRenderer::calc_lower_upper_bounds(FaceList faces) {
  Bounds bounds{};
  bool first = true;
  const unsigned long long count = num_vertices();
  auto add = [&](const OBJFace& face) {
    for (unsigned long long index : face.v) {
      if (index >= count) continue;
      const float* p = &vertices_[3 * index];
      if (first) {
        bounds[0] = bounds[1] = to_vec3(p);
        first = false;
        continue;
      }
      for (int a = 0; a < 3; ++a) {
        if (p[a] < bounds[0][a]) bounds[0][a] = p[a];
        if (p[a] > bounds[1][a]) bounds[1][a] = p[a];
      }
    }
  };
  // All faces without a list of every index: this runs after each read.
  if (faces.empty()) {
    for (const OBJFace& face : faces_) add(face);
  } else {
    for (unsigned long long f : listed(std::move(faces))) add(faces_[f]);
  }
  return bounds;
}

OBJRenderer::Corners& OBJRenderer::calc_bbox_corners() {
  set_bounding_box(calc_lower_upper_bounds({}));
  return bounding_box_corners_;
}

void OBJRenderer::set_bounding_box(const Bounds& bounds) {
  lower_upper_bounds_ = bounds;
  for (int k = 0; k < 8; ++k)
    for (int j = 0; j < 3; ++j) bounding_box_corners_[k][j] = bounds[(k >> j) & 1][j];
}

OBJRenderer::Vec OBJRenderer::calc_vertex_average() const {
  // VertexData::calc_average_vertex({}) in the same order of sums, without
  // its list of every index.
  const std::size_t n = num_vertices();
  if (n == 0) return {0, 0, 0};
  Vec sum{0, 0, 0};
  for (std::size_t i = 0; i < n; ++i) sum += to_vec3(&vertices_[3 * i]);
  const float r = 1.0f / static_cast<float>(n);
  return {sum[0] * r, sum[1] * r, sum[2] * r};
}

OBJRenderer::Vec OBJRenderer::face_center(unsigned long long face) const {
  if (face >= faces_.size()) return {0, 0, 0};
  return faces_[face].average_vertex(vertices_);
}

OBJRenderer::Vec OBJRenderer::average_face_position(FaceList faces) const {
  std::vector<unsigned long long> corners;
  for (unsigned long long f : listed(std::move(faces)))
    corners.insert(corners.end(), faces_[f].v.begin(), faces_[f].v.end());
  // An empty list would stand for every vertex.
  if (corners.empty()) return {0, 0, 0};
  return calc_average_vertex(corners);
}

float OBJRenderer::total_face_area(const FaceList& faces) const {
  if (vertices_.empty()) return 0.0f;
  float sum = 0.0f;
  for (unsigned long long f : listed(faces)) sum += faces_[f].area(vertices_);
  return sum;
}

unsigned long long OBJRenderer::num_triangles(const FaceList& faces) const {
  unsigned long long sum = 0;
  for (unsigned long long f : faces)
    if (f < faces_.size()) sum += faces_[f].num_triangles();
  return sum;
}

// ---- Moving vertices

void OBJRenderer::translate(const Vec& d) {
  std::cout << "Translating vertices... ";
  VertexData::translate(d);
}

void OBJRenderer::center_vertices() {
  const Bounds b = vertex_bounds();
  Vec c;
  for (int a = 0; a < 3; ++a) c[a] = (b[0][a] + b[1][a]) * 0.5f;
  std::cout << "OBJRenderer::center_vertices() bounding box = ";
  for (int a = 0; a < 3; ++a) std::cout << b[0][a] - c[a] << ", ";
  std::cout << "     ";
  for (int a = 0; a < 3; ++a) std::cout << b[1][a] - c[a] << ", ";
  std::cout << std::endl;
  const std::size_t n = num_vertices();
  for (std::size_t i = 0; i < n; ++i)
    for (int a = 0; a < 3; ++a) vertices_[3 * i + a] -= c[a];
}

// ---- Normals

void OBJRenderer::face_normals(FaceList faces) {
  std::cout << "face_normals()... ";
  const unsigned long long count = normals_.size() / 3;
  for (unsigned long long f : listed(std::move(faces))) {
    const Vec n = faces_[f].normal(vertices_);
    for (unsigned long long index : faces_[f].vn)
      if (index < count) std::copy(n.begin(), n.end(), &normals_[3 * index]);
  }
}

OBJRenderer::FaceList OBJRenderer::vertex_normals(unsigned long long vertex) const {
  FaceList normals;
  for (const OBJFace& face : faces_) {
    const int corner = face.find_vertex(vertex);
    if (corner >= 0 && static_cast<std::size_t>(corner) < face.vn.size())
      normals.push_back(face.vn[corner]);
  }
  return normals;
}

OBJRenderer::FaceList OBJRenderer::normal_faces(unsigned long long normal) const {
  FaceList out;
  for (std::size_t i = 0; i < faces_.size(); ++i)
    if (std::find(faces_[i].vn.begin(), faces_[i].vn.end(), normal) != faces_[i].vn.end())
      out.push_back(i);
  return out;
}

OBJRenderer::FaceList OBJRenderer::vertex_faces(unsigned long long vertex,
                                                const char* marks) const {
  FaceList out;
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    if (marks && marks[i] != 0) continue;
    if (faces_[i].find_vertex(vertex) >= 0) out.push_back(i);
  }
  return out;
}

void OBJRenderer::combine_normals(FaceList faces, float distance) {
  const unsigned long long count = normals_.size() / 3;
  FaceList distinct;
  std::unordered_set<unsigned long long> seen;
  for (unsigned long long f : listed(std::move(faces)))
    for (unsigned long long index : faces_[f].vn)
      if (index < count && seen.insert(index).second) distinct.push_back(index);
  for (std::size_t i = 0; i < distinct.size(); ++i) {
    const Vec ni = to_vec3(&normals_[3 * distinct[i]]);
    FaceList near;
    for (std::size_t j = i + 1; j < distinct.size(); ++j)
      if (norm(to_vec3(&normals_[3 * distinct[j]]) - ni) < distance) near.push_back(distinct[j]);
    replace_normals(near, distinct[i]);
  }
}

void OBJRenderer::replace_normals(FaceList, unsigned long long) {}

void OBJRenderer::autoinvert_normals(bool per_material, bool per_object) {
  if (per_material) {
    for (const std::string& name : unique_materials({}))
      autoinvert_normals(material_faces(name, true, true));
  } else if (per_object) {
    for (const std::string& name : unique_objects({}, true))
      autoinvert_normals(object_faces(name, true, true));
  } else {
    autoinvert_normals(default_face_indices({}));
  }
}

void OBJRenderer::autoinvert_normals(FaceList faces) {
  const unsigned long long vertex_count = num_vertices();
  const unsigned long long normal_count = normals_.size() / 3;
  FaceList usable;
  for (unsigned long long f : faces)
    if (f < faces_.size() && faces_[f].size() > 0 && faces_[f].vertices_in_range(vertex_count))
      usable.push_back(f);
  if (usable.empty()) return;
  std::vector<Vec> centroids;
  Vec center{0, 0, 0};
  for (unsigned long long f : usable) {
    centroids.push_back(faces_[f].average_vertex(vertices_));
    center += centroids.back();
  }
  center = center * (1.0f / static_cast<float>(usable.size()));
  // A face whose normals point, on balance, toward the centre of the faces
  // faces inward; each shared normal is turned around once.
  std::unordered_set<unsigned long long> turned;
  for (unsigned long long f : usable) {
    const OBJFace& face = faces_[f];
    float sum = 0.0f;
    for (std::size_t k = 0; k < face.size() && k < face.vn.size(); ++k)
      if (face.vn[k] < normal_count)
        sum += dot(to_vec3(&vertices_[3 * face.v[k]]) - center, to_vec3(&normals_[3 * face.vn[k]]));
    if (!(sum < 0.0f)) continue;
    for (unsigned long long index : face.vn)
      if (index < normal_count && turned.insert(index).second)
        for (int a = 0; a < 3; ++a) normals_[3 * index + a] = -normals_[3 * index + a];
  }
}

// ---- Face selection

bool OBJRenderer::object_allowed(const std::string& object, bool use_included,
                                 bool use_excluded) const {
  if (object.empty()) return true;
  if (use_included && !included_object(object)) return false;
  return !(use_excluded && excluded_object(object));
}

OBJRenderer::FaceList OBJRenderer::object_faces(const std::string& name, bool use_included,
                                                bool use_excluded) const {
  FaceList out;
  if (!object_allowed(name, use_included, use_excluded)) return out;
  for (std::size_t i = 0; i < faces_.size(); ++i)
    if (faces_[i].object_name == name) out.push_back(i);
  return out;
}

OBJRenderer::FaceList OBJRenderer::material_faces(const std::string& name, bool use_included,
                                                  bool use_excluded) const {
  FaceList out;
  for (std::size_t i = 0; i < faces_.size(); ++i)
    if (faces_[i].material_name == name &&
        object_allowed(faces_[i].object_name, use_included, use_excluded))
      out.push_back(i);
  return out;
}

std::map<std::string, OBJRenderer::FaceList> OBJRenderer::faces_by_material(
    const std::vector<std::string>& names) const {
  std::map<std::string, FaceList> out;
  for (const std::string& name : names) out[name];
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    const auto it = out.find(faces_[i].material_name);
    if (it != out.end() && object_allowed(faces_[i].object_name, true, true))
      it->second.push_back(i);
  }
  return out;
}

OBJRenderer::FaceList OBJRenderer::filter_faces(std::string object, std::string group,
                                                std::string material, int mode) const {
  // One lookup per material name: a missing material is reported once.
  std::map<std::string, bool> transparent;
  FaceList out;
  for (std::size_t i = 0; i < faces_.size(); ++i) {
    const OBJFace& face = faces_[i];
    if ((!object.empty() && face.object_name != object) ||
        (!group.empty() && face.group_name != group) ||
        (!material.empty() && face.material_name != material))
      continue;
    if (mode != 0) {
      auto it = transparent.find(face.material_name);
      if (it == transparent.end())
        it = transparent.emplace(face.material_name, this->material(face).transparent()).first;
      if (it->second != (mode == 1)) continue;
    }
    out.push_back(i);
  }
  return out;
}

namespace {

// The faces near `centers[seed]`, as faces_in_radius describes them.
std::vector<unsigned long long> faces_near(const std::vector<std::array<float, 3>>& centers,
                                           unsigned long long seed, float radius, char* marks) {
  std::vector<unsigned long long> out;
  for (std::size_t i = 0; i < centers.size(); ++i) {
    if (i == seed || (marks && marks[i] != 0)) continue;
    if (norm(centers[i] - centers[seed]) <= radius) {
      out.push_back(i);
      if (marks) ++marks[i];
    }
  }
  return out;
}

}  // namespace

OBJRenderer::FaceList OBJRenderer::faces_in_radius(unsigned long long face, float radius,
                                                   char* marks) const {
  if (face >= faces_.size()) return {};
  std::vector<Vec> centers;
  for (const OBJFace& f : faces_) centers.push_back(f.average_vertex(vertices_));
  return faces_near(centers, face, radius, marks);
}

std::vector<OBJRenderer::FaceList> OBJRenderer::faces_in_radius(float radius) const {
  std::vector<Vec> centers;
  for (const OBJFace& f : faces_) centers.push_back(f.average_vertex(vertices_));
  std::vector<char> marks(faces_.size(), 0);
  std::vector<FaceList> out;
  for (std::size_t i = 0; i < faces_.size(); ++i)
    if (marks[i] == 0) out.push_back(faces_near(centers, i, radius, marks.data()));
  return out;
}

std::set<std::string> OBJRenderer::unique_objects(FaceList faces, bool with_empty) const {
  std::set<std::string> out;
  for (unsigned long long f : listed(std::move(faces)))
    if (with_empty || !faces_[f].object_name.empty()) out.insert(faces_[f].object_name);
  return out;
}

std::vector<std::string> OBJRenderer::unique_materials(FaceList faces) const {
  std::vector<std::string> out;
  std::unordered_set<std::string> seen;
  for (unsigned long long f : listed(std::move(faces)))
    if (seen.insert(faces_[f].material_name).second) out.push_back(faces_[f].material_name);
  return out;
}

std::vector<std::string> OBJRenderer::unique_material_files() const {
  return unique_materials({});
}

std::vector<std::string> OBJRenderer::object_materials(
    const std::vector<std::string>& objects) const {
  std::vector<std::string> out;
  std::unordered_set<std::string> seen;
  for (const std::string& object : objects)
    for (unsigned long long f : filter_faces(object, "", "", 0)) {
      const std::string& name = faces_[f].material_name;
      if (!name.empty() && seen.insert(name).second) out.push_back(name);
    }
  return out;
}

// ---- Materials

WavefrontMTL& OBJRenderer::material(const std::string& name) {
  for (WavefrontMTL& m : materials_)
    if (m.name() == name) return m;
  static WavefrontMTL fallback;
  return fallback;
}

const WavefrontMTL& OBJRenderer::material(const std::string& name) const {
  for (const WavefrontMTL& m : materials_)
    if (m.name() == name) return m;
  std::cerr << "OBJRenderer::material() not found: " << name << std::endl;
  std::cerr << "Valid materials: ";
  for (const WavefrontMTL& m : materials_) std::cerr << m.name() << ", ";
  std::cerr << std::endl;
  static const WavefrontMTL fallback;
  return fallback;
}

void OBJRenderer::apply_material_name(const std::string& name, FaceList faces) {
  for (unsigned long long f : listed(std::move(faces))) faces_[f].material_name = name;
}

void OBJRenderer::apply_object_name(const std::string& name, FaceList faces) {
  for (unsigned long long f : listed(std::move(faces))) faces_[f].object_name = name;
}

void OBJRenderer::apply_material(const WavefrontMTL& m, FaceList faces) {
  apply_material_name(m.name(), std::move(faces));
  bool found = false;
  for (WavefrontMTL& existing : materials_) {
    if (existing.name() != m.name()) continue;
    existing = m;
    found = true;
  }
  if (!found) materials_.push_back(m);
}

void OBJRenderer::materials2objects(bool only_unnamed, bool append, FaceList faces) {
  for (unsigned long long f : listed(std::move(faces))) {
    OBJFace& face = faces_[f];
    if (face.material_name.empty() || (only_unnamed && !face.object_name.empty())) continue;
    if (append && !face.object_name.empty()) {
      face.object_name += "_" + face.material_name;
    } else {
      face.object_name = face.material_name;
    }
  }
}

void OBJRenderer::vertices2faces(unsigned long long n, bool with_tex_coords, bool with_normals) {
  if (n == 0) {
    std::cerr << "OBJRenderer::vertices2faces(): faces of 0 corners refused" << std::endl;
    return;
  }
  const unsigned long long count = num_vertices() / n;
  for (unsigned long long f = 0; f < count; ++f) {
    OBJFace face(n);
    for (unsigned long long k = 0; k < n; ++k) face.v[k] = f * n + k;
    if (with_tex_coords) {
      face.vt = face.v;
    } else {
      face.vt.clear();
    }
    if (with_normals) {
      face.vn = face.v;
    } else {
      face.vn.clear();
    }
    if (f < faces_.size()) {
      faces_[f] = std::move(face);
    } else {
      faces_.push_back(std::move(face));
    }
  }
}

// ---- Cleaning

void OBJRenderer::clear_unused(std::vector<float>& array, AttributeType type) {
  if (array.empty()) return;
  const unsigned long long n = array.size() / 3;
  // Only the entries a list holds are read: a list may be shorter than its
  // face, and an index may address no entry (it stays as it is, still
  // addressing none).
  std::vector<bool> used(n, false);
  for (const OBJFace& face : faces_)
    for (unsigned long long index : *face.indices(type))
      if (index < n) used[index] = true;
  std::vector<unsigned long long> renumbered(n, 0);
  unsigned long long kept = 0;
  for (unsigned long long k = 0; k < n; ++k)
    if (used[k]) renumbered[k] = kept++;
  for (OBJFace& face : faces_) {
    IndexList& list = *face.indices(type);
    for (std::size_t k = 0; k < list.size(); ++k)
      if (list[k] < n) list.set(k, renumbered[list[k]]);
  }
  std::vector<float> rebuilt;
  rebuilt.reserve(3 * kept);
  for (unsigned long long k = 0; k < n; ++k)
    if (used[k]) rebuilt.insert(rebuilt.end(), &array[3 * k], &array[3 * k] + 3);
  array = std::move(rebuilt);
  std::cout << "Removed " << n - kept << " attributes." << std::endl;
}

void OBJRenderer::clear_unused_vertices() {
  clear_unused(vertices_, ATTRIB_VERTEX);
}

void OBJRenderer::clear_unused_normals() {
  clear_unused(normals_, ATTRIB_NORMAL);
}

void OBJRenderer::clear_unused_texcoords() {
  clear_unused(tex_coords_, ATTRIB_TEXCOORD);
}

void OBJRenderer::clear_unused_materials() {
  std::unordered_set<std::string> used;
  for (const OBJFace& face : faces_) used.insert(face.material_name);
  materials_.erase(std::remove_if(materials_.begin(), materials_.end(),
                                  [&used](const WavefrontMTL& m) { return !used.count(m.name()); }),
                   materials_.end());
}

void OBJRenderer::clean() {
  clear_vaos();
  clear_unused_vertices();
  clear_unused_normals();
  clear_unused_texcoords();
  clear_unused_materials();
}

// ---- Collision

void OBJRenderer::update_collision_data(FaceList faces) {
  std::vector<FaceCollisionData>& data = collision_data_.face_collision_data();
  data.resize(faces_.size());
  // A fresh record each time: a record is built only once.
  for (unsigned long long f : listed(std::move(faces))) {
    data[f] = FaceCollisionData();
    data[f].init(faces_[f], vertices_);
  }
}

CollisionPartition& OBJRenderer::calc_collision_data(float pitch, FaceList faces) {
  update_collision_data(faces);
  const int status = collision_partition_.init(faces_, collision_data_.face_collision_data(),
                                               vertices_, std::move(faces), pitch);
  if (status != 0)
    std::cerr << "OBJRenderer::calc_collision_data(): partition error " << status << std::endl;
  return collision_partition_;
}

int OBJRenderer::load_collision_data(std::string partition_file, std::string data_file) {
  int status = collision_data_.load_file(data_file);
  if (status != 0) return status;
  status = collision_partition_.load_file(partition_file);
  if (status != 0) return status;
  set_faces();
  return 0;
}

void OBJRenderer::set_faces() {
  collision_partition_.set_faces(faces_, collision_data_.face_collision_data());
}
