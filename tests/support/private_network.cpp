// The test's own network and mount namespace, held by `unshare` and entered
// with `nsenter` (util-linux) and setns.
#include "support/private_network.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace testing_support {

namespace {

// Switches the loopback device of the calling thread's network namespace on.
bool loopback_up() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_RUNNING);
  up = up && ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  ::close(fd);
  return up;
}

}  // namespace

PrivateNetwork::PrivateNetwork(const std::string& host, double start_seconds) {
  if (::geteuid() != 0) {
    failure_ = "a network namespace of the test's own needs root";
    return;
  }
  char pattern[] = "/tmp/private_hosts_XXXXXX";
  const int fd = ::mkstemp(pattern);
  if (fd < 0) {
    failure_ = "cannot make the hosts file";
    return;
  }
  ::close(fd);
  hosts_ = pattern;
  std::ofstream(hosts_) << "127.0.0.1 localhost\n127.0.0.1 " << host << "\n";
  // The holder makes the namespaces, puts the hosts file in place within its
  // mount namespace and waits; the namespaces live as long as it does.
  holder_ = std::make_unique<ChildProcess>(
      std::vector<std::string>{
          "/usr/bin/unshare", "--net", "--mount", "/bin/sh", "-c",
          "mount --bind '" + hosts_ + "' /etc/hosts && echo ready && " + "exec sleep 3600"},
      ChildProcess::Environment{});
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(start_seconds);
  while (holder_->out() != "ready\n") {
    if (!holder_->running() || std::chrono::steady_clock::now() > deadline) {
      failure_ = "the namespace holder did not start: " + holder_->err();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PrivateNetwork::~PrivateNetwork() {
  if (holder_) holder_->stop(10.0);
  holder_.reset();
  if (!hosts_.empty()) std::remove(hosts_.c_str());
}

std::unique_ptr<LoopbackServer> PrivateNetwork::serve(LoopbackServer::Script script) {
  if (!failure_.empty()) return nullptr;
  const std::string path = "/proc/" + std::to_string(holder_->pid()) + "/ns/net";
  const int ns = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (ns < 0) {
    failure_ = "cannot open " + path;
    return nullptr;
  }
  // A thread of its own enters the namespace: the server's socket is made
  // there (and its thread starts there), the test's threads stay outside.
  std::unique_ptr<LoopbackServer> server;
  std::thread inside([&] {
    if (::setns(ns, CLONE_NEWNET) != 0) {
      failure_ = "cannot enter the network namespace";
      return;
    }
    if (!loopback_up()) {
      failure_ = "cannot switch the loopback device on";
      return;
    }
    try {
      server = std::make_unique<LoopbackServer>(std::move(script));
    } catch (const std::exception& e) {
      failure_ = e.what();
    }
  });
  inside.join();
  ::close(ns);
  return server;
}

std::vector<std::string> PrivateNetwork::command(
    const std::vector<std::string>& argv, const ChildProcess::Environment& environment) const {
  std::vector<std::string> all{"/usr/bin/nsenter",
                               "--target",
                               std::to_string(holder_ ? holder_->pid() : 0),
                               "--net",
                               "--mount",
                               "--",
                               "/usr/bin/env"};
  for (const auto& [name, value] : environment) all.push_back(name + "=" + value);
  all.insert(all.end(), argv.begin(), argv.end());
  return all;
}

}  // namespace testing_support
