// A throw-away data root for one test, and a guard for one environment variable.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace testing_support {

// While alive, a fresh temporary folder holding cfg/, models/, textures/ and
// sounds/ is the working directory, and TALVORIN_ROOT is unset so nothing points
// the engine elsewhere. The destructor restores both and removes the folder.
class TempDataRoot {
 public:
  TempDataRoot();
  ~TempDataRoot();
  TempDataRoot(const TempDataRoot&) = delete;
  TempDataRoot& operator=(const TempDataRoot&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes the bytes to a file relative to the root (folders are made) and
  // returns the file's relative path.
  std::string write(const std::string& relative, const std::string& bytes) const;
  // The bytes of a file relative to the root; empty when it does not exist.
  std::string read(const std::string& relative) const;

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
  std::optional<std::string> saved_root_variable_;
};

// Sets (or, given no value, unsets) an environment variable while alive.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace testing_support
