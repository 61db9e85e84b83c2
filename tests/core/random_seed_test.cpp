#include "core/random_seed.h"

#include <gtest/gtest.h>

#include <pcg_random.hpp>
#include <set>
#include <thread>
#include <vector>

#include "platform/process.h"

namespace {

// The published seed_seq_fe mixing with eight words of state, written out the
// way its reference formulation reads (iterators, in-place references).
// pcg-cpp's Debian package ships pcg_extras without the randutils header that
// holds seed_seq_fe itself, so the reference is spelled out here.
class ReferenceSeedSeqFe8 {
 public:
  template <typename It>
  void mix_entropy(It begin, It end) {
    std::uint32_t hash_const = 0x43b0d7e5;
    auto hash = [&](std::uint32_t value) {
      value ^= hash_const;
      hash_const *= 0x931e8875;
      value *= hash_const;
      value ^= value >> 16;
      return value;
    };
    auto mix = [](std::uint32_t x, std::uint32_t y) {
      std::uint32_t result = 0xca01f9dd * x - 0x4973f715 * y;
      result ^= result >> 16;
      return result;
    };
    It current = begin;
    for (auto& elem : mixer_) elem = current != end ? hash(*current++) : hash(0U);
    for (auto& src : mixer_)
      for (auto& dest : mixer_)
        if (&src != &dest) dest = mix(dest, hash(src));
    for (; current != end; ++current)
      for (auto& dest : mixer_) dest = mix(dest, hash(*current));
  }

  template <typename It>
  void generate(It dest_begin, It dest_end) const {
    auto src = mixer_.begin();
    std::uint32_t hash_const = 0x8b51f9dd;
    for (It dest = dest_begin; dest != dest_end; ++dest) {
      std::uint32_t value = *src;
      if (++src == mixer_.end()) src = mixer_.begin();
      value ^= hash_const;
      hash_const *= 0x58f38ded;
      value *= hash_const;
      value ^= value >> 16;
      *dest = value;
    }
  }

  const std::array<std::uint32_t, 8>& state() const { return mixer_; }

 private:
  std::array<std::uint32_t, 8> mixer_{};
};

std::vector<std::uint32_t> words(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint32_t> w(n);
  for (std::size_t i = 0; i < n; ++i) w[i] = seed * 2654435761u + std::uint32_t(i) * 40503u;
  return w;
}

}  // namespace

TEST(SeedSequence, MatchesSeedSeqFe8) {
  for (std::size_t n : {0u, 1u, 7u, 8u, 9u, 11u, 30u}) {
    SCOPED_TRACE(n);
    const auto in = words(n, std::uint32_t(n) + 17);
    SeedSequence seq;
    seq.mix(in.data(), in.size());
    ReferenceSeedSeqFe8 ref;
    ref.mix_entropy(in.begin(), in.end());
    EXPECT_EQ(seq.state(), ref.state());
    std::vector<std::uint32_t> ours(19), theirs(19);
    seq.generate(ours.begin(), ours.end());
    ref.generate(theirs.begin(), theirs.end());
    EXPECT_EQ(ours, theirs);
  }
}

TEST(SeedSequence, GenerateLeavesTheStateAlone) {
  SeedSequence seq;
  const auto in = words(11, 3);
  seq.mix(in.data(), in.size());
  std::uint32_t a[9], b[9];
  seq.generate(a, a + 9);
  seq.generate(b, b + 9);
  EXPECT_TRUE(std::equal(a, a + 9, b));
  EXPECT_NE(a[8], a[0]);  // the ninth word cycles back to state word 0, with a new constant
}

TEST(SeedSequence, EmptyInputGivesTheStateOfZeros) {
  SeedSequence none, zeros;
  none.mix(nullptr, 0);
  const std::array<std::uint32_t, 8> eight_zeros{};
  zeros.mix(eight_zeros);
  EXPECT_EQ(none.state(), zeros.state());
  EXPECT_NE(none.state(), (std::array<std::uint32_t, 8>{}));
}

TEST(SeedSequence, WordsBeyondTheEighthChangeEveryStateWord) {
  auto in = words(9, 5);
  SeedSequence eight, nine;
  eight.mix(in.data(), 8);
  nine.mix(in.data(), 9);
  for (int i = 0; i < 8; ++i) EXPECT_NE(eight.state()[i], nine.state()[i]) << i;
}

TEST(SeedSequence, SeedsAPcg32Engine) {
  SeedSequence seq;
  const auto in = words(11, 9);
  seq.mix(in.data(), in.size());
  std::uint32_t w[4];
  seq.generate(w, w + 4);
  // pcg32 takes the stream from words 0 and 1 and the state from words 2 and 3
  // (low word first); the state does not change between the two generations.
  const std::uint64_t stream = std::uint64_t(w[0]) | std::uint64_t(w[1]) << 32;
  const std::uint64_t state = std::uint64_t(w[2]) | std::uint64_t(w[3]) << 32;
  pcg32 from_sequence(seq);
  pcg32 direct(state, stream);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(from_sequence(), direct()) << i;
}

TEST(SeedHashes, FnvAndFold) {
  EXPECT_EQ(fold_to_32(0), 0u);
  EXPECT_EQ(fold_to_32(1), 0xd719504du ^ 0xbc2ad017u);
  const unsigned char zeros[4] = {0, 0, 0, 0};
  EXPECT_EQ(fnv1a_32(0u), fnv1a_32(zeros, 4));
  EXPECT_EQ(fnv1a_32("", 0), 0x811c9dc5u);
  EXPECT_EQ(fnv1a_32("a", 1), 0xe40c292cu);
  EXPECT_EQ(fnv1a_32("foobar", 6), 0xbf9cf968u);
  const unsigned char abcd[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(fnv1a_32(0x64636261u), fnv1a_32(abcd, 4));  // lowest byte first
}

TEST(GatherEntropy, FillsTheElevenWords) {
  SeedSequence s1, s2;
  std::array<std::uint32_t, 11> a{}, b{};
  gather_entropy(s1, a);
  gather_entropy(s2, b);
  EXPECT_EQ(std::uint32_t(a[0] - b[0]), 0x120e6eaau);
  EXPECT_NE(a[4], b[4]);  // the two sequences' addresses
  EXPECT_EQ(a[5], b[5]);  // the same code address
  EXPECT_EQ(a[7], b[7]);  // the same thread
  EXPECT_EQ(a[8], 0u);
  EXPECT_EQ(a[9], std::uint32_t(platform::process_id()));
  EXPECT_EQ(a[10], 0u);

  SeedSequence seeded;
  seeded.mix(a);
  std::uint32_t seeds[4];
  seeded.generate(seeds, seeds + 4);
  EXPECT_NE(seeds[0], seeds[1]);
}

TEST(GatherEntropy, ThreadsDrawDistinctRandomWords) {
  constexpr int kThreads = 4, kEach = 200;
  std::vector<std::vector<std::uint32_t>> drawn(kThreads);
  std::vector<std::uint32_t> thread_words(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      SeedSequence seq;
      std::array<std::uint32_t, 11> w;
      for (int k = 0; k < kEach; ++k) {
        gather_entropy(seq, w);
        drawn[i].push_back(w[0]);
      }
      thread_words[i] = w[7];
    });
  }
  for (auto& t : threads) t.join();
  std::set<std::uint32_t> unique;
  for (const auto& d : drawn) unique.insert(d.begin(), d.end());
  EXPECT_EQ(unique.size(), std::size_t(kThreads * kEach));
  EXPECT_EQ(std::set<std::uint32_t>(thread_words.begin(), thread_words.end()).size(),
            std::size_t(kThreads));
}
