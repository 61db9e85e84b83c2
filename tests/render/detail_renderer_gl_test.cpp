// Level-of-detail renderers building their levels in OpenGL, a sphere drawn
// through them into a framebuffer, and display lists of disks.
#include <cmath>
#include <functional>

#include "render/detail_renderer.h"
#include "render/frame_buffer.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

using testing_support::buffer_size;
using testing_support::GLTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using Pixel = std::array<unsigned char, 4>;

namespace {

// What a drawing left in a 64 x 64 framebuffer: the pixels with red above
// half, and the pixels at the centre and in a corner.
struct Picture {
  int covered = 0;
  Pixel centre{}, corner{};
};

Picture picture_of(const std::function<void()>& drawing) {
  FrameBuffer fb;
  OutputCapture quiet;  // the framebuffer reports its size
  EXPECT_EQ(fb.create(64, 64), 0);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  fb.bind_gl();
  glViewport(0, 0, 64, 64);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawing();
  fb.finish_gl();
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

  std::vector<unsigned char> rgba(64 * 64 * 4);
  glBindTexture(GL_TEXTURE_2D, fb.resolve_texture());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  fb.clear();
  Picture p;
  for (std::size_t i = 0; i < rgba.size(); i += 4)
    if (rgba[i] > 127) ++p.covered;
  auto at = [&rgba](int x, int y) {
    const std::size_t i = (std::size_t(y) * 64 + x) * 4;
    return Pixel{rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
  };
  p.centre = at(32, 32);
  p.corner = at(2, 2);
  return p;
}

// The number of corners of the regular polygon on a circle of 16 pixels
// whose area is closest to `pixels`.
int polygon_sides(int pixels) {
  int best = 3;
  double best_error = 1e9;
  for (int sides = 3; sides <= 32; ++sides) {
    const double area = sides / 2.0 * 256.0 * std::sin(2 * 3.14159265358979 / sides);
    if (std::fabs(area - pixels) < best_error) {
      best_error = std::fabs(area - pixels);
      best = sides;
    }
  }
  return best;
}

void release(DetailVertexDataVBO& r) {
  for (auto& entry : r.objects()) testing_support::delete_buffers(entry.second.buffers());
}

void release(DetailVertexDataVAO& r) {
  for (auto& entry : r.objects()) entry.second.clear();
}

class DetailRendererTest : public GLTest {};

}  // namespace

TEST_F(DetailRendererTest, ConstructAllDetailBuildsEveryLevelFromTheGenerator) {
  SolidSphere2 triangles;
  DetailVertexDataVBO vbos;
  vbos.generator(triangles);
  vbos.set_render_detail(4, 1.0f, 1);
  ASSERT_EQ(vbos.construct_all_detail(), 0);
  ASSERT_EQ(vbos.objects().size(), 4u);
  for (auto& [d, vbo] : vbos.objects()) {
    EXPECT_EQ(vbo.num_vertices(), 12ull * d * d);  // 2d x d cells of two triangles
    EXPECT_EQ(vbo.mode(), GL_TRIANGLES);
    EXPECT_EQ(buffer_size(vbo.buffers()[0]), static_cast<GLint>(12 * d * d * 3 * 4));
  }

  // A shape made of quads is drawn as quads.
  SolidSphere quads;
  DetailVertexDataVAO vaos;
  vaos.generator(quads);
  vaos.set_render_detail(3, 1.0f, 2);
  ASSERT_EQ(vaos.construct_all_detail(), 0);
  ASSERT_EQ(vaos.objects().size(), 2u);
  for (auto& [d, vao] : vaos.objects()) {
    EXPECT_NE(vao.id(), 0u);
    EXPECT_EQ(vao.mode().mode, static_cast<GLenum>(GL_QUADS));
    EXPECT_EQ(vao.mode().count, static_cast<GLsizei>(8 * d * d));
  }
  release(vbos);
  release(vaos);
}

TEST_F(DetailRendererTest, ASphereDrawnThroughTheRendererCoversItsDisc) {
  SolidSphere2 triangles;
  triangles.radius() = 0.5f;
  SolidSphere quads(0.5f);
  DetailVertexDataVAO vao_triangles, vao_quads;
  DetailVertexDataVBO vbo_triangles, vbo_quads;
  vao_triangles.generator(triangles);
  vao_quads.generator(quads);
  vbo_triangles.generator(triangles);
  vbo_quads.generator(quads);
  std::vector<std::pair<const char*, DetailRenderer*>> renderers{{"VAO, triangles", &vao_triangles},
                                                                 {"VAO, quads", &vao_quads},
                                                                 {"VBO, triangles", &vbo_triangles},
                                                                 {"VBO, quads", &vbo_quads}};
  OutputCapture capture;
  for (auto& [name, renderer] : renderers) {
    SCOPED_TRACE(name);
    renderer->set_render_detail(8, 1.0f, 2);
    const Picture p = picture_of([renderer] { renderer->render_distance(1.0f); });
    // A disc of radius 16 pixels: pi x 256 = 804 pixels, a little less for a 16-gon.
    EXPECT_GT(p.covered, 740);
    EXPECT_LT(p.covered, 830);
    EXPECT_EQ(p.centre, (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(p.corner, (Pixel{0, 0, 0, 0}));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  }
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(vao_triangles.objects().begin()->first, 8u);
  release(vao_triangles);
  release(vao_quads);
  release(vbo_triangles);
  release(vbo_quads);
}

TEST_F(DetailRendererTest, DisplayListsOfDisksOnePerDetail) {
  DetailedDisplayLists disks;
  disks.partial_disks(0.0, 0.5, 0.0, 360.0, 0.01);
  ASSERT_EQ(disks.size(), 13u);
  for (const DisplayListGL& list : disks.details()) EXPECT_TRUE(glIsList(list.id()));
  // The disk of detail d has d slices: its area is that of a d-gon.
  for (const int detail : {4, 5, 6}) {
    SCOPED_TRACE(detail);
    EXPECT_EQ(disks.set_detail_level(detail), static_cast<unsigned int>(detail - 4));
    const Picture p = picture_of([&] { disks.draw_list(); });
    EXPECT_EQ(polygon_sides(p.covered), detail);
    EXPECT_EQ(p.centre, (Pixel{255, 255, 255, 255}));
  }

  disks.set_detail_level(99);  // the last list, detail 16
  EXPECT_GT(picture_of([&] { disks.draw_list(); }).covered, 770);

  // Rebuilding keeps the names; a copy shares the lists.
  const GLuint first = disks.details()[0].id();
  DetailedDisplayLists copy = disks;
  copy.partial_disks(0.0, 0.5, 0.0, 360.0, 2.0);
  EXPECT_EQ(copy.details()[0].id(), first);
  copy.set_detail_level(4);
  EXPECT_EQ(polygon_sides(picture_of([&] { copy.draw_list(); }).covered), 4);
  for (DisplayListGL& list : disks.details()) list.clear();
}
