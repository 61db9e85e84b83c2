// OBJ text: the reader (no material files), then the bounds, the normals and
// the per-material attribute arrays of what it kept, then the writer, whose
// text must read back with the same faces.
#include <sstream>

#include "fuzz_support.h"
#include "models/obj_renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  OBJRenderer model;
  model.load_materials(false);
  std::istringstream in(fuzzing::text(data, size));
  if (model.load(in, nullptr, false) != 0) return 0;
  model.calc_lower_upper_bounds({});
  model.calc_bbox_corners();
  (void)model.calc_vertex_average();
  model.construct_attributes({}, false);
  model.construct_attributes({}, true);
  model.construct_materials_attributes(true);
  model.construct_materials_attributes(false);

  std::ostringstream out;
  model.save(out, OBJSaveOptions{});
  OBJRenderer again;
  again.load_materials(false);
  std::istringstream back(out.str());
  again.load(back, nullptr, false);
  if (again.faces().size() != model.faces().size()) __builtin_trap();
  return 0;
}
