// Automatic seeding of random engines from run-time entropy: the seed_seq_fe
// mixing of eight 32-bit words and the gathering of the words to mix.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Mixes input words into eight state words and hands out any number of
// well-mixed seed words. Usable as the seed sequence of a standard or PCG
// engine (it has the generate member those engines call).
class SeedSequence {
 public:
  using result_type = std::uint32_t;

  // Replaces the state by the mix of the given words; no words give a fixed
  // state.
  void mix(const std::uint32_t* words, std::size_t count);
  template <std::size_t N>
  void mix(const std::array<std::uint32_t, N>& words) {
    mix(words.data(), N);
  }

  // Writes seed words derived from the state, cycling through it; the state
  // does not change, so every call yields the same words.
  template <typename OutputIt>
  void generate(OutputIt begin, OutputIt end) const {
    std::uint32_t hash_const = 0x8b51f9ddu;
    std::size_t source = 0;
    for (OutputIt out = begin; out != end; ++out) {
      std::uint32_t v = state_[source] ^ hash_const;
      hash_const *= 0x58f38dedu;
      v *= hash_const;
      v ^= v >> 16;
      *out = v;
      source = (source + 1) % state_.size();
    }
  }

  const std::array<std::uint32_t, 8>& state() const { return state_; }

 private:
  std::array<std::uint32_t, 8> state_{};
};

// 32-bit FNV-1a of the four bytes of v, lowest first.
std::uint32_t fnv1a_32(std::uint32_t v);
// 32-bit FNV-1a of any bytes, in memory order.
std::uint32_t fnv1a_32(const void* bytes, std::size_t size);
// Folds a 64-bit value into 32 bits: the halves of x * 0xbc2ad017d719504d,
// exclusive-or'ed.
std::uint32_t fold_to_32(std::uint64_t x);

// Eleven words of run-time material for seeding seq: a process-wide random word
// that changes at every call, the steady clock, hashes of a stack, a heap, seq's
// own and two code addresses, a hash of the thread, 0, the process id and 0.
// Safe to call from several threads.
void gather_entropy(const SeedSequence& seq, std::array<std::uint32_t, 11>& words);
