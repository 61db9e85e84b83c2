// IPv4 stream sockets on POSIX systems: non-blocking descriptors waited on with
// poll, so that every call returns by its deadline.
#include "platform/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace platform {

static_assert(address_family_ipv4 == AF_INET && socket_type_stream == SOCK_STREAM &&
                  protocol_tcp == IPPROTO_TCP,
              "callers pass the numbers of the BSD socket interface");

namespace {

thread_local int last_error = 0;

int fail(int error) {
  last_error = error;
  return -1;
}

int descriptor(SocketHandle socket) {
  return socket == invalid_socket ? -1 : static_cast<int>(socket);
}

// 1 once the descriptor is ready for `events` (or has an error or hang-up to
// report), 0 at the deadline, -1 on a failed poll.
int wait_for(int fd, short events, Deadline deadline) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return 0;
    pollfd p{fd, events, 0};
    const int r = ::poll(&p, 1, left.count() > INT_MAX ? INT_MAX : static_cast<int>(left.count()));
    if (r > 0) return 1;
    if (r < 0 && errno != EINTR) return fail(errno);
  }
}

// Runs a non-blocking send or receive until it moves bytes, waiting for the
// socket between tries; interrupted calls are retried.
template <typename Call>
long transfer(int fd, short events, Deadline deadline, Call call) {
  for (;;) {
    const ssize_t n = call();
    if (n >= 0) return static_cast<long>(n);
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return fail(errno);
    const int ready = wait_for(fd, events, deadline);
    if (ready < 0) return -1;
    if (ready == 0) return fail(ETIMEDOUT);
  }
}

}  // namespace

int last_socket_error() {
  return last_error;
}

int socket_timed_out() {
  return ETIMEDOUT;
}

SocketHandle open_socket(int family, int type, int protocol) {
  const int fd = ::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    last_error = errno;
    return invalid_socket;
  }
  return static_cast<SocketHandle>(fd);
}

int connect_socket(SocketHandle socket, const SocketAddress& address, Deadline deadline) {
  const int fd = descriptor(socket);
  sockaddr_in a{};
  a.sin_family = static_cast<sa_family_t>(address.family);
  a.sin_port = htons(address.port);
  a.sin_addr.s_addr = address.address;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0) return 0;
  if (errno != EINPROGRESS && errno != EINTR) return fail(errno);
  const int ready = wait_for(fd, POLLOUT, deadline);
  if (ready < 0) return -1;
  if (ready == 0) return fail(ETIMEDOUT);
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return fail(errno);
  return error == 0 ? 0 : fail(error);
}

long send_some(SocketHandle socket, const char* data, std::size_t size, Deadline deadline) {
  const int fd = descriptor(socket);
  return transfer(fd, POLLOUT, deadline,
                  [&] { return ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT); });
}

long receive_some(SocketHandle socket, char* buffer, std::size_t size, Deadline deadline) {
  const int fd = descriptor(socket);
  return transfer(fd, POLLIN, deadline, [&] { return ::recv(fd, buffer, size, MSG_DONTWAIT); });
}

void close_socket(SocketHandle socket) {
  const int fd = descriptor(socket);
  if (fd >= 0) ::close(fd);
}

std::string lookup_ipv4(const std::string& host) {
  if (host.empty()) return "";
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return "";
  std::string text;
  char buffer[INET_ADDRSTRLEN] = {};
  const auto* a = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  if (found->ai_family == AF_INET && ::inet_ntop(AF_INET, &a->sin_addr, buffer, sizeof buffer))
    text = buffer;
  ::freeaddrinfo(found);
  return text;
}

SocketAddress ipv4_address(const std::string& text, int family) {
  SocketAddress a;
  a.family = family;
  a.address = ::inet_addr(text.c_str());
  return a;
}

}  // namespace platform
