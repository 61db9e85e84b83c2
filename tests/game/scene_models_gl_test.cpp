// The running program's models in its frames. Their hand-over: the loaders'
// workers read into models of their own while the passes draw the room, the
// table, the cue and the furniture from the first frame, and a pass sees a
// model once its completion has run on the main thread (under
// ThreadSanitizer, make tsan, a worker that wrote into a model a pass reads
// would be reported as a data race). Their materials: a model whose material
// file is missing draws in the default material, and only what a file that
// was read lacks (the room's invisible volumes, after a cut room.mtl) is
// left out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "running_program.h"

namespace {

using running_program::kFrame;

// Besides the generated data folder, a model of many faces that takes its
// worker a good many frames to read: a small grid, as the section
// "extra_objects" names it under "grid".
class ModelHandOver : public running_program::RunningProgram {
 protected:
  ModelHandOver() : RunningProgram(320, 180) {}

  void prepare(PoolEngine&) override {
    if (std::filesystem::exists(root() + "models/grid.obj")) return;
    std::ofstream(root() + "cfg/extra_objects.ini") << "grid = grid.ini\n";
    std::ofstream(root() + "cfg/grid.ini") << "obj_file = grid.obj\n";
    std::ofstream grid(root() + "models/grid.obj");
    constexpr int kSide = 300;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) grid << "v " << x * 1e-4 << " " << y * 1e-4 << " 0\n";
    for (int y = 0; y + 1 < kSide; ++y)
      for (int x = 0; x + 1 < kSide; ++x) {
        const int corner = y * kSide + x + 1;
        grid << "f " << corner << " " << corner + 1 << " " << corner + kSide + 1 << "\nf " << corner
             << " " << corner + kSide + 1 << " " << corner + kSide << "\n";
      }
  }

  // The test runs the frames from the first on.
  void started() override {}

  // The models the passes draw, by name.
  std::vector<std::pair<std::string, const OBJRenderer*>> drawn_models() const {
    PoolEngine& e = *engine_;
    std::vector<std::pair<std::string, const OBJRenderer*>> drawn = {
        {"room", &e.models["room"]}, {"table", &e.table.model}, {"cue", &e.cue.model}};
    for (const auto& [key, model] : e.furniture) drawn.emplace_back(key, &model);
    return drawn;
  }

  bool loading() const { return engine_->loads_in_flight() + engine_->loads_handed_over() > 0; }
};

// The pixels of two frames that differ by more than a rounding.
std::size_t differing_pixels(const std::vector<unsigned char>& a,
                             const std::vector<unsigned char>& b) {
  std::size_t n = 0;
  for (std::size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
    bool off = false;
    for (std::size_t c = 0; c < 3; ++c) off = off || std::abs(int(a[i + c]) - int(b[i + c])) > 8;
    n += off;
  }
  return n;
}

// The generated data folder without the table's material file, and with
// room.mtl cut before its last material, the invisible one of the player
// volumes.
class ModelMaterials : public running_program::RunningProgram {
 protected:
  ModelMaterials() : RunningProgram(320, 180) {}

  void prepare(PoolEngine&) override {
    std::filesystem::remove(root() + "models/table.mtl");
    const std::string room = root() + "models/room.mtl";
    std::stringstream text;
    text << std::ifstream(room).rdbuf();
    const std::string whole = text.str();
    const std::size_t cut = whole.find("newmtl player_volume");
    if (cut != std::string::npos) std::ofstream(room) << whole.substr(0, cut);
  }

  // Frames until the intro has handed the game over, then the frame drawn
  // again with the clock standing: what it shows.
  std::vector<unsigned char> frame_after_intro() {
    past_intro();
    return frame_now();
  }
  std::vector<unsigned char> frame_now() {
    program_->display();
    return shown_frame();
  }
};

}  // namespace

