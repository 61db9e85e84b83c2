// The engine's drawing with OpenGL: the scene's order of passes, the dialog
// scenes and the state they leave, the desktop frame into its frame buffer
// and the window with the crosshair, the monitor and fade overlays, all read
// back from GL.
#include <GL/glew.h>
#include <unistd.h>

#include <array>
#include <string>
#include <vector>

#include "engine/basic_engine.h"
#include "support/button_dialog.h"
#include "support/capture.h"
#include "support/gl/glut_window.h"
#include "support/gl/state_snapshot.h"
#include "support/gl/window_pixels.h"
#include "ui/test_frame.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

using testing_support::ButtonColumn;
using testing_support::GLStateSnapshot;
using testing_support::GlutWindowTest;
using testing_support::OffscreenTarget;
using testing_support::OutputCapture;
using testing_support::TestFrame;
using Pixel = std::array<unsigned char, 4>;
using Matrix = std::array<float, 16>;

namespace {

class EngineDrawingGLTest : public GlutWindowTest {
 protected:
  void SetUp() override {
    GlutWindowTest::SetUp();
    if (!has_context()) return;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
  }
  void TearDown() override {
    if (has_context()) {
      glPopAttrib();
      for (GLenum mode : {GL_PROJECTION, GL_MODELVIEW}) {
        glMatrixMode(mode);
        glLoadIdentity();
      }
    }
    GlutWindowTest::TearDown();
  }

  // A pass that records its name when drawn.
  void record_pass(const std::string& scene, unsigned int layer = 0) {
    RenderProcess p;
    p.name = scene;
    p.layer = layer;
    p.draw = [this, scene] { order_.push_back(scene); };
    engine_.scenes()[scene] += p;
  }

  // The projection of the engine's camera, as GLU builds it.
  static Matrix camera_projection(const Camera& c) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(c.fov()[1], c.aspect(), c.near(), c.far());
    const Matrix m = read_matrix(GL_PROJECTION_MATRIX);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return m;
  }

  // GL calls between glBegin and glEnd are errors: a function that makes
  // none leaves no error behind.
  static bool makes_no_gl_call(const std::function<void()>& fn) {
    glBegin(GL_POINTS);
    fn();
    glEnd();
    return glGetError() == GL_NO_ERROR;
  }

  // The engine's shapes, in the current context.
  void build_geometry() {
    OutputCapture quiet;
    ASSERT_EQ(engine_.geometry().init(true), 0);
  }

  BasicEngine engine_;
  std::vector<std::string> order_;
};

}  // namespace

// ---- The scene

