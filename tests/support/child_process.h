// A program started by a test and watched from outside: its exit code and
// what it wrote, with a deadline on every wait.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// The child inherits the test's environment with the given variables set;
// its standard output and error go to a file each. A child still running
// when the object goes is killed and reaped.
class ChildProcess {
 public:
  using Environment = std::vector<std::pair<std::string, std::string>>;

  ChildProcess(const std::vector<std::string>& argv, const Environment& environment);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The exit code (128 + the signal for a killed child) once it ended within
  // the seconds; nothing while it still runs.
  std::optional<int> wait(double seconds);
  bool running();
  // Asks the child to end (SIGTERM) and kills it when it has not ended
  // within the seconds; the exit code.
  std::optional<int> stop(double seconds);
  std::string out() const;
  std::string err() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> exit_code_;
  std::string out_path_;
  std::string err_path_;
};

}  // namespace testing_support
