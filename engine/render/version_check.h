// Checks of the OpenGL driver before rendering starts: the detected version,
// vendor or renderer against what the program requires.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "render/gl.h"

template <typename T>
class BasicVersionChecker;

// A required and a detected version with three replaceable functions: how to
// read the detected version, how to compare and how to word the error.
template <>
class BasicVersionChecker<std::string> {
 public:
  using Getter = std::function<std::string()>;
  using Comparator = std::function<bool(std::string current, std::string required)>;
  using Formatter = std::function<std::string(std::string current, std::string required)>;

  BasicVersionChecker(std::string required = "", bool get_now = false);

  // Reads the detected version when a getter is set.
  void get_version();
  bool valid() const;
  std::string error_string() const;
  // Shows the text (by default "OpenGL Error: " and the error string) in an
  // error box; true once it is closed.
  bool display_error(std::string text = "") const;
  std::string current_version() const { return current_; }
  std::string required_version() const { return required_; }

  Getter& version_getter() { return version_getter_; }
  Comparator& comparator() { return comparator_; }
  Formatter& error_formatter() { return error_formatter_; }

 protected:
  // Dotted versions compared field by field as text; at most `fields` fields
  // of the detected version (0: all of them), each of which must be at least
  // the required field of the same index.
  static Comparator valid_string_version(unsigned int fields, std::string delimiters);

  std::string required_;
  std::string current_;
  Getter version_getter_;
  Comparator comparator_;
  Formatter error_formatter_;
};

// The first word of glGetString(name) checked as a dotted version.
class VersionCheckerGL : public BasicVersionChecker<std::string> {
 public:
  VersionCheckerGL(std::string required = "4.5.0", unsigned int name = GL_VERSION,
                   unsigned int fields = 3);
};

// glGetString(name) must contain one of the names.
class VersionCheckerGLVendor : public BasicVersionChecker<std::string> {
 public:
  VersionCheckerGLVendor(std::vector<std::string> names = {"Intel"}, unsigned int name = GL_VENDOR);
};

class VersionCheckerGLRenderer : public VersionCheckerGLVendor {
 public:
  VersionCheckerGLRenderer(std::vector<std::string> names = {"Intel"},
                           unsigned int name = GL_RENDERER)
      : VersionCheckerGLVendor(std::move(names), name) {}
};
