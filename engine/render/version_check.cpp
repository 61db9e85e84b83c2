// OpenGL driver checks.
#include "render/version_check.h"

#include <iostream>
#include <sstream>

#include "core/strings.h"
#include "platform/message_box.h"

BasicVersionChecker<std::string>::BasicVersionChecker(std::string required, bool get_now)
    : required_(std::move(required)),
      comparator_([](std::string current, std::string required) { return current >= required; }),
      error_formatter_([](std::string current, std::string required) {
        return "Error: Version " + required + " required (detected version " + current + ").";
      }) {
  if (get_now) get_version();
}

void BasicVersionChecker<std::string>::get_version() {
  if (version_getter_) current_ = version_getter_();
}

bool BasicVersionChecker<std::string>::valid() const {
  return comparator_ ? comparator_(current_, required_) : false;
}

std::string BasicVersionChecker<std::string>::error_string() const {
  return error_formatter_ ? error_formatter_(current_, required_) : std::string();
}

bool BasicVersionChecker<std::string>::display_error(std::string text) const {
  if (text.empty()) text = "OpenGL Error: " + error_string();
  platform::message_box(text, "Error", platform::MessageIcon::error, platform::MessageButtons::ok);
  return true;
}

BasicVersionChecker<std::string>::Comparator BasicVersionChecker<std::string>::valid_string_version(
    unsigned int fields, std::string delimiters) {
  return [fields, delimiters](std::string current, std::string required) {
    const std::vector<std::string> c = split(current, delimiters);
    const std::vector<std::string> r = split(required, delimiters);
    std::size_t n = c.size();
    if (fields != 0 && fields < n) n = fields;
    if (n == 0) return false;
    for (std::size_t i = 0; i < n; ++i) {
      if (i >= r.size()) return false;
      if (c[i] < r[i]) return false;
    }
    return true;
  };
}

namespace {

// glGetString(name), or null with the error reported.
const char* read_gl_string(unsigned int name) {
  glGetError();
  const GLubyte* s = glGetString(name);
  if (!s) {
    const GLenum e = glGetError();
    if (e != GL_NO_ERROR)
      std::cerr << "get_version(): error " << e << ": " << gl_error_string(e) << std::endl;
    return nullptr;
  }
  return reinterpret_cast<const char*>(s);
}

}  // namespace

VersionCheckerGL::VersionCheckerGL(std::string required, unsigned int name, unsigned int fields)
    : BasicVersionChecker<std::string>(std::move(required), false) {
  version_getter_ = [name]() -> std::string {
    const char* s = read_gl_string(name);
    if (!s) return "";
    std::istringstream words(s);
    std::string first;
    words >> first;
    return first;
  };
  comparator_ = valid_string_version(fields, ".");
  get_version();
}

VersionCheckerGLVendor::VersionCheckerGLVendor(std::vector<std::string> names, unsigned int name)
    : BasicVersionChecker<std::string>("", false) {
  version_getter_ = [name]() -> std::string {
    const char* s = read_gl_string(name);
    if (!s) return "";
    std::cout << "GL: " << s << std::endl;
    return s;
  };
  comparator_ = [names = std::move(names)](std::string current, std::string) {
    for (const std::string& n : names)
      if (current.find(n) != std::string::npos) return true;
    return false;
  };
  get_version();
}
