// Seed mixing and the gathering of run-time entropy.
#include "core/random_seed.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <random>
#include <thread>

#include "core/timer.h"
#include "platform/process.h"

namespace {

constexpr std::uint32_t kFnvOffset = 0x811c9dc5u;
constexpr std::uint32_t kFnvPrime = 0x01000193u;

std::uint32_t fnv1a_step(std::uint32_t h, unsigned char byte) {
  return (h ^ byte) * kFnvPrime;
}

// Addresses are hashed over all their bytes: on a 64-bit system the high half
// carries much of the run-to-run variation of an address.
std::uint32_t hash_address(std::uintptr_t address) {
  return fnv1a_32(&address, sizeof address);
}

std::uint32_t draw_random_device() {
  try {
    std::random_device device;
    return device();
  } catch (...) {
    // No random device: the clock still varies from run to run.
    return fold_to_32(std::uint64_t(steady_clock_ns()));
  }
}

// Initialised once, with one draw, however many threads arrive together.
std::atomic<std::uint32_t>& random_word() {
  static std::atomic<std::uint32_t> word{draw_random_device()};
  return word;
}

}  // namespace

void SeedSequence::mix(const std::uint32_t* words, std::size_t count) {
  if (!words) count = 0;
  std::uint32_t hash_const = 0x43b0d7e5u;
  auto hash = [&hash_const](std::uint32_t v) {
    v ^= hash_const;
    hash_const *= 0x931e8875u;
    v *= hash_const;
    v ^= v >> 16;
    return v;
  };
  auto mix2 = [](std::uint32_t x, std::uint32_t y) {
    std::uint32_t r = 0xca01f9ddu * x - 0x4973f715u * y;
    r ^= r >> 16;
    return r;
  };

  const std::size_t n = state_.size();
  for (std::size_t i = 0; i < n; ++i) state_[i] = hash(i < count ? words[i] : 0u);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      if (j != i) state_[j] = mix2(state_[j], hash(state_[i]));
    }
  }
  for (std::size_t k = n; k < count; ++k) {
    for (std::size_t j = 0; j < n; ++j) state_[j] = mix2(state_[j], hash(words[k]));
  }
}

std::uint32_t fnv1a_32(std::uint32_t v) {
  std::uint32_t h = kFnvOffset;
  for (int i = 0; i < 4; ++i) h = fnv1a_step(h, static_cast<unsigned char>(v >> (8 * i)));
  return h;
}

std::uint32_t fnv1a_32(const void* bytes, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::uint32_t h = kFnvOffset;
  for (std::size_t i = 0; i < size; ++i) h = fnv1a_step(h, p[i]);
  return h;
}

std::uint32_t fold_to_32(std::uint64_t x) {
  const std::uint64_t p = x * 0xbc2ad017d719504dull;
  return std::uint32_t(p) ^ std::uint32_t(p >> 32);
}

void gather_entropy(const SeedSequence& seq, std::array<std::uint32_t, 11>& words) {
  // Atomic so that concurrent callers do not race; each call still gets a
  // different word.
  words[0] = random_word().fetch_sub(0x120e6eaau, std::memory_order_relaxed) - 0x120e6eaau;
  words[1] = fold_to_32(std::uint64_t(steady_clock_ns()));
  int local = 0;
  words[2] = hash_address(reinterpret_cast<std::uintptr_t>(&local));
  // Called directly, the allocation function cannot be elided.
  void* heap = ::operator new(4);
  words[3] = hash_address(reinterpret_cast<std::uintptr_t>(heap));
  ::operator delete(heap);
  words[4] = hash_address(reinterpret_cast<std::uintptr_t>(&seq));
  words[5] = hash_address(reinterpret_cast<std::uintptr_t>(&fold_to_32));
  words[6] = hash_address(reinterpret_cast<std::uintptr_t>(&::_Exit));
  std::size_t thread_hash = std::hash<std::thread::id>{}(std::this_thread::get_id());
  words[7] = fnv1a_32(&thread_hash, sizeof thread_hash);
  words[8] = 0;
  words[9] = static_cast<std::uint32_t>(platform::process_id());
  words[10] = 0;
}
