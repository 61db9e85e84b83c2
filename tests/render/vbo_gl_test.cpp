// Vertex buffer sets: buffer contents and sizes read back from OpenGL, and
// drawing that leaves matrix, client arrays and bindings as it found them.
#include "render/primitives.h"
#include "render/vbo.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::buffer_floats;
using testing_support::buffer_size;
using testing_support::delete_buffers;
using testing_support::GLTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using Floats = std::vector<float>;
using Pixel = std::array<unsigned char, 4>;

namespace {

constexpr Pixel kWhite{255, 255, 255, 255};
constexpr Pixel kBlack{0, 0, 0, 0};

// The unit square (covering the middle of the viewport) as one quad.
Quad unit_square() {
  Quad q;
  q.construct(1);
  return q;
}

class VBOTest : public GLTest {
 protected:
  void TearDown() override {
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_NORMAL_ARRAY);
    glColor4f(1, 1, 1, 1);
    GLTest::TearDown();
  }
};

}  // namespace

TEST_F(VBOTest, QuadsAreUploadedAsTwoTrianglesEach) {
  const Quad q = unit_square();
  VBO v;
  EXPECT_EQ(v.name(), "Unnamed");
  ASSERT_FALSE(
      v.init(4, GL_QUADS, q.vertices().data(), q.normals().data(), q.tex_coords().data(), 3, 2));
  EXPECT_EQ(v.num_vertices(), 6u);
  EXPECT_EQ(v.size(), 6u);
  EXPECT_EQ(v.mode(), GL_TRIANGLES);
  EXPECT_EQ(buffer_size(v.buffers()[0]), 18 * 4);
  EXPECT_EQ(buffer_size(v.buffers()[1]), 18 * 4);
  EXPECT_EQ(buffer_size(v.buffers()[2]), 12 * 4);
  EXPECT_EQ(buffer_floats(v.buffers()[0]), Quad::to_triangles(q.vertices(), 3, 0));
  EXPECT_EQ(buffer_floats(v.buffers()[2]), Quad::to_triangles(q.tex_coords(), 2, 0));

  // Six vertices are one quad and a half: the half is dropped, the count
  // matches what was uploaded, and the buffer names are kept.
  Quad two;
  two.construct(2, 1);
  const auto names = v.buffers();
  ASSERT_FALSE(v.init(6, GL_QUADS, two.vertices().data(), nullptr, nullptr, 3, 2));
  EXPECT_EQ(v.num_vertices(), 6u);
  EXPECT_EQ(buffer_size(v.buffers()[0]), 18 * 4);
  EXPECT_EQ(v.buffers(), names);
  delete_buffers(v.buffers());
}

