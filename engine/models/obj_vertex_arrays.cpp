// OBJRenderer's per-material attribute arrays, vertex-array objects and drawing.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <numeric>

#include "core/vector_math.h"
#include "models/obj_renderer.h"
#include "render/gl.h"

// ---- Attribute arrays

OBJRenderer::FaceList OBJRenderer::drawable_faces(FaceList faces,
                                                  unsigned long long* skipped) const {
  faces = listed(std::move(faces));
  const unsigned long long vertex_count = num_vertices();
  const auto outside = std::remove_if(faces.begin(), faces.end(), [&](unsigned long long f) {
    return !faces_[f].vertices_in_range(vertex_count);
  });
  if (skipped) *skipped = static_cast<unsigned long long>(faces.end() - outside);
  faces.erase(outside, faces.end());
  return faces;
}

std::vector<float> OBJRenderer::build_buffer(unsigned depth, const std::vector<float>& data,
                                             const FaceList& drawable, AttributeType type,
                                             bool reverse) const {
  if (data.empty()) return {};
  unsigned long long triangles = 0;
  for (unsigned long long f : drawable) triangles += faces_[f].num_triangles();
  std::vector<float> out;
  out.reserve(triangles * depth * 3);
  for (unsigned long long f : drawable)
    faces_[f].append_triangle_attributes(depth, data, type, reverse, out);
  return out;
}

std::vector<float> OBJRenderer::construct_buffer(unsigned depth, const std::vector<float>& data,
                                                 FaceList faces, AttributeType type,
                                                 bool reverse) const {
  if (data.empty()) return {};
  return build_buffer(depth, data, drawable_faces(std::move(faces), nullptr), type, reverse);
}

OBJRenderer::Attributes OBJRenderer::construct_attributes(FaceList faces, bool reverse) const {
  unsigned long long skipped = 0;
  const FaceList drawable = drawable_faces(std::move(faces), &skipped);
  if (skipped > 0)
    std::cerr << "OBJRenderer::construct_attributes(): " << skipped
              << " faces skipped: vertex indices outside the vertex list" << std::endl;
  return {build_buffer(3, vertices_, drawable, ATTRIB_VERTEX, reverse),
          build_buffer(3, normals_, drawable, ATTRIB_NORMAL, reverse),
          build_buffer(3, tex_coords_, drawable, ATTRIB_TEXCOORD, reverse)};
}

OBJRenderer::Attributes OBJRenderer::construct_material_attributes(const std::string& name) const {
  const FaceList faces = material_faces(name, true, true);
  // An empty list would stand for every face.
  if (faces.empty()) return {};
  return construct_attributes(faces, false);
}

int OBJRenderer::construct_material_attributes(const std::string& name, bool opaque) {
  const FaceList faces = material_faces(name, true, true);
  if (faces.empty()) return -1;
  (opaque ? opaque_attributes_ : transparent_attributes_)[name] =
      construct_attributes(faces, false);
  return 0;
}

void OBJRenderer::construct_materials_attributes(const std::vector<std::string>& names,
                                                 bool opaque) {
  apply_vao_transform();
  AttributeMap& stored = opaque ? opaque_attributes_ : transparent_attributes_;
  // One pass over the faces for all the names, not one per name.
  const std::map<std::string, FaceList> faces = faces_by_material(names);
  for (const std::string& name : names) {
    const FaceList& listed_faces = faces.at(name);
    if (!listed_faces.empty()) stored[name] = construct_attributes(listed_faces, false);
  }
}

void OBJRenderer::report_materials(const std::vector<std::string>& names, bool opaque) {
  std::cout << (opaque ? "opaque materials: " : "transparent materials: ");
  for (const std::string& name : names) std::cout << name << ", ";
  std::cout << std::endl;
}

void OBJRenderer::construct_materials_attributes(bool opaque) {
  std::vector<std::string>& names = opaque ? opaque_names_ : transparent_names_;
  names = opaque ? opaque_materials({}) : transparent_materials({});
  report_materials(names, opaque);
  construct_materials_attributes(std::vector<std::string>(names), opaque);
}

const WavefrontMTL& OBJRenderer::material_or_default(const std::string& name) const {
  static const WavefrontMTL fallback;
  return have_material(name) ? material(name) : fallback;
}

std::vector<std::string> OBJRenderer::materials_by_opacity(FaceList faces, bool opaque) const {
  std::vector<std::string> out;
  // A name without a material sorts with the default material, which is
  // opaque.
  for (const std::string& name : unique_materials(std::move(faces)))
    if (material_or_default(name).opaque() == opaque) out.push_back(name);
  return out;
}

