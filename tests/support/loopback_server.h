// A one-connection TCP server on 127.0.0.1 that plays a script in its own
// thread, for tests of network clients.
#pragma once

#include <future>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class LoopbackServer {
 public:
  // What the server reads before it answers: nothing, the request up to its
  // blank line (or the client's close), or everything until the client closes.
  enum class Read { nothing, request, all };
  // How the connection ends after the pieces: closed, held open without a word
  // until the server is destroyed, or reset.
  enum class End { close, stall, reset };
  struct Script {
    Read read = Read::request;
    std::vector<std::string> pieces;  // sent one after another
    End end = End::close;
    unsigned short port = 0;  // 0: a free port
  };

  explicit LoopbackServer(Script script);
  // Reads the request, answers with `reply` and closes.
  explicit LoopbackServer(std::string reply);
  // Releases a stalled connection and waits for the thread.
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  unsigned short port() const { return port_; }
  // What the client sent, once the server has read it.
  std::string request();
  // Waits until the server has played its script (not for End::stall).
  void wait();

  // A port of 127.0.0.1 on which nothing listens.
  static unsigned short closed_port();

 private:
  void serve(Script script);
  // Waits until fd is ready for `events`; false when the server is stopped.
  bool ready(int fd, short events) const;

  int listener_ = -1;
  int stop_[2] = {-1, -1};
  unsigned short port_ = 0;
  std::promise<std::string> request_promise_;
  std::shared_future<std::string> request_;
  std::thread thread_;
};

}  // namespace testing_support
