// Sound banks on a real device: loading into buffers, the source pool, play
// codes, muting, pausing and clearing.
#include <AL/al.h>
#include <gtest/gtest.h>

#include "audio/audio_fixture.h"
#include "audio/sound_bank.h"
#include "audio/wav_bytes.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;

namespace {

int source_int(unsigned int source, ALenum what) {
  ALint v = -1;
  alGetSourcei(source, what, &v);
  return v;
}

float source_gain(unsigned int source) {
  float g = -1.0f;
  alGetSourcef(source, AL_GAIN, &g);
  return g;
}

// A bank with `sources` sources and two sounds ("a.wav", "b.wav") of 1000
// mono 16-bit frames at 22050 Hz, loaded from a throw-away data root.
class SoundBankTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    root_.write("a.wav",
                wav_bytes::file(1, 1, 22050, 16, wav_bytes::pcm16(wav_bytes::ramp(1000, 1))));
    root_.write("b.wav", wav_bytes::file(1, 2, 8000, 16, wav_bytes::pcm16(wav_bytes::ramp(10, 2))));
  }
  void TearDown() override {
    bank_.clear();
    AudioTest::TearDown();
  }

  unsigned long long load(SoundBank& bank, const std::string& file, bool clear_cpu = true) {
    unsigned long long name = 99;
    OutputCapture quiet;
    EXPECT_EQ(bank.load_sound(
                  file, [&](unsigned long long b) { name = b; }, clear_cpu),
              0);
    return name;
  }
  // Plays the sound on the source in a loop, so it stays playing.
  void play_looping(unsigned long long sound, const AudioSource& source) {
    alSourcei(source.id(), AL_LOOPING, AL_TRUE);
    ASSERT_EQ(bank_.play_sound(sound, source.id()), 0);
    ASSERT_TRUE(source.playing());
  }

  TempDataRoot root_;
  SoundBank bank_;
};

}  // namespace

TEST_F(SoundBankTest, LoadsSoundsIntoBuffers) {
  const unsigned long long a = load(bank_, "a.wav", false);
  ASSERT_NE(a, 0u);
  ASSERT_EQ(bank_.waveforms().size(), 1u);
  EXPECT_TRUE(alIsBuffer(static_cast<ALuint>(a)));
  ALint size = 0, channels = 0, frequency = 0;
  alGetBufferi(static_cast<ALuint>(a), AL_SIZE, &size);
  alGetBufferi(static_cast<ALuint>(a), AL_FREQUENCY, &frequency);
  EXPECT_EQ(size, 2000);
  EXPECT_EQ(frequency, 22050);
  EXPECT_EQ(bank_.waveforms()[0].samples().size(), 1000u);  // CPU copy kept

  const unsigned long long b = load(bank_, "b.wav", true);
  alGetBufferi(static_cast<ALuint>(b), AL_CHANNELS, &channels);
  EXPECT_EQ(channels, 2);
  EXPECT_TRUE(bank_.waveforms()[1].samples().empty());  // CPU copy dropped
  EXPECT_EQ(bank_.buffer_ids(), (std::vector<unsigned int>{unsigned(a), unsigned(b)}));
  EXPECT_EQ(bank_.sound_index(b), 1u);
  EXPECT_EQ(bank_.sound_index(12345), 2u);
}

TEST_F(SoundBankTest, FailedLoadsKeepNothingAndReportZero) {
  root_.write("a.ogg", root_.read("a.wav"));
  // OpenAL hands out the lowest free buffer name: a load that failed must
  // leave that name free again.
  ALuint lowest = 0;
  alGenBuffers(1, &lowest);
  alDeleteBuffers(1, &lowest);
  struct Case {
    const char* file;
    int result;
  };
  for (const Case& c : {Case{"missing.wav", 1}, Case{"a.ogg", -1}}) {
    unsigned long long name = 99;
    int calls = 0;
    OutputCapture quiet;
    const auto done = [&](unsigned long long b) {
      name = b;
      ++calls;
    };
    EXPECT_EQ(bank_.load_sound(c.file, done, true), c.result) << c.file;
    EXPECT_EQ(calls, 1) << c.file;
    EXPECT_EQ(name, 0u) << c.file;
    EXPECT_TRUE(bank_.waveforms().empty()) << c.file;
  }
  EXPECT_EQ(load(bank_, "a.wav"), lowest);
}

TEST_F(SoundBankTest, CreatesSourcesOrNone) {
  EXPECT_EQ(bank_.create_sources(0), 0);
  ASSERT_EQ(bank_.create_sources(3), 0);
  ASSERT_EQ(bank_.sources().size(), 3u);
  for (const AudioSource& s : bank_.sources()) EXPECT_TRUE(alIsSource(s.id()));
  EXPECT_EQ(bank_.source_index(bank_.sources()[2].id()), 2u);
  EXPECT_EQ(bank_.source().id(), bank_.sources()[0].id());

  // The null device has 256 sources: the call fails as a whole and leaves no
  // bogus names behind, and every source is still there to be made.
  SoundBank big;
  EXPECT_EQ(big.create_sources(300), 1);
  EXPECT_TRUE(big.sources().empty());
  EXPECT_EQ(big.create_sources(250), 0);
  for (const AudioSource& s : big.sources()) ASSERT_TRUE(alIsSource(s.id()));
  EXPECT_EQ(big.clear(), AL_NO_ERROR);
}

TEST_F(SoundBankTest, WithoutSourcesTheSharedSourceStandsIn) {
  SoundBank a, b;
  EXPECT_EQ(&a.source(), &b.source());
  EXPECT_EQ(&static_cast<const SoundBank&>(a).source(), &static_cast<const SoundBank&>(b).source());
  EXPECT_EQ(a.next_source(), a.sources().end());
}

