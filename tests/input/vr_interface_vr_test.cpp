// The headset interface with OpenGL against the simulated headset: start-up
// with eye targets, drawing and submitting both eyes, the mirror, and the
// render models with their VBOs, textures and exported files.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "input/vr_interface.h"
#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/vr_headset.h"

using testing_support::GLTest;
using testing_support::gradient_texture;
using testing_support::HeadsetTest;
using testing_support::OutputCapture;
using testing_support::square_model;
using testing_support::TempDataRoot;
namespace fs = std::filesystem;

namespace {

using Pixel = std::array<unsigned char, 4>;

// The texture's level 0 as RGBA bytes, bottom row first.
std::vector<unsigned char> texture_bytes(GLuint name, int width, int height) {
  std::vector<unsigned char> bytes(std::size_t(width) * height * 4);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  return bytes;
}

Pixel first_pixel(GLuint texture) {
  const auto bytes = texture_bytes(texture, 8, 8);
  return {bytes[0], bytes[1], bytes[2], bytes[3]};
}

std::array<GLint, 4> viewport() {
  std::array<GLint, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

class VrGlTest : public HeadsetTest<GLTest> {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    if (!has_context()) return;
    root_.emplace();
    vr_.render_models_folder() = "models/vr";
  }
  void TearDown() override {
    if (has_context()) vr_.release_gl();
    GLTest::TearDown();
    root_.reset();
  }

  // init() with its report swallowed, then VR on.
  void start() {
    OutputCapture quiet;
    ASSERT_EQ(vr_.init(), 0);
    vr_.enable(true);
  }
  // A controller at slot `index` showing the model.
  void controller(unsigned index, const std::string& model) {
    headset_.add_controller(
        index, model,
        {vr::k_eControllerAxis_TrackPad, vr::k_eControllerAxis_Trigger, vr::k_eControllerAxis_None,
         vr::k_eControllerAxis_None, vr::k_eControllerAxis_None});
  }
  bool exists(const std::string& path) const { return fs::exists(path); }

  std::optional<TempDataRoot> root_;
  VRInterface vr_{nullptr, 8, 8};
};

}  // namespace

TEST_F(VrGlTest, InitReportsTheHeadsetAndMakesTheEyeTargets) {
  vr::HmdQuad_t area{};
  const float corners[4][3] = {{0, 0, 0}, {2, 0, 0}, {2, 0, 4}, {0, 0, 4}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) area.corners[i].v[j] = corners[i][j];
  headset_.play_area(area);
  headset_.add_render_model("ctl", square_model(-1));
  headset_.listed_models().push_back("");
  headset_.add_render_model("lighthouse", square_model(-1));

  OutputCapture capture;
  ASSERT_EQ(vr_.init(), 0);
  EXPECT_EQ(capture.out(),
            "VR: \t Driver: \t simulated\n"
            "VR: \t Display: \t SIM-0001\n"
            "Play area: \n"
            "vertex 0: 0, 0, 0, \n"
            "vertex 1: 2, 0, 0, \n"
            "vertex 2: 2, 0, 4, \n"
            "vertex 3: 0, 0, 4, \n"
            "683,384 -> 8,8\n"  // the eye targets leave their default size
            "683,384 -> 8,8\n"
            "Render model 0: 'ctl'\n"
            "Render model 1: 'lighthouse'\n");
  EXPECT_EQ(capture.err(), "VR: error getting render model name for index 1/3\n");
  EXPECT_EQ(headset_.starts(), 1);
  EXPECT_FALSE(vr_.enabled());
  EXPECT_EQ(vr_.driver_name(), "simulated");
  EXPECT_EQ(vr_.play_center(), (std::array<float, 3>{1, 0, 2}));
  EXPECT_EQ(vr_.render_model_names(), (std::vector<std::string>{"ctl", "lighthouse"}));
  for (const FrameBuffer& target : vr_.get_eye_data()) {
    EXPECT_EQ(target.size(), (std::array<unsigned, 2>{8, 8}));
    EXPECT_NE(target.resolve_texture(), 0u);
  }
}

