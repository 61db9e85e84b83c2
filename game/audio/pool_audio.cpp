#include "game/audio/pool_audio.h"

#include <cstdlib>
#include <iostream>

#include "core/files.h"
#include "core/strings.h"

namespace {

const char* const kTag = "kpool_audio";
const char* const kSection = "audio_settings";

// The keys of the section with their defaults, in the order they are read.
const std::array<std::pair<const char*, const char*>, 8> kDefaults{{
    {"side_hit_files", "sidehit.wav"},
    {"pocket_files", "pocket.wav"},
    {"ball_hit_files", "ballhit.wav"},
    {"cue_hit_files", "cuehit.wav"},
    {"bg_files", "bg-00.wav bg-01.wav bg-02.wav bg-03.wav"},
    {"bg_repeat", "0"},
    {"bg_on", "1"},
    {"effects_on", "1"},
}};

// The five file keys' lists in the order they are found and loaded.
constexpr std::array<const char*, 5> kFileKeys{"side_hit_files", "pocket_files", "ball_hit_files",
                                               "cue_hit_files", "bg_files"};
constexpr std::array<ImpactKind, 4> kFileKinds{ImpactKind::kSideHit, ImpactKind::kPocket,
                                               ImpactKind::kBallHit, ImpactKind::kCueHit};

}  // namespace

PoolAudio::PoolAudio() = default;

PoolAudio::~PoolAudio() {
  *alive_ = false;
  if (!context_.id()) return;
  context_.make_current();
  bg_bank.clear();
  menu_bank.clear();
  game_bank.clear();
  context_.destroy();
  context_.device().destroy();
}

int PoolAudio::init(const std::string& log_file, unsigned int game_sources,
                    unsigned int menu_sources) {
  log("init() creating context", kTag, log_file, true);
  int r = context_.create();
  log("context_.create() returned " + std::to_string(r), kTag, log_file, true);
  if (r != 0) return r;
  r = bg_bank.create_source();
  log("bg_bank().create_source() returned " + std::to_string(r), kTag, log_file, true);
  if (r != 0) return r;
  r = menu_bank.create_sources(menu_sources);
  log("menu_bank().create_sources(" + std::to_string(menu_sources) + ") returned " +
          std::to_string(r),
      kTag, log_file, true);
  if (r != 0) return r;
  r = game_bank.create_sources(game_sources);
  log("game_bank().create_sources(" + std::to_string(game_sources) + ") returned " +
          std::to_string(r),
      kTag, log_file, true);
  return r;
}

int PoolAudio::init_audio(EventQueue* music_queue, EngineSettings* settings,
                          const std::string& log_file) {
  const auto say = [&log_file](const std::string& text) { log(text, kTag, log_file, true); };
  if (!context_.id()) {
    say("init_audio() initializing context");
    if (init(log_file, 15, 1) != 0) return -1;
  }
  EngineSettings own("TALVORIN_ROOT");
  if (!settings) {
    say("init_audio() creating EngineSettings");
    settings = &own;
    say("init_audio() created EngineSettings");
  }
  say("init_audio() creating audio_settings section");
  settings->new_section(kSection);
  say("init_audio() loading audio_settings section");
  settings->load_section(kSection);
  say("init_audio() finished loading audio_settings section");
  ProgramCfg& section = (*settings)[kSection];
  for (const auto& [key, value] : kDefaults)
    if (!section.contains(key)) section[key] = value;
  say("init_audio() finished default audio_settings section");

  std::array<std::vector<std::string>, 5> files;
  for (std::size_t i = 0; i < kFileKeys.size(); ++i)
    files[i] = split(section[kFileKeys[i]].str(), "");
  // The switches are integers as atoi reads them: a word is 0, off.
  bg_repeat = section.flag("bg_repeat", false);
  say("init_audio() finished splitting filenames");
  for (std::size_t i = 0; i < kFileKeys.size(); ++i) {
    say(std::string("init_audio() finding ") + kFileKeys[i]);
    for (std::string& name : files[i]) {
      const std::string found = settings->find_sound(name);
      if (found.empty())
        std::cerr << "PoolAudio::init_audio(): " << kFileKeys[i] << " names "
                  << settings->path_in(settings->sounds_folder(), name) << ", which is not found"
                  << std::endl;
      name = found;
    }
  }
  say("init_audio() done finding bg_files");
  for (std::size_t i = 0; i < kFileKinds.size(); ++i)
    effect_files[static_cast<std::size_t>(kFileKinds[i])] = files[i];
  for (std::size_t i = 0; i < kFileKeys.size(); ++i) {
    say(std::string("init_audio() loading ") + kFileKeys[i]);
    load_sounds(files[i], i < kFileKinds.size() ? list(kFileKinds[i]) : bg_sounds_);
  }
  say("init_audio() done loading bg_files");

  say("init_audio() calling bg_source().create()");
  const int result = bg_source().create();
  say("init_audio() bg_source().create() returned " + std::to_string(result));

  for (AudioSource& s : menu_bank.sources()) s.gain(effects_volume);
  for (AudioSource& s : game_bank.sources()) s.gain(effects_volume);
  bg_source().gain(music_gain);
  listener.gain(master_gain);

  bg_on = section.flag("bg_on", bg_on);
  if (!section.flag("effects_on", true)) {
    menu_bank.mute(true);
    game_bank.mute(true);
  }

  if (music_queue) {
    std::shared_ptr<bool> alive = alive_;
    music_queue->run_periodically(
        [this, alive] {
          if (*alive) music_step();
        },
        0.5, {}, "");
  }
  return result;
}

