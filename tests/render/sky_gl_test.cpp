// Sky box, sky sphere and star field: their settings, programs and buffers
// read back from OpenGL, the state their drawing leaves, and what they draw.
#include <cmath>
#include <functional>
#include <sstream>

#include "core/vector_math.h"
#include "render/frame_buffer.h"
#include "render/primitives.h"
#include "render/sky.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/image_files.h"

using testing_support::buffer_floats;
using testing_support::GLTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using testing_support::program_linked;
using testing_support::TempDataRoot;
using Pixel = std::array<unsigned char, 4>;

namespace {

// A 2x2 opaque texture of one colour.
std::string solid_png(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::vector<std::uint8_t> rows;
  for (int i = 0; i < 4; ++i) rows.insert(rows.end(), {r, g, b, 255});
  return testing_support::png_file(2, 2, 4, rows);
}

float depth_at(int x, int y) {
  float d = -1;
  glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &d);
  return d;
}

GLint attribute_int(GLuint vao, GLuint index, GLenum pname) {
  GLint v = -1;
  glBindVertexArray(vao);
  glGetVertexAttribiv(index, pname, &v);
  glBindVertexArray(0);
  return v;
}

// The resolve texture of a framebuffer as RGBA bytes.
std::vector<unsigned char> resolved(const FrameBuffer& fb) {
  std::vector<unsigned char> all(std::size_t(fb.width()) * fb.height() * 4);
  glBindTexture(GL_TEXTURE_2D, fb.resolve_texture());
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, all.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return all;
}

Pixel pixel_of(const std::vector<unsigned char>& all, unsigned width, unsigned x, unsigned y) {
  const std::size_t at = (std::size_t(y) * width + x) * 4;
  return {all[at], all[at + 1], all[at + 2], all[at + 3]};
}

// Deletes what init made; the star field's own destructor deletes nothing.
void release(Starfield& f) {
  f.stars().clear();
  f.atmosphere().clear();
  f.stars_program().clear();
  f.atm_program().clear();
}

void perspective(double fovy) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovy, 1.0, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

class SkyTest : public GLTest {
 protected:
  void TearDown() override {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GLTest::TearDown();
  }

  TempDataRoot root_;
};

}  // namespace

TEST_F(SkyTest, SkyBoxWithAMissingTextureReportsItAndStillAssembles) {
  SkyBox box;
  OutputCapture cap;
  EXPECT_NE(box.init("textures/missing.png"), 0);
  EXPECT_NE(cap.err().find("Error loading sky texture textures/missing.png\n"), std::string::npos)
      << cap.err();
  EXPECT_EQ(box.texture(), 0u);
  EXPECT_TRUE(program_linked(box.program().id())) << cap.err();
  // 16 slices by 8 stacks of two triangles each.
  EXPECT_EQ(box.vao().mode().count, 16 * 8 * 6);
  EXPECT_EQ(box.vao().mode().mode, static_cast<GLenum>(GL_TRIANGLES));
  EXPECT_EQ(attribute_int(box.vao().id(), 1, GL_VERTEX_ATTRIB_ARRAY_SIZE), 2);
  box.program().clear();
  box.vao().clear();
}

