// The game's random numbers: the uniform integer draw on a scripted engine,
// seeding, and the real interval.
#include "game/rules/random.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Hands out the given 32-bit outputs in order and counts the draws.
struct ScriptedEngine {
  std::vector<std::uint32_t> outputs;
  std::size_t draws = 0;
  std::uint32_t operator()() { return outputs.at(draws++); }
};

TEST(UniformInt, DrawsAsTheRejectionRuleSays) {
  struct Case {
    int a, b;
    std::vector<std::uint32_t> outputs;
    int expected;
    std::size_t draws;
  };
  const Case cases[] = {
      // a = b: no draw at all.
      {7, 7, {}, 7, 0},
      // n = 3: only 0xFFFFFFFF falls into the incomplete top bucket.
      {0, 2, {0xFFFFFFFFu, 5u}, 2, 2},
      {10, 12, {0xFFFFFFFEu}, 12, 1},
      // n = 10: the top bucket holds the six outputs from 4294967290 on.
      {0, 9, {4294967290u, 0xFFFFFFFFu, 4294967289u}, 9, 3},
      // n a power of two: every bucket is whole, the top one is kept.
      {0, 3, {0xFFFFFFFFu}, 3, 1},
      // n = 0 modulo 2^32: the full range, one draw.
      {0, -1, {0x80000001u}, int(0x80000001u), 1},
      {-5, 5, {14u}, -2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << ".." << c.b);
    ScriptedEngine engine{c.outputs};
    EXPECT_EQ(uniform_int(engine, c.a, c.b), c.expected);
    EXPECT_EQ(engine.draws, c.draws);
  }
}

TEST(RandomInt, TwoGeneratorsBuiltTogetherDiffer) {
  RandomInt a, b;
  std::vector<int> from_a, from_b;
  for (int i = 0; i < 8; ++i) {
    from_a.push_back(a());
    from_b.push_back(b());
  }
  EXPECT_NE(from_a, from_b);
  EXPECT_EQ(a.a, 0);
  EXPECT_EQ(a.b, 32767);
  for (int v : from_a) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 32767);
  }
}

TEST(SeedEntropy, NamesTheSeededObjectAndChangesAtEverySeeding) {
  int x = 0, y = 0;
  const SeedEntropy first = auto_seed_entropy(&x);
  const SeedEntropy again = auto_seed_entropy(&x);
  const SeedEntropy other = auto_seed_entropy(&y);
  // The object's word is its own; the process-wide word steps down by the
  // same amount at each seeding.
  EXPECT_EQ(first[4], again[4]);
  EXPECT_NE(first[4], other[4]);
  EXPECT_EQ(std::uint32_t(first[0] - again[0]), 0x120E6EAAu);
  EXPECT_EQ(std::uint32_t(again[0] - other[0]), 0x120E6EAAu);
  EXPECT_EQ(first[8], 0u);
  EXPECT_EQ(first[10], 0u);
}

TEST(RandomReal, StaysInItsHalfOpenInterval) {
  RandomReal r;
  r.a = -0.003f;
  r.b = 0.003f;
  for (int i = 0; i < 10000; ++i) {
    const float v = r();
    ASSERT_GE(v, r.a);
    ASSERT_LT(v, r.b);
  }
  // The largest draw would round to b in float: it is kept below.
  const double top = double(0xFFFFFFFFu) * 0x1p-32;
  EXPECT_LT(uniform_real(top, 0.0f, 32767.0f), 32767.0f);
  EXPECT_LT(uniform_real(top, 1.0f, 1.0000001f), 1.0000001f);
  EXPECT_EQ(uniform_real(0.0, 2.5f, 7.0f), 2.5f);
  EXPECT_EQ(uniform_real(0.5, 3.0f, 3.0f), 3.0f);
}

}  // namespace
