// Whole-file reads, file facts, path parts, text encodings and the log.
#include "core/files.h"

#include <codecvt>
#include <filesystem>
#include <fstream>
#include <locale>

std::string read_all_str(std::istream& in, unsigned long long n) {
  std::string bytes(n, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(n));
  return bytes;
}

std::string read_all_str(std::string path, int* status) {
  const long long size = file_size(path);
  if (size == 0) {
    if (status) *status = 1;
    return "";
  }
  std::ifstream in(path, std::ios::binary);
  if (size < 0 || !in) {
    if (status) *status = 2;
    return "";
  }
  std::string bytes = read_all_str(in, static_cast<unsigned long long>(size));
  if (!in) {
    bytes.clear();
    if (status) *status = 3;
  }
  return bytes;
}

namespace {

// A folder opens as a stream here and then reports an absurd size.
bool is_folder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

}  // namespace

long long file_size(std::string path) {
  if (is_folder(path)) return -1;
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return -1;
  return static_cast<long long>(in.tellg());
}

bool file_exists(std::string path) {
  if (is_folder(path)) return false;
  std::ifstream in(path);
  return in.good();
}

std::vector<std::string> fileparts(std::string path, std::string separators, bool keep_empty) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (separators.find(c) == std::string::npos) {
      part += c;
      continue;
    }
    if (!part.empty() || keep_empty) parts.push_back(part);
    part.clear();
  }
  if (!part.empty()) parts.push_back(part);
  // Dropping the root would turn an absolute path into a relative one.
  if (!keep_empty && !path.empty() && path[0] == '/' && !parts.empty()) parts[0] = '/' + parts[0];
  return parts;
}

std::string file_directory(std::string path) {
  const std::vector<std::string> parts = fileparts(path, "/\\", false);
  std::string folder;
  for (size_t i = 0; i + 1 < parts.size(); ++i) folder += parts[i] + '/';
  if (folder.empty() && !path.empty() && path[0] == '/') folder = std::string(1, '/');
  return folder;
}

// The standard UTF-8 facet is deprecated but still the specified conversion.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
std::wstring string2wstring(const std::string& s) {
  std::wstring_convert<std::codecvt_utf8<wchar_t>> convert;
  return convert.from_bytes(s);
}

std::string wstring2string(const std::wstring& s) {
  std::wstring_convert<std::codecvt_utf8<wchar_t>> convert;
  return convert.to_bytes(s);
}
#pragma GCC diagnostic pop

void log(std::string text, std::string tag, std::string file, bool append) {
  const auto mode = (append && file_exists(file)) ? std::ios::app : std::ios::trunc;
  std::ofstream out(file, std::ios::out | mode);
  if (!out) return;
  out << tag << "\t" << text << std::endl;
}
