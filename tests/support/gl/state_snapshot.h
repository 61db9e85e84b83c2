// The OpenGL state that drawing code commonly touches, read back so a test
// can show that a drawing left it as it found it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

class GLStateSnapshot {
 public:
  // Enables (lighting, blending, depth test, 2-D texturing, culling), depth
  // writes, blend factors, current colour, line width, point size, matrix
  // mode, both matrices and stack depths, the attribute stack depth and the
  // texture, vertex-array, array-buffer and program bindings.
  static GLStateSnapshot take();

  // The names of the entries that differ from `before`, with both values;
  // empty when the state is the same.
  std::string changes_since(const GLStateSnapshot& before) const;

 private:
  std::vector<std::pair<std::string, std::vector<float>>> entries_;
};

}  // namespace testing_support
