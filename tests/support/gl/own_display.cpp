#include "support/gl/own_display.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace testing_support {

OwnDisplay::OwnDisplay(int width, int height, double start_seconds, const std::string& arguments) {
  if (const char* old = std::getenv("DISPLAY")) {
    had_display_ = true;
    old_display_ = old;
  }
  // -displayfd writes the number it took, then a line end, to the server's
  // standard output; -noreset keeps it up between clients.
  server_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/bin/sh", "-c",
                               "exec Xvfb -displayfd 1 -screen 0 " + std::to_string(width) + "x" +
                                   std::to_string(height) + "x24 -nolisten tcp -noreset " +
                                   arguments},
      ChildProcess::Environment{});
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(start_seconds);
  while (std::chrono::steady_clock::now() < deadline && server_->running()) {
    const std::string out = server_->out();
    if (!out.empty() && out.back() == '\n') {
      name_ = ":" + out.substr(0, out.size() - 1);
      setenv("DISPLAY", name_.c_str(), 1);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

OwnDisplay::~OwnDisplay() {
  // A server ended by its signal handler takes its lock file and socket
  // with it.
  server_->stop(10.0);
  server_.reset();
  if (had_display_)
    setenv("DISPLAY", old_display_.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

}  // namespace testing_support
