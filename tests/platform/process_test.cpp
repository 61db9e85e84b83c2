// Opening an address in the browser: the program is started without a shell.
#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "support/data_root.h"

namespace {

namespace fs = std::filesystem;

// A folder on PATH alone whose "xdg-open" writes its arguments, one a line,
// to "args" beside it and exits with `status`.
class FakeBrowser {
 public:
  explicit FakeBrowser(int status)
      : dir_(fs::temp_directory_path() /
             ("fake-browser-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
              "-" + std::to_string(status))) {
    fs::create_directories(dir_);
    std::ofstream script(dir_ / "xdg-open");
    script << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '"
           << (dir_ / "args").string() << "'; done\nexit " << status << "\n";
    script.close();
    fs::permissions(dir_ / "xdg-open", fs::perms::owner_all);
    path_.emplace("PATH", dir_.string());
  }
  ~FakeBrowser() {
    path_.reset();
    fs::remove_all(dir_);
  }
  std::string args() const {
    std::ifstream in(dir_ / "args");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
  std::optional<testing_support::ScopedEnv> path_;
};

TEST(OpenInBrowser, PassesTheAddressAsOneArgumentWithoutAShell) {
  FakeBrowser browser(0);
  const std::string address = "https://example.test/a b?x=1;touch pwned&y=$(id)";
  EXPECT_EQ(platform::open_in_browser(address), 0);
  EXPECT_EQ(browser.args(), address + "\n");
  EXPECT_FALSE(fs::exists("pwned"));
}

TEST(OpenInBrowser, ReportsTheProgramsStatusAndAMissingProgram) {
  {
    FakeBrowser browser(3);
    EXPECT_EQ(platform::open_in_browser("https://example.test"), 3);
  }
  testing_support::ScopedEnv path("PATH", "/nonexistent-folder");
  EXPECT_EQ(platform::open_in_browser("https://example.test"), -1);
}

}  // namespace
