// OBJTransform: how a freshly read model is placed and post-processed, with
// its values taken from the "obj_" keys of the model's settings.
#pragma once

#include "core/program_cfg.h"
#include "render/vertex_data.h"

class OBJRenderer;

// The steps of VertexTransform run through the model's own operations (so
// they report as the model does), with face normals recomputed after the
// recentring when asked and the thresholds turning the normals of the faces
// around a clamped vertex. A default transform changes nothing.
class OBJTransform : public VertexTransform {
 public:
  OBJTransform() = default;
  // The defaults, then init(cfg).
  explicit OBJTransform(const ProgramCfg& cfg);

  // Reads "obj_offset", "obj_rotation", "obj_center", "obj_scale",
  // "obj_recenter", "obj_recompute_normals", "obj_lower_bound_axes" and
  // "obj_upper_bound_axes"; a key the table does not hold leaves its field.
  // "obj_rotation" takes the first nine numbers of its list, 0 for the
  // missing ones. "obj_smooth_normals" is recognised and sets nothing.
  void init(const ProgramCfg& cfg);

  // In order: recentre, recompute face normals, move by -offset, rotate
  // (when the first or second diagonal entry differs from 1), rescale
  // normals, scale, align bounds, spherical texture coordinates, move by
  // center, lower then upper thresholds.
  OBJRenderer& operator()(OBJRenderer& model) const;

  bool recompute_normals = false;
};
