// Whole-file reads, file facts, path parts, text encodings and the log.
#include "core/files.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <codecvt>
#include <cstdlib>
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

namespace fs = std::filesystem;

// The file a chain of symbolic links ends at (the path itself when it is
// none); a link that points nowhere gives the path it names.
fs::path link_target(fs::path path) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, ec); ++hops) {
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

bool write_all(int fd, const std::string& text) {
  const char* bytes = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, bytes, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

// Whether the name is one of create_beside's temporaries for the target whose
// process is gone: ".<name>.<pid>.<count>.tmp".
bool stale_temporary(const std::string& name, const std::string& target_name) {
  const std::string prefix = "." + target_name + ".";
  if (!name.starts_with(prefix)) return false;
  const char* pid_begin = name.c_str() + prefix.size();
  char* end = nullptr;
  const long pid = std::strtol(pid_begin, &end, 10);
  if (end == pid_begin || pid <= 0 || *end != '.') return false;
  const char* count_begin = end + 1;
  std::strtoul(count_begin, &end, 10);
  if (end == count_begin || std::string(end) != ".tmp") return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// A process stopped while writing leaves its temporary; the next write of the
// same file removes it.
void remove_stale_temporaries(const fs::path& target) {
  std::error_code ec;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (stale_temporary(it->path().filename().string(), target.filename().string()))
      stale.push_back(it->path());
  }
  for (const fs::path& path : stale) fs::remove(path, ec);
}

// A new file beside the target, created with the permissions a new file gets
// (0666 less the umask); -1 when none can be made.
int create_beside(const fs::path& target, std::string* name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    *name = (target.parent_path() /
             ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
              std::to_string(counter++) + ".tmp"))
                .string();
    const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The text written over what the file holds: 0, 1 when it does not open for
// writing, 2 when writing fails.
int write_into(const fs::path& file, const std::string& text) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return 1;
  const bool written = write_all(fd, text);
  return ::close(fd) == 0 && written ? 0 : 2;
}

}  // namespace

int replace_file(const std::string& path, const std::string& text) {
  const fs::path target = link_target(path);
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  const bool exists = fs::exists(status);
  // A device holds nothing to keep, and renaming over it would replace it.
  if (exists && !fs::is_regular_file(status)) return write_into(target, text);
  // The rename needs only the folder's permission: a file made read-only
  // stays refused.
  if (exists && ::access(target.c_str(), W_OK) != 0) return 1;
  remove_stale_temporaries(target);
  std::string temporary;
  const int fd = create_beside(target, &temporary);
  // A folder that takes no new file still lets a writable file in it be
  // written where it is, without the safety of the temporary.
  if (fd < 0) return exists ? write_into(target, text) : 1;
  const auto mode = static_cast<mode_t>(status.permissions() & fs::perms::mask);
  bool written = write_all(fd, text) && (!exists || ::fchmod(fd, mode) == 0) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (written) {
    fs::rename(temporary, target, ec);
    if (!ec) return 0;
  }
  fs::remove(temporary, ec);
  return 2;
}

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
