#include "net/http.h"

#include <gtest/gtest.h>

#include <chrono>

#include "net_fixture.h"
#include "support/capture.h"
#include "support/loopback_server.h"

using testing_support::LoopbackServer;
using testing_support::OutputCapture;
using Fields = std::map<std::string, std::string>;

namespace {

HTTPReply fetch(const LoopbackServer& server, const std::string& path = "/v.txt") {
  return HTTPClient::get_file("127.0.0.1", path, server.port(), true);
}

}  // namespace

TEST(HTTPRequest, PathsGetALeadingSlashAndLinesEndInLineFeeds) {
  EXPECT_EQ(HTTPClient::get_cmd_header("a/b.txt", "H"),
            "GET /a/b.txt HTTP/1.1\nHost: H\nConnection: close\n\n");
  EXPECT_EQ(HTTPClient::get_cmd_header("/x", "example.org"),
            "GET /x HTTP/1.1\nHost: example.org\nConnection: close\n\n");
  EXPECT_EQ(HTTPClient::get_cmd_header("", "H"), "");
}

TEST(HTTPParse, StatusLineTakesThreeWordsAndHeaderLinesNeedANameAndAColon) {
  HTTPReply r;
  r.header =
      "\n  \r\nHTTP/1.0 404 Not Found\r\nFoo Bar: x\r\nno colon here\r\n  : blank name\r\n"
      "Dup: 1\r\nDup:2\r\nHTTP_code:7\r\nLast: y";
  EXPECT_EQ(r.parse_header(), 0);
  EXPECT_EQ(r.parsed_flag, 1);
  EXPECT_EQ(r.fields, (Fields{{"HTTP_version", "HTTP/1.0"},
                              {"HTTP_code", "7\r"},
                              {"HTTP_message", "Not"},
                              {"Foo", " x\r"},
                              {"Dup", "2\r"},
                              {"Last", " y"}}));
  EXPECT_FALSE(r.ok());
}

TEST(HTTPParse, AShortStatusLineStopsTheParseUnparsed) {
  HTTPReply r;
  r.fields["kept"] = "yes";
  r.header = "HTTP/1.1 200\r\nA: b";
  EXPECT_EQ(r.parse_header(), -1);
  EXPECT_EQ(r.parsed_flag, 0);
  EXPECT_EQ(r.fields, (Fields{{"kept", "yes"}}));
  EXPECT_FALSE(r.ok());

  HTTPReply empty;
  EXPECT_EQ(empty.parse_header(), 0);
  EXPECT_EQ(empty.parsed_flag, 1);
  EXPECT_FALSE(empty.ok());
}

TEST(HTTPParse, OnlyCode200Succeeds) {
  for (const auto& [code, ok] : std::map<std::string, bool>{{"200", true},
                                                            {" +200", true},
                                                            {"200x", true},
                                                            {"201", false},
                                                            {"301", false},
                                                            {"404", false},
                                                            {"", false},
                                                            {"99999999999999999999", false}}) {
    HTTPReply r;
    r.fields["HTTP_code"] = code;
    r.parsed_flag = 1;
    EXPECT_EQ(r.ok(), ok) << code;
    r.parsed_flag = 0;
    EXPECT_FALSE(r.ok()) << code;
  }
}

using HTTPFetch = NetTest;

