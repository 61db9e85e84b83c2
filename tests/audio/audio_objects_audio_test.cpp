// The OpenAL object layer on a real device: sources, gains, the listener, the
// device and the context.
#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "audio/audio_context.h"
#include "audio/audio_fixture.h"
#include "audio/audio_source.h"
#include "support/capture.h"

using testing_support::OutputCapture;

namespace {

float al_gain(const AudioSource& s) {
  float g = -1.0f;
  alGetSourcef(s.id(), AL_GAIN, &g);
  return g;
}

std::array<float, 3> source_vector(const AudioSource& s, ALenum what) {
  std::array<float, 3> v{};
  alGetSourcefv(s.id(), what, v.data());
  return v;
}

}  // namespace

using AudioObjects = AudioTest;

TEST_F(AudioObjects, OperationsRunOnlyWhenInstalled) {
  ALObject<unsigned int, int> plain;
  EXPECT_EQ(plain.create(), 0);
  EXPECT_EQ(plain.destroy(), 0);
  plain.id(42);
  EXPECT_EQ(plain.id_str(), "42");

  plain.create_function([] { return 7; });
  OutputCapture cap;
  EXPECT_EQ(plain.create(), 7);
  EXPECT_EQ(cap.err(), "create() failed with error 7\n");
  plain.destroy_function([] { return -2; });
  cap.reset();
  EXPECT_EQ(plain.destroy(), -2);
  EXPECT_EQ(cap.err(), "destroy() failed with error -2\n");
}

TEST_F(AudioObjects, SourceIsCreatedOnceAndDestroyed) {
  AudioSource s;
  EXPECT_EQ(s.id(), 0u);
  ASSERT_EQ(s.create(), 0);
  const unsigned int name = s.id();
  EXPECT_TRUE(alIsSource(name));
  EXPECT_FALSE(s.al_initialized());
  EXPECT_EQ(s.state(), AL_INITIAL);
  // A second create keeps the source instead of losing it.
  EXPECT_EQ(s.create(), 0);
  EXPECT_EQ(s.id(), name);
  EXPECT_EQ(s.destroy(), 0);
  EXPECT_FALSE(alIsSource(name));
  EXPECT_EQ(s.id(), name);
}

TEST_F(AudioObjects, CopiesCreateAndDestroyTheirOwnSource) {
  auto original = std::make_unique<AudioSource>();
  AudioSource copy = *original;
  original.reset();  // the copy's operations must not reach the dead original
  ASSERT_EQ(copy.create(), 0);
  EXPECT_TRUE(alIsSource(copy.id()));

  std::vector<AudioSource> moved;
  moved.push_back(std::move(copy));
  moved.emplace_back();
  moved.emplace_back();  // reallocates
  ASSERT_EQ(moved[1].create(), 0);
  EXPECT_NE(moved[1].id(), moved[0].id());
  const unsigned int name = moved[0].id();
  EXPECT_EQ(moved[0].destroy(), 0);
  EXPECT_FALSE(alIsSource(name));
  EXPECT_EQ(moved[1].destroy(), 0);
}

TEST_F(AudioObjects, GainAndMuteRules) {
  AudioSource s;
  ASSERT_EQ(s.create(), 0);
  s.gain(0.8f);
  EXPECT_FLOAT_EQ(al_gain(s), 0.8f);

  s.mute(true);
  EXPECT_TRUE(s.muted());
  EXPECT_FLOAT_EQ(al_gain(s), 0.0f);
  s.unmute();
  EXPECT_FALSE(s.muted());
  EXPECT_FLOAT_EQ(al_gain(s), 0.8f);

  // Setting the gain ignores the mute flag: the source sounds, the flag stays.
  s.mute(true);
  s.gain(0.5f);
  EXPECT_TRUE(s.muted());
  EXPECT_FLOAT_EQ(al_gain(s), 0.5f);
  s.mute(false);
  EXPECT_FLOAT_EQ(al_gain(s), 0.5f);

  // Without a source the gain is only stored.
  AudioSource unnamed;
  unnamed.gain(0.25f);
  EXPECT_FLOAT_EQ(unnamed.gain(), 0.25f);
  EXPECT_EQ(alGetError(), AL_NO_ERROR);
  s.destroy();
}

