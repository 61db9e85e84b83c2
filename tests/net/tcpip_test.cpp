#include "net/tcpip.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>

#include "net_fixture.h"
#include "support/capture.h"
#include "support/loopback_server.h"

using testing_support::LoopbackServer;
using testing_support::OutputCapture;
using Read = LoopbackServer::Read;
using End = LoopbackServer::End;

namespace {

// A byte pattern that shows lost, repeated or reordered pieces.
std::string pattern(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return s;
}

TCPIPBase::Socket connect_to(const LoopbackServer& server) {
  return TCPIPBase::socket_connect("127.0.0.1", server.port());
}

// Connects and sends a blank line, so that a server that reads the request
// first resets the connection only once it is established.
TCPIPBase::Socket connect_and_greet(const LoopbackServer& server) {
  const TCPIPBase::Socket s = connect_to(server);
  EXPECT_NE(s, TCPIPBase::invalid_socket);
  EXPECT_EQ(TCPIPBase::send(s, "\n\n"), 0);
  return s;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

using TCPIP = NetTest;

TEST_F(TCPIP, InitNeedsNoLibraryAndWritesNothing) {
  OutputCapture cap;
  TCPIPBase started;
  EXPECT_EQ(started.init(), 0);
  EXPECT_EQ(TCPIPBase(false).init(), 0);
  EXPECT_EQ(cap.out() + cap.err(), "");
}

TEST_F(TCPIP, LooksUpNumericNamesAndFailsQuietlyOnNone) {
  OutputCapture cap;
  EXPECT_EQ(TCPIPBase::host2ip("127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(TCPIPBase::host2ip(""), "");
  EXPECT_EQ(cap.err(), "");
}

TEST_F(TCPIP, RefusedOrUnreadableAddressesFailWithOneLineAndNoSocketLeft) {
  const unsigned short port = LoopbackServer::closed_port();
  const int before = open_descriptors();
  for (const std::string address : {"127.0.0.1", ""}) {
    OutputCapture cap;
    EXPECT_EQ(TCPIPBase::socket_connect(address, port), TCPIPBase::invalid_socket) << address;
    EXPECT_EQ(cap.err().rfind("connect() returned error ", 0), 0u) << cap.err();
    EXPECT_EQ(cap.err().back(), '\n');
    EXPECT_EQ(cap.err().find('\n'), cap.err().size() - 1);
  }
  EXPECT_EQ(open_descriptors(), before);
  OutputCapture cap;
  TCPIPBase::socket_connect("127.0.0.1", port);
  EXPECT_EQ(cap.err(), "connect() returned error " + std::to_string(ECONNREFUSED) + "\n");
}

TEST_F(TCPIP, SendAllDeliversLargeBuffersWholeAndNothingForLengthZero) {
  const std::string data = pattern(8 << 20);  // far more than one send takes at once
  LoopbackServer server({Read::all, {}, End::close});
  const TCPIPBase::Socket s = connect_to(server);
  ASSERT_NE(s, TCPIPBase::invalid_socket);
  EXPECT_EQ(TCPIPBase::send_all(s, nullptr, 0), 0);
  EXPECT_EQ(TCPIPBase::send(s, data), 0);
  platform::close_socket(s);
  EXPECT_TRUE(server.request() == data);

  LoopbackServer quiet({Read::all, {}, End::close});
  const TCPIPBase::Socket q = connect_to(quiet);
  EXPECT_EQ(TCPIPBase::send(q, ""), 0);
  platform::close_socket(q);
  EXPECT_EQ(quiet.request(), "");
}

TEST_F(TCPIP, SendToAResetPeerFailsWithoutKillingTheProcess) {
  LoopbackServer server({Read::request, {}, End::reset});
  const TCPIPBase::Socket s = connect_and_greet(server);
  server.wait();
  OutputCapture cap;
  // More than the socket buffers hold, so the send must meet the reset.
  EXPECT_NE(TCPIPBase::send(s, pattern(16 << 20)), 0);
  EXPECT_EQ(cap.err().rfind("send() error ", 0), 0u) << cap.err();
  platform::close_socket(s);
}

TEST_F(TCPIP, ReceiveStringGathersExactlyTheCountOrNothing) {
  struct Case {
    LoopbackServer::Script script;
    std::uint64_t length;
    std::string expected, error;
  };
  const Case cases[] = {
      {{Read::nothing, {"hel", "lo wor", "ld!!"}, End::close}, 11, "hello world", ""},
      {{Read::nothing, {"hello"}, End::close}, 0, "", ""},
      {{Read::nothing, {"abc"}, End::close}, 10, "", "receive() connection closed prematurely\n"},
      {{Read::nothing, {}, End::close}, 1, "", "receive() connection closed prematurely\n"},
  };
  for (const Case& c : cases) {
    LoopbackServer server(c.script);
    const TCPIPBase::Socket s = connect_to(server);
    ASSERT_NE(s, TCPIPBase::invalid_socket);
    OutputCapture cap;
    EXPECT_EQ(TCPIPBase::receive_string(s, c.length), c.expected) << c.length;
    EXPECT_EQ(cap.err(), c.error) << c.length;
    platform::close_socket(s);
  }
}

TEST_F(TCPIP, ReceiveStringReportsResetsAndTimeOuts) {
  {
    LoopbackServer server({Read::request, {"abc"}, End::reset});
    const TCPIPBase::Socket s = connect_and_greet(server);
    server.wait();
    OutputCapture cap;
    EXPECT_EQ(TCPIPBase::receive_string(s, 10), "");
    EXPECT_EQ(cap.err(), "receive() error " + std::to_string(ECONNRESET) + "\n");
    platform::close_socket(s);
  }
  LoopbackServer server({Read::nothing, {"abc"}, End::stall});
  const TCPIPBase::Socket s = connect_to(server);
  TCPIPBase::timeout(0.2);
  OutputCapture cap;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TCPIPBase::receive_string(s, 10), "");
  EXPECT_LT(seconds_since(start), 1.5);
  EXPECT_EQ(cap.err(), "receive() error " + std::to_string(ETIMEDOUT) + "\n");
  platform::close_socket(s);
}

TEST_F(TCPIP, ReceiveAllGathersEveryChunkInOrderUntilTheClose) {
  const std::string data = pattern(100000);
  LoopbackServer server({Read::nothing, {data.substr(0, 30000), data.substr(30000)}, End::close});
  const TCPIPBase::Socket s = connect_to(server);
  OutputCapture cap;
  EXPECT_TRUE(TCPIPBase::receive_all_string(s, 4096) == data);
  EXPECT_EQ(cap.err(), "");
  platform::close_socket(s);

  EXPECT_EQ(TCPIPBase::receive_all_string(TCPIPBase::invalid_socket, 4096), "");
}

TEST_F(TCPIP, ReceiveAllDropsEverythingOnAResetALimitOrATimeOut) {
  struct Case {
    LoopbackServer::Script script;
    std::size_t limit;
    std::string expected, error;
  };
  const std::string data = pattern(50000);
  const Case cases[] = {
      {{Read::request, {data}, End::reset}, TCPIPBase::max_reply_size, "", ""},
      {{Read::request, {data.substr(0, 100)}, End::close}, 100, data.substr(0, 100), ""},
      {{Read::request, {data.substr(0, 101)}, End::close},
       100,
       "",
       "receive() reply longer than 100 bytes\n"},
      {{Read::request, {"partial"}, End::stall}, 100, "", "receive() timed out after 0.2 s\n"},
  };
  TCPIPBase::timeout(0.2);
  for (const Case& c : cases) {
    LoopbackServer server(c.script);
    const TCPIPBase::Socket s = connect_and_greet(server);
    if (c.script.end == End::reset) server.wait();
    OutputCapture cap;
    EXPECT_TRUE(TCPIPBase::receive_all_string(s, 16, c.limit) == c.expected) << c.error;
    EXPECT_EQ(cap.err(), c.error);
    platform::close_socket(s);
  }
}
