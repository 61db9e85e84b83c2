// Models read from OBJ text held by a test, quietly, and materials for them.
#pragma once

#include <sstream>
#include <string>

#include "models/obj_renderer.h"
#include "support/capture.h"

namespace testing_support {

inline OBJRenderer model_of(const std::string& text) {
  OBJRenderer model;
  OutputCapture quiet;
  std::istringstream in(text);
  model.load(in, nullptr, false);
  return model;
}

// A default material with that name and opacity.
inline WavefrontMTL material_named(const std::string& name, float alpha) {
  WavefrontMTL m;
  m.rename(name);
  m.material().set_alpha(alpha);
  return m;
}

}  // namespace testing_support