TEST_F(ModelHandOver, AModelItsWorkerHasReadIsDrawnOnlyOnceHandedOver) {
  engine_->wait_for_loads();
  ASSERT_EQ(drawn_models().size(), 6u);
  // Every worker has read its model; the passes draw the models as they
  // were, empty, also in the frame that takes the completions.
  for (int frame = 0; frame < 2; ++frame) {
    if (frame > 0) frames(kFrame);
    for (const auto& [name, model] : drawn_models()) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(model->faces().empty());
      EXPECT_TRUE(model->materials().empty());
      EXPECT_TRUE(model->opaque_material_names().empty() && model->opaque_vaos().empty());
    }
  }
  // The next frame runs them: each model is whole, in vertex arrays.
  frames(kFrame);
  EXPECT_FALSE(loading());
  for (const auto& [name, model] : drawn_models()) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(model->faces().empty());
    EXPECT_FALSE(model->opaque_vaos().empty());
    EXPECT_EQ(model->opaque_vaos().size(), model->opaque_material_names().size());
  }
}

// The frames run from the first, while the workers read; then, while a
// worker reads the grid into a piece of furniture, which the furniture pass
// draws from the frame it is added in (the start-up's workers may be done
// before the first frame draws; the grid takes its worker many frames).
TEST_F(ModelHandOver, TheFramesDrawTheModelsWhileTheirWorkersReadThem) {
  for (int frame = 0; frame < 100000 && loading(); ++frame) frames(kFrame);
  EXPECT_FALSE(loading());
  const OBJRenderer& extra = engine_->furniture["extra"];
  ASSERT_EQ(engine_->load_obj_async(engine_->furniture["extra"], "grid", "extra_objects", true, {}),
            0);
  int frames_while_loading = 0;
  for (; frames_while_loading < 100000 && loading(); ++frames_while_loading) frames(kFrame);
  EXPECT_GT(frames_while_loading, 1);
  // What the last completions queued runs in the next frames.
  frames(0.2);
  for (const auto& [name, model] : drawn_models()) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(model->opaque_vaos().empty());
  }
  EXPECT_EQ(extra.faces().size(), 2u * 299 * 299);
  EXPECT_FALSE(engine_->models["screen"].opaque_vaos().empty());
  EXPECT_FALSE(engine_->player_volumes().empty());
}

TEST_F(ModelMaterials, TheTableWithoutItsFileDrawsAndTheVolumesACutFileLacksDoNot) {
  const std::vector<unsigned char> shown = frame_after_intro();
  ASSERT_EQ(differing_pixels(frame_now(), shown), 0u) << "the frame is not the same again";

  // The table's stand-in material is the default one; the table is in the
  // frame, drawn in it.
  OBJRenderer& table = engine_->table.model;
  ASSERT_EQ(table.materials().size(), 1u);
  EXPECT_TRUE(table.missing_materials().empty());
  const OBJRenderer drawn = table;
  table.clear_vaos();
  const std::size_t table_pixels = differing_pixels(frame_now(), shown);
  table = drawn;
  EXPECT_GT(table_pixels, shown.size() / 3 / 50);

  // The room's invisible volumes, whose material the cut file lacks, are
  // left out: the frame is the one the whole file gives, where their
  // material, of alpha 0, puts them among the transparent parts, which leave
  // no trace. Drawn there in the default material they would cover the view.
  OBJRenderer& room = engine_->models["room"];
  EXPECT_EQ(room.missing_materials(), std::vector<std::string>{"player_volume"});
  WavefrontMTL volume;
  volume.rename("player_volume");
  volume.material().set_alpha(0.0f);
  room.materials().push_back(volume);
  room.opaque2transparent({"player_volume"});
  EXPECT_EQ(differing_pixels(frame_now(), shown), 0u);
  room.materials().back().material().set_alpha(1.0f);
  EXPECT_GT(differing_pixels(frame_now(), shown), shown.size() / 3 / 50);
  room.transparent2opaque({"player_volume"});
  room.materials().pop_back();
  EXPECT_EQ(differing_pixels(frame_now(), shown), 0u);
}
