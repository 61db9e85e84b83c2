// The engine's loaders with OpenGL: workers read and parse without making an
// OpenGL object, the main thread makes the textures and vertex arrays at the
// next frame and then calls done.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/basic_engine.h"
#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"
#include "support/gl/gl_test.h"
#include "support/image_files.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

// Four pixels, 2 x 2, RGBA.
const std::string kPicture = testing_support::png_file(
    2, 2, 4, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255});

class EngineLoadingGL : public testing_support::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    engine_.frame_clock(&clock_);
  }

  // Two frames: the first queues the completions, the second runs them.
  void two_frames() {
    for (int i = 0; i < 2; ++i) {
      now_ += 0.1;
      engine_.idle();
    }
  }

  // A done function that notes the thread it ran on.
  std::function<void()> note_thread() {
    return [this] { done_on_.push_back(std::this_thread::get_id()); };
  }

  TempDataRoot root_;
  double now_ = 10.0;
  FrameClock clock_{[this] { return now_; }};
  BasicEngine engine_;
  std::vector<std::thread::id> done_on_;
};

}  // namespace

TEST_F(EngineLoadingGL, TexturesAreMadeOnTheMainThreadAndKeepOrDropTheirPixels) {
  root_.write("textures/balls/one.png", kPicture);
  Texture kept;
  Texture dropped;
  Texture decoded;
  ASSERT_EQ(engine_.load_tex(kept, "balls/one.png", false, note_thread()), 0);
  ASSERT_EQ(engine_.load_tex(dropped, "balls/one.png", true, note_thread()), 0);
  ASSERT_EQ(engine_.load_tex_async(decoded, "balls/one.png", false, note_thread()), 0);
  engine_.wait_for_loads();
  // Workers touch no OpenGL; load_tex leaves even the decoding to the main thread.
  EXPECT_TRUE(kept.pixels().empty());
  EXPECT_EQ(decoded.pixels().size(), 16u);
  EXPECT_EQ(kept.id() + dropped.id() + decoded.id(), 0u);

  two_frames();
  ASSERT_EQ(done_on_, (std::vector<std::thread::id>(3, std::this_thread::get_id())));
  for (Texture* t : {&kept, &dropped, &decoded}) {
    EXPECT_TRUE(glIsTexture(t->id()));
    EXPECT_EQ(t->width(), 2u);
  }
  EXPECT_EQ(kept.pixels().size(), 16u);
  EXPECT_TRUE(dropped.pixels().empty());
  EXPECT_EQ(decoded.pixels().size(), 16u);
  for (Texture* t : {&kept, &dropped, &decoded}) t->clear();
}

