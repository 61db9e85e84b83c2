// Menu sounds set up from the "menu_audio_settings" section and played
// through the one shared menu source.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "audio/audio_fixture.h"
#include "audio/menu_audio.h"
#include "audio/wav_bytes.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

class MenuAudioTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    // Ten seconds long: a sound the null device could finish within one mix
    // would leave "playing" to chance when the test reads the state.
    const std::string sound =
        wav_bytes::file(1, 1, 8000, 16, wav_bytes::pcm16(std::vector<std::int16_t>(80000, 1)));
    root_.write("sounds/click.wav", sound);
    root_.write("sounds/select.wav", sound);
  }
  void TearDown() override {
    menu_.bank().clear();
    AudioTest::TearDown();
  }

  int init(const std::string& section_text) {
    root_.write("cfg/menu_audio_settings.ini", section_text);
    OutputCapture quiet;
    const int r = menu_.init(settings_);
    err_ = quiet.err();
    return r;
  }
  unsigned int source() const { return menu_.bank().source().id(); }
  float al_gain() const {
    float g = -1.0f;
    alGetSourcef(source(), AL_GAIN, &g);
    return g;
  }
  int al_buffer() const {
    ALint b = -1;
    alGetSourcei(source(), AL_BUFFER, &b);
    return b;
  }

  TempDataRoot root_;
  EngineSettings settings_;
  MenuAudio menu_;
  std::string err_;
};

}  // namespace

TEST_F(MenuAudioTest, LoadsEverySoundOfTheSectionWithItsGain) {
  ASSERT_EQ(init("click = click.wav\nclick_gain = 0.5\nselect = select.wav\n"), 0);
  EXPECT_EQ(menu_.section(), "menu_audio_settings");
  ASSERT_EQ(menu_.sounds().size(), 2u);
  const unsigned int click = menu_.sounds().at("click");
  const unsigned int select = menu_.sounds().at("select");
  EXPECT_TRUE(alIsBuffer(click));
  EXPECT_NE(click, select);
  EXPECT_FLOAT_EQ(menu_.gains().at(click), 0.5f);
  EXPECT_FLOAT_EQ(menu_.gains().at(select), 1.0f);
  EXPECT_TRUE(menu_.bank().sources().empty());
  EXPECT_TRUE(alIsSource(source()));
  EXPECT_TRUE(menu_.bank().waveforms()[0].samples().empty());  // CPU copies dropped

  EXPECT_EQ(menu_.play_menu_sound("click"), 0);
  EXPECT_FLOAT_EQ(al_gain(), 0.5f);
  EXPECT_EQ(al_buffer(), int(click));
  EXPECT_EQ(menu_.bank().source().state(), AL_PLAYING);
  // The next sound cuts in on the one source.
  EXPECT_EQ(menu_.play_menu_sound("select"), 0);
  EXPECT_FLOAT_EQ(al_gain(), 1.0f);
  EXPECT_EQ(al_buffer(), int(select));
}

TEST_F(MenuAudioTest, PlaysAtThePoseGivenWithoutSendingIt) {
  ASSERT_EQ(init("click = click.wav\n"), 0);
  CoordinateSystem pose;
  pose.translate(1.0f, 2.0f, 3.0f);
  EXPECT_EQ(menu_.play_menu_sound("click", &pose), 0);
  EXPECT_EQ(menu_.bank().source().coord_sys().position(), pose.position());
  float p[3] = {-1, -1, -1};
  alGetSourcefv(source(), AL_POSITION, p);
  EXPECT_EQ(p[0], 0.0f);

  // Muted: nothing plays and nothing changes, the pose included.
  menu_.bank().source().stop();
  menu_.bank().mute(true);
  CoordinateSystem elsewhere;
  elsewhere.translate(9.0f, 9.0f, 9.0f);
  EXPECT_EQ(menu_.play_menu_sound("click", &elsewhere), 0);
  EXPECT_EQ(menu_.bank().source().coord_sys().position(), pose.position());
  EXPECT_EQ(menu_.bank().source().state(), AL_STOPPED);
  menu_.bank().unmute();
}

TEST_F(MenuAudioTest, UnknownNamesPlaySilence) {
  ASSERT_EQ(init("click = click.wav\n"), 0);
  EXPECT_EQ(menu_.play_menu_sound("never_loaded"), 0);
  EXPECT_EQ(al_buffer(), 0);
  EXPECT_FLOAT_EQ(al_gain(), 0.0f);
  EXPECT_EQ(menu_.sounds().at("never_loaded"), 0u);
}

TEST_F(MenuAudioTest, KeysThatAreNoSoundsAndMissingFiles) {
  // "my_gain_sound" contains "_gain": no sound. "gone" names no file: it fails
  // with the file reader's code, is reported, and stays out of the sounds.
  EXPECT_EQ(init("click = click.wav\nmy_gain_sound = select.wav\ngone = gone.wav\n"), -1);
  EXPECT_EQ(menu_.sounds().size(), 1u);
  EXPECT_EQ(menu_.sounds().count("click"), 1u);
  EXPECT_NE(err_.find("Error loading \n"), std::string::npos) << err_;

  EXPECT_EQ(menu_.load_sound(settings_, "no_such_key"), 1);
}

TEST_F(MenuAudioTest, MissingSectionLoadsNothing) {
  OutputCapture quiet;
  EXPECT_EQ(menu_.init(settings_), -1);
  EXPECT_TRUE(menu_.sounds().empty());
}
