// Level-of-detail vertex arrays from model files.
#include "models/attrib_selector.h"

#include "models/obj_renderer.h"

AttribSelector::AttribSelector() {
  transform.recenter = true;
}

AttribSelector::~AttribSelector() = default;

int AttribSelector::construct(unsigned int detail) {
  const auto found = files.find(detail);
  if (found == files.end()) return -1;
  OBJRenderer model;
  if (const int status = model.load(found->second, nullptr); status != 0) return status;
  transform(model);
  OBJRenderer::Attributes arrays = model.construct_attributes({}, false);
  vertices_ = std::move(arrays[0]);
  normals_ = std::move(arrays[1]);
  tex_coords_ = std::move(arrays[2]);
  attrib_depths(model.attrib_depth());
  return 0;
}
