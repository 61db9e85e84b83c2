// The Wavefront OBJ and MTL writers of OBJRenderer and the extension helper.
#include "models/obj_writer.h"

#include <algorithm>
#include <fstream>
#include <iostream>

#include "core/files.h"
#include "core/strings.h"
#include "models/obj_renderer.h"

namespace {

const char kMakerAddressLine[] = "# www.merivane.com\n";

// Stream precisions beyond this only pad with noise digits.
constexpr unsigned long long kMaxPrecision = 100;

// One line of `components` values per entry (a partial last entry is left out).
void write_block(std::ostream& out, const char* keyword, const std::vector<float>& values,
                 std::size_t components = 3) {
  const std::size_t n = values.size() / components;
  for (std::size_t i = 0; i < n; ++i) {
    out << keyword;
    for (std::size_t k = 0; k < components; ++k) out << values[components * i + k] << " ";
    out << "\n";
  }
}

// Writes "keyword value" when the value is not empty and differs from the
// previous face's (every value counts as different before the first face).
void write_change(std::ostream& out, const char* keyword, const ModelName& value,
                  const ModelName* previous) {
  if (!value.empty() && (!previous || *previous != value)) out << keyword << value << "\n";
}

void write_corners(std::ostream& out, const OBJFace& face) {
  out << "f ";
  for (std::size_t k = 0; k < face.v.size(); ++k) {
    out << face.v[k] + 1 << "/";
    if (k < face.vt.size()) out << face.vt[k] + 1;
    out << "/";
    if (k < face.vn.size()) out << face.vn[k] + 1;
    out << " ";
  }
  out << "\n";
}

// Closes a written file: bytes still buffered can fail to reach it, which
// turns a good result into 1.
int finish(std::ofstream& out, int result) {
  out.close();
  return result == 0 && out.fail() ? 1 : result;
}

}  // namespace

std::string path_file_name(const std::string& path) {
  // With the empty parts kept, a file at the root of an absolute path has no
  // "/" in front of it.
  const std::vector<std::string> parts = fileparts(path, "/\\", true);
  return parts.empty() ? std::string() : parts.back();
}

std::string replace_ext(const std::string& path, std::string ext, char separator) {
  if (ext.empty()) return path;
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t name_start = slash == std::string::npos ? 0 : slash + 1;
  const std::string stem = split_ext(path.substr(name_start))[0];
  if (ext[0] != separator) ext.insert(ext.begin(), separator);
  return path.substr(0, name_start) + stem + ext;
}

std::string OBJRenderer::get_mtl_file(std::string path) {
  return replace_ext(path, "mtl", '.');
}

int OBJRenderer::save(std::ostream& out, OBJSaveOptions options) const {
  out << "# OBJ file created by Merivane, LLC.\n" << kMakerAddressLine;
  if (options.mtl_file.empty()) {
    for (const std::string& name : mtl_files_) out << "mtllib " << name << "\n";
  } else {
    out << "mtllib " << path_file_name(options.mtl_file) << "\n";
  }
  const auto precision = static_cast<std::streamsize>(std::min(options.precision, kMaxPrecision));
  out.precision(precision);
  if (options.scientific) {
    out << std::scientific;
  } else {
    out << std::defaultfloat;
  }
  write_block(out, "v ", vertices_);
  write_block(out, "vn ", normals_);
  // Read models hold three texture components; models filled from elsewhere
  // (such as two-component coordinates) say how many in attrib_depth().
  const unsigned int tex_depth = attrib_depth()[2];
  write_block(out, "vt ", tex_coords_, tex_depth >= 1 && tex_depth <= 3 ? tex_depth : 3);

  std::vector<std::string> names = opaque_materials({});
  const std::vector<std::string> transparent = transparent_materials({});
  names.insert(names.end(), transparent.begin(), transparent.end());
  const std::map<std::string, FaceList> grouped = faces_by_material(names);
  const OBJFace* previous = nullptr;
  for (const std::string& name : names) {
    for (unsigned long long f : grouped.at(name)) {
      const OBJFace& face = faces_[f];
      write_change(out, "o ", face.object_name, previous ? &previous->object_name : nullptr);
      write_change(out, "g ", face.group_name, previous ? &previous->group_name : nullptr);
      write_change(out, "usemtl ", face.material_name,
                   previous ? &previous->material_name : nullptr);
      write_change(out, "s ", face.smoothing_group,
                   previous ? &previous->smoothing_group : nullptr);
      write_corners(out, face);
      previous = &face;
    }
  }
  out.precision(precision);
  return out.good() ? 0 : 1;
}

int OBJRenderer::save(const std::string& path, OBJSaveOptions options) const {
  std::ofstream out(path);
  if (!out.is_open()) {
    std::cerr << "OBJRenderer::save(): error writing file " << path << std::endl;
    return -1;
  }
  const int result = save(out, std::move(options));
  return finish(out, result);
}

int OBJRenderer::save_mtl(std::ostream& out) const {
  out << "# MTL file created by Merivane, LLC.\n" << kMakerAddressLine;
  // Each material reports its own errors; the stream's state decides.
  for (const WavefrontMTL& m : materials_) m.save(out, 6, 0.001f);
  return out.good() ? 0 : 1;
}

int OBJRenderer::save_mtl(std::string path) const {
  std::ofstream out(path);
  if (!out.is_open()) return -1;
  return finish(out, save_mtl(out));
}
