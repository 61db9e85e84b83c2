// The blocking IPv4 TCP client: name lookup, connect, send a whole buffer and
// receive a fixed count or everything until the peer closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/socket.h"

// Every operation but init is static and works on plain socket handles; the
// caller owns each socket it gets. Each call waits at most timeout() seconds in
// all (connect, one whole send, one whole receive), so a peer that stalls
// cannot hold the caller for ever.
class TCPIPBase {
 public:
  using Socket = platform::SocketHandle;
  static constexpr Socket invalid_socket = platform::invalid_socket;
  // The most receive_all_string gathers by default; a longer reply fails.
  static constexpr std::size_t max_reply_size = 1 << 20;

  // Runs init when `start` is set.
  explicit TCPIPBase(bool start = true);

  // Makes sure the sockets library is started. POSIX sockets need no start, so
  // this always succeeds: 0, with nothing written.
  int init();

  // The time limit of each operation in seconds (5 unless set; shared by all threads).
  static double timeout();
  static void timeout(double seconds);

  // Dotted-decimal text of the host's first IPv4 address; empty when the lookup fails.
  static std::string host2ip(const std::string& host);
  static platform::SocketAddress ipv4_to_sockaddr(const std::string& address, int family);
  // A connected socket, or invalid_socket with the failure on standard error.
  static Socket socket_connect(const std::string& address, unsigned short port,
                               int family = platform::address_family_ipv4,
                               int type = platform::socket_type_stream,
                               int protocol = platform::protocol_tcp);
  // 0 once every byte went out; -1 when a send fails or the time runs out.
  static int send_all(Socket socket, const char* data, std::uint64_t length);
  static int send(Socket socket, const std::string& text);
  // Exactly `length` bytes; empty (with a line on standard error) when the peer
  // closes early, on an error or at the time limit.
  static std::string receive_string(Socket socket, std::uint64_t length);
  // Everything until the peer closes, read `chunk` bytes at a time; empty on an
  // error, at the time limit or when more than `limit` bytes arrive.
  static std::string receive_all_string(Socket socket, unsigned chunk,
                                        std::size_t limit = max_reply_size);
};
