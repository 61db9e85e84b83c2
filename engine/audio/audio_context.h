// The OpenAL output device and the context made current on it.
#pragma once

#include <AL/alc.h>

#include <string>

#include "audio/al_object.h"

// An output device. create() opens the named device, or the default one when
// the name is empty (the name then becomes the default device's, "" when the
// implementation names none): 1 when it does not open. destroy() closes it.
class AudioDevice : public ALObject<ALCdevice*, int> {
 public:
  explicit AudioDevice(std::string name = "");
  AudioDevice(const AudioDevice& other);
  AudioDevice(AudioDevice&& other) noexcept;
  AudioDevice& operator=(const AudioDevice& other);
  AudioDevice& operator=(AudioDevice&& other) noexcept;

  const std::string& name() const { return name_; }
  void name(std::string n) { name_ = std::move(n); }

  // What the open device reports; 0 without a device.
  int max_mono_sources() const;
  int max_stereo_sources() const;

 private:
  void install_operations();

  std::string name_;
};

// The context on the default device. create() opens the device when it has no
// handle yet (passing on its code), creates the context (4 when that fails)
// and makes it current. destroy() releases the context, not the device.
class AudioContext : public ALObject<ALCcontext*, int> {
 public:
  // The text is not kept: the device is always the default one unless the
  // caller names another through device() before create().
  explicit AudioContext(std::string = "");
  AudioContext(const AudioContext& other);
  AudioContext(AudioContext&& other) noexcept;
  AudioContext& operator=(const AudioContext& other);
  AudioContext& operator=(AudioContext&& other) noexcept;

  const std::string& name() const { return name_; }
  AudioDevice& device() { return device_; }
  const AudioDevice& device() const { return device_; }

  void make_current();
  void suspend();

 private:
  void install_operations();

  std::string name_ = "Unnamed";
  AudioDevice device_;
};
