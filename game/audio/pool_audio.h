// PoolAudio: the game's sound layer. It owns the OpenAL context, the
// listener and three banks: the music source, the game's menu source and 15
// effect sources into which every sound of the "audio_settings" section is
// loaded. Impacts play as positional one-shot sounds with a gain that grows
// with the impact speed; music plays track after track from a periodic step.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/audio_context.h"
#include "audio/audio_source.h"
#include "audio/sound_bank.h"
#include "core/coordinate_system.h"
#include "core/engine_settings.h"
#include "core/event_queue.h"
#include "game/rules/random.h"

enum class ImpactKind { kSideHit = 0, kBallHit = 1, kCueHit = 2, kPocket = 3 };

// Everything runs on the thread whose OpenAL context is current, except the
// load completions, which may run on a loader's thread: the sound-id lists
// are guarded by one lock, held for an append or for one read.
class PoolAudio {
 public:
  PoolAudio();
  // Silences and deletes the banks' sounds and sources, then the context and
  // the device, when this object created them; the music step of a queue
  // that outlives the object does nothing from then on.
  ~PoolAudio();
  PoolAudio(const PoolAudio&) = delete;
  PoolAudio& operator=(const PoolAudio&) = delete;

  // Context, music source, menu sources, game sources, in that order, each
  // step logged; stops at the first non-zero result and returns it.
  int init(const std::string& log_file, unsigned int game_sources, unsigned int menu_sources);
  // The whole set-up from the "audio_settings" section (defaults written into
  // the section for missing keys, not saved), the sounds loaded, gains and
  // mutes applied and the music step run every 0.5 s on music_queue (none
  // when it is null). -1 when the context cannot be set up; else the music
  // source's create() result. A null store is replaced by one of the data
  // folder named by TALVORIN_ROOT for the call.
  int init_audio(EventQueue* music_queue, EngineSettings* settings, const std::string& log_file);
  // Loads each path into game_bank and appends the ids of those that load to
  // the list; a failure is reported on the error stream.
  void load_sounds(const std::vector<std::string>& paths, std::vector<unsigned int>& list);

  // The music source: bg_bank's first source, or one shared default source
  // when the bank has none.
  AudioSource& bg_source() { return bg_bank.source(); }
  // One sound on the first idle game source (else the first), at the pose
  // when given, at the gain; nothing while game_bank is muted or sourceless.
  void play_effect(unsigned int sound, const CoordinateSystem* pose, float gain);
  // A random sample of the kind at effects_volume x speed / reference speed
  // (x the impact factor where set); nothing when none is loaded.
  void play_impact(ImpactKind kind, const CoordinateSystem* pose, float speed);
  // The gain of every menu and game source.
  void set_effects_volume(float volume);
  // Starts the next track when music is on and the source is idle (once
  // only unless bg_repeat), or pauses the music once it is turned off.
  void music_step();

  // Snapshots of the sound-id lists.
  std::vector<unsigned int> sound_ids(ImpactKind kind) const;
  std::vector<unsigned int> bg_sound_ids() const;

  SoundBank bg_bank;
  SoundBank menu_bank;
  SoundBank game_bank;
  AudioContext& context() { return context_; }
  AudioListener listener;
  std::array<float, 4> reference_speed{1.2f, 0.4f, 0.1f, 0.1f};  // by ImpactKind
  std::array<float, 4> impact_factor{0.0f, 0.0f, 0.0f, 0.1f};
  bool bg_repeat = true;
  bool bg_on = true;
  float master_gain = 1.0f;
  float music_gain = 0.25f;
  float effects_volume = 1.0f;
  unsigned int track = 0;
  unsigned int tracks_started = 0;
  // The resolved sample paths of the four effect keys.
  std::array<std::vector<std::string>, 4> effect_files;
  RandomInt rng;

 private:
  std::vector<unsigned int>& list(ImpactKind kind);
  const std::vector<unsigned int>& list(ImpactKind kind) const;
  // Entry draw mod count of the list, read under the lock; 0 when empty.
  unsigned int pick(const std::vector<unsigned int>& sounds, unsigned int draw) const;

  AudioContext context_;
  mutable std::mutex lists_mutex_;
  std::vector<unsigned int> side_hit_sounds_;
  std::vector<unsigned int> pocket_sounds_;
  std::vector<unsigned int> ball_hit_sounds_;
  std::vector<unsigned int> cue_hit_sounds_;
  std::vector<unsigned int> bg_sounds_;
  // Shared with the music step's event; false once this object is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
