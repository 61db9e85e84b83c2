// Gains and positional sound objects: the gain with its mute flag, the pose
// and velocity of a positional object, OpenAL sources and the listener.
#pragma once

#include <array>

#include "audio/al_object.h"
#include "core/coordinate_system.h"

// A gain and a mute flag; both only stored.
class AudioGain {
 public:
  float gain() const { return gain_; }
  void gain(float g) { gain_ = g; }
  void mute(bool m = true) { muted_ = m; }
  void unmute() { muted_ = false; }
  bool muted() const { return muted_; }

 protected:
  float gain_ = 1.0f;
  bool muted_ = false;
};

// A gain with a pose and a velocity (metres per second); apply_state() sends
// them to OpenAL. The object faces along its -z axis.
class PositionalAudio : public AudioGain {
 public:
  virtual ~PositionalAudio() = default;
  virtual void apply_state() = 0;

  CoordinateSystem& coord_sys() { return coord_sys_; }
  const CoordinateSystem& coord_sys() const { return coord_sys_; }
  const std::array<float, 3>& velocity() const { return velocity_; }
  void velocity(std::array<float, 3> v) { velocity_ = v; }

 protected:
  std::array<float, 3> velocity_{0.0f, 0.0f, 0.0f};
  CoordinateSystem coord_sys_;
};

// One OpenAL source. create() generates a name when the object holds no
// source yet (so a second create() keeps the source it has); destroy() deletes
// it and leaves id() as it was. Calls on a source without a name are left to
// OpenAL's own error handling.
class AudioSource : public PositionalAudio, public ALObject<unsigned int, int> {
 public:
  AudioSource() { install_operations(); }
  AudioSource(const AudioSource& other);
  AudioSource(AudioSource&& other) noexcept;
  AudioSource& operator=(const AudioSource& other);
  AudioSource& operator=(AudioSource&& other) noexcept;

  // AL_SOURCE_STATE of the source.
  int state() const;
  bool playing() const;
  bool paused() const;
  bool stopped() const;
  // Whether the source has left AL_INITIAL.
  bool al_initialized() const;
  void play() const;
  void rewind() const;
  void pause() const;
  void stop() const;

  float gain() const { return gain_; }
  // Stores the gain and, when the source has a name, applies it regardless of
  // the mute flag.
  void gain(float g);
  // Silences the source (or gives it its stored gain back) and sets the flag.
  void mute(bool m = true);
  void unmute();

  // Position, velocity and the facing direction (-z).
  void apply_state() override;

 private:
  void install_operations();
};

// The listener: one per context. gain() applies the master gain at once.
class AudioListener : public PositionalAudio {
 public:
  float gain() const { return gain_; }
  void gain(float g);
  // Position, velocity and the orientation: "at" along -z, "up" along y.
  void apply_state() override;
};
