// A virtual X server of a test's own, for a program watched from outside:
// no other test's windows cover its window in a screenshot, and no other
// test takes its keyboard focus.
#pragma once

#include <memory>
#include <string>

#include "support/child_process.h"

namespace testing_support {

// Starts Xvfb (one screen of 24 bits, 1920x1080 unless given, with the
// server's further arguments, such as "-extension GLX") on a display number
// it picks itself and points this process's DISPLAY at it, so the X helpers
// and the X tools they run talk to it; the destructor stops the server and
// puts DISPLAY back.
class OwnDisplay {
 public:
  explicit OwnDisplay(int width = 1920, int height = 1080, double start_seconds = 30.0,
                      const std::string& arguments = "");
  ~OwnDisplay();
  OwnDisplay(const OwnDisplay&) = delete;
  OwnDisplay& operator=(const OwnDisplay&) = delete;

  // ":N", or empty when the server did not start.
  const std::string& name() const { return name_; }

 private:
  std::unique_ptr<ChildProcess> server_;
  std::string name_;
  bool had_display_ = false;
  std::string old_display_;
};

}  // namespace testing_support
