// OBJRenderer: a Wavefront model — vertex data, faces, materials, the OBJ
// reader and writer, geometry and face queries, sub-models and models from
// settings, per-material vertex arrays and drawing, and the collision data
// over its faces.
#pragma once

#include <array>
#include <deque>
#include <istream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "models/collision_partition.h"
#include "models/face_collision.h"
#include "models/obj_face.h"
#include "models/obj_transform.h"
#include "models/obj_writer.h"
#include "models/wavefront_mtl.h"
#include "render/object_gl.h"
#include "render/vertex_data.h"
#include "ui/option.h"

// Positions, normals and texture coordinates have three floats per entry;
// a model whose texture coordinates are filled in with one or two floats per
// entry sets attrib_depth()[2] to that count before it is saved.
// Face lists are positions in faces(); where an operation says so, an empty
// list stands for all faces. Listed indices that name no face are skipped.
// Indices inside faces come from files: an index that addresses no entry of
// its list is treated as missing, and a face with a vertex index outside the
// vertex list has no geometry (the reader drops such faces with a warning).
//
// Threads: reading and the attribute arrays make no OpenGL call and may run
// on a worker; the VAO, texture and drawing operations need the OpenGL
// context. Nothing locks: the model belongs to one thread at a time.
//
// Copies and moves point their collision partition at their own faces.
class OBJRenderer : public VertexData, public SimpleOption {
 public:
  using FaceList = std::vector<unsigned long long>;
  using Vec = std::array<float, 3>;
  using Corners = std::array<Vec, 8>;
  // Positions, normals, texture coordinates: three floats per triangle corner.
  using Attributes = std::array<std::vector<float>, 3>;
  using AttributeMap = std::map<std::string, Attributes>;

  // An empty model; a non-empty file name is then read (loaded() tells how
  // that went).
  explicit OBJRenderer(std::string file = "");
  OBJRenderer(const OBJRenderer& other);
  OBJRenderer(OBJRenderer&& other) noexcept;
  OBJRenderer& operator=(const OBJRenderer& other);
  OBJRenderer& operator=(OBJRenderer&& other) noexcept;
  ~OBJRenderer() override;

  // ---- Reading (obj_reader.cpp)

  // Appends the statements of an OBJ text to the model: "v", "vt", "vp",
  // "vn", "f", "o", "s", "mtllib", "g", "usemtl" (other lines are ignored;
  // a "#" at the start of a line or after a blank starts a comment; lines
  // shorter than three characters are dropped). Face corners are v, v/vt,
  // v//vn or v/vt/vn; a negative index counts back from the entries read so
  // far. An "mtllib" line is one file name when that file exists, else one
  // name per word. Then loads the materials (while load_materials()),
  // applies the transform when given and recomputes the average vertex and
  // the bounding box. 0; -1 when no line was kept (nothing changes);
  // otherwise the number of MTL files that gave no material. Text that
  // yields no face, vertex or material is reported as a warning. verbose
  // writes progress to std::cout.
  int load(std::istream& in, OBJTransform* transform, bool verbose);
  // The file's folder becomes the load path, then the stream form. -1 when
  // the file cannot be opened.
  int load(std::string path, OBJTransform* transform = nullptr);
  // The materials of every name in mtl_files(), found as given or inside the
  // load path; a default material stands in for a missing file. The number
  // of files that gave no material. When every file was read, the names the
  // faces use that the files lack are named once (missing_materials()).
  int load_mtl();
  // The material names the faces used that the material files lacked, all of
  // them read, when the materials were last loaded: their faces are not
  // drawn (a damaged file's invisible volume would cover the scene). Faces of
  // any other name without a material (a model without material files, or
  // with one that is missing) draw in the default material.
  const std::vector<std::string>& missing_materials() const { return missing_materials_; }
  int loaded() const { return loaded_; }

  // ---- Writing (obj_writer.cpp)

