// Models read from OBJ text held by a test, quietly.
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

}  // namespace testing_support