TEST_F(SoundBankTest, NextSourceIsTheFirstIdleOne) {
  ASSERT_EQ(bank_.create_sources(3), 0);
  const unsigned long long sound = load(bank_, "a.wav");
  auto& s = bank_.sources();
  play_looping(sound, s[1]);
  EXPECT_EQ(bank_.next_source(), s.begin());
  play_looping(sound, s[0]);
  EXPECT_EQ(bank_.next_source(), s.begin() + 2);
  play_looping(sound, s[2]);
  EXPECT_EQ(bank_.next_source(), s.begin());
}

TEST_F(SoundBankTest, PlayCodes) {
  ASSERT_EQ(bank_.create_sources(2), 0);
  const unsigned long long own = load(bank_, "a.wav");
  SoundBank other;
  ASSERT_EQ(other.create_source(), 0);
  const unsigned long long foreign = load(other, "b.wav");
  const unsigned int source = bank_.sources()[0].id();

  EXPECT_EQ(SoundBank().play_sound(own, source), -1);  // no sources
  EXPECT_EQ(bank_.play_sound(own, other.sources()[0].id()), -1);
  EXPECT_EQ(bank_.play_sound(123456, source), -2);
  EXPECT_EQ(bank_.play_sound(0, source), -2);
  EXPECT_EQ(bank_.play_sound(own + (1ull << 32), source), -2);
  EXPECT_FALSE(bank_.sources()[0].al_initialized());

  // Any buffer plays, the other bank's too.
  EXPECT_EQ(bank_.play_sound(foreign, source), 0);
  EXPECT_EQ(source_int(source, AL_BUFFER), int(foreign));
  EXPECT_TRUE(bank_.sources()[0].al_initialized());
  // A new sound cuts the one playing.
  alSourcei(source, AL_LOOPING, AL_TRUE);
  ASSERT_EQ(bank_.play_sound(foreign, source), 0);
  EXPECT_EQ(bank_.play_sound(own, source), 0);
  EXPECT_EQ(source_int(source, AL_BUFFER), int(own));
  EXPECT_EQ(source_int(source, AL_SOURCE_STATE), AL_PLAYING);
  other.clear();
}

TEST_F(SoundBankTest, MutedBankStartsNothing) {
  ASSERT_EQ(bank_.create_sources(2), 0);
  const unsigned long long sound = load(bank_, "a.wav");
  bank_.sources()[0].gain(0.7f);
  bank_.sources()[1].gain(0.2f);
  bank_.mute(true);
  EXPECT_TRUE(bank_.muted());
  for (const AudioSource& s : bank_.sources()) {
    EXPECT_TRUE(s.muted());
    EXPECT_FLOAT_EQ(source_gain(s.id()), 0.0f);
  }
  EXPECT_EQ(bank_.play_sound(sound, bank_.sources()[0].id()), 0);
  EXPECT_EQ(bank_.play_sound_unchecked(sound, bank_.sources()[1].id()), 0);
  EXPECT_FALSE(bank_.sources()[0].al_initialized());
  EXPECT_FALSE(bank_.sources()[1].al_initialized());

  bank_.unmute();
  EXPECT_FALSE(bank_.muted());
  EXPECT_FLOAT_EQ(source_gain(bank_.sources()[0].id()), 0.7f);
  EXPECT_FLOAT_EQ(source_gain(bank_.sources()[1].id()), 0.2f);
  EXPECT_FALSE(bank_.sources()[0].muted());
}

TEST_F(SoundBankTest, PauseAndResume) {
  ASSERT_EQ(bank_.create_sources(3), 0);
  const unsigned long long sound = load(bank_, "a.wav");
  auto& s = bank_.sources();
  play_looping(sound, s[0]);
  play_looping(sound, s[1]);
  // s[2] never played: it stays in its initial state throughout.

  bank_.pause(false);
  EXPECT_TRUE(s[0].paused());
  EXPECT_TRUE(s[1].paused());
  EXPECT_FALSE(s[2].al_initialized());
  bank_.resume();
  EXPECT_TRUE(s[0].playing());
  EXPECT_TRUE(s[1].playing());
  EXPECT_FALSE(s[2].al_initialized());

  bank_.pause(true);
  EXPECT_TRUE(s[0].stopped());
  EXPECT_TRUE(s[1].stopped());
  bank_.resume();
  EXPECT_TRUE(s[0].stopped());
  EXPECT_FALSE(s[2].al_initialized());
}

TEST_F(SoundBankTest, ClearReleasesBuffersItsSourcesStillHold) {
  ASSERT_EQ(bank_.create_sources(2), 0);
  const unsigned long long sound = load(bank_, "a.wav");
  play_looping(sound, bank_.sources()[0]);
  const std::vector<unsigned int> sources = bank_.source_ids();

  SoundBank copy = bank_;  // shares the names
  EXPECT_EQ(copy.buffer_ids(), bank_.buffer_ids());

  EXPECT_EQ(bank_.clear(), AL_NO_ERROR);
  EXPECT_TRUE(bank_.waveforms().empty());
  EXPECT_TRUE(bank_.sources().empty());
  EXPECT_FALSE(alIsBuffer(static_cast<ALuint>(sound)));
  for (unsigned int s : sources) EXPECT_FALSE(alIsSource(s));
  EXPECT_EQ(bank_.play_sound(sound, sources[0]), -1);
  EXPECT_EQ(bank_.clear_waveforms(), AL_NO_ERROR);
  EXPECT_EQ(bank_.clear_sources(), AL_NO_ERROR);
}
