// The game's sounds on the OpenAL null device with the generated data folder:
// loading from "audio_settings", effects and their gains, the busy sources,
// mutes and volumes, and the music step.
#include <AL/al.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "core/files.h"
#include "datagen/data_folder.h"
#include "game/audio/pool_audio.h"
#include "support/capture.h"

namespace {

// The generated folder's "audio_settings" with some keys replaced; the file
// is put back after each test.
class PoolAudioTest : public datagen_test::DataFolderTest {
 protected:
  void SetUp() override {
    store_ = settings();
    path_ = root() + "cfg/audio_settings.ini";
    original_ = read_all_str(path_);
  }
  void TearDown() override { std::ofstream(path_, std::ios::binary) << original_; }

  void write_settings(const std::string& lines) {
    std::ofstream(path_, std::ios::binary) << original_ << lines;
  }
  int start(PoolAudio& audio) { return audio.init_audio(&queue_, &store_, ""); }

  static ALint source_int(const AudioSource& s, ALenum what) {
    ALint v = 0;
    alGetSourcei(s.id(), what, &v);
    return v;
  }
  static float source_gain(const AudioSource& s) {
    ALfloat g = 0;
    alGetSourcef(s.id(), AL_GAIN, &g);
    return g;
  }
  static int playing_sources(const SoundBank& bank) {
    int n = 0;
    for (const AudioSource& s : bank.sources()) n += s.playing();
    return n;
  }