TEST_F(EngineDrawingGLTest, TheSceneDrawsThePassesInOrderWithTheCameraAtTheWalker) {
  record_pass("ortho_dialogs");
  record_pass("dialogs");
  record_pass("vbos");
  engine_.walking().position() = {1.0f, 2.0f, 3.0f};
  glEnable(0xFFFF);  // an error left by earlier code
  OutputCapture capture;
  engine_.display_basic([this] { order_.push_back("first"); },
                        [this] { order_.push_back("second"); });
  EXPECT_EQ(order_,
            (std::vector<std::string>{"vbos", "first", "dialogs", "ortho_dialogs", "second"}));
  EXPECT_EQ(capture.err(), "display_impl() pre-call error 1280\n");
  EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});

  // The camera's projection, and the view at the walker.
  EXPECT_EQ(read_matrix(GL_PROJECTION_MATRIX), camera_projection(engine_.camera()));
  EXPECT_EQ(engine_.mouse_look().coord_sys().position(), (Vec3{1.0f, 2.0f, 3.0f}));
  const Matrix view = read_matrix(GL_MODELVIEW_MATRIX);
  EXPECT_FLOAT_EQ(view[3], -1.0f);
  EXPECT_FLOAT_EQ(view[7], -2.0f);
  EXPECT_FLOAT_EQ(view[11], -3.0f);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));

  // In the headset the VR layer's matrices stay; missing passes draw nothing.
  capture.reset();
  engine_.hmd_control(true);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -7.0f);
  const Matrix pose = read_matrix(GL_MODELVIEW_MATRIX);
  order_.clear();
  engine_.display_basic({}, {});
  EXPECT_EQ(order_, (std::vector<std::string>{"vbos", "dialogs", "ortho_dialogs"}));
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), pose);
  EXPECT_EQ(read_matrix(GL_PROJECTION_MATRIX),
            (Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

// ---- The dialog scenes

TEST_F(EngineDrawingGLTest, TheDialogScenesDrawInTheirStateAndLeaveEverythingAsBefore) {
  ASSERT_EQ(engine_.init_dialogs_scene(), 0);
  struct Seen {
    bool blend, depth_test, depth_mask, lighting, texture, normalize, cull;
  };
  auto probe = [](std::vector<Seen>& seen) {
    GLboolean mask = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    seen.push_back({glIsEnabled(GL_BLEND) == GL_TRUE, glIsEnabled(GL_DEPTH_TEST) == GL_TRUE,
                    mask == GL_TRUE, glIsEnabled(GL_LIGHTING) == GL_TRUE,
                    glIsEnabled(GL_TEXTURE_2D) == GL_TRUE, glIsEnabled(GL_NORMALIZE) == GL_TRUE,
                    glIsEnabled(GL_CULL_FACE) == GL_TRUE});
  };
  ButtonColumn far(1, 0), near(1, 0), overlay(1, 0), hidden_overlay(1, 0);
  std::vector<std::string> drawn;
  std::vector<Seen> in_scene, in_overlay;
  for (auto [d, name] : {std::pair{&far, "far"}, {&near, "near"}}) {
    auto* child = static_cast<TestFrame*>(d->children()[0]);
    child->on_render = [&, name] {
      drawn.push_back(name);
      probe(in_scene);
    };
  }
  static_cast<TestFrame*>(overlay.children()[0])->on_render = [&] {
    drawn.push_back("overlay");
    probe(in_overlay);
  };
  hidden_overlay.enable(false);
  engine_.sorted_dialogs() = {&far, nullptr, &near};
  engine_.ortho_dlgs() = {nullptr, &hidden_overlay, &overlay};

  glEnable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glMatrixMode(GL_MODELVIEW);
  glTranslatef(0.5f, 0.25f, -2.0f);  // the view the application draws with next
  const auto before = GLStateSnapshot::take();
  engine_.scenes()["dialogs"].render();
  engine_.scenes()["ortho_dialogs"].render();
  // Both matrices too: the overlay's pose does not leak into later passes.
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  EXPECT_EQ(drawn, (std::vector<std::string>{"far", "near", "overlay"}));
  ASSERT_EQ(in_scene.size(), 2u);
  const Seen& s = in_scene[0];
  EXPECT_TRUE(s.blend && s.depth_test && !s.depth_mask && !s.lighting && !s.texture &&
              s.normalize && !s.cull);
  ASSERT_EQ(in_overlay.size(), 1u);
  const Seen& o = in_overlay[0];
  // (Depth testing is the dialog's own choice.)
  EXPECT_TRUE(o.blend && !o.depth_mask && !o.lighting && !o.texture);

  // draw_ortho_dlgs keeps the state as well; with no overlay shown it makes
  // no GL call at all.
  drawn.clear();
  engine_.draw_ortho_dlgs(1.0f);
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
  EXPECT_EQ(drawn, std::vector<std::string>{"overlay"});
  overlay.enable(false);
  drawn.clear();
  EXPECT_TRUE(makes_no_gl_call([&] { engine_.draw_ortho_dlgs(1.0f); }));
  EXPECT_TRUE(drawn.empty());
}

TEST_F(EngineDrawingGLTest, TheOverlayDialogsFaceTheViewerHalfAMetreAhead) {
  ASSERT_EQ(engine_.init_dialogs_scene(), 0);
  ButtonColumn overlay(1, 0);
  Matrix seen{};
  static_cast<TestFrame*>(overlay.children()[0])->on_render = [&] {
    seen = read_matrix(GL_MODELVIEW_MATRIX);
  };
  engine_.ortho_dlgs() = {&overlay};
  // The viewer at (1, 2, 3) looking along -z; the scene's view loaded.
  engine_.mouse_look().coord_sys().position() = {1.0f, 2.0f, 3.0f};
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(-1.0f, -2.0f, -3.0f);
  engine_.scenes()["ortho_dialogs"].render();
  // The dialog's origin lands 0.5 straight ahead of the eye, its axes
  // those of the view (x right, z toward the viewer).
  const Vec3 child = overlay.children()[0]->coord_sys().position();
  EXPECT_NEAR(seen[3] - child[0], 0.0f, 1e-5f);
  EXPECT_NEAR(seen[11] - child[2], -0.5f, 1e-5f);
  EXPECT_NEAR(seen[0], 1.0f, 1e-5f);
  EXPECT_NEAR(seen[10], 1.0f, 1e-5f);
}

// ---- Drawing without a GL call

TEST_F(EngineDrawingGLTest, NothingToDrawMakesNoGLCall) {
  EXPECT_EQ(engine_.overlay_color()[3], 0.0f);
  EXPECT_TRUE(makes_no_gl_call([&] { engine_.draw_overlay(0, {1.0f, 1.0f}); }));
  EXPECT_TRUE(makes_no_gl_call([&] { engine_.apply_lighting(); }));
  engine_.cursor().disable();
  EXPECT_TRUE(makes_no_gl_call([&] { engine_.draw_cursor(); }));
}

// ---- Overlays over the view

class EngineOverlayGLTest : public EngineDrawingGLTest {
 protected:
  void SetUp() override {
    EngineDrawingGLTest::SetUp();
    if (!has_context()) return;
    build_geometry();
    engine_.render_size(32, 32);
    // A texture of one colour, green.
    const std::vector<unsigned char> green(4 * 4 * 4, 0);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    std::vector<unsigned char> pixels(green);
    for (std::size_t i = 0; i < pixels.size(); i += 4) pixels[i + 1] = pixels[i + 3] = 255;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
  }
  void TearDown() override {
    if (texture_) glDeleteTextures(1, &texture_);
    EngineDrawingGLTest::TearDown();
  }
  static void clear_to(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  GLuint texture_ = 0;
};

TEST_F(EngineOverlayGLTest, TheMonitorShowsATextureTintedByTheMonitorColour) {
  OffscreenTarget target(32, 32);
  clear_to(1.0f, 0.0f, 0.0f);
  glColor4f(0.0f, 0.0f, 1.0f, 1.0f);  // a colour left current does not tint
  glEnable(GL_LIGHTING);
  const GLuint before_texture = static_cast<GLuint>(get_int(GL_TEXTURE_BINDING_2D));
  engine_.simple_draw_monitor(texture_, {1.0f, 1.0f});
  EXPECT_EQ(target.pixel(16, 16), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(target.pixel(0, 31), (Pixel{0, 255, 0, 255}));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(static_cast<GLuint>(get_int(GL_TEXTURE_BINDING_2D)), before_texture);

  // Half opaque: half over the red; a scale of 2 halves the viewport.
  clear_to(1.0f, 0.0f, 0.0f);
  engine_.monitor_color() = {1.0f, 1.0f, 1.0f, 0.5f};
  engine_.simple_draw_monitor(texture_, {2.0f, 2.0f});
  const Pixel half = target.pixel(8, 8);
  EXPECT_NEAR(half[0], 128, 2);
  EXPECT_NEAR(half[1], 128, 2);
  EXPECT_EQ(target.pixel(20, 20), (Pixel{255, 0, 0, 255}));
  GLint viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[2], 16);
}

TEST_F(EngineOverlayGLTest, TheFadeOverlayCoversTheViewAndRestoresTheState) {
  OffscreenTarget target(32, 32);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(3.0f, 0.0f, 0.0f);  // the view: an overlay ignores it
  glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
  const auto before = GLStateSnapshot::take();

  // Black, half faded in, over white.
  clear_to(1.0f, 1.0f, 1.0f);
  engine_.overlay_color() = {0.0f, 0.0f, 0.0f, 0.5f};
  engine_.draw_overlay(0, {1.0f, 1.0f});
  const Pixel half = target.pixel(16, 16);
  EXPECT_NEAR(half[0], 128, 2);
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");

  // Faded in fully: black, not the colour that was current.
  clear_to(1.0f, 1.0f, 1.0f);
  engine_.overlay_color() = {0.0f, 0.0f, 0.0f, 1.0f};
  engine_.draw_overlay(0, {1.0f, 1.0f});
  EXPECT_EQ(target.pixel(16, 16), (Pixel{0, 0, 0, 255}));
  // An opaque texture in the current colour, white here: as it is.
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  engine_.draw_overlay(texture_, {1.0f, 1.0f});
  EXPECT_EQ(target.pixel(16, 16), (Pixel{0, 255, 0, 255}));
  glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
  EXPECT_EQ(GLStateSnapshot::take().changes_since(before), "");
}

// ---- The desktop frame, in a window of its own

class EngineDesktopGLTest : public EngineDrawingGLTest {
 protected:
  static constexpr int kWidth = 96, kHeight = 64;

  void SetUp() override {
    EngineDrawingGLTest::SetUp();
    if (!has_context()) return;
    // Apart from the windows of tests running beside this one (each runs
    // in a process of its own): they would cover its picture.
    const int slot = static_cast<int>(getpid() % 120);
    engine_.window() = kWindow("desktop frame", kWidth, kHeight, 20 + (slot % 12) * 150,
                               20 + (slot / 12) * 100, false, true, -1);
    OutputCapture quiet;
    ASSERT_GT(engine_.window().create(), 0);
    engine_.window().set_display_callback(varnox_null_func);
    // The window's context shares nothing with the test's: the shapes and
    // the frame buffer are made in it.
    engine_.window().focus();
    ASSERT_TRUE(testing_support::show_window());
    build_geometry();
    engine_.render_size(kWidth, kHeight);
    ASSERT_EQ(engine_.frame_buffer().create(kWidth, kHeight), 0);
    engine_.init_dialogs_scene();
  }
  void TearDown() override {
    if (has_context()) {
      engine_.frame_buffer().clear();
      engine_.window().close();
      glutSetWindow(testing_support::gl_test_window());
    }
    EngineDrawingGLTest::TearDown();
  }

  // The window's picture after the swap (alpha is always 255).
  static Pixel shown(int x, int y) { return testing_support::shown_pixel(x, y); }
  // The resolved picture of the engine's frame buffer.
  Pixel resolved(int x, int y) {
    std::vector<unsigned char> image(4u * kWidth * kHeight);
    glBindTexture(GL_TEXTURE_2D, engine_.frame_buffer().resolve_texture());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    const std::size_t i = 4u * (static_cast<std::size_t>(y) * kWidth + x);
    return {image[i], image[i + 1], image[i + 2], image[i + 3]};
  }
  // Mouse look with a mouse that just moved.
  void mouse_look_active() {
    engine_.mouse().hidden(true);
    engine_.last_mouse_time(engine_.real_time() + 1.0);
  }
};

TEST_F(EngineDesktopGLTest, AFrameIsDrawnIntoTheFrameBufferAndShownInTheWindow) {
  GLint bound = -1, viewport[4] = {};
  const FrameBuffer& fb = engine_.frame_buffer();
  engine_.draw_desktop_mode(&engine_.frame_buffer(), [&] {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
    glRectf(-1.0f, -1.0f, 0.0f, 1.0f);  // the left half red
  });
  EXPECT_EQ(static_cast<GLuint>(bound), fb.multisample_framebuffer());
  EXPECT_EQ(viewport[2], kWidth);
  EXPECT_EQ(viewport[3], kHeight);
  EXPECT_EQ(resolved(10, 32), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(resolved(80, 32), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
  glFinish();
  EXPECT_EQ(shown(10, 32), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(shown(80, 32)[0], 0);

  // Without a target the drawing goes straight into the window.
  engine_.draw_desktop_mode(nullptr, [&] {
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glGetIntegerv(GL_VIEWPORT, viewport);
  });
  EXPECT_EQ(bound, 0);
  EXPECT_EQ(viewport[2], kWidth);
  glFinish();
  EXPECT_EQ(shown(10, 32)[0], 0);
}

TEST_F(EngineDesktopGLTest, TheCrosshairShowsOnlyInMouseLookWhileTheMouseMoves) {
  // The crosshair's upper arm, between its gap and its end, above the
  // centre ((96 - 1) / 2, (64 - 1) / 2) = (47, 31).
  engine_.crosshair().style().line_color(1.0f, 1.0f, 1.0f, 1.0f);
  auto arm_lit = [&] {
    engine_.draw_desktop_mode(&engine_.frame_buffer(), [] {});
    glFinish();
    int lit = 0;
    for (int x = 45; x <= 50; ++x)
      for (int y = 35; y <= 41; ++y) lit += shown(x, y)[1] > 64 ? 1 : 0;
    return lit > 0;
  };
  struct Case {
    const char* state;
    bool hidden, moved, enabled, drawn;
  };
  const Case cases[] = {{"mouse look, mouse moving", true, true, true, true},
                        {"pointer shown", false, true, true, false},
                        {"mouse still", true, false, true, false},
                        {"crosshair off", true, true, false, false}};
  for (const Case& c : cases) {
    engine_.mouse().hidden(c.hidden);
    engine_.last_mouse_time(c.moved ? engine_.real_time() + 1.0 : 0.0);
    engine_.crosshair().enable(c.enabled);
    EXPECT_EQ(arm_lit(), c.drawn) << c.state;
  }
}

// One frame as a player sees it: a dialog in front of the camera, drawn into
// the frame buffer and shown in the window.
TEST_F(EngineDesktopGLTest, AFrameWithADialogShowsTheDialogInTheMiddle) {
  {
    OutputCapture quiet;
    engine_.camera().set_aspect(static_cast<float>(kWidth) / kHeight);
  }
  Dialog menu;
  menu.add_text("Play", true);
  menu.add_text("Quit", true);
  menu.arrange_children();
  menu.frame().bg_color() = {0.0f, 0.0f, 1.0f, 1.0f};
  menu.frame().coord_sys().position() = {0.0f, 0.0f, -1.0f};
  engine_.walking().position() = {0.0f, 0.0f, 0.0f};
  engine_.sorted_dialogs() = {&menu};
  engine_.draw_desktop_mode(&engine_.frame_buffer(), {});
  glFinish();
  const Pixel middle = shown(kWidth / 2, kHeight / 2);
  EXPECT_GT(middle[2], 100);
  EXPECT_LT(middle[0], 200);
  EXPECT_EQ(shown(1, 1), (Pixel{0, 0, 0, 255}));
  menu.delete_children();
}
