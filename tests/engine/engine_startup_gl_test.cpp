// The engine's start-up steps that need freeglut or a GL context: the
// window, the shared geometry and the scene "vbos".
#include <string>

#include "engine/basic_engine.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

using testing_support::GLStateSnapshot;
using testing_support::GLTest;

class EngineStartupGLTest : public GLTest {};

TEST_F(EngineStartupGLTest, InitWinMakesTheWindowAtTheScreensSizeWhenNoneIsGiven) {
  BasicEngine e;
  e.window().fullscreen_flag(false);
  e.window().set_visible(false);
  ASSERT_EQ(e.init_win(), 0);
  ASSERT_GT(e.window()(), 0);
  EXPECT_EQ(glutGetWindow(), e.window()());
  // A 0 x 0 window is the screen's size (see scripts/with-xvfb.sh).
  EXPECT_EQ(e.render_size(), (std::array<int, 2>{1920, 1080}));
  EXPECT_EQ(e.window().get_resolution(), (std::array<int, 2>{1920, 1080}));
  EXPECT_EQ(e.buffer_count(), 1);
  e.window().close();
}

TEST_F(EngineStartupGLTest, ConstructBuildsEveryLevelOfTheThreeShapeSets) {
  BasicEngine e;
  e.construct();
  const ParameterizedGeometry& g = e.geometry();
  EXPECT_EQ(g.spheres().scale(), 0.03f);
  EXPECT_EQ(g.quads().scale(), 2.0f);
  EXPECT_EQ(g.cylinders().scale(), 0.005f);
  // Spheres at details 16 down to 3; one level of quads and of cylinders.
  EXPECT_EQ(g.spheres().vbos().size(), 14u);
  EXPECT_EQ(g.quads().vbos().size(), 1u);
  EXPECT_EQ(g.cylinders().vbos().size(), 1u);
  for (const auto* set : {&g.spheres().vbos(), &g.quads().vbos(), &g.cylinders().vbos()}) {
    for (const VBO& v : *set) {
      EXPECT_GT(v.num_vertices(), 0u);
      EXPECT_TRUE(glIsBuffer(v.buffers()[0]));
    }
  }
  // The CPU arrays are emptied once uploaded.
  EXPECT_EQ(g.quads().details()[0].num_quads(), 0u);
}

class EngineStartupScenesGLTest : public testing_support::OrthoViewTest {};

TEST_F(EngineStartupScenesGLTest, TheVbosSceneDrawsTheEngineVbosAndRestoresTheState) {
  BasicEngine e;
  ASSERT_EQ(e.init_scenes(), 0);
  for (const char* name : {"dialogs", "ortho_dialogs", "vbos"})
    EXPECT_EQ(e.scenes().count(name), 1u) << name;

  e.construct();
  VBO quad = e.geometry().quads().vbos().at(0);
  e.draw_vbos().add(nullptr);  // skipped
  e.draw_vbos().add(&quad);
  // Set against what the pass wants, to show it is put back.
  glEnable(GL_BLEND);
  glDepthMask(GL_FALSE);
  glColor4f(0.0f, 1.0f, 0.0f, 1.0f);
  const GLStateSnapshot before = GLStateSnapshot::take();
  e.scenes()["vbos"].render();
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  glDisable(GL_BLEND);
  glDepthMask(GL_TRUE);

  EXPECT_EQ(at(0.25f, 0.25f)[1], 255);  // the quad, in the current colour
  EXPECT_EQ(at(-1.5f, -1.5f)[1], 0);
}