TEST_F(AudioObjects, SourceSendsItsPoseVelocityAndFacing) {
  AudioSource s;
  ASSERT_EQ(s.create(), 0);
  s.coord_sys().translate(1.0f, 2.0f, 3.0f);
  const float target[3] = {1.0f, 2.0f, 13.0f};
  s.coord_sys().look_at(s.coord_sys().position().data(), target);
  s.velocity({0.5f, 0.0f, -4.0f});
  s.apply_state();
  EXPECT_EQ(source_vector(s, AL_POSITION), (std::array<float, 3>{1.0f, 2.0f, 3.0f}));
  EXPECT_EQ(source_vector(s, AL_VELOCITY), (std::array<float, 3>{0.5f, 0.0f, -4.0f}));
  // Facing along -z: z points away from the target, so the source faces it.
  const auto d = source_vector(s, AL_DIRECTION);
  EXPECT_NEAR(d[0], 0.0f, 1e-6f);
  EXPECT_NEAR(d[1], 0.0f, 1e-6f);
  EXPECT_NEAR(d[2], 1.0f, 1e-6f);
  s.destroy();
}

TEST_F(AudioObjects, ListenerOrientationAndGain) {
  AudioListener listener;
  listener.apply_state();
  float o[6];
  alGetListenerfv(AL_ORIENTATION, o);
  EXPECT_EQ(std::vector<float>(o, o + 6), (std::vector<float>{0, 0, -1, 0, 1, 0}));

  // Turned a quarter about y: "at" becomes -x, "up" stays y.
  listener.coord_sys().rotate_global(90.0f, 0.0f, 1.0f, 0.0f);
  listener.coord_sys().translate(4.0f, 5.0f, 6.0f);
  listener.velocity({1.0f, 0.0f, 0.0f});
  listener.apply_state();
  alGetListenerfv(AL_ORIENTATION, o);
  const float expected[6] = {-1, 0, 0, 0, 1, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(o[i], expected[i], 1e-6f) << i;
  float p[3], v[3];
  alGetListenerfv(AL_POSITION, p);
  alGetListenerfv(AL_VELOCITY, v);
  EXPECT_EQ(std::vector<float>(p, p + 3), (std::vector<float>{4, 5, 6}));
  EXPECT_EQ(std::vector<float>(v, v + 3), (std::vector<float>{1, 0, 0}));

  listener.gain(0.3f);
  float g = 0;
  alGetListenerf(AL_GAIN, &g);
  EXPECT_FLOAT_EQ(g, 0.3f);
  listener.gain(1.0f);
  AudioListener reset;
  reset.apply_state();
}

TEST_F(AudioObjects, DeviceReportsItsSources) {
  const AudioDevice& device = context_->device();
  EXPECT_NE(device.id(), nullptr);
  EXPECT_FALSE(device.name().empty());  // the default device's name was taken
  EXPECT_EQ(device.max_mono_sources(), 255);
  EXPECT_EQ(device.max_stereo_sources(), 1);
  EXPECT_EQ(AudioDevice().max_mono_sources(), 0);
}

TEST_F(AudioObjects, ContextOnAnotherDeviceAndItsFailures) {
  AudioContext second;
  ASSERT_EQ(second.create(), 0);
  EXPECT_EQ(alcGetCurrentContext(), second.id());
  EXPECT_EQ(second.name(), "Unnamed");
  EXPECT_EQ(second.destroy(), 0);
  EXPECT_EQ(alcGetCurrentContext(), nullptr);
  EXPECT_EQ(second.device().destroy(), 0);
  context_->make_current();

  // A device handle that names no device: no context.
  AudioContext broken;
  int not_a_device = 0;
  broken.device().id(reinterpret_cast<ALCdevice*>(&not_a_device));
  OutputCapture cap;
  EXPECT_EQ(broken.create(), 4);
  EXPECT_EQ(cap.err(), "Error getting OpenAL device.\ncreate() failed with error 4\n");
  alcGetError(nullptr);
}