TEST_F(VBOTest, OnlyTheGivenArraysGetBuffersAndOtherModesStayAsGiven) {
  const Floats triangle{0, 0, 0, 1, 0, 0, 0, 1, 0};
  VBO v;
  ASSERT_FALSE(v.init(3, GL_TRIANGLES, triangle.data(), nullptr, nullptr, 3, 2));
  EXPECT_TRUE(glIsBuffer(v.buffers()[0]));
  EXPECT_EQ(v.buffers()[1], 0u);
  EXPECT_EQ(v.buffers()[2], 0u);
  EXPECT_EQ(buffer_floats(v.buffers()[0]), triangle);

  const Floats strip{0, 0, 1, 0, 0, 1, 1, 1};  // two components per position
  const Floats uvw{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
  VBO s;
  ASSERT_FALSE(s.init(4, GL_TRIANGLE_STRIP, strip.data(), nullptr, uvw.data(), 2, 3));
  EXPECT_EQ(s.mode(), GL_TRIANGLE_STRIP);
  EXPECT_EQ(s.num_vertices(), 4u);
  EXPECT_EQ(buffer_floats(s.buffers()[0]), strip);
  EXPECT_EQ(buffer_floats(s.buffers()[2]), uvw);
  EXPECT_EQ(s.arraytype2depth(GL_VERTEX_ARRAY), 2);
  EXPECT_EQ(s.arraytype2depth(GL_NORMAL_ARRAY), 3);
  EXPECT_EQ(s.arraytype2depth(GL_TEXTURE_COORD_ARRAY), 3);
  EXPECT_EQ(s.arraytype2depth(GL_COLOR_ARRAY), 1);
  EXPECT_EQ(VBO::arraytype2ind(GL_VERTEX_ARRAY), 0);
  EXPECT_EQ(VBO::arraytype2ind(GL_NORMAL_ARRAY), 1);
  EXPECT_EQ(VBO::arraytype2ind(GL_TEXTURE_COORD_ARRAY), 2);
  EXPECT_EQ(VBO::arraytype2ind(GL_COLOR_ARRAY), 0);

  OutputCapture capture;
  VBO bad;
  EXPECT_TRUE(bad.init(3, GL_TRIANGLES, triangle.data(), nullptr, nullptr, 0, 2));
  EXPECT_EQ(bad.buffers(), (std::array<unsigned int, 3>{0, 0, 0}));
  EXPECT_NE(capture.err().find("VBO::init(): depths 0, 2 refused"), std::string::npos);
  delete_buffers(v.buffers());
  delete_buffers(s.buffers());
}

TEST_F(VBOTest, FillingFromVertexDataLeavesOutShortArrays) {
  VertexData d;
  d.vertices() = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  d.normals() = {0, 0, 1};  // one normal for three vertices
  d.tex_coords() = {0, 0, 1, 0, 0, 1};
  VBO v;
  ASSERT_FALSE(v.init(d, GL_TRIANGLES));
  EXPECT_NE(v.buffers()[0], 0u);
  EXPECT_EQ(v.buffers()[1], 0u);
  EXPECT_EQ(buffer_floats(v.buffers()[2]), d.tex_coords());
  delete_buffers(v.buffers());
}

TEST_F(VBOTest, CopiesDrawTheSameBuffersAndDeleteNone) {
  const Quad q = unit_square();
  VBO v;
  v.rename("square");
  ASSERT_FALSE(v.init(4, GL_QUADS, q.vertices().data(), nullptr, nullptr, 3, 2));
  {
    VBO copy(v);
    EXPECT_EQ(copy.name(), "square");
    EXPECT_EQ(copy.buffers(), v.buffers());
    EXPECT_EQ(copy.num_vertices(), 6u);
    EXPECT_NE(&copy.coord_sys(), &v.coord_sys());  // owned: duplicated
    OffscreenTarget target(8, 8);
    copy.draw(true, false, false);
    EXPECT_EQ(target.pixel(4, 4), kWhite);
  }
  EXPECT_TRUE(glIsBuffer(v.buffers()[0]));

  CoordinateSystem shared;
  VBO borrowing(nullptr, &shared);
  VBO borrowed_copy;
  borrowed_copy = borrowing;
  EXPECT_EQ(&borrowed_copy.coord_sys(), &shared);
  delete_buffers(v.buffers());
}

TEST_F(VBOTest, DrawingRestoresMatrixClientArraysAndBindings) {
  const Quad q = unit_square();
  Texture red;
  const unsigned char px[4] = {255, 0, 0, 255};
  red.set_data(1, 1, px, Texture::kRGBA);
  ASSERT_EQ(red.generate(GL_RGBA), 0);
  VBO v(&red, nullptr);
  ASSERT_FALSE(
      v.init(4, GL_QUADS, q.vertices().data(), q.normals().data(), q.tex_coords().data(), 3, 2));

  // State the caller had: a texture bound but not enabled, normals enabled, a buffer bound.
  GLuint other_texture = 0, other_buffer = 0;
  glGenTextures(1, &other_texture);
  glBindTexture(GL_TEXTURE_2D, other_texture);
  glEnableClientState(GL_NORMAL_ARRAY);
  glGenBuffers(1, &other_buffer);
  glBindBuffer(GL_ARRAY_BUFFER, other_buffer);
  const GLint depth = get_int(GL_MODELVIEW_STACK_DEPTH);

  struct Case {
    bool arrays, texture, coordinates;
    Pixel centre;
  };
  v.coord_sys().translate(5.0f, 0.0f, 0.0f);  // off screen when applied
  OffscreenTarget target(8, 8);
  OutputCapture capture;
  for (const Case& c : std::vector<Case>{{true, false, false, kWhite},
                                         {true, true, false, {255, 0, 0, 255}},
                                         {true, true, true, kBlack},
                                         {false, false, false, kBlack}}) {
    SCOPED_TRACE(testing::Message() << c.arrays << c.texture << c.coordinates);
    glClear(GL_COLOR_BUFFER_BIT);
    v.draw(c.arrays, c.texture, c.coordinates);
    EXPECT_EQ(target.pixel(4, 4), c.centre);
    EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX)[3], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(get_int(GL_TEXTURE_BINDING_2D), static_cast<GLint>(other_texture));
    EXPECT_EQ(get_int(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(other_buffer));
  }
  EXPECT_EQ(capture.err(), "");

  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDeleteBuffers(1, &other_buffer);
  glDeleteTextures(1, &other_texture);
  red.clear();
  delete_buffers(v.buffers());
}

TEST_F(VBOTest, AnIncompleteFramebufferDrawsNothingAndRestoresEverything) {
  const Quad q = unit_square();
  VBO v;
  ASSERT_FALSE(
      v.init(4, GL_QUADS, q.vertices().data(), q.normals().data(), q.tex_coords().data(), 3, 2));
  GLuint incomplete = 0;
  glGenFramebuffers(1, &incomplete);
  glBindFramebuffer(GL_FRAMEBUFFER, incomplete);
  ASSERT_NE(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
  const GLint depth = get_int(GL_MODELVIEW_STACK_DEPTH);
  OutputCapture capture;
  // More draws than the matrix stack is deep: a missing pop would overflow it.
  for (int i = 0; i < 2 * get_int(GL_MAX_MODELVIEW_STACK_DEPTH); ++i) v.draw(true, true, true);
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(get_int(GL_MODELVIEW_STACK_DEPTH), depth);
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &incomplete);
  delete_buffers(v.buffers());
}

TEST_F(VBOTest, PendingErrorsAreReportedWithTheirStep) {
  const Quad q = unit_square();
  VBO v;
  OutputCapture capture;
  glEnable(0x1234);  // GL_INVALID_ENUM
  ASSERT_FALSE(v.init(4, GL_QUADS, q.vertices().data(), nullptr, nullptr, 3, 2));
  EXPECT_EQ(capture.err(), "set_vbo(): pre error 1280\n");
  capture.reset();
  glEnable(0x1234);
  v.draw(true, false, false);  // the first pending error is discarded unreported
  EXPECT_EQ(capture.err(), "");
  delete_buffers(v.buffers());
}