TEST_F(SkyTest, SkySphereFillsAndSavesTheMissingSettings) {
  struct Case {
    std::string file;  // cfg/sky_box.ini before init ("" for none)
    std::array<float, 4> fog;
    float density;
    std::string sky_key;
    bool fog_on;
  };
  const std::array<float, 4> default_fog{96.0f / 255, 107.0f / 255, 129.0f / 255, 1};
  const std::vector<Case> cases{
      {"", default_fog, 0.1f, "sky_box.png", true},
      {"sky_texture = own.png\nfog_color = 0.5 0.25 0.5 0\n",
       {0.5f, 0.25f, 0.5f, 0},
       0.1f,
       "own.png",
       false},
      {"fog_density = 0.5\n", default_fog, 0.5f, "sky_box.png", true},
  };
  root_.write("textures/own.png", solid_png(0, 255, 0));
  for (const Case& c : cases) {
    std::filesystem::remove("cfg/sky_box.ini");
    if (!c.file.empty()) root_.write("cfg/sky_box.ini", c.file);
    EngineSettings settings;
    SkySphere sky;
    OutputCapture cap;
    sky.init(settings, false);
    EXPECT_NE(cap.err().find("EngineSettings::save_section(sky_box): success"), std::string::npos);

    ProgramCfg saved;
    ASSERT_EQ(saved.load(std::string("cfg/sky_box.ini")), 0);
    EXPECT_EQ(saved["sky_texture"].str(), c.sky_key);
    EXPECT_EQ(saved["atmosphere_texture"].str(), "atmosphere.png");
    EXPECT_EQ(saved["atmosphere_ground_texture"].str(), "atmosphere_ground.png");
    EXPECT_EQ((static_cast<std::array<float, 4>>(saved["ground_color"])),
              (std::array<float, 4>{0.32f, 0.16f, 0.2f, 1}));
    EXPECT_EQ((static_cast<std::array<float, 4>>(saved["fog_color"])), c.fog);
    EXPECT_FLOAT_EQ(static_cast<float>(saved["fog_density"]), c.density);
    EXPECT_EQ(sky.fog_color(), c.fog);
    // Only files that exist under the data root are kept as texture paths.
    EXPECT_EQ(sky.sky_texture(), c.sky_key == "own.png" ? "textures/own.png" : "");
    EXPECT_EQ(sky.sky_texture_name() != 0, c.sky_key == "own.png");

    glDisable(GL_FOG);
    sky.apply_fog_gl();
    EXPECT_EQ(glIsEnabled(GL_FOG), c.fog_on ? GL_TRUE : GL_FALSE);
    if (c.fog_on) {
      EXPECT_EQ(get_int(GL_FOG_MODE), GL_EXP);
      float density = 0, color[4] = {};
      glGetFloatv(GL_FOG_DENSITY, &density);
      glGetFloatv(GL_FOG_COLOR, color);
      EXPECT_FLOAT_EQ(density, c.density);
      EXPECT_NEAR(color[2], c.fog[2], 1e-6);
    }
    glDisable(GL_FOG);
    sky.program().clear();
    sky.sphere().clear();
  }
}

TEST_F(SkyTest, SkySphereProgramCarriesItsColoursAndLinks) {
  SkySphere sky;
  const std::string vertex = sky.vertex_shader_source();
  EXPECT_NE(vertex.find("const vec4 atm_color = vec4( 0.7,0.7,1,1);\n"), std::string::npos);
  EXPECT_NE(vertex.find("const vec4 gnd_color = vec4( 0.32,0.16,0.2,1);\n"), std::string::npos);
  sky.atm_color() = {0.25f, 0.5f, 0.125f, 1.0f / 3};
  EXPECT_NE(sky.vertex_shader_source().find("vec4( 0.25,0.5,0.125,0.333333);\n"),
            std::string::npos);

  OutputCapture cap;
  sky.init(false);
  EXPECT_TRUE(program_linked(sky.program().id())) << cap.err();
  EXPECT_EQ(sky.sphere().mode().count, 32 * 16 * 6);
  sky.program().clear();
  sky.sphere().clear();
}

