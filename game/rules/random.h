// The game's random numbers: self-seeding pcg32 engines with a uniform
// integer or real interval that callers set before drawing.
#pragma once

#include <array>
#include <cstdint>
#include <pcg_random.hpp>

// The eleven words of run-time entropy a game engine is seeded from.
using SeedEntropy = std::array<std::uint32_t, 11>;

// Fresh entropy words for seeding the object at obj: its address is one of
// them (word 4), so objects seeded at the same moment still differ.
SeedEntropy auto_seed_entropy(const void* obj);

// A pcg32 seeded from auto_seed_entropy(obj) mixed through the engine's
// SeedSequence.
pcg32 auto_seeded_pcg32(const void* obj);

// An integer uniform in [a, b] from 32-bit draws of any engine. n = b - a + 1
// is taken modulo 2^32: n = 0 means the full range (one draw); otherwise
// draws that fall into the incomplete top bucket are rejected. a = b draws
// nothing. The answer wraps modulo 2^32 when b < a.
template <typename Engine>
int uniform_int(Engine& engine, int a, int b) {
  if (a == b) return a;
  const std::uint32_t n = std::uint32_t(b) - std::uint32_t(a) + 1u;
  if (n == 0) return int(std::uint32_t(a) + std::uint32_t(engine()));
  constexpr std::uint32_t kMax = 0xFFFFFFFFu;
  const bool whole_buckets = kMax % n == n - 1;
  std::uint32_t r = std::uint32_t(engine());
  while (!whole_buckets && r / n >= kMax / n) r = std::uint32_t(engine());
  return int(std::uint32_t(a) + r % n);
}

// One 32-bit draw over 2^32: uniform in [0, 1), never 1.
template <typename Engine>
double unit_interval(Engine& engine) {
  return double(std::uint32_t(engine())) * 0x1p-32;
}

// A float uniform in [a, b): a + U (b - a), kept below b where rounding to
// float would reach it (a when a = b).
float uniform_real(double unit, float a, float b);

class RandomInt {
 public:
  RandomInt();
  // Uniform in [a, b]; the stored interval is not used.
  int operator()(const int& a, const int& b) { return uniform_int(engine_, a, b); }
  // Uniform in the stored interval.
  int operator()() { return uniform_int(engine_, a, b); }

  pcg32& engine() { return engine_; }

  int a = 0;
  int b = 32767;

 private:
  pcg32 engine_;
};

class RandomReal {
 public:
  RandomReal();
  // Uniform in [a, b).
  float operator()() { return uniform_real(unit_interval(engine_), a, b); }

  pcg32& engine() { return engine_; }

  float a = 0.0f;
  float b = 32767.0f;

 private:
  pcg32 engine_;
};
