// Sound synthesis: decaying partials and filtered noise for the impacts,
// pads, bass, bell arpeggios and brushes for the music.
#include "datagen/sounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <numbers>
#include <pcg_random.hpp>

namespace datagen {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::vector<float> silence(double seconds) {
  return std::vector<float>(static_cast<std::size_t>(seconds * kSampleRate), 0.0f);
}

double uniform(pcg32& rng) {
  return static_cast<double>(rng() >> 8) / 16777216.0 * 2.0 - 1.0;
}

// Adds a sine partial that starts at `start` and decays exponentially.
void partial(std::vector<float>& out, double start, double frequency, double amplitude,
             double decay) {
  const std::size_t first = static_cast<std::size_t>(start * kSampleRate);
  for (std::size_t i = first; i < out.size(); ++i) {
    const double t = static_cast<double>(i - first) / kSampleRate;
    const double envelope = amplitude * std::exp(-decay * t) * std::min(1.0, t * 2000.0);
    if (envelope < 1e-5 && t > 0.01) break;
    out[i] += static_cast<float>(envelope * std::sin(kTwoPi * frequency * t));
  }
}

// Adds low-passed noise (smoothing 0..1, higher is brighter) with an
// exponential decay.
void noise_burst(std::vector<float>& out, pcg32& rng, double start, double amplitude, double decay,
                 double smoothing) {
  const std::size_t first = static_cast<std::size_t>(start * kSampleRate);
  double state = 0;
  for (std::size_t i = first; i < out.size(); ++i) {
    const double t = static_cast<double>(i - first) / kSampleRate;
    const double envelope = amplitude * std::exp(-decay * t);
    if (envelope < 1e-5) break;
    state += smoothing * (uniform(rng) - state);
    out[i] += static_cast<float>(envelope * state);
  }
}

void normalise(std::vector<float>& s, float peak) {
  float high = 0;
  for (float v : s) high = std::max(high, std::fabs(v));
  if (high > 0)
    for (float& v : s) v *= peak / high;
}

// Fades both ends over `seconds` so no track starts or stops with a click.
void fade_ends(std::vector<float>& s, double seconds) {
  const std::size_t n = std::min(s.size() / 2, static_cast<std::size_t>(seconds * kSampleRate));
  for (std::size_t i = 0; i < n; ++i) {
    const float g = static_cast<float>(i) / static_cast<float>(n);
    s[i] *= g;
    s[s.size() - 1 - i] *= g;
  }
}

double midi_frequency(double note) {
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

}  // namespace

namespace {

struct Partial {
  double frequency, amplitude, decay;
};
struct Burst {
  double amplitude, decay, smoothing;
};

// An impact: decaying partials and a noise burst from the start, then
// whatever `more` adds, normalised to the peak.
Sound impact(const char* file, double seconds, unsigned long long seed,
             std::initializer_list<Partial> partials, Burst burst, float peak,
             const std::function<void(std::vector<float>&, pcg32&)>& more = {}) {
  pcg32 rng(seed);
  std::vector<float> s = silence(seconds);
  for (const Partial& p : partials) partial(s, 0, p.frequency, p.amplitude, p.decay);
  noise_burst(s, rng, 0, burst.amplitude, burst.decay, burst.smoothing);
  if (more) more(s, rng);
  normalise(s, peak);
  return {file, s};
}

}  // namespace

Sound ball_hit_sound() {
  return impact("ballhit.wav", 0.16, 101, {{2650, 1.0, 55}, {4150, 0.6, 85}, {6900, 0.35, 140}},
                {0.8, 900, 0.9}, 0.9f);
}

Sound side_hit_sound() {
  return impact("sidehit.wav", 0.26, 202, {{135, 1.0, 22}, {310, 0.5, 38}, {720, 0.2, 60}},
                {0.9, 120, 0.12}, 0.85f);
}

Sound pocket_sound() {
  // A thud, the ball rattling on the pocket's rim, then rolling away.
  return impact("pocket.wav", 0.65, 303, {{92, 1.0, 11}, {188, 0.45, 18}}, {0.6, 60, 0.08}, 0.85f,
                [](std::vector<float>& s, pcg32& rng) {
                  double amplitude = 0.55;
                  for (double t : {0.085, 0.16, 0.22, 0.27}) {
                    partial(s, t, 1750 + 300 * uniform(rng), amplitude, 95);
                    partial(s, t, 2900 + 400 * uniform(rng), amplitude * 0.5, 150);
                    amplitude *= 0.7;
                  }
                  noise_burst(s, rng, 0.28, 0.25, 7, 0.05);
                });
}

Sound cue_hit_sound() {
  return impact("cuehit.wav", 0.14, 404, {{1480, 0.8, 75}, {2320, 0.45, 110}, {410, 0.7, 45}},
                {0.7, 600, 0.6}, 0.9f);
}

Sound menu_arrow_sound() {
  std::vector<float> s = silence(0.07);
  partial(s, 0, 1320, 1.0, 60);
  partial(s, 0, 2640, 0.2, 90);
  fade_ends(s, 0.004);
  normalise(s, 0.5f);
  return {"menu_arrow.wav", s};
}

Sound menu_select_sound() {
  std::vector<float> s = silence(0.18);
  partial(s, 0, 880, 1.0, 35);
  partial(s, 0.06, 1318.5, 1.0, 30);
  partial(s, 0.06, 2637, 0.15, 60);
  fade_ends(s, 0.005);
  normalise(s, 0.5f);
  return {"menu_select.wav", s};
}

Sound music_track(int track) {
  struct Chord {
    int root;                  // MIDI note of the bass
    std::array<int, 4> tones;  // intervals above the root
  };
  struct Piece {
    double bpm;
    std::array<Chord, 4> chords;
    std::array<int, 8> pattern;  // chord tone per eighth; -1 rests
  };
  static const std::array<Piece, 4> pieces{{
      {96,
       {{{36, {12, 16, 19, 23}},
         {33, {12, 15, 19, 22}},
         {38, {12, 15, 19, 22}},
         {31, {12, 16, 19, 22}}}},
       {0, 2, 1, 3, 2, -1, 1, 2}},
      {104,
       {{{41, {12, 16, 19, 23}},
         {40, {12, 15, 19, 22}},
         {38, {12, 15, 19, 22}},
         {36, {12, 16, 19, 23}}}},
       {3, 1, 2, 0, -1, 2, 3, 1}},
      {88,
       {{{33, {12, 15, 19, 22}},
         {41, {12, 16, 19, 23}},
         {38, {12, 15, 19, 22}},
         {40, {12, 16, 19, 22}}}},
       {0, -1, 2, 3, 1, 2, -1, 3}},
      {112,
       {{{38, {12, 16, 19, 23}},
         {35, {12, 15, 19, 22}},
         {40, {12, 15, 19, 22}},
         {33, {12, 16, 19, 22}}}},
       {1, 2, 3, 2, 0, 2, 3, -1}},
  }};
  const Piece& piece = pieces[static_cast<std::size_t>(track) % pieces.size()];
  pcg32 rng(5000 + track);
  const double beat = 60.0 / piece.bpm;
  const double bar = 4 * beat;
  const int bars = 8;
  std::vector<float> s = silence(bars * bar + 1.5);
  for (int b = 0; b < bars; ++b) {
    const Chord& chord = piece.chords[b % 4];
    const double t0 = b * bar;
    // Pad: the four chord tones, slow attack, held through the bar.
    for (int tone : chord.tones) {
      const double f = midi_frequency(chord.root + tone);
      const std::size_t first = static_cast<std::size_t>(t0 * kSampleRate);
      const std::size_t length = static_cast<std::size_t>((bar + 0.6) * kSampleRate);
      for (std::size_t i = 0; i < length && first + i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double attack = std::min(1.0, t / 0.35);
        const double release = t > bar ? std::max(0.0, 1.0 - (t - bar) / 0.6) : 1.0;
        const double v = std::sin(kTwoPi * f * t) + 0.25 * std::sin(kTwoPi * 2 * f * t + 0.3);
        s[first + i] += static_cast<float>(0.045 * attack * release * v);
      }
    }
    // Bass on beats one and three, walking to the fifth on the third.
    partial(s, t0, midi_frequency(chord.root), 0.32, 3.2);
    partial(s, t0, midi_frequency(chord.root + 12), 0.06, 6);
    partial(s, t0 + 2 * beat, midi_frequency(chord.root + 7), 0.26, 3.4);
    // Bell arpeggio on the eighths, an octave up every other bar.
    for (int e = 0; e < 8; ++e) {
      const int index = piece.pattern[(e + b) % 8];
      if (index < 0 || (rng() % 7) == 0) continue;
      const double note = chord.root + chord.tones[index] + 12 + ((b % 2) ? 12 : 0);
      const double f = midi_frequency(note);
      const std::size_t first = static_cast<std::size_t>((t0 + e * beat / 2) * kSampleRate);
      const std::size_t length = static_cast<std::size_t>(1.2 * kSampleRate);
      for (std::size_t i = 0; i < length && first + i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double env = std::exp(-3.5 * t) * std::min(1.0, t * 400.0);
        const double bell =
            std::sin(kTwoPi * f * t + 1.2 * std::exp(-6.0 * t) * std::sin(kTwoPi * 2 * f * t));
        s[first + i] += static_cast<float>(0.07 * env * bell);
      }
    }
    // Brushes on the off-beats.
    for (int k = 0; k < 4; ++k) noise_burst(s, rng, t0 + k * beat + beat / 2, 0.05, 30, 0.7);
  }
  normalise(s, 0.7f);
  fade_ends(s, 0.4);
  char name[16];
  std::snprintf(name, sizeof name, "bg-%02d.wav", track);
  return {name, s};
}

std::vector<Sound> all_sounds() {
  std::vector<Sound> out{ball_hit_sound(), side_hit_sound(),   pocket_sound(),
                         cue_hit_sound(),  menu_arrow_sound(), menu_select_sound()};
  for (int t = 0; t < 4; ++t) out.push_back(music_track(t));
  return out;
}

}  // namespace datagen