TEST_F(SkyTest, StarfieldPutsRandomStarsOnTheUnitSphereAndReportsTheirSpread) {
  Starfield stars;
  OutputCapture cap;
  ASSERT_EQ(stars.init(200, {1, 3, 0}, {0.8f, 0.8f, 0.8f, 1}, {1, 1, 1, 1}), 0) << cap.err();
  EXPECT_TRUE(program_linked(stars.stars_program().id()));
  EXPECT_TRUE(program_linked(stars.atm_program().id()));
  EXPECT_EQ(stars.stars().mode().mode, static_cast<GLenum>(GL_POINTS));
  EXPECT_EQ(stars.stars().mode().count, 200);
  ASSERT_EQ(stars.stars().owned_buffers().size(), 3u);

  const std::vector<float> p = buffer_floats(stars.stars().owned_buffers()[0]);
  const std::vector<float> c = buffer_floats(stars.stars().owned_buffers()[1]);
  const std::vector<float> s = buffer_floats(stars.stars().owned_buffers()[2]);
  ASSERT_EQ(p.size(), 600u);
  ASSERT_EQ(c.size(), 800u);
  ASSERT_EQ(s.size(), 200u);
  Vec3 lo{p[0], p[1], p[2]}, hi = lo, sum{0, 0, 0};
  for (std::size_t i = 0; i < 200; ++i) {
    const Vec3 d{p[3 * i], p[3 * i + 1], p[3 * i + 2]};
    EXPECT_NEAR(norm(d), 1.0f, 1e-6f);
    for (std::size_t k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], d[k]);
      hi[k] = std::max(hi[k], d[k]);
    }
    sum += d;
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_GE(c[4 * i + k], 0.8f);
      EXPECT_LE(c[4 * i + k], 1.0f);
    }
    EXPECT_EQ(c[4 * i + 3], 1.0f);
    EXPECT_GE(s[i], 1.0f);
    EXPECT_LT(s[i], 3.0f);
  }
  std::ostringstream line;
  line << "Min, max direction values: " << lo << " to " << hi << ", mean " << sum / 200.0f << "\n";
  EXPECT_EQ(cap.out(), line.str());
  // The point sizes reach attribute 2 of the stars program, one float each.
  EXPECT_EQ(attribute_int(stars.stars().id(), 2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
  EXPECT_EQ(attribute_int(stars.stars().id(), 2, GL_VERTEX_ATTRIB_ARRAY_SIZE), 1);

  // Seeded afresh each time.
  Starfield again;
  ASSERT_EQ(again.init(200, {1, 3, 0}, {0.8f, 0.8f, 0.8f, 1}, {1, 1, 1, 1}), 0);
  EXPECT_NE(buffer_floats(again.stars().owned_buffers()[0]), p);
  release(stars);
  release(again);
}

TEST_F(SkyTest, StarfieldWithoutStarsPrintsNothingAndRefusesHugeCounts) {
  Starfield stars;
  OutputCapture cap;
  EXPECT_EQ(stars.init(0, {1, 1, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}), 0);
  EXPECT_EQ(cap.out(), "");
  EXPECT_EQ(stars.stars().mode().count, 0);
  EXPECT_EQ(Starfield().init(Starfield::kMaxStars + 1, {1, 1, 0}, {}, {}), -1);
  EXPECT_NE(cap.err().find("Starfield::init(): 16777217 stars refused"), std::string::npos);
  release(stars);
}

TEST_F(SkyTest, BackgroundsWriteNoDepthAndRestoreTheirState) {
  root_.write("textures/sky_box.png", solid_png(255, 0, 0));
  OutputCapture quiet;
  SkyBox box;
  ASSERT_EQ(box.init("textures/sky_box.png"), 0);
  EngineSettings settings;
  SkySphere sky;
  sky.init(settings, false);
  Starfield stars;
  ASSERT_EQ(stars.init(500, {2, 4, 0}, {1, 1, 1, 1}, {1, 1, 1, 1}), 0);
  const float origin[3] = {0, 0, 0};
  const auto at_origin = [] { return std::array<float, 3>{0, 0, 0}; };
  std::array<float, 16> view{};
  view[0] = view[5] = view[10] = view[15] = 1;

  const std::vector<std::pair<const char*, std::function<void()>>> draws{
      {"sky box", [&] { box.render_process(origin).render(); }},
      {"sky sphere",
       [&] {
         sky.render({0, 0, 0});
       }},
      {"atmosphere shell",
       [&] {
         sky.render_atmosphere({0, 0, 0});
       }},
      {"sky view matrix", [&] { sky.render(view, true); }},
      {"stars", [&] { stars.render_stars(at_origin).render(); }},
      {"star atmosphere", [&] { stars.render_atm(nullptr).render(); }},
  };
  OffscreenTarget target(32, 32);
  perspective(90);
  for (const auto& [what, draw] : draws) {
    for (const GLboolean mask : {GL_TRUE, GL_FALSE}) {
      glDepthMask(GL_TRUE);
      glClearColor(0, 0, 0, 0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glDepthMask(mask);
      glDisable(GL_DEPTH_TEST);
      glEnable(GL_LIGHTING);
      glEnable(GL_CULL_FACE);
      const auto modelview = read_matrix(GL_MODELVIEW_MATRIX);
      draw();
      EXPECT_EQ(get_int(GL_DEPTH_WRITEMASK), mask) << what;
      EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << what;
      EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << what;
      EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << what;
      EXPECT_FALSE(glIsEnabled(GL_PROGRAM_POINT_SIZE)) << what;
      EXPECT_EQ(get_int(GL_CURRENT_PROGRAM), 0) << what;
      EXPECT_EQ(get_int(GL_VERTEX_ARRAY_BINDING), 0) << what;
      EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), modelview) << what;
      for (const auto& [x, y] : {std::pair{16, 16}, std::pair{2, 30}, std::pair{30, 2}})
        EXPECT_EQ(depth_at(x, y), 1.0f) << what;
    }
  }
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_TRUE);
  box.program().clear();
  sky.program().clear();
  release(stars);
}

