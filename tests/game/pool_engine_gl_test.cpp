// What the game's engine object builds once OpenGL is up, read back from
// OpenGL: the shared ball sphere from the generated icosphere models and the
// screen atom.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "datagen/data_folder.h"
#include "game/app/pool_engine.h"
#include "support/gl/gl_test.h"

namespace {

using PoolEngineGLTest = datagen_test::DataFolderFixture<testing_support::GLTest>;

std::vector<Vec3> points(const std::vector<float>& floats) {
  std::vector<Vec3> out;
  for (std::size_t i = 0; i + 2 < floats.size(); i += 3)
    out.push_back({floats[i], floats[i + 1], floats[i + 2]});
  return out;
}

TEST_F(PoolEngineGLTest, TheBallSphereHasSixLevelsFromTheIcospheresAtTheBallsRadius) {
  PoolEngine engine;
  ASSERT_EQ(engine.build_ball_renderer(), 0);
  // The engine's geometry is built with it.
  EXPECT_FALSE(engine.geometry().quads().vbos().empty());

  const float radius = static_cast<float>(Ball().radius);
  std::size_t previous = 0;
  ASSERT_EQ(engine.ball_renderer.objects().size(), 6u);
  for (const auto& [level, vao] : engine.ball_renderer.objects()) {
    SCOPED_TRACE(level);
    ASSERT_FALSE(vao.owned_buffers().empty());
    const std::vector<Vec3> vertices =
        points(testing_support::buffer_floats(vao.owned_buffers()[0]));
    // Finer with every level.
    EXPECT_GT(vertices.size(), previous);
    previous = vertices.size();
    for (const Vec3& v : vertices) ASSERT_NEAR(norm(v), radius, 0.02f * radius);
  }
  testing_support::drain_gl_errors();
}

TEST_F(PoolEngineGLTest, TheScreenAtomStandsThreeUnitsHighWithTheFramesAspect) {
  PoolEngine engine;
  engine.render_size(1600, 900);
  engine.build_screen_atom();
  ASSERT_EQ(engine.screen_molecule.atoms().size(), 1u);
  const RenderAtom& atom = engine.screen_atom;
  EXPECT_EQ(atom.mode().mode, static_cast<GLenum>(GL_TRIANGLES));
  EXPECT_EQ(atom.mode().count, 6);
  ASSERT_EQ(atom.owned_buffers().size(), 3u);

  const std::vector<Vec3> vertices =
      points(testing_support::buffer_floats(atom.owned_buffers()[0]));
  const std::vector<Vec3> normals = points(testing_support::buffer_floats(atom.owned_buffers()[1]));
  ASSERT_EQ(vertices.size(), 6u);
  ASSERT_EQ(normals.size(), 6u);
  const Vec3 centre{-5.0f, 2.0f, 0.0f};
  const Vec3 facing = normalized(centre - Vec3{0.0f, 0.5f, 0.0f});
  float height = 0.0f, width = 0.0f;
  for (std::size_t i = 0; i < 6; ++i) {
    const Vec3 d = vertices[i] - centre;
    // In the screen's plane, its normal unmoved by the placement.
    EXPECT_NEAR(dot(d, facing), 0.0f, 1e-5f);
    EXPECT_NEAR(norm(normals[i] - facing), 0.0f, 1e-5f);
    height = std::max(height, std::fabs(d[1]) / std::sqrt(1.0f - facing[1] * facing[1]));
    width = std::max(width, std::fabs(d[2]));
  }
  EXPECT_NEAR(2.0f * height, 3.0f, 1e-4f);
  EXPECT_NEAR(2.0f * width, 3.0f * 16.0f / 9.0f, 1e-4f);
  testing_support::drain_gl_errors();
}

}  // namespace
