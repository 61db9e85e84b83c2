// Counts every heap allocation of the program that includes this header: it
// replaces the global operator new and delete (malloc and free underneath).
// Include it in exactly one source file of a program, and only in programs
// that want the count (tests of allocation-free code, benchmarks).
#pragma once

#include <atomic>
#include <cstdlib>
#include <new>

namespace testing_support {

// Calls of operator new so far, in any thread.
inline std::atomic<long long> allocation_count{0};

}  // namespace testing_support

// The replacements pair malloc with free; once inlined, GCC cannot see that.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  testing_support::allocation_count.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
