#include "support/gl/state_snapshot.h"

#include <sstream>
#include <tuple>

#include "render/gl.h"

namespace testing_support {
namespace {

std::vector<float> floats(GLenum name, int n) {
  std::vector<float> v(16);
  glGetFloatv(name, v.data());
  v.resize(static_cast<std::size_t>(n));
  return v;
}

}  // namespace

GLStateSnapshot GLStateSnapshot::take() {
  GLStateSnapshot s;
  auto add = [&s](const char* name, std::vector<float> v) { s.entries_.emplace_back(name, v); };
  const std::pair<const char*, GLenum> enables[] = {{"GL_LIGHTING", GL_LIGHTING},
                                                    {"GL_BLEND", GL_BLEND},
                                                    {"GL_DEPTH_TEST", GL_DEPTH_TEST},
                                                    {"GL_TEXTURE_2D", GL_TEXTURE_2D},
                                                    {"GL_CULL_FACE", GL_CULL_FACE}};
  for (const auto& [name, cap] : enables) add(name, {glIsEnabled(cap) ? 1.0f : 0.0f});
  const std::tuple<const char*, GLenum, int> values[] = {
      {"GL_DEPTH_WRITEMASK", GL_DEPTH_WRITEMASK, 1},
      {"GL_BLEND_SRC", GL_BLEND_SRC, 1},
      {"GL_BLEND_DST", GL_BLEND_DST, 1},
      {"GL_CURRENT_COLOR", GL_CURRENT_COLOR, 4},
      {"GL_LINE_WIDTH", GL_LINE_WIDTH, 1},
      {"GL_POINT_SIZE", GL_POINT_SIZE, 1},
      {"GL_MATRIX_MODE", GL_MATRIX_MODE, 1},
      {"GL_MODELVIEW_MATRIX", GL_MODELVIEW_MATRIX, 16},
      {"GL_PROJECTION_MATRIX", GL_PROJECTION_MATRIX, 16},
      {"GL_MODELVIEW_STACK_DEPTH", GL_MODELVIEW_STACK_DEPTH, 1},
      {"GL_PROJECTION_STACK_DEPTH", GL_PROJECTION_STACK_DEPTH, 1},
      {"GL_ATTRIB_STACK_DEPTH", GL_ATTRIB_STACK_DEPTH, 1},
      {"GL_TEXTURE_BINDING_2D", GL_TEXTURE_BINDING_2D, 1},
      {"GL_VERTEX_ARRAY_BINDING", GL_VERTEX_ARRAY_BINDING, 1},
      {"GL_ARRAY_BUFFER_BINDING", GL_ARRAY_BUFFER_BINDING, 1},
      {"GL_CURRENT_PROGRAM", GL_CURRENT_PROGRAM, 1}};
  for (const auto& [name, value, n] : values) add(name, floats(value, n));
  return s;
}

std::string GLStateSnapshot::changes_since(const GLStateSnapshot& before) const {
  std::ostringstream out;
  for (std::size_t i = 0; i < entries_.size() && i < before.entries_.size(); ++i) {
    if (entries_[i].second == before.entries_[i].second) continue;
    out << entries_[i].first << ":";
    for (float v : before.entries_[i].second) out << " " << v;
    out << " ->";
    for (float v : entries_[i].second) out << " " << v;
    out << "\n";
  }
  return out.str();
}

}  // namespace testing_support