TEST_F(VrGlTest, EyeTargetsNeedASize) {
  VRInterface unsized(nullptr, 0, 0);
  unsized.init_eye_tex(0, 0);
  for (const FrameBuffer& target : unsized.get_eye_data())
    EXPECT_EQ(target.multisample_framebuffer(), 0u);
  unsized.init_eye_tex(16, 4);
  OutputCapture quiet;
  // A 0 keeps a made target's own size.
  unsized.init_eye_tex(0, 8);
  for (const FrameBuffer& target : unsized.get_eye_data()) {
    EXPECT_EQ(target.size(), (std::array<unsigned, 2>{16, 8}));
    EXPECT_NE(target.multisample_framebuffer(), 0u);
  }
  unsized.release_gl();
}

TEST_F(VrGlTest, RenderStereoDrawsEachEyeAndSubmitsBoth) {
  headset_.set_pose(0, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 1, 0}));
  start();
  vr_.update_poses();
  vr_.update_hmd_pose();
  vr_.get_eye_matrices();

  glViewport(1, 2, 30, 40);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  const GLboolean multisample = glIsEnabled(GL_MULTISAMPLE);
  std::vector<int> eyes;
  std::array<std::array<float, 16>, 2> modelview{}, projection{};
  std::array<std::array<GLint, 4>, 2> viewports{};
  vr_.render_stereo(
      [&](int eye) {
        eyes.push_back(eye);
        modelview[eye] = read_matrix(GL_MODELVIEW_MATRIX);
        projection[eye] = read_matrix(GL_PROJECTION_MATRIX);
        viewports[eye] = viewport();
        glClearColor(eye == 0 ? 1.0f : 0.0f, eye == 1 ? 1.0f : 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
      },
      {640, 480}, {1, 2, 3});

  EXPECT_EQ(eyes, (std::vector<int>{0, 1}));
  for (int e = 0; e < 2; ++e) {
    SCOPED_TRACE(e);
    EXPECT_EQ(viewports[e], (std::array<GLint, 4>{0, 0, 8, 8}));
    EXPECT_EQ(projection[e], vr_.eye_projection(e));
    // World into head (headset 1 m up), head into eye (32 mm aside), then the offset.
    EXPECT_FLOAT_EQ(modelview[e][3], (e == 0 ? 0.032f : -0.032f) + 1.0f);
    EXPECT_FLOAT_EQ(modelview[e][7], 1.0f);
    EXPECT_FLOAT_EQ(modelview[e][11], 3.0f);
  }
  ASSERT_EQ(headset_.submits().size(), 2u);
  for (int e = 0; e < 2; ++e) {
    const vr::SubmitRecord& s = headset_.submits()[e];
    EXPECT_EQ(s.eye, VRInterface::eye(e));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s.texture.handle),
              vr_.get_eye_data()[e].resolve_texture());
    EXPECT_EQ(s.texture.type, vr::TextureType_OpenGL);
    EXPECT_EQ(s.texture.color_space, vr::ColorSpace_Gamma);
    EXPECT_FALSE(s.bounds_given);
  }
  EXPECT_EQ(first_pixel(vr_.get_eye_data()[0].resolve_texture()), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(first_pixel(vr_.get_eye_data()[1].resolve_texture()), (Pixel{0, 255, 0, 255}));
  EXPECT_GE(vr_.eye_frame_gap(), 0.0);

  // Everything is as it was.
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{1, 2, 30, 40}));
  EXPECT_EQ(get_int(GL_DRAW_FRAMEBUFFER_BINDING), 0);
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
  EXPECT_EQ(glIsEnabled(GL_MULTISAMPLE), multisample);
  const std::array<float, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(read_matrix(GL_MODELVIEW_MATRIX), identity);
  EXPECT_EQ(read_matrix(GL_PROJECTION_MATRIX), identity);
  glViewport(0, 0, 320, 240);
}

TEST_F(VrGlTest, RenderStereoWithoutDrawingChangesNothing) {
  start();
  EXPECT_THROW(vr_.render_stereo(nullptr, {0, 0}, {0, 0, 0}), std::bad_function_call);
  EXPECT_TRUE(headset_.submits().empty());
  EXPECT_EQ(get_int(GL_MATRIX_MODE), GL_MODELVIEW);
}

