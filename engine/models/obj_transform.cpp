// Model transforms from settings and their application to a model.
#include "models/obj_transform.h"

#include <algorithm>

#include "core/strings.h"
#include "models/obj_renderer.h"

OBJTransform::OBJTransform(const ProgramCfg& cfg) {
  init(cfg);
}

namespace {

// A flag written as an integer: its leading digits after an optional sign.
bool flag(const CfgField& field) {
  return read_long_long(field.str()) != 0;
}

bool any_nonzero(const std::array<float, 3>& v) {
  return v[0] != 0.0f || v[1] != 0.0f || v[2] != 0.0f;
}

}  // namespace

void OBJTransform::init(const ProgramCfg& cfg) {
  if (cfg.contains("obj_offset")) offset = static_cast<std::array<float, 3>>(cfg["obj_offset"]);
  if (cfg.contains("obj_rotation")) {
    const std::vector<float> values = cfg["obj_rotation"].vec<float>();
    rotation.fill(0.0f);
    std::copy_n(values.begin(), std::min<std::size_t>(values.size(), rotation.size()),
                rotation.begin());
  }
  if (cfg.contains("obj_center")) center = static_cast<std::array<float, 3>>(cfg["obj_center"]);
  if (cfg.contains("obj_scale")) scale = static_cast<std::array<float, 3>>(cfg["obj_scale"]);
  if (cfg.contains("obj_recenter")) recenter = flag(cfg["obj_recenter"]);
  // "obj_smooth_normals" is a known key with nothing to set.
  if (cfg.contains("obj_recompute_normals")) recompute_normals = flag(cfg["obj_recompute_normals"]);
  if (cfg.contains("obj_lower_bound_axes"))
    lower_bound_axes = static_cast<std::array<int, 3>>(cfg["obj_lower_bound_axes"]);
  if (cfg.contains("obj_upper_bound_axes"))
    upper_bound_axes = static_cast<std::array<int, 3>>(cfg["obj_upper_bound_axes"]);
}

OBJRenderer& OBJTransform::operator()(OBJRenderer& model) const {
  if (recenter) model.center_vertices();
  if (recompute_normals) model.face_normals({});
  if (any_nonzero(offset)) model.translate({-offset[0], -offset[1], -offset[2]});
  if (rotation[0] != 1.0f || rotation[4] != 1.0f) model.rotate(rotation, true);
  scale_and_align(model);
  if (any_nonzero(center)) model.translate(center);
  apply_thresholds(model,
                   [&model](unsigned long long vertex) { return model.vertex_normals(vertex); });
  return model;
}
