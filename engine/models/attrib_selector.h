// AttribSelector: level-of-detail vertex arrays read from one Wavefront model
// file per detail instead of being generated.
#pragma once

#include <map>
#include <string>

#include "models/obj_transform.h"
#include "render/primitives.h"

// Triangles. construct(detail) reads files[detail] (the name is used as given),
// applies transform and takes over the model's flattened arrays: positions,
// normals and texture coordinates with three floats each (attrib_depth() is
// {3, 3, 3, 0}; readers must not assume two texture-coordinate floats).
// Loading runs on the calling thread and makes no OpenGL call.
class AttribSelector : public ParametericVertices {
 public:
  // The transform recentres each model; the map is empty.
  AttribSelector();
  ~AttribSelector() override;
  AttribSelector(const AttribSelector&) = default;
  AttribSelector& operator=(const AttribSelector&) = default;
  AttribSelector(AttribSelector&&) = default;
  AttribSelector& operator=(AttribSelector&&) = default;

  // 0 when the arrays hold that detail's model; -1 for a detail without a
  // file, or the reader's non-zero code. On failure the arrays are unchanged.
  int construct(unsigned int detail) override;

  OBJTransform transform;
  std::map<unsigned int, std::string> files;
};
