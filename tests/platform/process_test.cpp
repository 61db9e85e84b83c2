// Opening a web address: xdg-open started without a shell, found on PATH.
#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/data_root.h"

namespace {

using testing_support::ScopedEnv;
using testing_support::TempDataRoot;

TEST(Process, AnAddressReachesXdgOpenAsOneArgumentWithoutAShell) {
  TempDataRoot folder;
  // A stand-in xdg-open that records its arguments, one per line.
  const std::string bin = folder.path().string() + "/bin";
  folder.write("bin/xdg-open", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > " +
                                   folder.path().string() + "/opened\nexit 3\n");
  ASSERT_EQ(chmod((bin + "/xdg-open").c_str(), 0755), 0);
  ScopedEnv path("PATH", bin + ":/usr/bin:/bin");

  const std::string address = "http://example.test/a b;touch hacked&x=$(id)";
  EXPECT_EQ(platform::open_address(address), 3);
  EXPECT_EQ(folder.read("opened"), address + "\n");
  EXPECT_EQ(folder.read("hacked"), "");
}

TEST(Process, NoBrowserOpenerIsMinusOne) {
  TempDataRoot folder;
  ScopedEnv path("PATH", folder.path().string());
  EXPECT_EQ(platform::open_address("http://example.test/"), -1);
}

}  // namespace
