// Without a usable sound device: every operation fails with its code and
// nothing crashes. Each case runs in a fresh process whose OpenAL is told to
// use a driver that does not exist, before anything initialises it.
#include <AL/al.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "audio/audio_context.h"
#include "audio/menu_audio.h"
#include "audio/sound_bank.h"
#include "audio/wav_bytes.h"
#include "support/data_root.h"

namespace {

// Runs the checks in a child process without a device; the child exits with
// the number of checks that failed.
void run_without_device(void (*checks)(int& failures)) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("ALSOFT_DRIVERS", "no_such_driver", 1);
        int failures = 0;
        checks(failures);
        std::exit(failures);
      },
      ::testing::ExitedWithCode(0), "create\\(\\) failed with error 1");
}

void check(int& failures, bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "check failed: %s\n", what);
  ++failures;
}

}  // namespace

TEST(NoDevice, ContextCreationFailsWithTheDeviceCode) {
  run_without_device([](int& failures) {
    AudioContext context;
    check(failures, context.create() == 1, "create() returns 1");
    check(failures, context.id() == nullptr, "no context");
    check(failures, context.device().id() == nullptr, "no device");
    check(failures, context.destroy() == 0, "destroy() without a context");
  });
}

TEST(NoDevice, SoundsAndSourcesFailQuietlyWithoutAContext) {
  run_without_device([](int& failures) {
    AudioContext context;
    context.create();
    testing_support::TempDataRoot root;
    root.write("sounds/click.wav", wav_bytes::file(1, 1, 8000, 16, wav_bytes::pcm16({1, 2, 3})));
    root.write("cfg/menu_audio_settings.ini", "click = click.wav\n");

    SoundBank bank;
    check(failures, bank.create_sources(2) == 1, "create_sources fails");
    check(failures, bank.sources().empty(), "no sources kept");
    unsigned long long got = 99;
    check(failures,
          bank.load_sound(
              "sounds/click.wav", [&](unsigned long long b) { got = b; }, true) != 0,
          "load_sound fails");
    check(failures, got == 0 && bank.waveforms().empty(), "no sound kept, done(0)");
    check(failures, bank.play_sound(1, 1) == -1, "play_sound without sources");

    EngineSettings settings;
    MenuAudio menu;
    check(failures, menu.init(settings) != 0, "menu sounds fail");
    check(failures, menu.sounds().empty(), "no menu sound");
    menu.play_menu_sound("click");
    AudioSource source;
    check(failures, source.create() == -1 && source.id() == 0, "a source fails with -1");
  });
}
