#include "audio/audio_context.h"

#include <iostream>

AudioDevice::AudioDevice(std::string name) : name_(std::move(name)) {
  install_operations();
}

AudioDevice::AudioDevice(const AudioDevice& other) : ALObject(other), name_(other.name_) {
  install_operations();
}

AudioDevice::AudioDevice(AudioDevice&& other) noexcept
    : ALObject(std::move(other)), name_(std::move(other.name_)) {
  install_operations();
}

AudioDevice& AudioDevice::operator=(const AudioDevice& other) {
  ALObject::operator=(other);
  name_ = other.name_;
  install_operations();
  return *this;
}

AudioDevice& AudioDevice::operator=(AudioDevice&& other) noexcept {
  ALObject::operator=(std::move(other));
  name_ = std::move(other.name_);
  install_operations();
  return *this;
}

void AudioDevice::install_operations() {
  create_function_ = [this] {
    if (name_.empty()) {
      // Implementations may answer with no text at all.
      const ALCchar* name = alcGetString(nullptr, ALC_DEFAULT_DEVICE_SPECIFIER);
      name_ = name ? name : "";
    }
    id_ = alcOpenDevice(name_.empty() ? nullptr : name_.c_str());
    return id_ ? 0 : 1;
  };
  destroy_function_ = [this] {
    if (id_) alcCloseDevice(id_);
    id_ = nullptr;
    return 0;
  };
}

int AudioDevice::max_mono_sources() const {
  ALCint n = 0;
  if (id_) alcGetIntegerv(id_, ALC_MONO_SOURCES, 1, &n);
  return n;
}

int AudioDevice::max_stereo_sources() const {
  ALCint n = 0;
  if (id_) alcGetIntegerv(id_, ALC_STEREO_SOURCES, 1, &n);
  return n;
}

AudioContext::AudioContext(std::string) {
  install_operations();
}

AudioContext::AudioContext(const AudioContext& other)
    : ALObject(other), name_(other.name_), device_(other.device_) {
  install_operations();
}

AudioContext::AudioContext(AudioContext&& other) noexcept
    : ALObject(std::move(other)), name_(std::move(other.name_)), device_(std::move(other.device_)) {
  install_operations();
}

AudioContext& AudioContext::operator=(const AudioContext& other) {
  ALObject::operator=(other);
  name_ = other.name_;
  device_ = other.device_;
  install_operations();
  return *this;
}

AudioContext& AudioContext::operator=(AudioContext&& other) noexcept {
  ALObject::operator=(std::move(other));
  name_ = std::move(other.name_);
  device_ = std::move(other.device_);
  install_operations();
  return *this;
}

void AudioContext::install_operations() {
  create_function_ = [this] {
    if (!device_.id() && device_.create_function()) {
      const int r = device_.create_function()();
      if (r != 0) {
        std::cerr << "create() failed with error " << r << std::endl;
        return r;
      }
    }
    id_ = alcCreateContext(device_.id(), nullptr);
    if (!id_) {
      std::cerr << "Error getting OpenAL device." << std::endl;
      return 4;
    }
    alcMakeContextCurrent(id_);
    return 0;
  };
  destroy_function_ = [this] {
    alcMakeContextCurrent(nullptr);
    if (id_) alcDestroyContext(id_);
    id_ = nullptr;
    return 0;
  };
}

void AudioContext::make_current() {
  if (id_) alcMakeContextCurrent(id_);
}

void AudioContext::suspend() {
  if (id_) alcSuspendContext(id_);
}
