// MenuAudio: the short sounds played while the user moves through or chooses
// in dialogs, named and set up by one settings section.
#pragma once

#include <map>
#include <string>

#include "audio/sound_bank.h"
#include "core/coordinate_system.h"
#include "core/engine_settings.h"

// Every key of the section names a sound and its value the sound file; a key
// containing "_gain" is no sound, and key + "_gain" gives the sound's gain
// (1.0 when absent). All sounds play through one source, bank().source(), so
// a new menu sound cuts the one playing. Runs on the thread whose OpenAL
// context is current.
class MenuAudio {
 public:
  // Makes the source, loads the section and every sound of it: the section's
  // load code when it does not load, else the sum of the per-sound results.
  int init(EngineSettings& settings);
  // 1 when the section has no such key, else SoundBank::load_sound's result.
  int load_sound(const EngineSettings& settings, std::string key);

  // Plays a loaded sound at its gain, the pose (when given) stored in the
  // source without being sent to OpenAL. 0 at once while the bank is muted;
  // else 0 or the last OpenAL error. An unknown buffer plays at gain 0.
  int play_menu_sound(unsigned int buffer, const CoordinateSystem* pose = nullptr);
  // A name never loaded plays the null buffer, that is silence.
  int play_menu_sound(std::string name, const CoordinateSystem* pose = nullptr);

  SoundBank& bank() { return bank_; }
  const SoundBank& bank() const { return bank_; }
  const std::string& section() const { return section_; }
  void section(std::string name) { section_ = std::move(name); }
  const std::map<std::string, unsigned int>& sounds() const { return sounds_; }
  const std::map<unsigned int, float>& gains() const { return gains_; }

 private:
  SoundBank bank_;
  std::string section_ = "menu_audio_settings";
  std::map<std::string, unsigned int> sounds_;
  std::map<unsigned int, float> gains_;
};
