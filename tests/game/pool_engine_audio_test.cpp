// The game engine's sound set-up on the OpenAL null device with the generated
// data folder: the stored volumes are applied after the sounds are set up.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/files.h"
#include "datagen/data_folder.h"
#include "game/app/pool_engine.h"

namespace {

class PoolEngineSounds : public datagen_test::DataFolderTest {
 protected:
  void SetUp() override {
    path_ = root() + "cfg/audio_settings.ini";
    original_ = read_all_str(path_);
  }
  void TearDown() override { std::ofstream(path_, std::ios::binary) << original_; }

  // The generated section without its two volumes and its effects switch,
  // then the given lines.
  void write_settings(const std::string& lines) {
    std::istringstream in(original_);
    std::ofstream out(path_, std::ios::binary);
    for (std::string line; std::getline(in, line);)
      if (line.rfind("effects_volume", 0) != 0 && line.rfind("music_volume", 0) != 0 &&
          line.rfind("effects_on", 0) != 0)
        out << line << "\n";
    out << lines;
  }

  std::string path_, original_;
};

TEST_F(PoolEngineSounds, TheStoredVolumesFollowTheSetUp) {
  write_settings("effects_volume = 0.5\nmusic_volume = 0.125\n");
  PoolEngine engine;
  EXPECT_EQ(engine.init_sounds(""), 0);
  EXPECT_FLOAT_EQ(engine.audio.effects_volume, 0.5f);
  ASSERT_FALSE(engine.audio.game_bank.sources().empty());
  EXPECT_FLOAT_EQ(engine.audio.game_bank.sources().front().gain(), 0.5f);
  EXPECT_FLOAT_EQ(engine.audio.bg_source().gain(), 0.125f);
  // The music step runs on the real-time queue.
  EXPECT_FALSE(engine.realtime_queue().events().empty());
}

TEST_F(PoolEngineSounds, MissingVolumesKeepTheDefaults) {
  write_settings("");
  PoolEngine engine;
  EXPECT_EQ(engine.init_sounds(""), 0);
  EXPECT_FLOAT_EQ(engine.audio.effects_volume, 1.0f);
  EXPECT_FLOAT_EQ(engine.audio.bg_source().gain(), 0.25f);
}

// The sliders' range 0 to 1 holds the stored volumes; a volume that is no
// number keeps the default.
TEST_F(PoolEngineSounds, StoredVolumesAreHeldToTheSlidersRange) {
  struct Case {
    const char* lines;
    float effects, music;
  };
  for (const Case& c : {Case{"effects_volume = -5\nmusic_volume = 1e30\n", 0.0f, 1.0f},
                        Case{"effects_volume = loud\nmusic_volume =\n", 1.0f, 0.25f}}) {
    SCOPED_TRACE(c.lines);
    write_settings(c.lines);
    PoolEngine engine;
    EXPECT_EQ(engine.init_sounds(""), 0);
    EXPECT_FLOAT_EQ(engine.audio.effects_volume, c.effects);
    EXPECT_FLOAT_EQ(engine.audio.bg_source().gain(), c.music);
  }
}

// The "Effects" switch stored off silences the engine's menu sounds from the
// start, as it does the game's.
TEST_F(PoolEngineSounds, EffectsStoredOffSilenceTheMenuSoundsAtStart) {
  write_settings("effects_on = 0\n");
  PoolEngine engine;
  EXPECT_EQ(engine.init_sounds(""), 0);
  EXPECT_EQ(engine.init_audio(), 0);  // the engine's menu sounds, as start-up loads them
  ASSERT_NE(engine.menu_audio().bank().source().id(), 0u);
  ASSERT_FALSE(engine.menu_audio().sounds().empty());
  engine.play_menu_select_sound(nullptr);
  engine.play_menu_arrow_sound(nullptr);
  EXPECT_FALSE(engine.menu_audio().bank().source().playing());
  EXPECT_TRUE(engine.audio.game_bank.muted());
}

}  // namespace