  EngineSettings store_;
  EventQueue queue_;
  std::string path_, original_;
};

TEST_F(PoolAudioTest, TheDefaultSoundsLoadAndAreCounted) {
  PoolAudio audio;
  const std::string log_file = root() + "audio.log";
  ASSERT_EQ(audio.init_audio(&queue_, &store_, log_file), 0);
  for (ImpactKind kind :
       {ImpactKind::kSideHit, ImpactKind::kBallHit, ImpactKind::kCueHit, ImpactKind::kPocket})
    EXPECT_EQ(audio.sound_ids(kind).size(), 1u);
  EXPECT_EQ(audio.bg_sound_ids().size(), 4u);
  EXPECT_EQ(audio.game_bank.waveforms().size(), 8u);
  EXPECT_EQ(audio.bg_bank.sources().size(), 1u);
  EXPECT_EQ(audio.menu_bank.sources().size(), 1u);
  EXPECT_EQ(audio.game_bank.sources().size(), 15u);
  EXPECT_EQ(audio.effect_files[int(ImpactKind::kSideHit)],
            std::vector<std::string>{root() + "sounds/sidehit.wav"});
  EXPECT_TRUE(audio.bg_repeat);  // the generated folder plays every track
  EXPECT_FLOAT_EQ(source_gain(audio.bg_source()), 0.25f);
  EXPECT_FLOAT_EQ(source_gain(audio.game_bank.sources().back()), 1.0f);
  EXPECT_FALSE(audio.game_bank.muted());
  EXPECT_EQ(queue_.events().size(), 1u);
  const std::string log = read_all_str(log_file);
  EXPECT_EQ(log.rfind("kpool_audio\tinit_audio() initializing context\n", 0), 0u);
  EXPECT_NE(log.find("kpool_audio\tgame_bank().create_sources(15) returned 0\n"),
            std::string::npos);
}

TEST_F(PoolAudioTest, MissingKeysGetTheirDefaultsInMemory) {
  std::ofstream(path_, std::ios::binary) << "effects_volume = 0.5\n";
  PoolAudio audio;
  ASSERT_EQ(start(audio), 0);
  const ProgramCfg& section = store_["audio_settings"];
  EXPECT_EQ(section["bg_files"].str(), "bg-00.wav bg-01.wav bg-02.wav bg-03.wav");
  EXPECT_EQ(section["bg_repeat"].str(), "0");
  EXPECT_FALSE(audio.bg_repeat);
  EXPECT_EQ(read_all_str(path_), "effects_volume = 0.5\n");  // not saved
}

TEST_F(PoolAudioTest, AMissingSampleIsReportedAndAnEmptyListIsSilent) {
  write_settings(
      "side_hit_files = nothere.wav sidehit.wav\npocket_files =\nbg_files = nosuch.wav\n");
  PoolAudio audio;
  testing_support::OutputCapture capture;
  ASSERT_EQ(start(audio), 0);
  EXPECT_NE(capture.err().find("Error loading sound ''."), std::string::npos) << capture.err();
  // Each missing file is named by the path it was looked for at.
  for (const char* name : {"side_hit_files names ", "bg_files names "})
    EXPECT_NE(capture.err().find(name + store_.root() + "sounds/"), std::string::npos)
        << capture.err();
  EXPECT_NE(capture.err().find("sounds/nosuch.wav, which is not found"), std::string::npos);
  EXPECT_EQ(audio.sound_ids(ImpactKind::kSideHit).size(), 1u);
  EXPECT_TRUE(audio.sound_ids(ImpactKind::kPocket).empty());
  audio.play_impact(ImpactKind::kPocket, nullptr, 1.0f);
  EXPECT_EQ(playing_sources(audio.game_bank), 0);
  audio.play_impact(ImpactKind::kSideHit, nullptr, 1.0f);
  EXPECT_EQ(playing_sources(audio.game_bank), 1);
}

TEST_F(PoolAudioTest, ImpactGainsGrowWithSpeed) {
  PoolAudio audio;
  ASSERT_EQ(start(audio), 0);
  CoordinateSystem pose;
  pose.position() = {0.5f, -0.2f, 0.1f};
  const struct {
    ImpactKind kind;
    float speed, gain;
  } cases[] = {
      {ImpactKind::kPocket, 1.0f, 1.0f},   // 1 / 0.1 x 0.1
      {ImpactKind::kCueHit, 1.0f, 10.0f},  // not clamped here
      {ImpactKind::kSideHit, 0.6f, 0.5f},
      {ImpactKind::kBallHit, 0.2f, 0.5f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.kind));
    audio.game_bank.pause(true);  // every source idle: the effect takes the first
    audio.play_impact(c.kind, &pose, c.speed);
    const AudioSource& used = audio.game_bank.sources().front();
    EXPECT_EQ(source_int(used, AL_BUFFER), ALint(audio.sound_ids(c.kind).front()));
    EXPECT_NEAR(source_gain(used), c.gain, 1e-6f);
    ALfloat p[3];
    alGetSourcefv(used.id(), AL_POSITION, p);
    EXPECT_FLOAT_EQ(p[0], 0.5f);
    EXPECT_FLOAT_EQ(p[1], -0.2f);
  }
  audio.game_bank.pause(true);
  audio.set_effects_volume(0.5f);
  audio.play_impact(ImpactKind::kCueHit, nullptr, 1.0f);
  EXPECT_NEAR(source_gain(audio.game_bank.sources().front()), 5.0f, 1e-6f);
}

TEST_F(PoolAudioTest, WithEverySourceBusyTheFirstIsTaken) {
  PoolAudio audio;
  ASSERT_EQ(start(audio), 0);
  const unsigned int track = audio.bg_sound_ids().front();
  for (int i = 0; i < 15; ++i) audio.play_effect(track, nullptr, 1.0f);
  ASSERT_EQ(playing_sources(audio.game_bank), 15);
  const unsigned int hit = audio.sound_ids(ImpactKind::kBallHit).front();
  audio.play_effect(hit, nullptr, 0.3f);
  EXPECT_EQ(source_int(audio.game_bank.sources()[0], AL_BUFFER), ALint(hit));
  EXPECT_EQ(source_int(audio.game_bank.sources()[1], AL_BUFFER), ALint(track));
  EXPECT_FLOAT_EQ(source_gain(audio.game_bank.sources()[0]), 0.3f);
}