TEST_F(VrGlTest, MirrorKeepsTheEyeAspectAcrossTheWindow) {
  VRInterface wide(nullptr, 32, 16);
  glViewport(3, 3, 3, 3);
  wide.mirror(false);
  wide.prepare_mirror_display({64, 64});
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{3, 3, 3, 3}));
  wide.mirror(true);
  wide.prepare_mirror_display({64, 64});
  EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 16, 64, 32}));
  glViewport(0, 0, 320, 240);
}

TEST_F(VrGlTest, ControllerModelsLoadOnceWithTheirTextures) {
  controller(3, "ctl");
  vr::SimulatedModel model = square_model(7);
  model.loading_answers = 3;
  headset_.add_render_model("ctl", model);
  vr::SimulatedTexture texture = gradient_texture(4, 2);
  texture.loading_answers = 1;
  headset_.add_texture(7, texture);
  start();

  OutputCapture capture;
  EXPECT_EQ(vr_.load_controller_models(), (std::vector<std::string>{"ctl"}));
  EXPECT_EQ(capture.out(), "Loaded ctl\n");
  EXPECT_EQ(capture.err(), "");
  EXPECT_EQ(headset_.model_loads("ctl"), 4);
  EXPECT_EQ(headset_.texture_loads(7), 2);

  const VBO* vbo = vr_.model_vbo("ctl");
  ASSERT_NE(vbo, nullptr);
  EXPECT_EQ(vbo->name(), "ctl");
  EXPECT_EQ(vbo->num_vertices(), 6u);
  EXPECT_EQ(testing_support::buffer_floats(vbo->buffers()[0]).size(), 18u);
  EXPECT_EQ(testing_support::buffer_floats(vbo->buffers()[2]).size(), 12u);
  EXPECT_EQ(vbo->texture().pixels(), texture.rgba);
  EXPECT_EQ(texture_bytes(vbo->texture().id(), 4, 2), texture.rgba);
  EXPECT_EQ(vr_.tracked_models()[3], vbo);
  EXPECT_EQ(vr_.model_vbo(3u), vbo);
  EXPECT_EQ(vr_.model_vbo(4u), nullptr);
  // Shown by a device: the runtime's record is kept; the texture went back.
  EXPECT_TRUE(headset_.freed_models().empty());
  EXPECT_EQ(headset_.freed_textures(), (std::vector<vr::TextureID_t>{7}));

  capture.reset();
  EXPECT_EQ(vr_.load_render_model("ctl", true, false), 0);
  EXPECT_EQ(capture.out() + capture.err(), "");
  EXPECT_EQ(headset_.model_loads("ctl"), 4);
}

TEST_F(VrGlTest, ExportedFilesReadBackAsAModel) {
  controller(1, "ctl");
  headset_.add_render_model("ctl", square_model(7));
  const vr::SimulatedTexture texture = gradient_texture(4, 2);
  headset_.add_texture(7, texture);
  start();
  {
    OutputCapture quiet;
    ASSERT_EQ(vr_.load_controller_models().size(), 1u);
  }
  const std::string stem = "models/vr/ctl/ctl";
  ASSERT_TRUE(exists(stem + ".obj") && exists(stem + ".mtl") && exists(stem + ".png"));

  OutputCapture quiet;
  OBJRenderer model;
  ASSERT_EQ(model.load(stem + ".obj"), 0);
  EXPECT_EQ(model.mtl_files(), (std::vector<std::string>{"ctl.mtl"}));
  EXPECT_EQ(model.faces().size(), 2u);
  EXPECT_EQ(model.num_vertices(), 6u);
  EXPECT_EQ(model.vertices()[3], 1.0f);    // the second corner, (1, 0, 0)
  EXPECT_EQ(model.tex_coords()[3], 1.0f);  // its texture coordinate (1, 0)
  EXPECT_EQ(model.tex_coords()[4], 0.0f);
  EXPECT_EQ(model.normals()[2], 1.0f);
  ASSERT_EQ(model.materials().size(), 1u);
  EXPECT_EQ(model.materials()[0].name(), "ctl");
  EXPECT_EQ(model.materials()[0].map_options().at("map_Kd").file, "ctl.png");
  EXPECT_EQ(model.faces()[0].material_name, "ctl");

  // Flipped back on reading, the image holds the runtime's rows as they came.
  Texture png;
  ASSERT_EQ(png.load_png(stem + ".png", false, false, true), 0);
  EXPECT_EQ(png.width(), 4u);
  EXPECT_EQ(png.pixels(), texture.rgba);
}