std::vector<std::string> OBJRenderer::opaque_materials(FaceList faces) const {
  return materials_by_opacity(std::move(faces), true);
}

std::vector<std::string> OBJRenderer::transparent_materials(FaceList faces) const {
  return materials_by_opacity(std::move(faces), false);
}

// ---- Vertex-array objects

namespace {

VAO make_vao(const OBJRenderer::Attributes& arrays, const std::array<int, 3>& locations,
             const std::array<unsigned int, 4>& depths) {
  VAO vao;
  vao.mode().mode = GL_TRIANGLES;
  vao.create();
  vao.bind();
  vao.construct_indexed(arrays[0], arrays[1], arrays[2], locations[0], locations[1], locations[2],
                        static_cast<int>(depths[0]), static_cast<int>(depths[1]),
                        static_cast<int>(depths[2]));
  return vao;
}

bool all_empty(const OBJRenderer::Attributes& arrays) {
  return arrays[0].empty() && arrays[1].empty() && arrays[2].empty();
}

}  // namespace

VAO OBJRenderer::vao(const Attributes& arrays) const {
  if (all_empty(arrays))
    return make_vao(construct_attributes({}, false), attribute_locations_, attrib_depth());
  return make_vao(arrays, attribute_locations_, attrib_depth());
}

VAO OBJRenderer::material_attribute_vao(const std::string& name, bool opaque) const {
  const AttributeMap& stored = opaque ? opaque_attributes_ : transparent_attributes_;
  const auto it = stored.find(name);
  if (it == stored.end()) return VAO();
  return make_vao(it->second, attribute_locations_, attrib_depth());
}

std::vector<VAO> OBJRenderer::material_attribute_vaos(const std::vector<std::string>& names,
                                                      bool opaque) {
  std::vector<VAO> vaos;
  for (const std::string& name : names) vaos.push_back(material_attribute_vao(name, opaque));
  (opaque ? opaque_names_ : transparent_names_) = std::vector<std::string>(names);
  (opaque ? opaque_vaos_ : transparent_vaos_) = vaos;
  return vaos;
}

std::vector<VAO> OBJRenderer::material_attribute_vaos(bool opaque) {
  return material_attribute_vaos(
      std::vector<std::string>(opaque ? opaque_names_ : transparent_names_), opaque);
}

std::vector<VAO> OBJRenderer::material_vaos(const std::vector<std::string>& names, bool opaque) {
  apply_vao_transform();
  const std::map<std::string, FaceList> faces = faces_by_material(names);
  std::vector<VAO> vaos;
  for (const std::string& name : names) {
    const FaceList& listed_faces = faces.at(name);
    // A material no face uses gets a VAO without a name, which draws nothing.
    vaos.push_back(listed_faces.empty() ? VAO()
                                        : make_vao(construct_attributes(listed_faces, false),
                                                   attribute_locations_, attrib_depth()));
  }
  (opaque ? opaque_vaos_ : transparent_vaos_) = vaos;
  return vaos;
}

std::vector<VAO> OBJRenderer::default_material_vaos(bool opaque) {
  std::vector<std::string>& names = opaque ? opaque_names_ : transparent_names_;
  names = opaque ? opaque_materials({}) : transparent_materials({});
  report_materials(names, opaque);
  return material_vaos(std::vector<std::string>(names), opaque);
}

void OBJRenderer::apply_vao_transform() {
  if (!pending_transform_) return;
  (*pending_transform_)(*this);
  average_vertex_ = calc_vertex_average();
  calc_bbox_corners();
  pending_transform_ = nullptr;
}

void OBJRenderer::clear_vaos() {
  opaque_vaos_.clear();
  transparent_vaos_.clear();
}

void OBJRenderer::clear_vertex_data() {
  // Swapped with empty arrays, so the memory is given back.
  std::vector<float>().swap(vertices_);
  std::vector<float>().swap(normals_);
  std::vector<float>().swap(tex_coords_);
  AttributeMap().swap(opaque_attributes_);
  AttributeMap().swap(transparent_attributes_);
}

int OBJRenderer::load_textures(std::string folder) {
  int failed = 0;
  for (WavefrontMTL& m : materials_) failed += m.load_textures(folder);
  return failed;
}

