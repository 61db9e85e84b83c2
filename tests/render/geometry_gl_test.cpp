// Detailed sets built all at once or level by level on first draw, with the
// buffers they fill read back from OpenGL.
#include "render/geometry.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::buffer_size;
using testing_support::GLTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using Pixel = std::array<unsigned char, 4>;

namespace {

template <typename Set>
void delete_set_buffers(const Set& set) {
  for (const VBO& v : set.vbos()) testing_support::delete_buffers(v.buffers());
}

class DetailedTest : public GLTest {};

}  // namespace

TEST_F(DetailedTest, ConstructFillsOneBufferSetPerLevel) {
  Detailed<Quad, float, float> quads;
  quads.name() = "Quads";
  OutputCapture capture;
  ASSERT_EQ(quads.construct(), 0);
  const std::string head =
      "construct(): allocating\n"
      "construct(): detail_start = 4, details.size() = 13\n"
      "construct(): detail_en = 16\n"
      "Constructing Quads, detail = 4\n"
      "Constructing Quads, detail = 5\n";
  EXPECT_EQ(capture.out().rfind(head, 0), 0u) << capture.out();
  EXPECT_NE(capture.out().find("Constructing Quads, detail = 16\nconstruct(): creating VBO\n"),
            std::string::npos);
  ASSERT_EQ(quads.vbos().size(), 13u);
  for (unsigned int k = 0; k < 13; ++k) {
    const unsigned long long d = 4 + k;
    const VBO& v = quads.vbos()[k];
    EXPECT_EQ(v.num_vertices(), 6 * d * d);
    EXPECT_EQ(v.mode(), GL_TRIANGLES);
    EXPECT_EQ(buffer_size(v.buffers()[0]), static_cast<GLint>(6 * d * d * 3 * 4));
    EXPECT_EQ(buffer_size(v.buffers()[2]), static_cast<GLint>(6 * d * d * 2 * 4));
    EXPECT_EQ(quads.details()[k].num_quads(), d * d);  // the arrays stay
  }
  delete_set_buffers(quads);
}

TEST_F(DetailedTest, InitWithClearEmptiesTheShapesAndKeepsTheBuffers) {
  ParameterizedGeometry g;
  g.spheres().min_detail() = 2;
  g.spheres().max_detail() = 5;
  g.cylinders().min_detail() = g.cylinders().max_detail() = 1;
  OutputCapture capture;
  ASSERT_EQ(g.init(true), 0);
  // Spheres first, then quads, then cylinders.
  const std::string out = capture.out();
  EXPECT_LT(out.find("Constructing Spheres"), out.find("Constructing Quads"));
  EXPECT_LT(out.find("Constructing Quads"), out.find("Constructing Cylinders"));

  ASSERT_EQ(g.spheres().vbos().size(), 4u);
  for (unsigned int k = 0; k < 4; ++k) {
    const unsigned long long d = 2 + k;
    EXPECT_TRUE(g.spheres().details()[k].vertices().empty());
    EXPECT_TRUE(g.spheres().details()[k].normals().empty());
    EXPECT_EQ(g.spheres().vbos()[k].num_vertices(), 12 * d * d);  // 2d x d quads
    EXPECT_EQ(buffer_size(g.spheres().vbos()[k].buffers()[1]), static_cast<GLint>(12 * d * d * 12));
  }
  ASSERT_EQ(g.cylinders().vbos().size(), 1u);
  EXPECT_EQ(g.cylinders().vbos()[0].num_vertices(), 6u);  // one segment
  EXPECT_EQ(g.quads().vbos().size(), 13u);
  for (const Quad& q : g.quads().details()) EXPECT_TRUE(q.vertices().empty());
  delete_set_buffers(g.spheres());
  delete_set_buffers(g.quads());
  delete_set_buffers(g.cylinders());
}

TEST_F(DetailedTest, AQueuedLevelIsBuiltOnItsFirstDrawOnly) {
  ParameterizedGeometry g;
  auto& quads = g.quads();
  quads.min_detail() = 1;
  quads.max_detail() = 3;
  OutputCapture capture;
  quads.init_lazy(true);
  quads.current_level() = 1;
  OffscreenTarget target(8, 8);
  quads.draw();
  EXPECT_EQ(target.pixel(4, 4), (Pixel{255, 255, 255, 255}));
  ASSERT_EQ(quads.vbos().size(), 3u);
  EXPECT_EQ(quads.vbos()[1].num_vertices(), 24u);  // detail 2: 2 x 2 quads
  EXPECT_EQ(buffer_size(quads.vbos()[1].buffers()[0]), 24 * 3 * 4);
  EXPECT_EQ(quads.vbos()[0].buffers()[0], 0u);
  EXPECT_EQ(quads.pending().size(), 2u);
  EXPECT_TRUE(quads.details()[1].vertices().empty());

  const auto names = quads.vbos()[1].buffers();
  glClear(GL_COLOR_BUFFER_BIT);
  quads.draw();
  EXPECT_EQ(target.pixel(4, 4), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(quads.vbos()[1].buffers(), names);
  EXPECT_EQ(quads.pending().size(), 2u);

  // Without clearing the arrays stay after the upload.
  auto& spheres = g.spheres();
  spheres.min_detail() = spheres.max_detail() = 3;
  spheres.init_lazy(false);
  spheres.draw();
  EXPECT_EQ(spheres.details()[0].num_quads(), 18u);
  EXPECT_TRUE(spheres.pending().empty());
  EXPECT_EQ(capture.err(), "");
  delete_set_buffers(quads);
  delete_set_buffers(spheres);
}

TEST_F(DetailedTest, ALevelWithoutBuffersIsReportedAndNotDrawn) {
  Detailed<Quad, float, float> quads;
  quads.name() = "Quads";
  quads.min_detail() = 1;
  quads.max_detail() = 3;
  OutputCapture capture;
  ASSERT_EQ(quads.construct(), 0);
  OffscreenTarget target(8, 8);
  for (int level : {5, -1}) {
    capture.reset();
    quads.current_level() = level;
    quads.draw();
    EXPECT_EQ(capture.err(), "VBO warning, name Quads, current index = " + std::to_string(level) +
                                 ", but vbo size = 3\n");
  }
  EXPECT_EQ(target.pixel(4, 4), (Pixel{0, 0, 0, 0}));
  delete_set_buffers(quads);
}
