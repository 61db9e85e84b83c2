// The scripted loopback server of the network tests.
#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace testing_support {

namespace {

// A socket bound to 127.0.0.1 on the port, or an ephemeral one for 0 (the
// port it got then).
int bound_socket(unsigned short& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("loopback server: socket failed");
  // A given port is taken again at once, though the last connection on it
  // may still wait out its close.
  const int reuse = 1;
  if (port != 0) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  socklen_t length = sizeof a;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    ::close(fd);
    throw std::runtime_error("loopback server: bind failed");
  }
  port = ntohs(a.sin_port);
  return fd;
}

bool request_complete(const std::string& text) {
  return text.find("\n\n") != std::string::npos || text.find("\r\n\r\n") != std::string::npos;
}

}  // namespace

LoopbackServer::LoopbackServer(Script script)
    : port_(script.port), request_(request_promise_.get_future().share()) {
  listener_ = bound_socket(port_);
  if (::listen(listener_, 4) != 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
    ::close(listener_);
    throw std::runtime_error("loopback server: listen failed");
  }
  thread_ = std::thread([this, s = std::move(script)]() mutable { serve(std::move(s)); });
}

LoopbackServer::LoopbackServer(std::string reply)
    : LoopbackServer(Script{Read::request, {std::move(reply)}, End::close}) {}

LoopbackServer::~LoopbackServer() {
  const char stop = 1;
  (void)!::write(stop_[1], &stop, 1);
  if (thread_.joinable()) thread_.join();
  ::close(stop_[0]);
  ::close(stop_[1]);
  ::close(listener_);
}

std::string LoopbackServer::request() {
  return request_.get();
}

void LoopbackServer::wait() {
  if (thread_.joinable()) thread_.join();
}

unsigned short LoopbackServer::closed_port() {
  unsigned short port = 0;
  ::close(bound_socket(port));
  return port;
}

bool LoopbackServer::ready(int fd, short events) const {
  pollfd p[2] = {{fd, events, 0}, {stop_[0], POLLIN, 0}};
  for (;;) {
    const int r = ::poll(p, 2, -1);
    if (r < 0 && errno == EINTR) continue;
    return r > 0 && p[1].revents == 0;
  }
}

void LoopbackServer::serve(Script script) {
  std::string received;
  int connection = -1;
  if (ready(listener_, POLLIN)) connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) {
    request_promise_.set_value(received);
    return;
  }
  while (script.read != Read::nothing &&
         !(script.read == Read::request && request_complete(received)) &&
         ready(connection, POLLIN)) {
    char buffer[4096];
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received.append(buffer, static_cast<std::size_t>(n));
  }
  request_promise_.set_value(received);

  for (const std::string& piece : script.pieces) {
    std::size_t sent = 0;
    while (sent < piece.size() && ready(connection, POLLOUT)) {
      const ssize_t n =
          ::send(connection, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    if (sent < piece.size()) break;
  }

  if (script.end == End::stall) {
    pollfd p{stop_[0], POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
  } else if (script.end == End::reset) {
    const linger abort_on_close{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
  }
  ::close(connection);
}

}  // namespace testing_support