TEST_F(PoolAudioTest, EffectsOffAtStartMuteUntilTurnedOn) {
  // An int as atoi reads it: a word is 0, off.
  for (const char* lines : {"effects_on = 0\n", "effects_on = on\n"}) {
    SCOPED_TRACE(lines);
    write_settings(lines);
    PoolAudio audio;
    ASSERT_EQ(start(audio), 0);
    EXPECT_TRUE(audio.game_bank.muted());
    EXPECT_TRUE(audio.menu_bank.muted());
    EXPECT_FALSE(audio.bg_bank.muted());
    audio.play_impact(ImpactKind::kCueHit, nullptr, 1.0f);
    EXPECT_EQ(playing_sources(audio.game_bank), 0);
    audio.game_bank.mute(false);
    audio.play_impact(ImpactKind::kCueHit, nullptr, 1.0f);
    EXPECT_EQ(playing_sources(audio.game_bank), 1);
  }
}

TEST_F(PoolAudioTest, VolumesReachTheEffectSourcesButNotTheMusic) {
  PoolAudio audio;
  ASSERT_EQ(start(audio), 0);
  audio.set_effects_volume(0.4f);
  EXPECT_EQ(audio.effects_volume, 0.4f);
  for (const AudioSource& s : audio.game_bank.sources()) EXPECT_FLOAT_EQ(source_gain(s), 0.4f);
  EXPECT_FLOAT_EQ(source_gain(audio.menu_bank.source()), 0.4f);
  EXPECT_FLOAT_EQ(source_gain(audio.bg_source()), 0.25f);
}

TEST_F(PoolAudioTest, TheMusicStepPlaysOnceUnlessRepeated) {
  write_settings("bg_repeat = 0\n");
  PoolAudio audio;
  ASSERT_EQ(start(audio), 0);
  const std::vector<unsigned int> tracks = audio.bg_sound_ids();
  ASSERT_EQ(tracks.size(), 4u);
  queue_.update(0.0);  // the periodic step's first run
  AudioSource& music = audio.bg_source();
  EXPECT_TRUE(music.playing());
  EXPECT_EQ(source_int(music, AL_BUFFER), ALint(tracks[0]));
  EXPECT_EQ(audio.tracks_started, 1u);
  music.stop();
  audio.music_step();
  EXPECT_FALSE(music.playing());  // one track per run
  audio.bg_repeat = true;
  audio.music_step();
  EXPECT_EQ(source_int(music, AL_BUFFER), ALint(tracks[1]));
  // Music off: paused, and not started again.
  audio.bg_on = false;
  audio.music_step();
  EXPECT_TRUE(music.paused());
  audio.music_step();
  EXPECT_TRUE(music.paused());
  audio.bg_on = true;
  music.play();
  // The list wraps after the last track.
  audio.track = 3;
  music.stop();
  audio.music_step();
  EXPECT_EQ(source_int(music, AL_BUFFER), ALint(tracks[3]));
  EXPECT_EQ(audio.track, 0u);
}

TEST_F(PoolAudioTest, MusicOffInTheSettings) {
  // An int as atoi reads it: a word is 0, off.
  for (const char* lines : {"bg_on = 0\n", "bg_on = yes\n"}) {
    SCOPED_TRACE(lines);
    write_settings(lines);
    PoolAudio audio;
    ASSERT_EQ(start(audio), 0);
    EXPECT_FALSE(audio.bg_on);
    queue_.update(0.0);
    EXPECT_FALSE(audio.bg_source().playing());
  }
}

TEST_F(PoolAudioTest, TheMusicEventOutlivingTheSoundsDoesNothing) {
  {
    PoolAudio audio;
    ASSERT_EQ(start(audio), 0);
  }
  queue_.update(0.0);
  queue_.update(1.0);
  EXPECT_EQ(queue_.events().size(), 1u);
}

TEST(PoolAudioNoDevice, WithoutADeviceTheGameRunsSilently) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("ALSOFT_DRIVERS", "no_such_driver", 1);
        int failures = 0;
        {
          PoolAudio audio;
          EventQueue queue;
          EngineSettings store;
          failures += audio.init_audio(&queue, &store, "") != -1;
          failures += !queue.events().empty();  // no music step
          audio.bg_source().gain(0.5f);
          failures += audio.bg_source().gain() != 0.5f;
          audio.play_impact(ImpactKind::kSideHit, nullptr, 1.0f);
        }
        std::exit(failures);
      },
      ::testing::ExitedWithCode(0), "create\\(\\) failed with error 1");
}

}  // namespace
