// Process services the engine takes from the operating system.
#pragma once

#include <string>

namespace platform {

// The identifier of the running process.
int process_id();

// Opens a web address in the desktop's browser: "xdg-open" started with the
// address as its one argument, without a shell, and waited for. Its exit
// status; -1 when it could not be started.
int open_address(const std::string& address);

}  // namespace platform
