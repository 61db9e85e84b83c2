// Shared set-up of the network tests: short time-outs and a count of open
// descriptors to show that no socket is left behind.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "net/tcpip.h"

class NetTest : public ::testing::Test {
 protected:
  // Long enough for any loopback exchange, short enough that a fault fails fast.
  void SetUp() override { TCPIPBase::timeout(2.0); }
  void TearDown() override { TCPIPBase::timeout(saved_timeout_); }

  static int open_descriptors() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
      ++n;
    return n;
  }

 private:
  double saved_timeout_ = TCPIPBase::timeout();
};