  // The OBJ text: "mtllib" lines, the "v", "vn" and "vt" blocks (three
  // numbers each), then the faces material by material (opaque materials
  // first, each in first-use order) with "o", "g", "usemtl" and "s" only
  // where the value is not empty and changes. Faces of objects that are not
  // included, or are excluded, are left out. Every corner has two "/", with
  // nothing where the face has no texture-coordinate or normal index. 0 when
  // the stream is good afterwards, else 1.
  int save(std::ostream& out, OBJSaveOptions options) const;
  // The file form; -1 (with a message) when the file cannot be opened. No
  // MTL file is written.
  int save(const std::string& path, OBJSaveOptions options) const;
  // Every material with WavefrontMTL::save (precision 6, minimum 0.001). 0
  // when the stream is good afterwards, else 1.
  int save_mtl(std::ostream& out) const;
  // -1 (silently) when the file cannot be opened.
  int save_mtl(std::string path) const;
  // The path with the extension "mtl".
  static std::string get_mtl_file(std::string path);

  // ---- Composition (obj_composition.cpp)

  // A copy of this model with copies of the listed faces (in list order,
  // duplicates twice; indices that name no face are skipped) instead of its
  // own, without VAOs, then cleaned: unused positions, normals, texture
  // coordinates and materials are dropped. Data built for the old faces (the
  // attribute arrays, collision records and partition) is not carried over;
  // the average vertex and the bounding box are those of the new vertices.
  OBJRenderer from_faces(const FaceList& faces) const;
  // One model per entry of materials(), in order, made of the faces of that
  // material; writes "Material <name>: <n> faces." for each.
  std::vector<OBJRenderer> split_by_material() const;
  // Reads the file and splits it by material; none when it cannot be read.
  // With save, each part that has a material is written as
  // "<stem>_<first material>.obj" in the working directory (no MTL file;
  // path separators in the material name become "_").
  static std::vector<OBJRenderer> split_file_by_material(const std::string& path, bool save);
  // Reads folder + the table's "obj_file" with the transform of its "obj_"
  // keys. 1 without "obj_file" (nothing changes); else load's result, each
  // failure reported on std::cerr.
  int load(const ProgramCfg& cfg, std::string folder);
  // load(cfg, folder) of the settings file's table; 0, or -1 when the file
  // cannot be read or the model does not load.
  int load_cfg(const std::string& path, std::string folder);

  // ---- Data

  std::deque<OBJFace>& faces() { return faces_; }
  const std::deque<OBJFace>& faces() const { return faces_; }
  std::vector<WavefrontMTL>& materials() { return materials_; }
  const std::vector<WavefrontMTL>& materials() const { return materials_; }
  const std::vector<std::string>& mtl_files() const { return mtl_files_; }
  const std::vector<float>& param_coords() const { return param_coords_; }
  void param_coords(const std::vector<float>& coords) { param_coords_ = coords; }
  // The folder the materials and textures are read from, "/" after each part.
  const std::string& load_path() const { return load_path_; }
  void load_path(std::string path) { load_path_ = std::move(path); }
  bool load_materials() const { return load_materials_; }
  void load_materials(bool on) { load_materials_ = on; }
  OBJTransform& transform() { return transform_; }
  const OBJTransform& transform() const { return transform_; }
  std::vector<std::string>& included_objects() { return included_objects_; }
  const std::vector<std::string>& included_objects() const { return included_objects_; }
  std::vector<std::string>& excluded_objects() { return excluded_objects_; }
  const std::vector<std::string>& excluded_objects() const { return excluded_objects_; }

  // The stored values; nothing is recomputed.
  const Vec& average_vertex() const { return average_vertex_; }
  const Bounds& lower_upper_bounds() const { return lower_upper_bounds_; }
  const Corners& bounding_box_corners() const { return bounding_box_corners_; }

  bool have_material(const std::string& name) const;
  // True when included_objects() is empty or holds the name.
  bool included_object(const std::string& name) const;
  // True when excluded_objects() holds the name.
  bool excluded_object(const std::string& name) const;

  // ---- Bounds and centre