TEST_F(SkyTest, SkySphereStarsAndAtmosphereAppearWhereExpected) {
  root_.write("textures/sky_box.png", solid_png(255, 0, 0));
  OutputCapture quiet;
  EngineSettings settings;
  SkySphere sky;
  sky.init(settings, false);
  Starfield stars;
  ASSERT_EQ(stars.init(1, {5, 5, 0}, {1, 1, 0, 1}, {1, 1, 0, 1}), 0);
  const std::vector<float> d = buffer_floats(stars.stars().owned_buffers()[0]);
  ASSERT_EQ(d.size(), 3u);

  FrameBuffer fb;
  ASSERT_EQ(fb.create(64, 64), 0);
  const auto frame = [&](const std::function<void()>& view, const std::function<void()>& draw) {
    fb.bind_gl();
    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    perspective(60);
    view();
    draw();
    fb.finish_gl();
    return resolved(fb);
  };

  // Straight up the sky is its texture; at the horizon the atmosphere colour
  // (0.7, 0.7, 1) covers it.
  const auto up = frame([] { glRotatef(-90, 1, 0, 0); }, [&] { sky.render({0, 0, 0}); });
  EXPECT_EQ(pixel_of(up, 64, 32, 32), (Pixel{255, 0, 0, 255}));
  const auto ahead = frame([] { glRotatef(-90, 0, 1, 0); }, [&] { sky.render({0, 0, 0}); });
  const Pixel horizon = pixel_of(ahead, 64, 32, 32);
  // Blue comes from the tint only: the texture is pure red.
  EXPECT_GT(horizon[2], 200);
  EXPECT_GT(horizon[2], horizon[0] + 40);

  // Looking at the one star: a yellow point five pixels wide.
  const auto at_star = frame(
      [&] {
        const bool steep = std::abs(d[1]) > 0.9f;
        gluLookAt(0, 0, 0, d[0], d[1], d[2], steep ? 1 : 0, steep ? 0 : 1, 0);
      },
      [&] {
        stars.render_stars([] { return std::array<float, 3>{0, 0, 0}; }).render();
      });
  for (const auto& [x, y] : {std::pair{32, 32}, std::pair{31, 31}, std::pair{33, 32}})
    EXPECT_EQ(pixel_of(at_star, 64, x, y), (Pixel{255, 255, 0, 255})) << x << "," << y;
  EXPECT_EQ(pixel_of(at_star, 64, 37, 32), (Pixel{0, 0, 0, 255}));

  // The star field's atmosphere glows at the horizon and fades above it.
  const auto glow =
      frame([] { glRotatef(-90, 0, 1, 0); }, [&] { stars.render_atm(nullptr).render(); });
  EXPECT_GT(pixel_of(glow, 64, 32, 32)[2], 200);
  EXPECT_EQ(pixel_of(glow, 64, 32, 60), (Pixel{0, 0, 0, 255}));

  fb.clear();
  sky.program().clear();
  release(stars);
}

// The atmosphere pass leaves out what cannot show and draws its opaque part
// without blending: the picture is the one the whole shell, blended, makes
// over the same background, looking up, down, along and just over the
// horizon.
TEST_F(SkyTest, StarAtmosphereDrawsAsItsWholeShellBlended) {
  OutputCapture quiet;
  Starfield stars;
  ASSERT_EQ(stars.init(200, {1, 3, 0}, {0.8f, 0.8f, 0.8f, 1}, {1, 1, 1, 1}), 0);
  SolidSphere2 sphere;
  sphere.construct(static_cast<unsigned int>(stars.atm_resolution()[0]),
                   static_cast<unsigned int>(stars.atm_resolution()[1]));
  VAO whole;
  whole.construct(sphere.vertices(), sphere.normals(), sphere.tex_coords(), 0, -1, -1, 3, 3, 2);

  FrameBuffer fb;
  ASSERT_EQ(fb.create(64, 64), 0);
  const auto frame = [&](float pitch, float yaw, const std::function<void()>& draw) {
    fb.bind_gl();
    glViewport(0, 0, 64, 64);
    glClearColor(0.2f, 0.5f, 0.3f, 0.6f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    perspective(90);
    glRotatef(pitch, 1, 0, 0);
    glRotatef(yaw, 0, 1, 0);
    stars.render_stars(nullptr).render();
    draw();
    fb.finish_gl();
    return resolved(fb);
  };
  const auto blended_whole = [&] {
    glPushAttrib(0xFFFFF);
    glUseProgram(stars.atm_program().id());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glScalef(stars.scale()[0], stars.scale()[1], stars.scale()[2]);
    whole.draw_arrays();
    glPopMatrix();
    glUseProgram(0);
    glPopAttrib();
  };
  for (const auto& [pitch, yaw] :
       {std::pair{-90.0f, 0.0f}, std::pair{90.0f, 0.0f}, std::pair{0.0f, 30.0f},
        std::pair{-12.0f, 200.0f}, std::pair{-40.0f, 100.0f}}) {
    const auto expected = frame(pitch, yaw, blended_whole);
    const auto drawn = frame(pitch, yaw, [&] { stars.render_atm(nullptr).render(); });
    EXPECT_TRUE(drawn == expected) << "pitch " << pitch << ", yaw " << yaw;
    // Along the horizon the shell glows.
    if (pitch == 0.0f) EXPECT_GT(pixel_of(drawn, 64, 32, 32)[2], 200);
  }

  whole.clear();
  fb.clear();
  release(stars);
}
