#include "net/update_check.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <optional>

#include "net/http.h"
#include "net_fixture.h"
#include "platform/message_box.h"
#include "support/capture.h"
#include "support/loopback_server.h"

using testing_support::LoopbackServer;
using testing_support::OutputCapture;

namespace {

std::string reply_200(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Records every message box and answers with the test's choice.
class UpdateCheck : public NetTest {
 protected:
  struct Box {
    std::string text, caption;
    platform::MessageIcon icon;
    platform::MessageButtons buttons;
  };

  void SetUp() override {
    NetTest::SetUp();
    platform::set_message_box_handler([this](const std::string& text, const std::string& caption,
                                             platform::MessageIcon icon,
                                             platform::MessageButtons buttons) {
      boxes_.push_back({text, caption, icon, buttons});
      return answer_;
    });
  }
  void TearDown() override {
    platform::set_message_box_handler(nullptr);
    NetTest::TearDown();
  }

  VersionChecker checker(const LoopbackServer& server,
                         VersionChecker::Validator validator = {}) const {
    VersionChecker c("1.1.1", "127.0.0.1", "pub/latest_versions", "talvorin.txt",
                     std::move(validator));
    c.port(server.port());
    return c;
  }

  std::vector<Box> boxes_;
  platform::MessageAnswer answer_ = platform::MessageAnswer::no;
};

}  // namespace

TEST_F(UpdateCheck, AsksOnlyWhenThePublishedVersionIsNewer) {
  using platform::MessageAnswer;
  struct Case {
    std::string published;
    MessageAnswer answer;
    bool expected;
    std::string box;  // empty: no box
    std::string output;
  };
  const std::string question = "Would you like to download it?\n";
  const Case cases[] = {
      {"1.2.0", MessageAnswer::yes, true, "An upgrade is available (1.1.1->1.2.0). " + question,
       "Local version: 1.1.1\nUpdate version: 1.2.0\n"},
      {"1.2.0", MessageAnswer::no, false, "An upgrade is available (1.1.1->1.2.0). " + question,
       "Local version: 1.1.1\nUpdate version: 1.2.0\n"},
      {"1.10.0", MessageAnswer::yes, true, "An upgrade is available (1.1.1->1.10.0). " + question,
       "Local version: 1.1.1\nUpdate version: 1.10.0\n"},
      {"1.2.0\n", MessageAnswer::yes, true, "An upgrade is available (1.1.1->1.2.0\n). " + question,
       "Local version: 1.1.1\nUpdate version: 1.2.0\n"},
      {"01.1.2", MessageAnswer::yes, true, "An upgrade is available (1.1.1->01.1.2). " + question,
       "Local version: 1.1.1\nUpdate version: 1.1.2\n"},
      {"1.1.1", MessageAnswer::yes, false, "", "Local version: 1.1.1\nUpdate version: 1.1.1\n"},
      {"1.0.9", MessageAnswer::yes, false, "", "Local version: 1.1.1\nUpdate version: 1.0.9\n"},
      {"0.9.9", MessageAnswer::yes, false, "", "Local version: 1.1.1\nUpdate version: 0.9.9\n"},
      {"0.0.0", MessageAnswer::yes, false, "", "Local version: 1.1.1\nUpdate version: 0.0.0\n"},
      {"2.0", MessageAnswer::yes, false, "", ""},
      {"2.0.0.1", MessageAnswer::yes, false, "", ""},
      {"", MessageAnswer::yes, false, "", ""},
  };
  for (const Case& c : cases) {
    LoopbackServer server(reply_200(c.published));
    VersionChecker check = checker(server);
    answer_ = c.answer;
    boxes_.clear();
    OutputCapture cap;
    EXPECT_EQ(check.ask_launch_upgrade("https://example.org/product"), c.expected) << c.published;
    EXPECT_EQ(server.request(),
              HTTPClient::get_cmd_header("pub/latest_versions/talvorin.txt", "127.0.0.1"));
    EXPECT_EQ(cap.out(), c.output) << c.published;
    if (c.box.empty()) {
      EXPECT_TRUE(boxes_.empty()) << c.published;
    } else {
      ASSERT_EQ(boxes_.size(), 1u) << c.published;
      EXPECT_EQ(boxes_[0].text, c.box);
      EXPECT_EQ(boxes_[0].caption, "Download update?");
      EXPECT_EQ(boxes_[0].icon, platform::MessageIcon::information);
      EXPECT_EQ(boxes_[0].buttons, platform::MessageButtons::yes_no);
    }
  }
}

TEST_F(UpdateCheck, FailedFetchesAnswerNoAndKeepTheLastGoodVersion) {
  answer_ = platform::MessageAnswer::yes;
  for (const std::string reply : {"HTTP/1.1 404 Not Found\r\n\r\n1.2.0",
                                  "HTTP/1.1 301 Moved Permanently\r\nLocation: /x\r\n\r\n1.2.0",
                                  "HTTP/1.1 200\r\n\r\n1.2.0", ""}) {
    LoopbackServer server(reply);
    VersionChecker check = checker(server);
    OutputCapture cap;
    EXPECT_FALSE(check.ask_user_to_upgrade()) << reply;
    EXPECT_EQ(check.remote_version(), "") << reply;
    EXPECT_EQ(cap.out(), "");
  }
  {
    LoopbackServer server(reply_200("1.2.0"));
    VersionChecker check = checker(server);
    check.port(LoopbackServer::closed_port());
    OutputCapture cap;
    EXPECT_FALSE(check.ask_user_to_upgrade());
    EXPECT_EQ(check.remote_version(), "");
  }
  LoopbackServer good(reply_200("1.2.0"));
  VersionChecker check = checker(good);
  EXPECT_EQ(check.retrieve_version(), "1.2.0");
  LoopbackServer missing("HTTP/1.1 404 Not Found\r\n\r\n1.3.0");
  check.port(missing.port());
  EXPECT_EQ(check.retrieve_version(), "1.2.0");
  LoopbackServer rejected(reply_200("1.3"));
  check.port(rejected.port());
  EXPECT_EQ(check.retrieve_version(), "1.2.0");
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(UpdateCheck, AGivenValidatorReplacesTheDelimiterCount) {
  {
    LoopbackServer server(reply_200("1.2.0"));
    VersionChecker check = checker(server, [](const std::string&) { return false; });
    OutputCapture cap;
    EXPECT_FALSE(check.ask_user_to_upgrade());
    EXPECT_EQ(cap.out(), "");
  }
  LoopbackServer server(reply_200("2.0"));
  VersionChecker check = checker(server, [](const std::string&) { return true; });
  OutputCapture cap;
  EXPECT_FALSE(check.ask_user_to_upgrade());  // two fields against three
  EXPECT_EQ(cap.out(), "Local version: 1.1.1\nUpdate version: 2.0\n");
  EXPECT_TRUE(boxes_.empty());
}

TEST(VersionFields, SplitAtTheDelimiterAndReadAsDecimals) {
  using Ints = std::vector<int>;
  const std::pair<std::string, Ints> cases[] = {
      {"1.1.1", {1, 1, 1}},
      {"1.2.", {1, 2}},
      {"1..2", {1, 0, 2}},
      {"", {}},
      {".", {0}},
      {"3\n", {3}},
      {" 7.x.-2", {7, 0, -2}},
      {"99999999999999999999.1", {INT_MAX, 1}},
  };
  for (const auto& [text, fields] : cases)
    EXPECT_EQ(VersionChecker::parse_version_fields(text, '.'), fields) << text;
  EXPECT_EQ(VersionChecker::parse_version_fields("4-5", '-'), (Ints{4, 5}));
}

TEST_F(UpdateCheck, EnsureEnvVarComplainsOnlyAboutAMissingVariable) {
  const VersionChecker check("1.1.1", "h", "f", "v");
  const char* name = "VARNOX_NET_TEST_VARIABLE";
  ::unsetenv(name);
  EXPECT_TRUE(check.ensure_env_var(""));
  EXPECT_FALSE(check.ensure_env_var(name));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, "The program was not set up correctly. Please re-run the installer.");
  EXPECT_EQ(boxes_[0].caption, "Installation error");
  EXPECT_EQ(boxes_[0].buttons, platform::MessageButtons::ok);
  ::setenv(name, "", 1);
  EXPECT_TRUE(check.ensure_env_var(name));
  ::unsetenv(name);
  EXPECT_EQ(boxes_.size(), 1u);
}
