#include <array>
#include <functional>
#include <vector>

#include "render/object_gl.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::GLTest;

namespace {

GLint attrib_int(GLuint index, GLenum pname) {
  GLint v = 0;
  glGetVertexAttribiv(index, pname, &v);
  return v;
}

// Reads a buffer's float contents back from GL.
std::vector<float> buffer_floats(GLuint buffer) {
  GLint bytes = 0;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
  std::vector<float> out(static_cast<std::size_t>(bytes) / sizeof(float));
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, bytes, out.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  return out;
}

const std::vector<float> kTriangle{0, 0, 0, 1, 0, 0, 0, 1, 0};
const std::vector<float> kNormals{0, 0, 1, 0, 0, 1, 0, 0, 1};

}  // namespace

class ObjectGLTest : public GLTest {};

TEST_F(ObjectGLTest, NamesAreMadeLazilySharedByCopiesAndDeletedOnlyByClear) {
  BufferGL buffer;
  EXPECT_EQ(buffer.id(), 0u);
  buffer.bind();
  ASSERT_NE(buffer.id(), 0u);
  EXPECT_TRUE(glIsBuffer(buffer.id()));
  EXPECT_EQ(get_int(GL_ARRAY_BUFFER_BINDING), static_cast<GLint>(buffer.id()));
  buffer.release();
  EXPECT_EQ(get_int(GL_ARRAY_BUFFER_BINDING), 0);
  {
    BufferGL copy = buffer;  // shares the name; destruction deletes nothing
    EXPECT_EQ(copy.id(), buffer.id());
  }
  EXPECT_TRUE(glIsBuffer(buffer.id()));
  BufferGL copy = buffer;
  copy.clear();
  EXPECT_FALSE(glIsBuffer(buffer.id()));  // the source's object is gone too
  EXPECT_NE(buffer.id(), 0u);             // the stored name stays

  TextureGL texture;
  texture.bind();
  ASSERT_NE(texture.id(), 0u);
  EXPECT_TRUE(glIsTexture(texture.id()));
  texture.release();
  texture.clear();
  EXPECT_FALSE(glIsTexture(texture.id()));

  VAO vao;
  vao.bind();
  ASSERT_NE(vao.id(), 0u);
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(vao.id()));
  vao.release();
  vao.clear();
  EXPECT_FALSE(glIsVertexArray(vao.id()));

  DisplayListGL list;
  list.create();
  ASSERT_NE(list.id(), 0u);
  list.bind();
  glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
  list.release();
  EXPECT_TRUE(glIsList(list.id()));
  glColor4f(0, 0, 0, 0);
  list.call();
  float c[4];
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_FLOAT_EQ(c[1], 0.5f);
  list.clear();
  EXPECT_FALSE(glIsList(list.id()));
}

TEST_F(ObjectGLTest, TransferUploadsOnlyRealData) {
  BufferGL buffer;
  buffer.transfer(nullptr, 16, GL_STATIC_DRAW);
  EXPECT_EQ(buffer.id(), 0u);
  const float data[3] = {1, 2, 3};
  buffer.transfer(data, 0, GL_STATIC_DRAW);
  EXPECT_EQ(buffer.id(), 0u);
  buffer.transfer(data, sizeof data, GL_STATIC_DRAW);
  EXPECT_EQ(buffer_floats(buffer.id()), (std::vector<float>{1, 2, 3}));
  buffer.clear();

  TextureGL texture;
  const unsigned char pixels[2 * 3 * 4] = {};
  texture.transfer(pixels, sizeof pixels, 2, 3, GL_RGBA, GL_UNSIGNED_BYTE);
  texture.transfer(pixels, sizeof pixels, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE);  // keeps 2 x 3
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  EXPECT_EQ(w, 2);
  EXPECT_EQ(h, 3);
  texture.release();
  texture.clear();
}

TEST_F(ObjectGLTest, ConstructOnClientArrays) {
  VAO vao;
  vao.construct_compatibility(kTriangle, {}, {}, 3, 3, 2);
  EXPECT_EQ(vao.mode().count, 3);
  vao.bind();
  EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_SIZE), 3);
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_STRIDE), 12);
  const GLint vbuf = get_int(GL_VERTEX_ARRAY_BUFFER_BINDING);
  vao.release();
  EXPECT_EQ(buffer_floats(vbuf), kTriangle);
  vao.clear();
}

