// The game's sounds, synthesised: impacts of balls, cushions, pockets and the
// cue, the two menu blips and four short background music tracks.
#pragma once

#include <string>
#include <vector>

namespace datagen {

inline constexpr unsigned kSampleRate = 22050;

// One sound: its file name under sounds/ and its mono samples in [-1, 1].
struct Sound {
  std::string file;
  std::vector<float> samples;
};

Sound ball_hit_sound();
Sound side_hit_sound();
Sound pocket_sound();
Sound cue_hit_sound();
Sound menu_arrow_sound();
Sound menu_select_sound();
// Track 0 to 3: "bg-00.wav" to "bg-03.wav".
Sound music_track(int track);

// Every sound above, in that order.
std::vector<Sound> all_sounds();

}  // namespace datagen
