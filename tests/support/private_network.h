// A network of a test's own, for a program that asks a server by a fixed
// name and port (the update check asks www.talvorin.example on port 80): a
// network and mount namespace, kept by a holder process, in which only the
// loopback device exists and the hosts file names 127.0.0.1 for the server.
// The test's scripted server listens there, and the program under test is
// started there; both reach each other and nothing else. The X server is
// reached through its socket file as before. Needs root (the suite runs as
// root, as the README says).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/loopback_server.h"

namespace testing_support {

class PrivateNetwork {
 public:
  // `host` is 127.0.0.1 inside.
  explicit PrivateNetwork(const std::string& host, double start_seconds = 30.0);
  ~PrivateNetwork();
  PrivateNetwork(const PrivateNetwork&) = delete;
  PrivateNetwork& operator=(const PrivateNetwork&) = delete;

  // Empty when the network is up; otherwise why it is not.
  const std::string& failure() const { return failure_; }

  // A server listening inside on 127.0.0.1 at the script's port; null (with
  // failure() set) when it cannot be started there.
  std::unique_ptr<LoopbackServer> serve(LoopbackServer::Script script);

  // The command that runs argv inside, with the variables set for the
  // program alone (not for the tools that enter the namespace).
  std::vector<std::string> command(const std::vector<std::string>& argv,
                                   const ChildProcess::Environment& environment) const;

 private:
  std::string hosts_;
  std::unique_ptr<ChildProcess> holder_;
  std::string failure_;
};

}  // namespace testing_support
