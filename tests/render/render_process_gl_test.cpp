#include <string>
#include <vector>

#include "render/gl.h"
#include "render/render_process.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;

namespace {

GLuint tiny_program() {
  const char* vs = "#version 450 compatibility\nvoid main() { gl_Position = ftransform(); }\n";
  const char* fs = "#version 450 compatibility\nvoid main() { gl_FragColor = vec4(1.0); }\n";
  GLuint p = glCreateProgram();
  for (auto [type, src] : {std::pair{GL_VERTEX_SHADER, vs}, std::pair{GL_FRAGMENT_SHADER, fs}}) {
    GLuint s = glCreateShader(type);
    glShaderSource(s, 1, &src, nullptr);
    glCompileShader(s);
    glAttachShader(p, s);
    glDeleteShader(s);
  }
  glLinkProgram(p);
  return p;
}

RenderProcess logging_pass(std::vector<std::string>& log, std::string name, unsigned int layer) {
  RenderProcess p;
  p.name = name;
  p.layer = layer;
  p.draw = [&log, name] { log.push_back(name); };
  return p;
}

}  // namespace

class RenderProcessTest : public GLTest {};

TEST_F(RenderProcessTest, PassSavesAndRestoresStateAroundItsCallbacks) {
  const GLuint program = tiny_program();
  RenderProcess pass;
  pass.program = program;
  pass.push_matrix = 1;
  std::vector<std::string> order;
  GLint seen_program = -1, seen_depth = -1;
  pass.before = [&] { order.push_back("before"); };
  pass.draw = [&] {
    order.push_back("draw");
    glGetIntegerv(GL_CURRENT_PROGRAM, &seen_program);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &seen_depth);
    glEnable(GL_BLEND);
    glTranslatef(1, 2, 3);
  };
  pass.after = [&] { order.push_back("after"); };
  const GLint depth = get_int(GL_MODELVIEW_STACK_DEPTH);
  pass.render();
  EXPECT_EQ(order, (std::vector<std::string>{"before", "draw", "after"}));
  EXPECT_EQ(seen_program, static_cast<GLint>(program));
  EXPECT_EQ(seen_depth, depth + 1);
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), 0);
  EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), depth);
  EXPECT_EQ(get_int(GL_ATTRIB_STACK_DEPTH), 0);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX)[3], 0.0f);
  glDeleteProgram(program);
}

TEST_F(RenderProcessTest, ProgramZeroUnbindsAndBareMasksOnlyRunCallbacks) {
  const GLuint program = tiny_program();
  glUseProgram(program);
  RenderProcess pass;  // program 0, use_program true
  GLint seen_program = -1, seen_attrib = -1;
  pass.attrib_mask = 0;
  pass.draw = [&] {
    glGetIntegerv(GL_CURRENT_PROGRAM, &seen_program);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &seen_attrib);
  };
  pass.render();
  EXPECT_EQ(seen_program, 0);
  EXPECT_EQ(seen_attrib, 0);  // no attribute push
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), 0);

  glUseProgram(program);
  RenderProcess keep;
  keep.use_program = false;
  keep.render();
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(program));
  glUseProgram(0);
  glDeleteProgram(program);
}

TEST_F(RenderProcessTest, SceneDrawsLayersInOrderAndDisabledScenesTouchNothing) {
  std::vector<std::string> log;
  RenderScene scene;
  scene += logging_pass(log, "a3", 3);
  scene += logging_pass(log, "b1", 1);
  scene += logging_pass(log, "c3", 3);
  scene += logging_pass(log, "d0", 0);
  RenderProcess off = logging_pass(log, "off", 0);
  off.enabled = false;
  scene += off;
  scene.render();
  EXPECT_EQ(log, (std::vector<std::string>{"d0", "b1", "a3", "c3"}));

  const GLuint program = tiny_program();
  glUseProgram(program);
  log.clear();
  scene.enabled = false;
  scene.render();
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), static_cast<GLint>(program));
  glUseProgram(0);
  glDeleteProgram(program);
}

TEST_F(RenderProcessTest, RenderLayerDrawsOneLayerAndRestoresTheSelection) {
  std::vector<std::string> log;
  RenderScene scene;
  scene += logging_pass(log, "a3", 3);
  scene += logging_pass(log, "b1", 1);
  scene.render_layer(3);
  EXPECT_EQ(log, (std::vector<std::string>{"a3"}));
  EXPECT_EQ(scene.selected_layer, -1);
  log.clear();
  scene.render();
  EXPECT_EQ(log, (std::vector<std::string>{"b1", "a3"}));
  log.clear();
  scene.render_layer(7);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(scene.passes.count(7), 1u);
}

TEST_F(RenderProcessTest, CopiedMovedAndGrownScenesDrawTheirOwnPasses) {
  std::vector<std::string> log;
  std::vector<RenderScene> scenes;
  scenes.emplace_back();
  scenes[0] += logging_pass(log, "first", 0);
  for (int i = 0; i < 8; ++i) scenes.emplace_back();  // reallocation moves scene 0
  scenes[0].render();
  EXPECT_EQ(log, (std::vector<std::string>{"first"}));

  RenderScene copy = scenes[0];
  scenes.clear();  // the source is gone
  copy += logging_pass(log, "second", 1);
  log.clear();
  copy.render();
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second"}));

  // A caller's own draw callback is carried over as it is.
  RenderScene custom;
  custom.draw = [&log] { log.push_back("custom"); };
  RenderScene custom_copy = custom;
  log.clear();
  custom_copy.render();
  EXPECT_EQ(log, (std::vector<std::string>{"custom"}));
  // A pass added is a copy: later changes to the caller's pass don't reach the scene.
  RenderProcess p = logging_pass(log, "x", 0);
  RenderScene s;
  s += p;
  p.enabled = false;
  log.clear();
  s.render();
  EXPECT_EQ(log, (std::vector<std::string>{"x"}));
}
