// Models made from other models or from settings: sub-models of chosen faces,
// splitting by material, and loading a model described by a settings table.
#include <iostream>

#include "core/strings.h"
#include "models/obj_renderer.h"

OBJRenderer OBJRenderer::from_faces(const FaceList& faces) const {
  OBJRenderer part(*this);
  part.faces_.clear();
  for (unsigned long long f : faces)
    if (f < faces_.size()) part.faces_.push_back(faces_[f]);
  // Records, voxels and arrays built for this model's faces would describe
  // faces the part does not have.
  part.collision_data_ = CollisionDataLoader();
  part.collision_partition_ = CollisionPartition();
  part.opaque_attributes_.clear();
  part.transparent_attributes_.clear();
  part.clean();
  part.average_vertex_ = part.calc_vertex_average();
  part.calc_bbox_corners();
  return part;
}

std::vector<OBJRenderer> OBJRenderer::split_by_material() const {
  std::vector<OBJRenderer> parts;
  parts.reserve(materials_.size());
  for (const WavefrontMTL& m : materials_) {
    // Not filter_faces: there an empty name would match every material.
    const FaceList faces = material_faces(m.name(), false, false);
    std::cout << "Material " << m.name() << ": " << faces.size() << " faces." << std::endl;
    parts.push_back(from_faces(faces));
  }
  return parts;
}

std::vector<OBJRenderer> OBJRenderer::split_file_by_material(const std::string& path, bool save) {
  OBJRenderer model;
  if (model.load(path, nullptr) != 0) return {};
  std::vector<OBJRenderer> parts = model.split_by_material();
  if (!save) return parts;
  const std::string stem = split_ext(path_file_name(path))[0];
  for (const OBJRenderer& part : parts) {
    if (part.materials_.empty()) continue;
    // A material name comes from a file: it must not lead out of the
    // working directory.
    const std::string material = replace_chars(part.materials_.front().name(), "/\\", "_");
    part.save(stem + "_" + material + ".obj", OBJSaveOptions());
  }
  return parts;
}

int OBJRenderer::load(const ProgramCfg& cfg, std::string folder) {
  if (!cfg.contains("obj_file")) {
    std::cerr << "OBJRenderer::load() error " << 1 << std::endl;
    return 1;
  }
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += "/";
  const std::string path = folder + cfg["obj_file"].str();
  OBJTransform transform(cfg);
  const int result = load(path, &transform);
  if (result != 0) std::cerr << "OBJRenderer::load() error " << result << std::endl;
  return result;
}

int OBJRenderer::load_cfg(const std::string& path, std::string folder) {
  ProgramCfg cfg;
  if (cfg.load(path) != 0) {
    std::cerr << "OBJRenderer::load_cfg() Error loading CFG file '" << path << "'" << std::endl;
    return -1;
  }
  if (load(cfg, std::move(folder)) != 0) {
    std::cerr << "OBJRenderer::load_cfg() Error loading OBJ from CFG file '" << path << "'"
              << std::endl;
    return -1;
  }
  return 0;
}