void PoolAudio::load_sounds(const std::vector<std::string>& paths,
                            std::vector<unsigned int>& sounds) {
  for (const std::string& path : paths) {
    game_bank.load_sound(
        path,
        [this, &sounds, path](unsigned long long id) {
          if (id == 0) {
            std::cerr << "Error loading sound '" << path << "'." << std::endl;
            return;
          }
          const std::lock_guard<std::mutex> lock(lists_mutex_);
          sounds.push_back(static_cast<unsigned int>(id));
        },
        true);
  }
}

void PoolAudio::play_effect(unsigned int sound, const CoordinateSystem* pose, float gain) {
  if (game_bank.muted() || game_bank.sources().empty()) return;
  AudioSource& source = *game_bank.next_source();
  if (pose) source.coord_sys() = *pose;
  source.gain(gain);
  source.apply_state();
  game_bank.play_sound(sound, source.id());
}

void PoolAudio::play_impact(ImpactKind kind, const CoordinateSystem* pose, float speed) {
  const unsigned int draw = static_cast<unsigned int>(std::abs(rng(0, 32767)));
  const unsigned int sound = pick(list(kind), draw);
  if (sound == 0) return;
  const auto k = static_cast<std::size_t>(kind);
  float gain = effects_volume * speed;
  if (reference_speed[k] != 0.0f) gain /= reference_speed[k];
  if (impact_factor[k] != 0.0f) gain *= impact_factor[k];
  play_effect(sound, pose, gain);
}

void PoolAudio::set_effects_volume(float volume) {
  for (AudioSource& s : menu_bank.sources()) s.gain(volume);
  for (AudioSource& s : game_bank.sources()) s.gain(volume);
  effects_volume = volume;
}

void PoolAudio::music_step() {
  AudioSource& source = bg_source();
  if (bg_on && !source.playing()) {
    if (!bg_repeat && tracks_started >= 1) return;
    unsigned int sound = 0;
    std::size_t count = 0;
    {
      const std::lock_guard<std::mutex> lock(lists_mutex_);
      count = bg_sounds_.size();
      if (track < count) sound = bg_sounds_[track];
    }
    if (track >= count) return;
    bg_bank.play_sound(sound, source.id());
    ++tracks_started;
    track = static_cast<unsigned int>((track + 1) % count);
  } else if (!bg_on && source.playing()) {
    source.pause();
  }
}

std::vector<unsigned int> PoolAudio::sound_ids(ImpactKind kind) const {
  const std::lock_guard<std::mutex> lock(lists_mutex_);
  return list(kind);
}

std::vector<unsigned int> PoolAudio::bg_sound_ids() const {
  const std::lock_guard<std::mutex> lock(lists_mutex_);
  return bg_sounds_;
}

std::vector<unsigned int>& PoolAudio::list(ImpactKind kind) {
  switch (kind) {
    case ImpactKind::kSideHit:
      return side_hit_sounds_;
    case ImpactKind::kBallHit:
      return ball_hit_sounds_;
    case ImpactKind::kCueHit:
      return cue_hit_sounds_;
    case ImpactKind::kPocket:
      break;
  }
  return pocket_sounds_;
}

const std::vector<unsigned int>& PoolAudio::list(ImpactKind kind) const {
  return const_cast<PoolAudio*>(this)->list(kind);
}

unsigned int PoolAudio::pick(const std::vector<unsigned int>& sounds, unsigned int draw) const {
  const std::lock_guard<std::mutex> lock(lists_mutex_);
  if (sounds.empty()) return 0;
  return sounds[draw % sounds.size()];
}