  // Lower and upper corner over the vertices of the listed faces (empty:
  // all); zeros when they name no vertex.
  Bounds calc_lower_upper_bounds(FaceList faces);
  // Stores the bounds over all faces and the eight corners of that box
  // (corner k takes the upper value on axis j when bit j of k is set).
  Corners& calc_bbox_corners();
  // Mean of all vertex positions; zeros without vertices.
  Vec calc_vertex_average() const;
  Vec face_center(unsigned long long face) const;
  // Mean over the corners of the listed faces (empty: all); a vertex counts
  // once per corner naming it. Zeros when no corner names a vertex.
  Vec average_face_position(FaceList faces) const;
  // 0 without vertices; else the summed area of the listed faces (empty: all).
  float total_face_area(const FaceList& faces) const;
  // Fan triangles of the listed faces; an empty list gives 0.
  unsigned long long num_triangles(const FaceList& faces) const;

  // ---- Moving vertices (progress goes to std::cout)

  void translate(const Vec& d);
  // Moves the bounding-box centre to the origin and reports the new box.
  void center_vertices();

  // ---- Normals

  // Stores each listed face's normal (empty: all) at the normals its vn
  // names; the normal array keeps its size.
  void face_normals(FaceList faces);
  // For each face naming the vertex, the normal index of its first such
  // corner, in face order.
  FaceList vertex_normals(unsigned long long vertex) const;
  FaceList normal_faces(unsigned long long normal) const;
  // Faces naming the vertex; face i is passed over when marks[i] is non-zero.
  FaceList vertex_faces(unsigned long long vertex, const char* marks) const;
  // Finds the groups of near-equal normals of the listed faces and hands each
  // to replace_normals, which leaves the model as it is.
  void combine_normals(FaceList faces, float distance);
  void replace_normals(FaceList normals, unsigned long long normal);
  // Turns around the normals of the faces that face the centre of the faces
  // considered together: per material, else per object, else all at once.
  void autoinvert_normals(bool per_material, bool per_object);
  void autoinvert_normals(FaceList faces);

  // ---- Face selection (ascending face indices)

  FaceList default_face_indices(FaceList faces) const;
  // Faces of that object; none when a non-empty name is not included
  // (use_included) or is excluded (use_excluded).
  FaceList object_faces(const std::string& name, bool use_included, bool use_excluded) const;
  // Faces of that material whose object passes the same tests.
  FaceList material_faces(const std::string& name, bool use_included, bool use_excluded) const;
  // Faces whose object, group and material equal the given names (an empty
  // name matches all); mode 1 keeps transparent faces only, any other
  // non-zero mode opaque ones.
  FaceList filter_faces(std::string object, std::string group, std::string material,
                        int mode) const;
  // Every other face whose average vertex lies within the radius of the given
  // face's, passing over and then incrementing marked faces (marks may be null).
  FaceList faces_in_radius(unsigned long long face, float radius, char* marks) const;
  // One list per face that no earlier list holds, seeded by it; the seed is
  // not in its own list.
  std::vector<FaceList> faces_in_radius(float radius) const;
  std::set<std::string> unique_objects(FaceList faces, bool with_empty) const;
  // Material names in first-use order (empty list: all faces).
  std::vector<std::string> unique_materials(FaceList faces) const;
  std::vector<std::string> unique_material_files() const;
  std::vector<std::string> object_materials(const std::vector<std::string>& objects) const;

  // ---- Materials

  // The first material of that name; otherwise a shared default material
  // (the const form reports the miss on std::cerr).
  WavefrontMTL& material(const std::string& name);
  const WavefrontMTL& material(const std::string& name) const;
  WavefrontMTL& material(const OBJFace& face) { return material(face.material_name); }
  const WavefrontMTL& material(const OBJFace& face) const { return material(face.material_name); }

  void apply_material_name(const std::string& name, FaceList faces);
  void apply_object_name(const std::string& name, FaceList faces);
  // Names the faces after m, then overwrites every material of that name
  // with m, or appends m when there is none.
  void apply_material(const WavefrontMTL& m, FaceList faces);
  // Object names from material names: the material name, or object + "_" +
  // material with append for faces that have an object name.
  void materials2objects(bool only_unnamed, bool append, FaceList faces);
  // One face of every n consecutive vertices (a remainder is ignored),
  // replacing face f or appended. n = 0 is refused.
  void vertices2faces(unsigned long long n, bool with_tex_coords, bool with_normals);

  // ---- Cleaning

  // Drop the entries no face names and renumber the faces' indices.
  void clear_unused_vertices();
  void clear_unused_normals();
  void clear_unused_texcoords();
  void clear_unused_materials();
  // The VAO lists, then the three removals and the unused materials.
  void clean();

