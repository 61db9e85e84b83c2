// Recording what a drawing sends down the fixed-function pipeline, in GL
// feedback mode: every point, line and polygon with its vertices' positions
// and colours, in the units of the drawing.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "render/gl.h"

namespace testing_support {

struct FeedbackVertex {
  std::array<float, 3> position;
  std::array<float, 4> color;
};

struct FeedbackPrimitive {
  // GL_POINT_TOKEN, GL_LINE_TOKEN (also for GL_LINE_RESET_TOKEN) or
  // GL_POLYGON_TOKEN.
  GLenum type;
  std::vector<FeedbackVertex> vertices;
};

// Runs `draw` in feedback mode through an orthographic projection of x, y
// and z in [-extent, extent], with the model-view matrix as the caller left
// it, and returns the primitives in the order drawn; positions are converted
// back to eye coordinates. What falls outside the extent is clipped away.
// The projection, the viewport and the render mode are as before afterwards.
std::vector<FeedbackPrimitive> record_primitives(float extent, const std::function<void()>& draw);

// The vertices of all primitives of one type.
std::vector<FeedbackVertex> vertices_of(const std::vector<FeedbackPrimitive>& primitives,
                                        GLenum type);

}  // namespace testing_support
