#include "audio/audio_source.h"

#include <AL/al.h>

AudioSource::AudioSource(const AudioSource& other)
    : PositionalAudio(other), ALObject<unsigned int, int>(other) {
  install_operations();
}

AudioSource::AudioSource(AudioSource&& other) noexcept
    : PositionalAudio(std::move(other)), ALObject<unsigned int, int>(std::move(other)) {
  install_operations();
}

AudioSource& AudioSource::operator=(const AudioSource& other) {
  PositionalAudio::operator=(other);
  ALObject<unsigned int, int>::operator=(other);
  install_operations();
  return *this;
}

AudioSource& AudioSource::operator=(AudioSource&& other) noexcept {
  PositionalAudio::operator=(std::move(other));
  ALObject<unsigned int, int>::operator=(std::move(other));
  install_operations();
  return *this;
}

void AudioSource::install_operations() {
  create_function_ = [this] {
    if (id_ != 0 && alIsSource(id_)) return 0;
    alGenSources(1, &id_);
    if (alIsSource(id_)) return 0;
    id_ = 0;
    return -1;
  };
  destroy_function_ = [this] {
    if (id_ != 0) alDeleteSources(1, &id_);
    return 0;
  };
}

int AudioSource::state() const {
  ALint s = 0;
  alGetSourcei(id_, AL_SOURCE_STATE, &s);
  return s;
}

bool AudioSource::playing() const {
  return state() == AL_PLAYING;
}
bool AudioSource::paused() const {
  return state() == AL_PAUSED;
}
bool AudioSource::stopped() const {
  return state() == AL_STOPPED;
}
bool AudioSource::al_initialized() const {
  return state() != AL_INITIAL;
}
void AudioSource::play() const {
  alSourcePlay(id_);
}
void AudioSource::rewind() const {
  alSourceRewind(id_);
}
void AudioSource::pause() const {
  alSourcePause(id_);
}
void AudioSource::stop() const {
  alSourceStop(id_);
}

void AudioSource::gain(float g) {
  gain_ = g;
  if (id_ != 0) alSourcef(id_, AL_GAIN, g);
}

void AudioSource::mute(bool m) {
  alSourcef(id_, AL_GAIN, m ? 0.0f : gain_);
  muted_ = m;
}

void AudioSource::unmute() {
  mute(false);
}

void AudioSource::apply_state() {
  alSourcefv(id_, AL_POSITION, coord_sys_.position().data());
  alSourcefv(id_, AL_VELOCITY, velocity_.data());
  const Vec3 direction = coord_sys_.zhat(true);
  alSourcefv(id_, AL_DIRECTION, direction.data());
}

void AudioListener::gain(float g) {
  gain_ = g;
  alListenerf(AL_GAIN, g);
}

void AudioListener::apply_state() {
  alListenerfv(AL_POSITION, coord_sys_.position().data());
  alListenerfv(AL_VELOCITY, velocity_.data());
  const Vec3 at = coord_sys_.zhat(true);
  const float orientation[6] = {
      at[0], at[1], at[2], coord_sys_.yhat()[0], coord_sys_.yhat()[1], coord_sys_.yhat()[2]};
  alListenerfv(AL_ORIENTATION, orientation);
}