  // ---- Collision

  CollisionDataLoader& collision_data() { return collision_data_; }
  const CollisionDataLoader& collision_data() const { return collision_data_; }
  CollisionPartition& collision_partition() { return collision_partition_; }
  const CollisionPartition& collision_partition() const { return collision_partition_; }
  // One record per face, rebuilt from the current vertices for the listed
  // faces (empty: all).
  void update_collision_data(FaceList faces);
  CollisionPartition& calc_collision_data(float pitch, FaceList faces);
  // The records from data_file, then the partition from partition_file; the
  // first non-zero loader code, else 0.
  int load_collision_data(std::string partition_file, std::string data_file);
  void set_faces();

  // ---- Per-material attribute arrays (no OpenGL)

  // The attributes of the listed faces' fan triangles, depth floats per corner.
  std::vector<float> construct_buffer(unsigned depth, const std::vector<float>& data,
                                      FaceList faces, AttributeType type, bool reverse) const;
  Attributes construct_attributes(FaceList faces, bool reverse) const;
  // Empty arrays when no face uses the material.
  Attributes construct_material_attributes(const std::string& name) const;
  // Stores the arrays in the opaque or transparent map; -1 (nothing stored)
  // when no face uses the material.
  int construct_material_attributes(const std::string& name, bool opaque);
  // Applies the pending transform first.
  void construct_materials_attributes(const std::vector<std::string>& names, bool opaque);
  // Sets the opaque (transparent) names from the faces, then builds them.
  void construct_materials_attributes(bool opaque);
  std::vector<std::string> opaque_materials(FaceList faces) const;
  std::vector<std::string> transparent_materials(FaceList faces) const;

  const AttributeMap& opaque_attributes() const { return opaque_attributes_; }
  const AttributeMap& transparent_attributes() const { return transparent_attributes_; }
  const std::vector<std::string>& opaque_material_names() const { return opaque_names_; }
  const std::vector<std::string>& transparent_material_names() const { return transparent_names_; }
  const std::vector<VAO>& opaque_vaos() const { return opaque_vaos_; }
  const std::vector<VAO>& transparent_vaos() const { return transparent_vaos_; }
  const std::array<int, 3>& attribute_locations() const { return attribute_locations_; }
  void attribute_locations(std::array<int, 3> locations) { attribute_locations_ = locations; }
  // Applied once, before the next arrays or VAOs are built; not owned.
  OBJTransform* pending_transform() const { return pending_transform_; }
  void pending_transform(OBJTransform* transform) { pending_transform_ = transform; }
  // Carried and copied; the reader clears both without a window.
  std::array<bool, 2> auto_create_vaos() const { return auto_create_vaos_; }
  void auto_create_vaos(bool first, bool second) { auto_create_vaos_ = {first, second}; }

  // ---- Vertex-array objects (OpenGL context)

  // A VAO of triangles from the arrays (all empty: the whole model).
  VAO vao(const Attributes& arrays) const;
  // The VAO of the stored arrays of the material; a VAO without a name when
  // there are none.
  VAO material_attribute_vao(const std::string& name, bool opaque) const;
  // Also replaces the opaque (transparent) VAOs and names.
  std::vector<VAO> material_attribute_vaos(const std::vector<std::string>& names, bool opaque);
  std::vector<VAO> material_attribute_vaos(bool opaque);
  // Builds the arrays of each material and its VAO (without a name when no
  // face uses it); replaces the VAO list, not the names.
  std::vector<VAO> material_vaos(const std::vector<std::string>& names, bool opaque);
  std::vector<VAO> default_material_vaos(bool opaque);
  void apply_vao_transform();
  // Forgets the VAOs (the OpenGL objects stay; the names lists too).
  void clear_vaos();
  // Frees positions, normals, texture coordinates and both attribute maps.
  void clear_vertex_data();
  // The number of texture maps that failed to load, over all materials.
  int load_textures(std::string folder);

