// The cue drawn from the generated cue model at its pose, and the aim
// guide's buffers and drawing, read back from OpenGL.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "datagen/data_folder.h"
#include "game/app/aim_guide.h"
#include "game/shot/cue_stick.h"
#include "support/capture.h"
#include "support/gl/feedback.h"
#include "support/gl/gl_test.h"
#include "support/gl/state_snapshot.h"

namespace {

using testing_support::FeedbackPrimitive;
using testing_support::GLStateSnapshot;
using testing_support::record_primitives;
using Color = std::array<float, 4>;

using CueGLTest = datagen_test::DataFolderFixture<testing_support::GLTest>;
using AimGuideGLTest = testing_support::GLTest;

// Draws and checks that the state is as before.
std::vector<FeedbackPrimitive> record(const std::function<void()>& draw, float extent) {
  const auto before = GLStateSnapshot::take();
  auto drawn = record_primitives(extent, draw);
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  return drawn;
}

float distance_to_line(const Vec3& p, const Vec3& origin, const Vec3& unit) {
  const Vec3 d = p - origin;
  return norm(d - unit * dot(d, unit));
}

TEST_F(CueGLTest, TheCueModelLiesFromTheBackEndToTheTip) {
  CueStick cue(nullptr, [] { return 1.0; });
  cue.init();
  cue.model = load_model("cue_stick_model.ini");
  {
    testing_support::OutputCapture quiet;
    cue.model.default_material_vaos(true);
  }
  const Vec3 back{-0.3f, -0.3f, 0.1f};
  const Vec3 front{0.3f, 0.3f, 0.1f};
  cue.set_pose(front.data(), back.data(), nullptr, false);
  const Vec3 axis = normalized(front - back);

  glEnable(GL_CULL_FACE);
  glColor4f(0.2f, 0.3f, 0.4f, 1.0f);
  const auto drawn = record([&] { cue.draw(); }, 1.0f);
  ASSERT_GT(drawn.size(), 100u);
  float reach = 0.0f, behind = 0.0f, widest = 0.0f;
  for (const FeedbackPrimitive& p : drawn) {
    ASSERT_EQ(p.type, static_cast<GLenum>(GL_POLYGON_TOKEN));
    for (const auto& v : p.vertices) {
      const float along = dot(v.position - back, axis);
      reach = std::max(reach, along);
      behind = std::min(behind, along);
      widest = std::max(widest, distance_to_line(v.position, back, axis));
    }
  }
  EXPECT_NEAR(reach, cue.length, 2e-3f);
  EXPECT_NEAR(behind, 0.0f, 2e-3f);
  EXPECT_NEAR(widest, cue.butt_radius, 2e-3f);
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  glDisable(GL_CULL_FACE);

  cue.visible = false;
  EXPECT_TRUE(record([&] { cue.draw(); }, 1.0f).empty());
  for (const VAO& vao : cue.model.opaque_vaos()) VAO(vao).clear();
}

TEST_F(AimGuideGLTest, TheFanBuffersHoldTheApexAndFadingCorners) {
  AimGuide guide;
  GLuint other = 0;
  glGenBuffers(1, &other);
  glBindBuffer(GL_ARRAY_BUFFER, other);
  guide.init_buffers();
  EXPECT_EQ(get_int(GL_ARRAY_BUFFER_BINDING), GLint(other));
  glBindBuffer(GL_ARRAY_BUFFER, 0);

  EXPECT_EQ(testing_support::buffer_floats(guide.positions.id()),
            (std::vector<float>{0, 0, 0, 1, 0, 1, -1, 0, 1}));
  EXPECT_EQ(testing_support::buffer_floats(guide.colours.id()),
            (std::vector<float>{0.5f, 0.5f, 1, 0.3f, 0.5f, 0.5f, 1, 0, 0.5f, 0.5f, 1, 0}));
  const std::pair<GLuint, GLint> usages[] = {{guide.positions.id(), GL_STREAM_DRAW},
                                             {guide.colours.id(), GL_STATIC_DRAW}};
  for (const auto& [name, usage] : usages) {
    glBindBuffer(GL_ARRAY_BUFFER, name);
    GLint got = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &got);
    EXPECT_EQ(got, usage);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  testing_support::delete_buffers(std::vector<GLuint>{other});
  guide.positions.clear();
  guide.colours.clear();
}

TEST_F(AimGuideGLTest, TheLineFadesPastTheBallAndTheFanOpensForACut) {
  AimGuide guide;
  Ball ball;
  ball.position = {0.5f, 0.0f, 0.0f};
  guide.aim_at(&ball);
  guide.tip = {-1.0f, 0.2f, 0.0f};
  guide.contact = {0.45f, 0.1f, 0.0f};
  guide.far_point = {1.5f, -0.5f, 0.0f};
  guide.edge_a = {1.6f, -0.2f, 0.0f};
  guide.edge_b = {1.2f, -0.8f, 0.0f};
  guide.cut_angle = 0.5;
  const Color full{0.5f, 0.5f, 1.0f, 0.3f};
  const Color faded{0.5f, 0.5f, 1.0f, 0.0f};

  guide.hit = false;
  EXPECT_TRUE(record([&] { guide.draw(); }, 2.0f).empty());

  guide.hit = true;
  glEnable(GL_CULL_FACE);
  glEnable(GL_LIGHTING);
  const auto drawn = record([&] { guide.draw(); }, 2.0f);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  struct Want {
    GLenum type;
    std::vector<std::pair<Vec3, Color>> vertices;
  };
  const std::vector<Want> want = {
      {GL_LINE_TOKEN, {{guide.tip, full}, {guide.contact, full}}},
      {GL_LINE_TOKEN, {{guide.contact, full}, {guide.far_point, faded}}},
      {GL_POLYGON_TOKEN, {{ball.position, full}, {guide.edge_a, faded}, {guide.far_point, full}}},
      {GL_POLYGON_TOKEN, {{ball.position, full}, {guide.far_point, full}, {guide.edge_b, faded}}},
  };
  ASSERT_EQ(drawn.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(drawn[i].type, want[i].type);
    ASSERT_EQ(drawn[i].vertices.size(), want[i].vertices.size());
    for (std::size_t k = 0; k < want[i].vertices.size(); ++k) {
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(drawn[i].vertices[k].position[c], want[i].vertices[k].first[c], 5e-3f);
      for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(drawn[i].vertices[k].color[c], want[i].vertices[k].second[c], 1e-2f);
    }
  }

  // A full hit draws only the line.
  guide.cut_angle = 0.0;
  const auto line = record([&] { guide.draw(); }, 2.0f);
  ASSERT_EQ(line.size(), 2u);
  for (const FeedbackPrimitive& p : line) EXPECT_EQ(p.type, static_cast<GLenum>(GL_LINE_TOKEN));
}

}  // namespace
