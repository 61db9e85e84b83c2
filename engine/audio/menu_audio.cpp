#include "audio/menu_audio.h"

#include <AL/al.h>

#include <cstdlib>
#include <iostream>

namespace {

// Reports a pending OpenAL error; returns it.
int report_al_error() {
  const int error = alGetError();
  if (error != AL_NO_ERROR) std::cerr << "OpenAL error " << error << std::endl;
  return error;
}

}  // namespace

int MenuAudio::init(EngineSettings& settings) {
  AudioSource& source = bank_.source();
  if (source.create_function()) {
    const int r = source.create();
    if (r != 0) std::cerr << "OpenAL source create error " << r << std::endl;
  }
  const int loaded = settings.load_section(section_);
  if (loaded != 0) return loaded;
  // A copy: the loads below must not see the section change under them.
  const ProgramCfg keys = settings[section_];
  int total = 0;
  for (const auto& [key, field] : keys.fields())
    if (key.find("_gain") == std::string::npos) total += load_sound(settings, key);
  return total;
}

int MenuAudio::load_sound(const EngineSettings& settings, std::string key) {
  const ProgramCfg section = settings[section_];
  if (!section.contains(key)) return 1;
  const std::string file = settings.find_sound(section[key].str());
  return bank_.load_sound(
      file,
      [this, &file, &key, &section](unsigned long long buffer) {
        if (buffer == 0) {
          std::cerr << "Error loading " << file << std::endl;
          return;
        }
        const unsigned int name = static_cast<unsigned int>(buffer);
        sounds_[key] = name;
        const std::string gain_key = key + "_gain";
        float gain = 1.0f;
        section.read(gain_key, &gain);
        gains_[name] = gain;
      },
      true);
}

int MenuAudio::play_menu_sound(unsigned int buffer, const CoordinateSystem* pose) {
  if (bank_.muted()) return 0;
  AudioSource& source = bank_.source();
  if (pose) source.coord_sys() = *pose;
  const ALuint name = source.id();
  report_al_error();
  alSourcef(name, AL_GAIN, gains_[buffer]);
  report_al_error();
  // A playing source refuses a new buffer: stop it, so the new sound cuts in.
  alSourceStop(name);
  alSourcei(name, AL_BUFFER, static_cast<ALint>(buffer));
  report_al_error();
  alSourcePlay(name);
  return report_al_error();
}

int MenuAudio::play_menu_sound(std::string name, const CoordinateSystem* pose) {
  return play_menu_sound(sounds_[name], pose);
}
