// The update check: the newest published version from the maker's server,
// compared field by field with the program's own, and the upgrade question.
#pragma once

#include <functional>
#include <string>
#include <vector>

class VersionChecker {
 public:
  using Validator = std::function<bool(const std::string&)>;

  // An empty validator is replaced by one that accepts a text with as many
  // delimiters as the local version has.
  VersionChecker(std::string local_version, std::string host, std::string folder, std::string file,
                 Validator validator = {});

  // Fetches folder/file from the server; a body of a 200 reply that the
  // validator accepts becomes the remote version. Returns the remote version.
  const std::string& retrieve_version();
  // Fetches and compares; asks the user only when the published version is
  // newer. True when the user chose to download it.
  bool ask_user_to_upgrade();
  // The same; the address is the caller's to open.
  bool ask_launch_upgrade(std::string address);
  // Decimal fields between the delimiters: a trailing delimiter adds no field,
  // an empty field inside reads as 0, text after a field's digits is ignored.
  static std::vector<int> parse_version_fields(const std::string& text, char delimiter);
  // True for an empty name or a variable that is set; otherwise tells the user
  // that the installation is broken and returns false.
  bool ensure_env_var(std::string name) const;

  const std::string& local_version() const { return local_version_; }
  const std::string& remote_version() const { return remote_version_; }
  unsigned short port() const { return port_; }
  void port(unsigned short p) { port_ = p; }

 private:
  std::string local_version_;
  std::string remote_version_;
  std::string host_;
  unsigned short port_ = 80;
  std::string folder_;
  std::string file_;
  Validator validator_;
  char delimiter_ = '.';
};
