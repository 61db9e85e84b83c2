// The engine's loaders without OpenGL: the result codes, the settings a model
// section leaves behind, the synchronous model load under a data root other
// than the working directory, and the way completions reach the main thread
// (models whose text does not parse make no OpenGL object).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/basic_engine.h"
#include "models/obj_renderer.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

// An engine on a clock the test sets, in a fresh data root.
class EngineLoading : public ::testing::Test {
 protected:
  void SetUp() override { engine_.frame_clock(&clock_); }

  // One frame, a tenth of a second after the last.
  void frame() {
    now_ += 0.1;
    engine_.idle();
  }

  TempDataRoot root_;
  double now_ = 10.0;
  FrameClock clock_{[this] { return now_; }};
  BasicEngine engine_;
};

const char* const kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

}  // namespace

TEST_F(EngineLoading, ModelCodesTellWhichFileWasMissingAndStartNoThread) {
  OBJRenderer model;
  OutputCapture quiet;
  EXPECT_EQ(engine_.load_obj(model, "table_model", "pool_objects", false), 1);
  EXPECT_EQ(engine_.load_obj_async(model, "table_model", "pool_objects", false, nullptr), 1);

  root_.write("cfg/pool_objects.ini", "other = x\nempty =\n");
  EXPECT_EQ(engine_.load_obj_async(model, "table_model", "pool_objects", false, nullptr), 2);
  EXPECT_EQ(engine_.load_obj_async(model, "empty", "pool_objects", false, nullptr), 2);
  EXPECT_FALSE(engine_.settings().has_section("pool_objects"));

  // From here the section file's values join the settings.
  root_.write("cfg/pool_objects.ini",
              "other = x\ntable_model = table.ini\nbare_model = bare.ini\n"
              "lost_model = lost.ini\n");
  EXPECT_EQ(engine_.load_obj_async(model, "table_model", "pool_objects", false, nullptr), 3);
  EXPECT_EQ(engine_.load_obj(model, "table_model", "pool_objects", false), -1);
  EXPECT_EQ(engine_.settings()["pool_objects"]["other"].str(), "x");
  root_.write("cfg/bare.ini", "obj_scale = 2\n");
  EXPECT_EQ(engine_.load_obj_async(model, "bare_model", "pool_objects", false, nullptr), 4);
  root_.write("cfg/lost.ini", "obj_file = lost.obj\n");
  EXPECT_EQ(engine_.load_obj_async(model, "lost_model", "pool_objects", false, nullptr), -1);
  Texture tex;
  EXPECT_EQ(engine_.load_tex(tex, "none.png", false, nullptr), -1);
  EXPECT_EQ(engine_.load_tex_async(tex, "none.png", false, nullptr), -1);
  EXPECT_EQ(engine_.loads_in_flight(), 0u);
  EXPECT_TRUE(model.faces().empty());
}

TEST_F(EngineLoading, ASynchronousModelLoadsFromTheModelsFolderUnderTheDataRoot) {
  root_.write("cfg/room.ini", "room_model = room_model.ini\n");
  root_.write("cfg/room_model.ini", "obj_file = room.obj\nobj_offset = 1 0 0\n");
  root_.write("models/room.obj", kTriangle);
  // The working directory is elsewhere: only the stored root leads to the files.
  engine_.settings().root(root_.path().string());
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::temp_directory_path());

  OBJRenderer model;
  int result = 0;
  {
    OutputCapture quiet;
    result = engine_.load_obj(model, "room_model", "room", true);
  }
  std::filesystem::current_path(previous);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(model.faces().size(), 1u);
  EXPECT_TRUE(model.vertices().empty());  // freed on request
  EXPECT_EQ(engine_.settings()["room"]["room_model"].str(), "room_model.ini");
}

TEST_F(EngineLoading, CompletionsRunOnTheMainThreadInHandOverOrderAtTheNextFrame) {
  root_.write("cfg/things.ini", "first = first.ini\nsecond = second.ini\n");
  root_.write("cfg/first.ini", "obj_file = parts/broken.obj\n");
  root_.write("cfg/second.ini", "obj_file = empty.obj\n");
  root_.write("models/parts/broken.obj", "not a model\n");
  root_.write("models/empty.obj", "");

  std::vector<std::string> done;
  std::vector<std::thread::id> threads;
  auto record = [&](std::string name) {
    return [&, name] {
      done.push_back(name);
      threads.push_back(std::this_thread::get_id());
    };
  };
  OBJRenderer first;
  OBJRenderer second;
  OutputCapture quiet;
  // One worker at a time, so that the order of the hand-overs is known.
  ASSERT_EQ(engine_.load_obj_async(first, "first", "things", false, record("first")), 0);
  EXPECT_EQ(first.load_path(), "models/parts/");
  engine_.wait_for_loads();
  ASSERT_EQ(engine_.load_obj_async(second, "second", "things", false, record("second")), 0);
  engine_.wait_for_loads();
  EXPECT_EQ(engine_.loads_handed_over(), 2u);
  EXPECT_TRUE(done.empty());

  frame();  // the frame step queues both
  EXPECT_TRUE(done.empty());
  EXPECT_EQ(engine_.loads_in_flight(), 0u);
  frame();  // the real-time queue runs them
  EXPECT_EQ(done, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(threads, (std::vector<std::thread::id>(2, std::this_thread::get_id())));
  // Text that does not parse leaves empty vertex-array sets.
  EXPECT_TRUE(first.opaque_vaos().empty() && first.transparent_vaos().empty());
  frame();
  EXPECT_EQ(done.size(), 2u);
}

TEST_F(EngineLoading, ShutdownWaitsForTheLoadsAndDropsTheirCompletions) {
  root_.write("cfg/things.ini", "first = first.ini\n");
  root_.write("cfg/first.ini", "obj_file = empty.obj\n");
  root_.write("models/empty.obj", "");
  OBJRenderer model;
  bool done = false;
  OutputCapture quiet;
  ASSERT_EQ(engine_.load_obj_async(model, "first", "things", false, [&] { done = true; }), 0);
  engine_.shutdown();
  EXPECT_EQ(engine_.loads_in_flight(), 0u);
  EXPECT_EQ(engine_.loads_handed_over(), 0u);
  frame();
  frame();
  EXPECT_FALSE(done);
  // Later loads are refused.
  EXPECT_EQ(engine_.load_obj_async(model, "first", "things", false, nullptr), -3);
}
