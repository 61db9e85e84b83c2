// The environment of a program that an end-to-end test starts, so that its
// leaks are seen: the test programs of the gl label run without leak
// detection (the driver in their own process), the program under test runs
// with it. The swap counter is preloaded (after the sanitizers' runtime in a
// sanitized build): it keeps the OpenGL driver loaded until the report, so
// the driver's own allocations are named by its module and suppressed in
// tests/lsan.supp with the other leaks the program cannot free. Header-only:
// the test programs that start programs define SANITIZER_RUNTIME (empty
// without sanitizers), SWAP_COUNTER and LSAN_SUPPRESSIONS.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

inline std::vector<std::pair<std::string, std::string>> leak_checked_environment() {
  const std::string runtime = SANITIZER_RUNTIME;
  return {
      {"ASAN_OPTIONS", "detect_leaks=1"},
      {"LSAN_OPTIONS", std::string("suppressions=") + LSAN_SUPPRESSIONS + ":print_suppressions=0"},
      {"LD_PRELOAD", (runtime.empty() ? "" : runtime + " ") + SWAP_COUNTER},
  };
}

// The same as one line of shell assignments, for a command run through the
// shell.
inline std::string leak_checked_assignments() {
  std::string line;
  for (const auto& [name, value] : leak_checked_environment()) line += name + "='" + value + "' ";
  return line;
}

}  // namespace testing_support
