// SoundBank: loaded sounds and a pool of OpenAL sources that play them, muted,
// paused, resumed and cleared together.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "audio/audio_source.h"
#include "audio/waveform.h"

// Sounds are named by their OpenAL buffer name, sources by their source name,
// both passed as 64-bit numbers. Everything runs on the thread whose OpenAL
// context is current; the bank does not lock. Copies share the OpenAL names;
// only the clear operations release them.
class SoundBank {
 public:
  // Reads, converts and uploads one WAV file on the calling thread, then
  // calls done (when set) with the sound's buffer name. A sound that failed
  // to load is not kept: its buffer is released and done receives 0. Returns
  // Waveform::load's result (0 on success).
  int load_sound(std::string file, std::function<void(unsigned long long)> done, bool clear_cpu);

  // Adds n sources. 1, with nothing added, when OpenAL cannot make them all
  // (it may write names that are no sources); 0 otherwise, also for n = 0.
  int create_sources(unsigned int n);
  int create_source() { return create_sources(1); }

  // The first source that is not playing, else the first; end() when empty.
  std::vector<AudioSource>::iterator next_source();
  // The first source; without sources, one source shared by every bank of
  // the program, made without a name.
  AudioSource& source();
  const AudioSource& source() const;
  std::vector<AudioSource>& sources() { return sources_; }
  const std::vector<AudioSource>& sources() const { return sources_; }
  const std::vector<Waveform>& waveforms() const { return waveforms_; }
  bool muted() const { return muted_; }

  // Positions of the first match, or the list's size when none matches.
  unsigned int sound_index(unsigned long long buffer) const;
  unsigned int source_index(unsigned long long source) const;

  // -1 when the source is not the bank's, -2 when the buffer is no OpenAL
  // buffer (any bank's buffer plays), 0 while muted; else binds the buffer,
  // plays and returns alGetError().
  int play_sound(unsigned long long buffer, unsigned long long source);
  // The same without the two checks.
  int play_sound_unchecked(unsigned long long buffer, unsigned long long source);

  // Silences every source (or gives each its stored gain back); while muted
  // nothing is started.
  void mute(bool on = true);
  void unmute() { mute(false); }
  // Stops (stop) or pauses the playing sources.
  void pause(bool stop);
  // Plays the paused sources again; stopped ones stay stopped.
  void resume();

  // Silences and stops every source and takes its buffer off, deletes the
  // sounds, then the sources; clear_sources()'s result.
  int clear();
  // Each deletes all its names in one call, empties its list and returns
  // alGetError().
  int clear_waveforms();
  int clear_sources();

  std::vector<unsigned int> buffer_ids() const;
  std::vector<unsigned int> source_ids() const;

 private:
  std::vector<Waveform> waveforms_;
  std::vector<AudioSource> sources_;
  bool muted_ = false;
};
