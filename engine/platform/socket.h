// Blocking-style IPv4 stream sockets with deadlines, over POSIX sockets.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// An open socket as an unsigned handle; all bits set means no socket.
using SocketHandle = unsigned int;
inline constexpr SocketHandle invalid_socket = ~0u;

// Every wait ends at the latest at its deadline, with the error socket_timed_out.
using Deadline = std::chrono::steady_clock::time_point;

// Family, type and protocol numbers as the callers pass them.
inline constexpr int address_family_ipv4 = 2;
inline constexpr int socket_type_stream = 1;
inline constexpr int protocol_tcp = 6;

// An IPv4 address; port in host order, address in network order.
struct SocketAddress {
  int family = address_family_ipv4;
  std::uint16_t port = 0;
  std::uint32_t address = 0;
};

// The code of the last failed socket operation on this thread (an errno value).
int last_socket_error();
// The error code of a wait that reached its deadline.
int socket_timed_out();

// A new socket, or invalid_socket with the error recorded. Sockets never raise
// SIGPIPE and are not inherited by child processes.
SocketHandle open_socket(int family, int type, int protocol);
// Connects, waiting until the deadline; 0 or -1 with the error recorded.
int connect_socket(SocketHandle socket, const SocketAddress& address, Deadline deadline);
// Sends some of the bytes once the socket can take them; the count sent (> 0
// when size > 0), or -1 with the error recorded. Interrupted calls are retried.
long send_some(SocketHandle socket, const char* data, std::size_t size, Deadline deadline);
// Receives up to size bytes once some have arrived; the count, 0 when the peer
// has closed, or -1 with the error recorded. Interrupted calls are retried.
long receive_some(SocketHandle socket, char* buffer, std::size_t size, Deadline deadline);
void close_socket(SocketHandle socket);

// The dotted-decimal text of the host's first IPv4 address; empty when the lookup fails.
std::string lookup_ipv4(const std::string& host);
// The address of a dotted-decimal text, as inet_addr reads it (all ones when it
// cannot be read, which no connect reaches); port 0.
SocketAddress ipv4_address(const std::string& text, int family);

}  // namespace platform