TEST_F(ObjectGLTest, ConstructOnGenericAttributesReducesThreeComponentTexCoords) {
  const std::vector<float> tex3{0, 0, 9, 1, 0, 9, 0, 1, 9};
  VAO vao;
  vao.construct(kTriangle, kNormals, tex3, 0, 1, 2, 3, 3, 3);
  vao.bind();
  EXPECT_EQ(attrib_int(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attrib_int(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attrib_int(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attrib_int(2, GL_VERTEX_ATTRIB_ARRAY_SIZE), 2);
  EXPECT_EQ(attrib_int(2, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 8);
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  const GLint tbuf = attrib_int(2, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING);
  vao.release();
  EXPECT_EQ(buffer_floats(tbuf), (std::vector<float>{0, 0, 1, 0, 0, 1}));
  vao.clear();
}

TEST_F(ObjectGLTest, ConstructMixedAndMissingArrays) {
  // One negative location in an otherwise generic call: that array alone goes
  // to its client array; absent normals disable only a non-negative location.
  VAO vao;
  vao.construct(kTriangle, {}, {0, 0, 1, 0, 0, 1}, 0, 1, -1, 3, 3, 2);
  vao.bind();
  EXPECT_EQ(attrib_int(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attrib_int(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  vao.release();
  // Size 1 texture coordinates are left out even when given.
  VAO one;
  one.construct_compatibility(kTriangle, kNormals, {0, 1, 2}, 3, 3, 1);
  one.bind();
  EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  one.release();
  // Count rounds down; no vertices disables the vertex array.
  VAO partial;
  partial.construct_compatibility({0, 0, 0, 1, 0, 0, 5}, {}, {}, 3, 3, 2);
  EXPECT_EQ(partial.mode().count, 2);
  VAO empty;
  empty.construct_compatibility({}, {}, {}, 3, 3, 2);
  EXPECT_EQ(empty.mode().count, 0);
  empty.bind();
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  empty.release();
  for (VAO* v : {&vao, &one, &partial, &empty}) v->clear();
}

TEST_F(ObjectGLTest, ShortArraysAndBadSizesAreRefused) {
  testing_support::OutputCapture cap;
  VAO bad;
  bad.construct(kTriangle, {}, {}, 0, -1, -1, 0, 3, 2);
  EXPECT_EQ(bad.id(), 0u);
  EXPECT_NE(cap.err().find("VAO::construct()"), std::string::npos);
  EXPECT_EQ(bad.color_array({1, 1, 1}, -1, 0), -1);

  // Normals for one vertex of three, texture coordinates for two: left out.
  VAO vao;
  vao.construct(kTriangle, {0, 0, 1}, {0, 0, 1, 0}, 0, 1, 2, 3, 3, 2);
  vao.bind();
  EXPECT_EQ(attrib_int(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attrib_int(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);
  EXPECT_EQ(attrib_int(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);
  vao.release();
  // Colours for two of three vertices: not enabled.
  EXPECT_EQ(vao.color_array({1, 0, 0, 1, 0, 1, 0, 1}, -1, 4), 0);
  vao.bind();
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  vao.release();
  EXPECT_EQ(vao.color_array({1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1}, 3, 4), 0);
  vao.bind();
  EXPECT_EQ(attrib_int(3, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attrib_int(3, GL_VERTEX_ATTRIB_ARRAY_SIZE), 4);
  vao.release();
  vao.clear();
}

TEST_F(ObjectGLTest, ClearDeletesTheBuffersConstructMade) {
  VAO vao;
  vao.construct_compatibility(kTriangle, kNormals, {0, 0, 1, 0, 0, 1}, 3, 3, 2);
  vao.color_array({1, 1, 1, 1, 1, 1, 1, 1, 1}, -1, 3);
  const std::vector<unsigned int> buffers = vao.owned_buffers();
  ASSERT_EQ(buffers.size(), 4u);
  for (unsigned int b : buffers) EXPECT_TRUE(glIsBuffer(b));
  vao.clear();
  for (unsigned int b : buffers) EXPECT_FALSE(glIsBuffer(b));
  EXPECT_TRUE(vao.owned_buffers().empty());
}

TEST_F(ObjectGLTest, AttributeBufferRecordsAndPoints) {
  BufferGL buffer;
  const float data[8] = {};
  buffer.transfer(data, sizeof data, GL_STATIC_DRAW);
  VAO vao;
  vao.attribute_buffer(5, 0u, 4, GL_FLOAT, 0, 0, false);  // buffer 0: nothing
  EXPECT_EQ(vao.id(), 0u);
  vao.attribute_buffer(5, buffer, 2, GL_FLOAT, 8, 16, true);
  EXPECT_EQ(vao.attribute_buffers().at(5), buffer.id());
  EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(vao.id()));
  EXPECT_EQ(attrib_int(5, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING), static_cast<GLint>(buffer.id()));
  EXPECT_EQ(attrib_int(5, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), 1);
  void* offset = nullptr;
  glGetVertexAttribPointerv(5, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(offset), 8u);
  vao.release();
  VAO copy(vao);
  EXPECT_EQ(copy.attribute_buffers(), vao.attribute_buffers());
  vao.clear();
  buffer.clear();
}

namespace {

std::vector<GLuint> element_indices(const VAO& vao) {
  GLint bytes = 0;
  glBindVertexArray(vao.id());
  glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &bytes);
  std::vector<GLuint> out(static_cast<std::size_t>(bytes) / sizeof(GLuint));
  glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, bytes, out.data());
  glBindVertexArray(0);
  return out;
}

// Vertex shader runs while the function draws, when the driver counts them
// (-1 otherwise).
long long vertex_runs(const std::function<void()>& draw) {
  if (!GLEW_ARB_pipeline_statistics_query) return -1;
  GLuint query = 0;
  glGenQueries(1, &query);
  glBeginQuery(GL_VERTEX_SHADER_INVOCATIONS_ARB, query);
  draw();
  glEndQuery(GL_VERTEX_SHADER_INVOCATIONS_ARB);
  GLuint64 runs = 0;
  glGetQueryObjectui64v(query, GL_QUERY_RESULT, &runs);
  glDeleteQueries(1, &query);
  return static_cast<long long>(runs);
}

}  // namespace

class IndexedVAO : public testing_support::OrthoViewTest {};

TEST_F(IndexedVAO, EachVertexGoesThroughTheFirstEqualOneAndDrawsTheSamePicture) {
  // A square as two triangles that share a corner pair (0, 1, 2, 2, 1, 3),
  // and a third triangle on the first corners whose middle vertex has the
  // corner's position with another normal, then another texture coordinate:
  // those stay apart.
  const std::vector<float> positions{-1, -1, 0, 1, -1, 0,  -1, 1, 0,  -1, 1, 0, 1, -1,
                                     0,  1,  1, 0, -1, -1, 0,  1, -1, 0,  1, 1, 0};
  std::vector<float> normals;
  for (int i = 0; i < 9; ++i) normals.insert(normals.end(), {0, 0, 1});
  normals[3 * 7 + 0] = 1;
  std::vector<float> tex{0, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 1, 0, 0, 1, 0, 1, 0.5f};
  VAO indexed;
  indexed.construct_indexed(positions, normals, tex, -1, -1, -1, 3, 3, 2);
  VAO flat;
  flat.construct_compatibility(positions, normals, tex, 3, 3, 2);
  EXPECT_TRUE(indexed.mode().indexed);
  EXPECT_FALSE(flat.mode().indexed);
  EXPECT_EQ(indexed.mode().count, 9);
  EXPECT_EQ(element_indices(indexed), (std::vector<GLuint>{0, 1, 2, 2, 1, 5, 0, 7, 8}));
  // The arrays are the arrays given, as construct() leaves them.
  EXPECT_EQ(indexed.owned_buffers().size(), 3u);
  EXPECT_EQ(buffer_floats(indexed.owned_buffers()[0]), positions);

  const auto picture = [&](const VAO& vao) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glShadeModel(GL_SMOOTH);
    vao.draw_arrays();
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    std::vector<std::array<unsigned char, 4>> pixels;
    for (float x = -1.75f; x < 2.0f; x += 0.25f)
      for (float y = -1.75f; y < 2.0f; y += 0.25f) pixels.push_back(at(x, y));
    return pixels;
  };
  EXPECT_EQ(picture(indexed), picture(flat));
  // The shared corners are transformed and lit once.
  const long long runs = vertex_runs([&] { indexed.draw_arrays(); });
  if (runs >= 0) {
    EXPECT_EQ(runs, 6);
    EXPECT_EQ(vertex_runs([&] { flat.draw_arrays(); }), 9);
  }

  // Colours would tell vertices apart: drawing goes back to every vertex.
  indexed.color_array(std::vector<float>(27, 1.0f), -1, 3);
  EXPECT_FALSE(indexed.mode().indexed);
  const unsigned int elements = indexed.element_buffer();
  EXPECT_TRUE(glIsBuffer(elements));
  indexed.clear();
  EXPECT_FALSE(glIsBuffer(elements));
  EXPECT_EQ(indexed.element_buffer(), 0u);
  flat.clear();
}
