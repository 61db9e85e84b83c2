// The process environment.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The value of the environment variable, or nothing when it is not set.
std::optional<std::string> environment_variable(const std::string& name);

}  // namespace platform
