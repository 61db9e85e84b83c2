// One HTTP/1.1 GET over a fresh connection, and the server's reply split into
// header and body with the status line and header lines as fields.
#pragma once

#include <map>
#include <string>

#include "net/tcpip.h"

// A received reply. Fields hold "HTTP_version", "HTTP_code" and "HTTP_message"
// (the status line's first three words) and one entry per header line.
struct HTTPReply {
  std::string header;    // the text before the blank line that ends the header
  std::string body;      // the text after it
  std::string received;  // everything received, unchanged
  int received_flag = 0;
  int parsed_flag = 0;
  std::map<std::string, std::string> fields;

  // Reads until the peer closes, splits the text and, with `parse`, parses the
  // header. Always 0; a failed receive leaves an empty reply that is not ok.
  int receive(TCPIPBase::Socket socket, bool parse);
  // Takes `text` as everything received: splits it and, with `parse`, parses the header.
  int accept(std::string text, bool parse);
  // 0 once every header line was read; -1 when the status line has fewer than
  // three words. Fields are added to those already present.
  int parse_header();
  // Only status 200 of a parsed reply counts as success.
  bool ok() const;
};

class HTTPClient : public TCPIPBase {
 public:
  HTTPClient() : TCPIPBase(true) {}

  // The reply of the server, empty when it cannot be reached or the request
  // cannot be sent. The socket is closed before this returns.
  static HTTPReply get_file(std::string host, std::string path, unsigned short port = 80,
                            bool parse = true);
  // "GET <path> HTTP/1.1", the Host line and "Connection: close", each line ended
  // by a bare line feed; empty for an empty path.
  static std::string get_cmd_header(std::string path, std::string host);
};
