#include "support/data_root.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testing_support {

namespace {

std::optional<std::string> get_env(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v ? std::optional<std::string>(v) : std::nullopt;
}

void set_env(const std::string& name, const std::optional<std::string>& value) {
  if (value)
    setenv(name.c_str(), value->c_str(), 1);
  else
    unsetenv(name.c_str());
}

}  // namespace

TempDataRoot::TempDataRoot() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "varnox_root_XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = pattern;
  for (const char* folder : {"cfg", "models", "textures", "sounds"})
    std::filesystem::create_directory(path_ / folder);
  std::filesystem::current_path(path_);
  saved_root_variable_ = get_env("TALVORIN_ROOT");
  set_env("TALVORIN_ROOT", std::nullopt);
}

TempDataRoot::~TempDataRoot() {
  set_env("TALVORIN_ROOT", saved_root_variable_);
  std::error_code ec;
  std::filesystem::current_path(previous_, ec);
  // Tests may have taken write permission away from a folder.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDataRoot::write(const std::string& relative, const std::string& bytes) const {
  const std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
  return relative;
}

std::string TempDataRoot::read(const std::string& relative) const {
  std::ifstream in(path_ / relative, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value)
    : name_(std::move(name)), saved_(get_env(name_)) {
  set_env(name_, value);
}

ScopedEnv::~ScopedEnv() {
  set_env(name_, saved_);
}

}  // namespace testing_support