TEST_F(HTTPFetch, SendsTheRequestAndSplitsAndParsesTheReply) {
  struct Case {
    std::string reply, header, body;
    Fields fields;
    bool ok;
  };
  const Fields ok_200 = {{"HTTP_version", "HTTP/1.1"},
                         {"HTTP_code", "200"},
                         {"HTTP_message", "OK"},
                         {"Content-Length", " 5"}};
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n1.2.3", "HTTP/1.1 200 OK\r\nContent-Length: 5",
       "1.2.3", ok_200, true},
      {"HTTP/1.1 200 OK\nContent-Length: 5\n\n1.2.3", "HTTP/1.1 200 OK\nContent-Length: 5", "1.2.3",
       ok_200, true},
      // The first CR LF pair wins over an earlier bare pair.
      {"HTTP/1.1 200 OK\n\nA\r\n\r\nB",
       "HTTP/1.1 200 OK\n\nA",
       "B",
       {{"HTTP_version", "HTTP/1.1"}, {"HTTP_code", "200"}, {"HTTP_message", "OK"}},
       true},
      {"HTTP/1.1 200 OK\r\n1.2.3", "", "TP/1.1 200 OK\r\n1.2.3", {}, false},
      {"", "", "", {}, false},
      {"H", "", "", {}, false},
      {"HT", "", "", {}, false},
      {"HTTP/1.1 301 Moved Permanently\r\nLocation: /new\r\n\r\n",
       "HTTP/1.1 301 Moved Permanently\r\nLocation: /new",
       "",
       {{"HTTP_version", "HTTP/1.1"},
        {"HTTP_code", "301"},
        {"HTTP_message", "Moved"},
        {"Location", " /new"}},
       false},
      {"HTTP/1.1 404 Not Found\r\n\r\nmissing",
       "HTTP/1.1 404 Not Found",
       "missing",
       {{"HTTP_version", "HTTP/1.1"}, {"HTTP_code", "404"}, {"HTTP_message", "Not"}},
       false},
  };
  for (const Case& c : cases) {
    LoopbackServer server(c.reply);
    const HTTPReply r = fetch(server, "pub/v.txt");
    EXPECT_EQ(server.request(), "GET /pub/v.txt HTTP/1.1\nHost: 127.0.0.1\nConnection: close\n\n");
    EXPECT_EQ(r.received, c.reply);
    EXPECT_EQ(r.header, c.header) << c.reply;
    EXPECT_EQ(r.body, c.body) << c.reply;
    EXPECT_EQ(r.received_flag, 1);
    EXPECT_EQ(r.parsed_flag, 1);
    EXPECT_EQ(r.fields, c.fields) << c.reply;
    EXPECT_EQ(r.ok(), c.ok) << c.reply;
  }
}

TEST_F(HTTPFetch, ALongReplyArrivesWholeAndAnOverlongOneNotAtAll) {
  const std::string body(100000, 'x');
  LoopbackServer server("HTTP/1.1 200 OK\r\n\r\n" + body);
  const HTTPReply r = fetch(server);
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.body == body);

  LoopbackServer huge("HTTP/1.1 200 OK\r\n\r\n" + std::string(TCPIPBase::max_reply_size, 'x'));
  OutputCapture cap;
  const HTTPReply h = fetch(huge);
  EXPECT_EQ(h.received, "");
  EXPECT_FALSE(h.ok());
}

TEST_F(HTTPFetch, WithoutParsingTheFieldsStayEmpty) {
  LoopbackServer server("HTTP/1.1 200 OK\r\n\r\n1.2.3");
  const HTTPReply r = HTTPClient::get_file("127.0.0.1", "/v", server.port(), false);
  EXPECT_EQ(r.body, "1.2.3");
  EXPECT_EQ(r.parsed_flag, 0);
  EXPECT_TRUE(r.fields.empty());
  EXPECT_FALSE(r.ok());
}

TEST_F(HTTPFetch, AnEmptyPathSendsNothingAndTakesWhatTheServerSays) {
  LoopbackServer server({LoopbackServer::Read::nothing, {"HTTP/1.1 200 OK\n\nhi"}});
  const HTTPReply r = fetch(server, "");
  EXPECT_EQ(r.body, "hi");
  EXPECT_TRUE(r.ok());
  server.wait();
  EXPECT_EQ(server.request(), "");
}

TEST_F(HTTPFetch, FailuresGiveAnEmptyReplyThatIsNotOk) {
  const int before = open_descriptors();
  {
    OutputCapture cap;
    const HTTPReply r = HTTPClient::get_file("127.0.0.1", "/v", LoopbackServer::closed_port());
    EXPECT_EQ(r.received_flag, 0);
    EXPECT_EQ(r.parsed_flag, 0);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(cap.err().rfind("connect() returned error ", 0), 0u);
    EXPECT_EQ(open_descriptors(), before);
  }
  {
    // The server reads the request and closes without a word.
    LoopbackServer server(std::string{});
    const HTTPReply r = fetch(server);
    EXPECT_EQ(r.received_flag, 1);
    EXPECT_EQ(r.parsed_flag, 1);
    EXPECT_TRUE(r.fields.empty());
    EXPECT_FALSE(r.ok());
  }
  {
    // The server accepts and never answers: the fetch gives up at the time-out.
    LoopbackServer server({LoopbackServer::Read::request, {}, LoopbackServer::End::stall});
    TCPIPBase::timeout(0.2);
    OutputCapture cap;
    const auto start = std::chrono::steady_clock::now();
    const HTTPReply r = fetch(server);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.5);
    EXPECT_EQ(r.received, "");
    EXPECT_FALSE(r.ok());
  }
  EXPECT_EQ(open_descriptors(), before);
}