  // Moves each listed name found in the from list, with its VAO, to the end
  // of the to lists.
  static void move_material_list(std::vector<std::string> names,
                                 std::vector<std::string>& from_names, std::vector<VAO>& from_vaos,
                                 std::vector<std::string>& to_names, std::vector<VAO>& to_vaos);
  // An empty list moves all.
  void transparent2opaque(std::vector<std::string> names);
  void opaque2transparent(std::vector<std::string> names);

  // ---- Drawing (OpenGL context)

  // Draws each VAO that has a name with the material of the same position.
  // -1 (nothing drawn) when the lists differ in length, else 0.
  int render_vaos(const std::vector<VAO>& vaos, std::vector<std::string> names,
                  bool textured) const;
  int render_opaque(bool textured) const;
  // Without any blending set-up.
  int render_transparent(bool textured) const;
  // Alpha-blended without depth writes: one pass without culling for
  // passes <= 1, else back faces then front faces. OpenGL state is restored.
  int render_transparent_passes(unsigned long long passes) const;
  // The opaque group (textured) or the transparent passes.
  int render(bool opaque, unsigned long long passes) const;
  // Reorders the listed faces (empty: all) among their own positions, the
  // farthest from the point first; equal distances keep their order.
  void sort_by_distance(const Vec& point, FaceList faces);
  // A copy whose vertex arrays are the fan triangles of the listed faces.
  OBJRenderer to_triangles(FaceList faces, bool reverse) const;

 private:
  template <typename Self, typename Other>
  static void assign_fields(Self& to, Other&& from);
  // The faces that name one, with out-of-range entries dropped.
  FaceList listed(FaceList faces) const;
  // Whether the face's object passes the included and excluded tests.
  bool object_allowed(const std::string& object, bool use_included, bool use_excluded) const;
  // material_faces for every name in one pass over the faces.
  std::map<std::string, FaceList> faces_by_material(const std::vector<std::string>& names) const;
  // The listed faces (empty: all) whose vertex indices all address a vertex:
  // the others have no geometry and are left out of every array alike, so
  // positions, normals and texture coordinates stay parallel.
  FaceList drawable_faces(FaceList faces, unsigned long long* skipped) const;
  // The attributes of faces known to be drawable.
  std::vector<float> build_buffer(unsigned depth, const std::vector<float>& data,
                                  const FaceList& drawable, AttributeType type, bool reverse) const;
  // Where an MTL file name is found: as given, else inside the load path;
  // empty when neither exists.
  std::string find_mtl(const std::string& name) const;
  // Stores the bounds and the corners of their box.
  void set_bounding_box(const Bounds& bounds);
  // Drops the entries of array that no face's selected list names.
  void clear_unused(std::vector<float>& array, AttributeType type);
  std::vector<std::string> materials_by_opacity(FaceList faces, bool opaque) const;
  // The material of that name, else the default one, without a word: a name
  // without a material was named when the materials were loaded, or has
  // none to be named for (a model without material files).
  const WavefrontMTL& material_or_default(const std::string& name) const;
  // Names missing_materials() on the error stream with the files.
  void report_missing_materials() const;
  // Prints "opaque materials: " or "transparent materials: " and the names.
  static void report_materials(const std::vector<std::string>& names, bool opaque);

  std::vector<std::string> included_objects_;
  std::vector<std::string> excluded_objects_;
  OBJTransform transform_;
  std::string load_path_;
  std::vector<float> param_coords_;
  Vec average_vertex_{0, 0, 0};
  Bounds lower_upper_bounds_{};
  Corners bounding_box_corners_{};
  std::deque<OBJFace> faces_;
  CollisionDataLoader collision_data_;
  std::vector<WavefrontMTL> materials_;
  std::vector<std::string> mtl_files_;
  std::vector<std::string> missing_materials_;
  AttributeMap opaque_attributes_;
  AttributeMap transparent_attributes_;
  int loaded_ = 0;
  bool load_materials_ = true;
  std::array<bool, 2> auto_create_vaos_{false, false};
  std::vector<std::string> opaque_names_;
  std::vector<std::string> transparent_names_;
  std::vector<VAO> opaque_vaos_;
  std::vector<VAO> transparent_vaos_;
  CollisionPartition collision_partition_;
  std::array<int, 3> attribute_locations_{-1, -1, -1};
  OBJTransform* pending_transform_ = nullptr;
};
