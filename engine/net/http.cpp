// The HTTP client and the parsing of its replies.
#include "net/http.h"

#include <cstdlib>
#include <sstream>

namespace {

constexpr unsigned reply_chunk = 32768;

}  // namespace

int HTTPReply::receive(TCPIPBase::Socket socket, bool parse) {
  return accept(TCPIPBase::receive_all_string(socket, reply_chunk), parse);
}

int HTTPReply::accept(std::string text, bool parse) {
  received = std::move(text);
  std::size_t split = received.find("\r\n\r\n");
  std::size_t separator = 4;
  if (split == std::string::npos) {
    split = received.find("\n\n");
    separator = 2;
  }
  // Without a blank line the split stays at the start and two characters are
  // skipped, as the separator would have been.
  if (split == std::string::npos) split = 0;
  header = received.substr(0, split);
  const std::size_t body_start = split + separator;
  body = body_start < received.size() ? received.substr(body_start) : std::string();
  received_flag = 1;
  if (parse) parse_header();
  return 0;
}

int HTTPReply::parse_header() {
  std::istringstream lines(header);
  std::string line;
  bool status_read = false;
  while (std::getline(lines, line)) {
    if (!status_read) {
      std::istringstream words(line);
      std::string word[3];
      int count = 0;
      while (count < 3 && words >> word[count]) ++count;
      if (count == 0) continue;
      if (count < 3) return -1;
      fields["HTTP_version"] = word[0];
      fields["HTTP_code"] = word[1];
      fields["HTTP_message"] = word[2];
      status_read = true;
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream before(line.substr(0, colon));
    std::string name;
    if (!(before >> name)) continue;
    fields[name] = line.substr(colon + 1);
  }
  parsed_flag = 1;
  return 0;
}

bool HTTPReply::ok() const {
  const auto code = fields.find("HTTP_code");
  if (code == fields.end() || !parsed_flag) return false;
  // strtol saturates where atoi would overflow; neither limit equals 200.
  return std::strtol(code->second.c_str(), nullptr, 10) == 200;
}

HTTPReply HTTPClient::get_file(std::string host, std::string path, unsigned short port,
                               bool parse) {
  HTTPReply reply;
  const Socket s = socket_connect(host2ip(host), port);
  if (s == invalid_socket) return reply;
  if (send(s, get_cmd_header(path, host)) != 0) {
    platform::close_socket(s);
    return reply;
  }
  reply.receive(s, parse);
  platform::close_socket(s);
  return reply;
}

std::string HTTPClient::get_cmd_header(std::string path, std::string host) {
  if (path.empty()) return "";
  if (path[0] != '/') path.insert(path.begin(), '/');
  return "GET " + path + " HTTP/1.1\nHost: " + host + "\nConnection: close\n\n";
}
