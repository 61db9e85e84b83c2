// The TCP client over the platform's sockets.
#include "net/tcpip.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <vector>

namespace {

std::atomic<double> timeout_seconds{5.0};

platform::Deadline deadline_from_now() {
  const double seconds = std::max(0.0, TCPIPBase::timeout());
  return platform::Deadline::clock::now() +
         std::chrono::duration_cast<platform::Deadline::duration>(
             std::chrono::duration<double>(std::min(seconds, 1.0e9)));
}

// Bytes asked of one receive when a fixed count is read, so that a large count
// is only allocated as its bytes arrive.
constexpr std::uint64_t receive_step = 65536;

}  // namespace

TCPIPBase::TCPIPBase(bool start) {
  if (start) init();
}

int TCPIPBase::init() {
  return 0;
}

double TCPIPBase::timeout() {
  return timeout_seconds.load();
}

void TCPIPBase::timeout(double seconds) {
  timeout_seconds.store(seconds);
}

std::string TCPIPBase::host2ip(const std::string& host) {
  return platform::lookup_ipv4(host);
}

platform::SocketAddress TCPIPBase::ipv4_to_sockaddr(const std::string& address, int family) {
  return platform::ipv4_address(address, family);
}

TCPIPBase::Socket TCPIPBase::socket_connect(const std::string& address, unsigned short port,
                                            int family, int type, int protocol) {
  const Socket s = platform::open_socket(family, type, protocol);
  if (s == invalid_socket) {
    std::cerr << "socket() returned INVALID_SOCKET" << std::endl;
    return invalid_socket;
  }
  platform::SocketAddress a = ipv4_to_sockaddr(address, family);
  a.port = port;
  if (platform::connect_socket(s, a, deadline_from_now()) != 0) {
    std::cerr << "connect() returned error " << platform::last_socket_error() << std::endl;
    platform::close_socket(s);
    return invalid_socket;
  }
  return s;
}

int TCPIPBase::send_all(Socket socket, const char* data, std::uint64_t length) {
  if (length == 0) return 0;
  const platform::Deadline deadline = deadline_from_now();
  std::uint64_t count = 0;
  while (count < length) {
    const long n = platform::send_some(socket, data + count, length - count, deadline);
    if (n <= 0) {
      std::cerr << "send() error " << platform::last_socket_error() << std::endl;
      return -1;
    }
    count += static_cast<std::uint64_t>(n);
  }
  return 0;
}

int TCPIPBase::send(Socket socket, const std::string& text) {
  return send_all(socket, text.data(), text.size());
}

std::string TCPIPBase::receive_string(Socket socket, std::uint64_t length) {
  if (length == 0) return "";
  const platform::Deadline deadline = deadline_from_now();
  std::string received;
  std::uint64_t count = 0;
  while (count < length) {
    const std::uint64_t want = std::min(length - count, receive_step);
    received.resize(count + want);
    const long n = platform::receive_some(socket, received.data() + count, want, deadline);
    if (n == 0) {
      std::cerr << "receive() connection closed prematurely" << std::endl;
      return "";
    }
    if (n < 0) {
      std::cerr << "receive() error " << platform::last_socket_error() << std::endl;
      return "";
    }
    count += static_cast<std::uint64_t>(n);
  }
  received.resize(count);
  return received;
}

std::string TCPIPBase::receive_all_string(Socket socket, unsigned chunk, std::size_t limit) {
  if (socket == invalid_socket) return "";
  const platform::Deadline deadline = deadline_from_now();
  std::vector<char> buffer(chunk);
  std::string received;
  for (;;) {
    const long n = platform::receive_some(socket, buffer.data(), buffer.size(), deadline);
    if (n == 0) return received;
    if (n < 0) {
      // Errors drop the reply quietly; only a stalled peer is worth a line.
      if (platform::last_socket_error() == platform::socket_timed_out())
        std::cerr << "receive() timed out after " << timeout() << " s" << std::endl;
      return "";
    }
    if (static_cast<std::size_t>(n) > limit - received.size()) {
      std::cerr << "receive() reply longer than " << limit << " bytes" << std::endl;
      return "";
    }
    received.append(buffer.data(), static_cast<std::size_t>(n));
  }
}
