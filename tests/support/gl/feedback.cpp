#include "support/gl/feedback.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace testing_support {

std::vector<FeedbackPrimitive> record_primitives(float extent, const std::function<void()>& draw) {
  constexpr int kViewport = 1024;
  constexpr int kFloatsPerVertex = 7;  // GL_3D_COLOR in RGBA mode
  std::vector<GLfloat> buffer(1 << 20);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  glViewport(0, 0, kViewport, kViewport);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(-extent, extent, -extent, extent, -extent, extent);
  glMatrixMode(GL_MODELVIEW);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint size = glRenderMode(GL_RENDER);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  EXPECT_GE(size, 0) << "feedback buffer overflow";

  std::vector<FeedbackPrimitive> primitives;
  std::size_t i = 0;
  auto vertex = [&] {
    FeedbackVertex v;
    // Window coordinates to normalised ones, then undo the projection: z in
    // normalised coordinates is -z_eye / extent.
    v.position = {(buffer[i] / (kViewport / 2.0f) - 1.0f) * extent,
                  (buffer[i + 1] / (kViewport / 2.0f) - 1.0f) * extent,
                  -(buffer[i + 2] * 2.0f - 1.0f) * extent};
    for (int c = 0; c < 4; ++c) v.color[c] = buffer[i + 3 + c];
    i += kFloatsPerVertex;
    return v;
  };
  while (i < static_cast<std::size_t>(std::max(size, 0))) {
    const auto token = static_cast<GLenum>(buffer[i++]);
    std::size_t count = 0;
    GLenum type = token;
    switch (token) {
      case GL_PASS_THROUGH_TOKEN:
        ++i;
        continue;
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        count = 1;
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        count = 2;
        type = GL_LINE_TOKEN;
        break;
      case GL_POLYGON_TOKEN:
        count = static_cast<std::size_t>(buffer[i++]);
        break;
      default:
        ADD_FAILURE() << "unknown feedback token " << token;
        return primitives;
    }
    FeedbackPrimitive p{type, {}};
    for (std::size_t k = 0; k < count; ++k) p.vertices.push_back(vertex());
    primitives.push_back(std::move(p));
  }
  return primitives;
}

std::vector<FeedbackVertex> vertices_of(const std::vector<FeedbackPrimitive>& primitives,
                                        GLenum type) {
  std::vector<FeedbackVertex> out;
  for (const FeedbackPrimitive& p : primitives)
    if (p.type == type) out.insert(out.end(), p.vertices.begin(), p.vertices.end());
  return out;
}

}  // namespace testing_support