void OBJRenderer::move_material_list(std::vector<std::string> names,
                                     std::vector<std::string>& from_names,
                                     std::vector<VAO>& from_vaos,
                                     std::vector<std::string>& to_names,
                                     std::vector<VAO>& to_vaos) {
  for (const std::string& name : names) {
    const auto it = std::find(from_names.begin(), from_names.end(), name);
    if (it == from_names.end()) continue;
    const std::size_t p = static_cast<std::size_t>(it - from_names.begin());
    to_names.push_back(name);
    from_names.erase(it);
    // Names whose VAOs are not built yet move alone with an empty VAO, so
    // the to lists stay parallel.
    if (p < from_vaos.size()) {
      to_vaos.push_back(from_vaos[p]);
      from_vaos.erase(from_vaos.begin() + static_cast<std::ptrdiff_t>(p));
    } else {
      to_vaos.push_back(VAO());
    }
  }
}

void OBJRenderer::transparent2opaque(std::vector<std::string> names) {
  if (names.empty()) names = transparent_names_;
  move_material_list(std::move(names), transparent_names_, transparent_vaos_, opaque_names_,
                     opaque_vaos_);
}

void OBJRenderer::opaque2transparent(std::vector<std::string> names) {
  if (names.empty()) names = opaque_names_;
  move_material_list(std::move(names), opaque_names_, opaque_vaos_, transparent_names_,
                     transparent_vaos_);
}

// ---- Drawing

int OBJRenderer::render_vaos(const std::vector<VAO>& vaos, std::vector<std::string> names,
                             bool textured) const {
  if (vaos.size() != names.size()) return -1;
  for (std::size_t i = 0; i < vaos.size(); ++i) {
    if (vaos[i].id() == 0) continue;
    // Faces whose material the material files lack (reported once, when they
    // were read) are left out: drawn in the default material an invisible
    // box, such as a room's walkable volume, would hide everything behind it.
    // Other faces without a material draw in the default one.
    if (!have_material(names[i]) && std::find(missing_materials_.begin(), missing_materials_.end(),
                                              names[i]) != missing_materials_.end())
      continue;
    const WavefrontMTL& m = material_or_default(names[i]);
    m.apply_gl(GL_FRONT_AND_BACK, textured);
    // A surface that cannot show (an invisible volume of alpha 0 blended
    // over the scene) costs the renderer every pixel it covers: skipped.
    if (m.material().leaves_no_trace()) continue;
    glBindVertexArray(vaos[i].id());
    vaos[i].mode().draw_arrays();
    glBindVertexArray(0);
  }
  return 0;
}

int OBJRenderer::render_opaque(bool textured) const {
  return render_vaos(opaque_vaos_, opaque_names_, textured);
}

int OBJRenderer::render_transparent(bool textured) const {
  return render_vaos(transparent_vaos_, transparent_names_, textured);
}

int OBJRenderer::render_transparent_passes(unsigned long long passes) const {
  glPushAttrib(0xFFFFF);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  glEnable(GL_DEPTH_TEST);
  int status = 0;
  if (passes <= 1) {
    glDisable(GL_CULL_FACE);
    status = render_vaos(transparent_vaos_, transparent_names_, true);
  } else {
    // Back faces first, then the front faces over them.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    status = render_vaos(transparent_vaos_, transparent_names_, true);
    glCullFace(GL_BACK);
    render_vaos(transparent_vaos_, transparent_names_, true);
  }
  glPopAttrib();
  return status;
}

int OBJRenderer::render(bool opaque, unsigned long long passes) const {
  if (opaque) return render_vaos(opaque_vaos_, opaque_names_, true);
  return render_transparent_passes(passes);
}

void OBJRenderer::sort_by_distance(const Vec& point, FaceList faces) {
  faces = listed(std::move(faces));
  std::vector<float> distance(faces.size());
  for (std::size_t k = 0; k < faces.size(); ++k) {
    distance[k] = norm(face_center(faces[k]) - point);
    // A distance that is no number sorts as the nearest.
    if (std::isnan(distance[k])) distance[k] = -std::numeric_limits<float>::infinity();
  }
  std::vector<std::size_t> order(faces.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&distance](std::size_t a, std::size_t b) { return distance[a] > distance[b]; });
  std::vector<OBJFace> sorted;
  sorted.reserve(faces.size());
  for (std::size_t k : order) sorted.push_back(faces_[faces[k]]);
  for (std::size_t k = 0; k < faces.size(); ++k) faces_[faces[k]] = std::move(sorted[k]);
}

OBJRenderer OBJRenderer::to_triangles(FaceList faces, bool reverse) const {
  OBJRenderer copy(*this);
  Attributes arrays = construct_attributes(std::move(faces), reverse);
  copy.vertices_ = std::move(arrays[0]);
  copy.normals_ = std::move(arrays[1]);
  copy.tex_coords_ = std::move(arrays[2]);
  return copy;
}
