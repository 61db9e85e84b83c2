// Seeding the game's engines and the real-valued draw.
#include "game/rules/random.h"

#include <array>
#include <cmath>

#include "core/random_seed.h"

SeedEntropy auto_seed_entropy(const void* obj) {
  SeedSequence scratch;
  SeedEntropy words;
  gather_entropy(scratch, words);
  // The address of the seeded object, not of the scratch sequence.
  const auto address = reinterpret_cast<std::uintptr_t>(obj);
  words[4] = fnv1a_32(&address, sizeof address);
  return words;
}

pcg32 auto_seeded_pcg32(const void* obj) {
  SeedSequence seq;
  seq.mix(auto_seed_entropy(obj));
  return pcg32(seq);
}

float uniform_real(double unit, float a, float b) {
  const float x = static_cast<float>(double(a) + unit * (double(b) - double(a)));
  if (a < b && !(x < b)) return std::nextafter(b, a);
  return x;
}

RandomInt::RandomInt() : engine_(auto_seeded_pcg32(this)) {}

RandomReal::RandomReal() : engine_(auto_seeded_pcg32(this)) {}
