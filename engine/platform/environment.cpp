// The process environment on POSIX systems.
#include "platform/environment.h"

#include <cstdlib>

namespace platform {

std::optional<std::string> environment_variable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

}  // namespace platform