TEST_F(VrGlTest, AModelWithoutTextureHasNoTextureCoordinatesAndNoImage) {
  headset_.add_render_model("plain", square_model(-1));
  start();
  OutputCapture capture;
  EXPECT_EQ(vr_.load_render_model("plain", true, false), 0);
  const VBO* vbo = vr_.model_vbo("plain");
  ASSERT_NE(vbo, nullptr);
  EXPECT_NE(vbo->buffers()[0], 0u);
  EXPECT_EQ(vbo->buffers()[2], 0u);
  EXPECT_TRUE(exists("models/vr/plain/plain.obj"));
  EXPECT_TRUE(exists("models/vr/plain/plain.mtl"));
  EXPECT_FALSE(exists("models/vr/plain/plain.png"));
  // No device shows it: the runtime has it back, the name stays done.
  EXPECT_EQ(headset_.freed_models(), (std::vector<std::string>{"plain"}));
  EXPECT_EQ(vr_.loaded_models().count("plain"), 1u);
  EXPECT_EQ(headset_.models_out(), 0u);
}

TEST_F(VrGlTest, FailuresAreCountedAndTheRestLoads) {
  headset_.add_render_model("dim", square_model(5));
  vr::SimulatedTexture broken;
  broken.error = vr::VRRenderModelError_InvalidTexture;
  headset_.add_texture(5, broken);
  vr::SimulatedModel slow = square_model(-1);
  slow.loading_answers = -1;
  headset_.add_render_model("slow", slow);
  start();
  vr_.load_wait_limit(0.05);

  OutputCapture capture;
  EXPECT_EQ(vr_.load_render_models({"dim", "nope", "slow"}, false, true, false), 11);
  EXPECT_EQ(capture.err(),
            "Error loading texture ID 5 for model dim, excuse: VRRenderModelError_InvalidTexture\n"
            "Error loading model nope, excuse: VRRenderModelError_InvalidModel\n"
            "Error loading model slow, excuse: VRRenderModelError_Loading\n");
  EXPECT_EQ(capture.out(), "Loaded dim\n");
  // The model without its texture still draws.
  ASSERT_NE(vr_.model_vbo("dim"), nullptr);
  EXPECT_EQ(vr_.model_vbo("dim")->num_vertices(), 6u);
  EXPECT_TRUE(exists("models/vr/dim/dim.obj"));
  EXPECT_FALSE(exists("models/vr/dim/dim.png"));
  // The runtime was asked again after pauses, then given up on.
  EXPECT_GT(headset_.model_loads("slow"), 1);
  EXPECT_LT(headset_.model_loads("slow"), 20);
  EXPECT_EQ(vr_.model_vbo("slow"), nullptr);

  // A texture that never arrives counts as failed too.
  vr::SimulatedTexture never;
  never.loading_answers = -1;
  headset_.add_texture(6, never);
  headset_.add_render_model("late", square_model(6));
  capture.reset();
  EXPECT_EQ(vr_.load_render_model("late", false, false), 10);
  EXPECT_EQ(capture.err(),
            "Error loading texture ID 6 for model late, excuse: VRRenderModelError_Loading\n");
}

TEST_F(VrGlTest, TrianglesOutsideTheVerticesAreLeftOut) {
  vr::SimulatedModel model = square_model(-1);
  model.indices[4] = 40;
  headset_.add_render_model("torn", model);
  start();
  OutputCapture quiet;
  EXPECT_EQ(vr_.load_render_model("torn", false, false), 0);
  EXPECT_EQ(vr_.model_vbo("torn")->num_vertices(), 3u);
}

