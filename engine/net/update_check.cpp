// The update check against the maker's server.
#include "net/update_check.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iostream>

#include "net/http.h"
#include "platform/environment.h"
#include "platform/message_box.h"

namespace {

// Fields as decimal numbers joined by dots.
std::string fields_text(const std::vector<int>& fields) {
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += '.';
    text += std::to_string(fields[i]);
  }
  return text;
}

// The leading decimal number of a field; out-of-range values saturate.
int field_value(const std::string& field) {
  const long v = std::strtol(field.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

}  // namespace

VersionChecker::VersionChecker(std::string local_version, std::string host, std::string folder,
                               std::string file, Validator validator)
    : local_version_(std::move(local_version)),
      host_(std::move(host)),
      folder_(std::move(folder)),
      file_(std::move(file)),
      validator_(std::move(validator)) {
  if (!validator_) {
    validator_ = [local = local_version_, delimiter = delimiter_](const std::string& candidate) {
      return std::count(local.begin(), local.end(), delimiter) ==
             std::count(candidate.begin(), candidate.end(), delimiter);
    };
  }
}

const std::string& VersionChecker::retrieve_version() {
  TCPIPBase(false).init();
  const HTTPReply reply = HTTPClient::get_file(host_, folder_ + "/" + file_, port_, true);
  if (reply.ok() && (!validator_ || validator_(reply.body))) remote_version_ = reply.body;
  return remote_version_;
}

bool VersionChecker::ask_user_to_upgrade() {
  retrieve_version();
  if (remote_version_.empty()) return false;
  if (validator_ && !validator_(remote_version_)) return false;
  const std::vector<int> local = parse_version_fields(local_version_, delimiter_);
  const std::vector<int> remote = parse_version_fields(remote_version_, delimiter_);
  std::cout << "Local version: " << fields_text(local) << std::endl;
  std::cout << "Update version: " << fields_text(remote) << std::endl;
  if (local.size() != remote.size()) return false;
  if (std::all_of(remote.begin(), remote.end(), [](int f) { return f == 0; })) return false;
  const auto differ = std::mismatch(local.begin(), local.end(), remote.begin());
  if (differ.first == local.end() || *differ.first > *differ.second) return false;
  const std::string text = "An upgrade is available (" + local_version_ + "->" + remote_version_ +
                           "). Would you like to download it?\n";
  return platform::message_box(text, "Download update?", platform::MessageIcon::information,
                               platform::MessageButtons::yes_no) == platform::MessageAnswer::yes;
}

bool VersionChecker::ask_launch_upgrade(std::string) {
  return ask_user_to_upgrade();
}

std::vector<int> VersionChecker::parse_version_fields(const std::string& text, char delimiter) {
  std::vector<int> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == delimiter) {
      fields.push_back(field_value(text.substr(start, i - start)));
      start = i + 1;
    } else if (i + 1 == text.size()) {
      fields.push_back(field_value(text.substr(start)));
    }
  }
  return fields;
}

bool VersionChecker::ensure_env_var(std::string name) const {
  if (name.empty()) return true;
  if (platform::environment_variable(name)) return true;
  platform::message_box("The program was not set up correctly. Please re-run the installer.",
                        "Installation error", platform::MessageIcon::none,
                        platform::MessageButtons::ok);
  return false;
}
