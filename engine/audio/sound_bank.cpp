#include "audio/sound_bank.h"

#include <AL/al.h>

#include <climits>

int SoundBank::load_sound(std::string file, std::function<void(unsigned long long)> done,
                          bool clear_cpu) {
  Waveform wave;
  // The loader hands its completion the preparation's code, so the outcome
  // of the load is read from its status.
  wave.completion([&](int) {
    unsigned long long name = 0;
    if (wave.status() == 2) {
      if (clear_cpu) wave.clear_cpu_memory();
      waveforms_.push_back(wave);
      waveforms_.back().completion(nullptr);
      name = wave.id();
    } else {
      wave.destroy();  // the buffer the preparation made
    }
    if (done) done(name);
  });
  return wave.load_async(std::move(file), true, true);
}

int SoundBank::create_sources(unsigned int n) {
  if (n == 0) return 0;
  if (n > INT_MAX) return 1;
  std::vector<ALuint> names(n, 0);
  alGetError();
  alGenSources(static_cast<ALsizei>(n), names.data());
  bool failed = alGetError() != AL_NO_ERROR;
  for (ALuint name : names) failed = failed || name == 0 || !alIsSource(name);
  if (failed) {
    // A failed call may still have written names: release those that are
    // sources, keep none.
    for (ALuint name : names)
      if (name != 0 && alIsSource(name)) alDeleteSources(1, &name);
    alGetError();
    return 1;
  }
  sources_.reserve(sources_.size() + n);
  for (ALuint name : names) {
    AudioSource s;
    s.id(name);
    sources_.push_back(std::move(s));
  }
  return 0;
}

std::vector<AudioSource>::iterator SoundBank::next_source() {
  for (auto it = sources_.begin(); it != sources_.end(); ++it)
    if (!it->playing()) return it;
  return sources_.begin();
}

namespace {

// The source of banks without sources: one for the whole program, so that
// both forms of source() show the one a sourceless bank plays through.
AudioSource& shared_source() {
  static AudioSource shared;
  return shared;
}

// The OpenAL names of a list of buffers or sources, in list order.
template <typename T>
std::vector<unsigned int> names_of(const std::vector<T>& list) {
  std::vector<unsigned int> names;
  names.reserve(list.size());
  for (const T& object : list) names.push_back(object.id());
  return names;
}

// Deletes the names of the whole list in one call and empties it; the
// OpenAL error of the call.
template <typename T>
int delete_all(std::vector<T>& list, void (*delete_names)(ALsizei, const ALuint*)) {
  const std::vector<unsigned int> names = names_of(list);
  alGetError();
  if (!names.empty()) delete_names(static_cast<ALsizei>(names.size()), names.data());
  list.clear();
  return alGetError();
}

}  // namespace

AudioSource& SoundBank::source() {
  return sources_.empty() ? shared_source() : sources_.front();
}

const AudioSource& SoundBank::source() const {
  return sources_.empty() ? shared_source() : sources_.front();
}

unsigned int SoundBank::sound_index(unsigned long long buffer) const {
  unsigned int i = 0;
  while (i < waveforms_.size() && waveforms_[i].id() != buffer) ++i;
  return i;
}

unsigned int SoundBank::source_index(unsigned long long source) const {
  unsigned int i = 0;
  while (i < sources_.size() && sources_[i].id() != source) ++i;
  return i;
}

int SoundBank::play_sound(unsigned long long buffer, unsigned long long source) {
  if (source_index(source) == sources_.size()) return -1;
  // OpenAL counts 0, the null buffer, as a buffer; it is no sound.
  const bool is_buffer = buffer != 0 && buffer <= UINT_MAX && alIsBuffer(ALuint(buffer));
  if (sound_index(buffer) == waveforms_.size() && !is_buffer) return -2;
  return play_sound_unchecked(buffer, source);
}

int SoundBank::play_sound_unchecked(unsigned long long buffer, unsigned long long source) {
  if (muted_) return 0;
  const ALuint name = static_cast<ALuint>(source);
  alGetError();
  // A playing or paused source refuses a new buffer: stop it, so the new
  // sound cuts the old one.
  alSourceStop(name);
  alSourcei(name, AL_BUFFER, static_cast<ALint>(buffer));
  alSourcePlay(name);
  return alGetError();
}

void SoundBank::mute(bool on) {
  for (AudioSource& s : sources_) s.mute(on);
  muted_ = on;
}

void SoundBank::pause(bool stop) {
  for (const AudioSource& s : sources_) {
    if (!s.playing()) continue;
    if (stop)
      s.stop();
    else
      s.pause();
  }
}

void SoundBank::resume() {
  for (const AudioSource& s : sources_)
    if (s.paused()) s.play();
}

int SoundBank::clear() {
  for (AudioSource& s : sources_) {
    s.mute(true);
    // A buffer still held by a source cannot be deleted.
    s.stop();
    alSourcei(s.id(), AL_BUFFER, 0);
  }
  clear_waveforms();
  return clear_sources();
}

int SoundBank::clear_waveforms() {
  return delete_all(waveforms_, alDeleteBuffers);
}

int SoundBank::clear_sources() {
  return delete_all(sources_, alDeleteSources);
}

std::vector<unsigned int> SoundBank::buffer_ids() const {
  return names_of(waveforms_);
}

std::vector<unsigned int> SoundBank::source_ids() const {
  return names_of(sources_);
}