TEST_F(VrGlTest, ModelNamesThatAreNoPlainFileNamesWriteNothing) {
  for (const std::string name : {"..", "a/b", "/tmp/x", "c\\d"})
    headset_.add_render_model(name, square_model(-1));
  fs::create_directories("models/vr/a");
  start();
  OutputCapture capture;
  EXPECT_EQ(vr_.load_render_models({"..", "a/b", "/tmp/x", "c\\d"}, false, true, false), 0);
  EXPECT_EQ(capture.err(),
            "Render model '..' is no plain file name: no files written\n"
            "Render model 'a/b' is no plain file name: no files written\n"
            "Render model '/tmp/x' is no plain file name: no files written\n"
            "Render model 'c\\d' is no plain file name: no files written\n");
  EXPECT_NE(vr_.model_vbo("a/b"), nullptr);
  EXPECT_FALSE(exists("models/vr/a/b"));
  EXPECT_FALSE(exists("models/...obj"));
  EXPECT_FALSE(exists("models/vr/c\\d"));
}

TEST_F(VrGlTest, EmptyListsLoadNothingUnlessAskedToList) {
  headset_.add_render_model("ctl", square_model(-1));
  start();
  OutputCapture capture;
  vr_.list_render_models();
  VRInterface fresh(nullptr, 8, 8);
  EXPECT_EQ(fresh.load_render_models({}, false, false, false), 0);
  EXPECT_TRUE(fresh.model_vbos().empty());
  EXPECT_EQ(vr_.load_render_models({}, true, false, false), 0);
  EXPECT_NE(vr_.model_vbo("ctl"), nullptr);
}

TEST_F(VrGlTest, RenderModelPoses) {
  controller(2, "ctl");
  headset_.set_pose(2, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {4, 5, 6}));
  start();
  vr_.update_poses();
  EXPECT_EQ(&vr_.render_model_pose("ctl"), &vr_.tracked_device_poses()[2]);
  vr::TrackedDevicePose_t& none = vr_.render_model_pose("nope");
  none.pose_is_valid = true;
  EXPECT_FALSE(vr_.render_model_pose("nope").pose_is_valid);
}

TEST_F(VrGlTest, BaseStationsTakeTheModelAndStayWhereTheirPoseWasLost) {
  headset_.add_device(4, vr::TrackedDeviceClass_TrackingReference, "lighthouse");
  headset_.set_pose(4, vr::SimulatedHeadset::matrix({1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 2, 3}));
  headset_.add_device(5, vr::TrackedDeviceClass_TrackingReference, "lighthouse");
  headset_.set_pose(5, vr::SimulatedHeadset::identity(), false);
  headset_.add_render_model("lighthouse", square_model(-1));
  start();

  std::map<unsigned, VBO> stations;
  const auto make_vbo = [&stations](unsigned d) { return &stations[d]; };
  {
    OutputCapture quiet;
    vr_.update_base_stations(make_vbo, {10, 0, 0});
  }
  ASSERT_EQ(stations.size(), 2u);
  EXPECT_EQ(stations[4].buffers(), vr_.model_vbo("lighthouse")->buffers());
  EXPECT_EQ(stations[4].coord_sys().position(), (std::array<float, 3>{11, 2, 3}));
  EXPECT_EQ(vr_.tracked_models()[4], vr_.model_vbo("lighthouse"));

  stations[5].coord_sys().position() = {7, 7, 7};
  for (int i = 0; i < 2; ++i)
    vr_.update_base_stations_positions([&stations](unsigned d) { return &stations[d].coord_sys(); },
                                       {10, 0, 0});
  EXPECT_EQ(stations[4].coord_sys().position(), (std::array<float, 3>{11, 2, 3}));
  EXPECT_EQ(stations[5].coord_sys().position(), (std::array<float, 3>{7, 7, 7}));
  EXPECT_THROW(vr_.update_base_stations(nullptr, {0, 0, 0}), std::bad_function_call);
}

TEST_F(VrGlTest, CopiesPointAtTheirOwnModels) {
  controller(3, "ctl");
  headset_.add_render_model("ctl", square_model(-1));
  start();
  {
    OutputCapture quiet;
    vr_.load_controller_models();
  }
  const VRInterface copy(vr_);
  ASSERT_NE(copy.model_vbo("ctl"), nullptr);
  EXPECT_EQ(copy.tracked_models()[3], copy.model_vbo("ctl"));
  EXPECT_NE(copy.tracked_models()[3], vr_.model_vbo("ctl"));
  EXPECT_EQ(copy.model_vbo("ctl")->buffers(), vr_.model_vbo("ctl")->buffers());
}