TEST_F(EngineLoadingGL,
       ModelsAreParsedApartAndTakenWithTheirVertexArraysAndTexturesAtTheNextFrame) {
  root_.write("cfg/things.ini", "box_model = box.ini\n");
  root_.write("cfg/box.ini", "obj_file = box/box.obj\nobj_offset = 1 0 0\n");
  root_.write("models/box/box.obj",
              "mtllib box.mtl\no box\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
              "vn 0 0 1\nusemtl felt\nf 1/1/1 2/2/1 3/3/1\nusemtl glass\nf 1/1/1 3/3/1 2/2/1\n");
  root_.write("models/box/box.mtl",
              "newmtl felt\nKd 0 1 0\nmap_Kd felt.png\nmap_Ka trim.png\n"
              "newmtl glass\nKd 1 1 1\nd 0.5\n");
  // One map lies in the models folder, the other only in the textures folder.
  root_.write("models/trim.png", kPicture);
  root_.write("textures/felt.png", kPicture);

  OBJRenderer model;
  OutputCapture quiet;
  ASSERT_EQ(engine_.load_obj_async(model, "box_model", "things", true, note_thread()), 0);
  engine_.wait_for_loads();
  // The worker has read the model into one of its own: the caller's model,
  // which the frame may draw meanwhile, is as it was until the hand-over.
  EXPECT_TRUE(model.faces().empty());
  EXPECT_TRUE(model.materials().empty());
  EXPECT_TRUE(model.opaque_material_names().empty() && model.opaque_attributes().empty());
  EXPECT_EQ(model.lower_upper_bounds()[0][0], 0.0f);

  two_frames();
  ASSERT_EQ(done_on_, std::vector<std::thread::id>{std::this_thread::get_id()});
  // Parsed and transformed, with the per-material arrays in vertex arrays.
  EXPECT_EQ(model.faces().size(), 2u);
  EXPECT_EQ(model.lower_upper_bounds()[0][0], -1.0f);
  EXPECT_EQ(model.opaque_material_names(), std::vector<std::string>{"felt"});
  EXPECT_EQ(model.transparent_material_names(), std::vector<std::string>{"glass"});
  ASSERT_EQ(model.opaque_vaos().size(), 1u);
  ASSERT_EQ(model.transparent_vaos().size(), 1u);
  EXPECT_TRUE(glIsVertexArray(model.opaque_vaos()[0].id()));
  EXPECT_TRUE(glIsVertexArray(model.transparent_vaos()[0].id()));
  std::map<std::string, Texture>& maps = model.material("felt").textures();
  ASSERT_EQ(maps.size(), 2u);
  EXPECT_TRUE(glIsTexture(maps.at("map_Kd").id()));
  EXPECT_TRUE(glIsTexture(maps.at("map_Ka").id()));
  // The vertex arrays were freed once the OpenGL objects existed.
  EXPECT_TRUE(model.vertices().empty());

  for (auto& [key, texture] : maps) texture.clear();
  for (VAO vao : model.opaque_vaos()) vao.clear();
  for (VAO vao : model.transparent_vaos()) vao.clear();
}

TEST_F(EngineLoadingGL, APictureOrAModelThatDoesNotReadIsNamedAndLeftOut) {
  root_.write("textures/cut.png", kPicture.substr(0, kPicture.size() / 2));
  root_.write("cfg/things.ini", "empty_model = empty.ini\nwords_model = words.ini\n");
  root_.write("cfg/empty.ini", "obj_file = empty.obj\n");
  root_.write("cfg/words.ini", "obj_file = words.obj\n");
  root_.write("models/empty.obj", "");
  root_.write("models/words.obj", "no model here\njust words\n");

  Texture on_main, on_worker;
  OBJRenderer empty, words;
  OutputCapture capture;
  // One at a time, so that no two workers write to the capture at once.
  ASSERT_EQ(engine_.load_tex(on_main, "cut.png", true, note_thread()), 0);
  engine_.wait_for_loads();
  ASSERT_EQ(engine_.load_tex_async(on_worker, "cut.png", true, note_thread()), 0);
  engine_.wait_for_loads();
  ASSERT_EQ(engine_.load_obj_async(empty, "empty_model", "things", true, note_thread()), 0);
  engine_.wait_for_loads();
  ASSERT_EQ(engine_.load_obj_async(words, "words_model", "things", true, note_thread()), 0);
  engine_.wait_for_loads();
  two_frames();

  // Every caller hears back; nothing was made of what did not read.
  EXPECT_EQ(done_on_.size(), 4u);
  EXPECT_EQ(on_main.id() + on_worker.id(), 0u);
  EXPECT_TRUE(empty.faces().empty() && empty.opaque_vaos().empty());
  EXPECT_TRUE(words.faces().empty() && words.opaque_vaos().empty());
  const std::string err = capture.err();
  EXPECT_EQ(testing_support::count_of(err, ") for textures/cut.png\n"), 2u) << err;
  EXPECT_NE(err.find("Error loading model models/empty.obj: the model reader's code -1\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("Error loading model models/words.obj: no face read\n"), std::string::npos)
      << err;
  // The decoder's complaint is the only one: no empty texture was generated.
  EXPECT_EQ(err.find("generate()"), std::string::npos) << err;
}
