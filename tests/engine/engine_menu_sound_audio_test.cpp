// The menu sounds of the engine on the null OpenAL device: an arrow key that
// moves the selected dialog's selection plays the arrow sound at the dialog,
// heard from the camera.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/audio_fixture.h"
#include "audio/wav_bytes.h"
#include "engine/basic_engine.h"
#include "support/button_dialog.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::ButtonColumn;

namespace {

class EngineMenuSound : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    // Ten seconds long: a sound the null device could finish within one mix
    // would leave "playing" to chance when the test reads the state.
    const std::string sound =
        wav_bytes::file(1, 1, 8000, 16, wav_bytes::pcm16(std::vector<std::int16_t>(80000, 1)));
    root_.write("sounds/arrow.wav", sound);
    root_.write("sounds/select.wav", sound);
    root_.write("cfg/menu_audio_settings.ini",
                "menu_arrow_sound = arrow.wav\nmenu_select_sound = select.wav\n");
    testing_support::OutputCapture quiet;
    ASSERT_EQ(engine_.menu_audio().init(engine_.settings()), 0);
    engine_.mouse_look().coord_sys().look_at(Vec3{0, 1, 2}, Vec3{0, 1, 0});
    engine_.walking().velocity() = {0.5f, 0.0f, 0.0f};
    dialog_.frame().coord_sys().position() = {0.0f, 1.0f, 0.0f};
    engine_.selected_dialog() = &dialog_;
  }
  void TearDown() override {
    engine_.menu_audio().bank().clear();
    AudioTest::TearDown();
  }

  AudioSource& source() { return engine_.menu_audio().bank().source(); }
  unsigned int playing_buffer() {
    ALint b = 0;
    alGetSourcei(source().id(), AL_BUFFER, &b);
    return source().playing() ? static_cast<unsigned int>(b) : 0u;
  }
  unsigned int sound(const std::string& name) const {
    return engine_.menu_audio().sounds().at(name);
  }

  testing_support::TempDataRoot root_;
  BasicEngine engine_;
  ButtonColumn dialog_;
};

}  // namespace

TEST_F(EngineMenuSound, AnArrowThatMovesTheSelectionPlaysTheArrowSoundAtTheDialog) {
  engine_.listener().gain(0.25f);
  engine_.special_key(101, 1, 0, 0, 0);
  EXPECT_EQ(dialog_.cursor(), 0);
  EXPECT_EQ(playing_buffer(), sound("menu_arrow_sound"));
  EXPECT_EQ(source().coord_sys().position(), dialog_.frame().coord_sys().position());
  // The listener was put at the camera with the walker's velocity, at gain 1.
  EXPECT_EQ(engine_.listener().gain(), 1.0f);
  EXPECT_EQ(engine_.listener().coord_sys().position(), (Vec3{0, 1, 2}));
  EXPECT_EQ(engine_.listener().velocity(), (std::array<float, 3>{0.5f, 0.0f, 0.0f}));

  // No move (nothing to the right), or sounds off: no sound.
  alSourceStop(source().id());
  engine_.special_key(102, 1, 0, 0, 0);
  EXPECT_EQ(playing_buffer(), 0u);
  dialog_.sounds = false;
  engine_.special_key(103, 1, 0, 0, 0);
  EXPECT_EQ(dialog_.cursor(), 1);
  EXPECT_EQ(playing_buffer(), 0u);
}

TEST_F(EngineMenuSound, TheSelectSoundPlaysWhereItIsToldOrAtTheShownSelectedDialog) {
  CoordinateSystem at;
  at.position() = {3.0f, 0.0f, 0.0f};
  engine_.play_menu_select_sound(&at);
  EXPECT_EQ(playing_buffer(), sound("menu_select_sound"));
  EXPECT_EQ(source().coord_sys().position(), (Vec3{3.0f, 0.0f, 0.0f}));
  engine_.play_menu_select_sound(nullptr);
  EXPECT_EQ(source().coord_sys().position(), (Vec3{0.0f, 1.0f, 0.0f}));
  // A hidden dialog gives no place: the source stays where it was.
  dialog_.enable(false);
  engine_.play_menu_arrow_sound(nullptr);
  EXPECT_EQ(playing_buffer(), sound("menu_arrow_sound"));
  EXPECT_EQ(source().coord_sys().position(), (Vec3{0.0f, 1.0f, 0.0f}));
}

TEST_F(EngineMenuSound, AClickPlaysTheSelectSoundAtTheDialogOnTheRelease) {
  engine_.dialogs().push_back(&dialog_);
  int chosen = 0;
  dialog_.children()[0]->callback() = [&] { ++chosen; };
  dialog_.cursor_data({0, 1.0f}, false);
  engine_.listener().gain(0.25f);
  engine_.mouse_button(0, 0, 0, 0, 0);  // press
  engine_.update_dialogs();
  EXPECT_EQ(playing_buffer(), 0u);
  engine_.mouse_button(0, 1, 0, 0, 0);  // release
  engine_.update_dialogs();
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(playing_buffer(), sound("menu_select_sound"));
  EXPECT_EQ(source().coord_sys().position(), dialog_.frame().coord_sys().position());
  ALfloat gain = 0.0f;
  alGetListenerf(AL_GAIN, &gain);
  EXPECT_EQ(gain, 1.0f);

  // With the dialog's sounds off the click still runs, silently.
  alSourceStop(source().id());
  dialog_.sounds = false;
  engine_.mouse_button(0, 0, 0, 0, 0);
  engine_.mouse_button(0, 1, 0, 0, 0);
  engine_.update_dialogs();
  EXPECT_EQ(chosen, 2);
  EXPECT_EQ(playing_buffer(), 0u);
}
