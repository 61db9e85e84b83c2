// The table, the pockets and the balls drawn for real, and their pictures
// loaded from the generated data folder.
#include <gtest/gtest.h>

#include <functional>

#include "datagen/data_folder.h"
#include "game/table/ball.h"
#include "game/table/ball_textures.h"
#include "game/table/table.h"
#include "support/capture.h"
#include "support/gl/gl_test.h"

namespace {

using DataFolderGLTest = datagen_test::DataFolderFixture<testing_support::GLTest>;
using DrawTest = testing_support::OrthoViewTest;

// The icosphere models of the generated folder, by level.
std::function<std::string(unsigned int)> icospheres(const EngineSettings& s) {
  return [s](unsigned int level) {
    char name[40];
    std::snprintf(name, sizeof name, "icosphere/icosphere-%02u.obj", level);
    return s.find_model(name);
  };
}

GLint texture_binding() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

TEST_F(DataFolderGLTest, BallFeltAndBlankTexturesLoad) {
  const EngineSettings s = settings();
  BallTextures textures;
  Texture felt;
  const GLint bound = texture_binding();
  testing_support::OutputCapture capture;
  EXPECT_EQ(textures.load(s, felt, BallTextures::direct(s)), 0);
  EXPECT_EQ(capture.err(), "");
  ASSERT_EQ(textures.balls.size(), 16u);
  for (const Texture& t : textures.balls) EXPECT_NE(t.id(), 0u);
  EXPECT_NE(felt.id(), 0u);
  EXPECT_EQ(felt.file_name().find("solid_felt_4.png") != std::string::npos, true);
  ASSERT_NE(textures.blank_texture, 0u);
  glBindTexture(GL_TEXTURE_2D, textures.blank_texture);
  unsigned char pixel[4] = {9, 9, 9, 9};
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
  EXPECT_EQ(std::vector<unsigned char>(pixel, pixel + 4), std::vector<unsigned char>(4, 1));
  glBindTexture(GL_TEXTURE_2D, bound);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  textures.clear();
  felt.clear();
}

TEST_F(DataFolderGLTest, InitBuildsThePocketRenderersOnce) {
  ParameterizedGeometry geometry;
  Table table(&geometry);
  EXPECT_THROW(table.init(), std::bad_function_call);
  table.model_name = icospheres(settings());
  table.init();
  for (DetailVertexDataVAO* r : {&table.edge_pocket_renderer, &table.corner_pocket_renderer}) {
    ASSERT_EQ(r->objects().size(), 6u);
    for (const auto& [level, vao] : r->objects()) EXPECT_GT(vao.mode().count, 0) << level;
  }
  EXPECT_EQ(table.corner_pocket_geometry.files.at(3),
            settings().root() + "models/icosphere/icosphere-03.obj");
  EXPECT_EQ(table.walls.size(), 6u);
  EXPECT_EQ(table.pockets.size(), 12u);
  const Wall* first_wall = table.walls.data();
  const Vec3 corner = table.corner_sink_direction;
  table.init();
  EXPECT_EQ(table.walls.data(), first_wall);
  EXPECT_EQ(table.corner_sink_direction, corner);

  // Drawn flat from the front: the corner pockets at (+-0.901, +-0.226),
  // nothing in the middle; the program in use stays in use.
  testing_support::OrthoView view;
  glColor4f(1, 0, 0, 1);
  table.draw_pockets();
  EXPECT_EQ(view.at(0.9f, 0.22f)[0], 255);
  EXPECT_EQ(view.at(-0.9f, -0.22f)[0], 255);
  EXPECT_EQ(view.at(0.0f, 0.22f)[0], 255);
  EXPECT_EQ(view.at(0.0f, 0.0f)[0], 0);
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), read_matrix(GL_TEXTURE_MATRIX));  // identity
  GLint program = -1, after = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  table.show_walls = false;
  table.draw();
  glGetIntegerv(GL_CURRENT_PROGRAM, &after);
  EXPECT_EQ(after, program);
  for (DetailVertexDataVAO* r : {&table.edge_pocket_renderer, &table.corner_pocket_renderer})
    for (auto& [level, vao] : r->objects()) vao.clear();
}

TEST_F(DrawTest, WallsDrawWithTheFeltAndRestoreTheState) {
  ParameterizedGeometry geometry;
  geometry.quads().min_detail() = 1;
  geometry.quads().max_detail() = 1;
  ASSERT_EQ(geometry.quads().construct(), 0);
  Table table(&geometry);
  table.build_geometry();
  const unsigned char green[4] = {0, 200, 0, 255};
  table.felt.set_data(1, 1, green, Texture::kRGBA);
  ASSERT_EQ(table.felt.generate(GL_RGBA), 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  glColor4f(1, 1, 1, 1);

  table.show_walls = false;
  table.draw_walls();
  EXPECT_EQ(at(0, 0)[1], 0);
  table.show_walls = true;
  table.draw_walls();
  // The z walls face the view: felt between x = +-0.9 and y = +-0.225.
  EXPECT_EQ(at(0, 0)[1], 200);
  EXPECT_EQ(at(0.8f, 0.2f)[1], 200);
  EXPECT_EQ(at(0.0f, 1.0f)[1], 0);
  EXPECT_EQ(at(1.5f, 0.0f)[1], 0);

  GLint two_sided = 1;
  glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &two_sided);
  EXPECT_EQ(two_sided, 0);
  EXPECT_EQ(texture_binding(), 0);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), read_matrix(GL_TEXTURE_MATRIX));  // identity
  table.felt.clear();
  geometry.quads().vbos().clear();
}

TEST_F(DrawTest, ABallDrawsAtItsPlaceWithItsTexture) {
  Ball ball;
  ball.position = {0.5f, -0.25f, 0.0f};
  ball.init();
  const unsigned char white[4] = {255, 255, 255, 255};
  Texture picture;
  picture.set_data(1, 1, white, Texture::kRGBA);
  ASSERT_EQ(picture.generate(GL_RGBA), 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  ball.texture = picture.id();

  int calls = 0;
  testing_support::OutputCapture capture;
  ball.draw_with([&] {
    ++calls;
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(texture_binding(), GLint(picture.id()));
    const auto m = read_matrix(GL_MODELVIEW_MATRIX);
    EXPECT_FLOAT_EQ(m[3], 0.5f);
    EXPECT_FLOAT_EQ(m[7], -0.25f);
  });
  ball.texture = 0;
  glEnable(GL_TEXTURE_2D);
  ball.draw_with([&] {
    ++calls;
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  });
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(capture.err(), "");  // the ball's own sphere set was never drawn
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  glDisable(GL_TEXTURE_2D);
  EXPECT_EQ(texture_binding(), 0);
  picture.clear();
}

}  // namespace
