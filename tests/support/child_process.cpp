#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

std::string temp_file(const char* stem) {
  std::string pattern = (std::filesystem::temp_directory_path() / stem).string() + "_XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  close(fd);
  return pattern;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Environment& environment)
    : out_path_(temp_file("child_out")), err_path_(temp_file("child_err")) {
  std::vector<char*> args;
  std::vector<std::string> copies(argv);
  for (std::string& a : copies) args.push_back(a.data());
  args.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    const int out = open(out_path_.c_str(), O_WRONLY | O_TRUNC);
    const int err = open(err_path_.c_str(), O_WRONLY | O_TRUNC);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (running()) {
    kill(pid_, SIGKILL);
    wait(10.0);
  }
  std::remove(out_path_.c_str());
  std::remove(err_path_.c_str());
}

std::optional<int> ChildProcess::wait(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!exit_code_) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (r < 0 || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return exit_code_;
}

bool ChildProcess::running() {
  return !wait(0.0).has_value();
}

std::optional<int> ChildProcess::stop(double seconds) {
  if (running()) {
    kill(pid_, SIGTERM);
    if (!wait(seconds)) kill(pid_, SIGKILL);
  }
  return wait(10.0);
}

std::string ChildProcess::out() const {
  return read_file(out_path_);
}

std::string ChildProcess::err() const {
  return read_file(err_path_);
}

}  // namespace testing_support
