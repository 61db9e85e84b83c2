// Process services the engine takes from the operating system.
#pragma once

#include <string>

namespace platform {

// The identifier of the running process.
int process_id();

// Opens an address in the desktop's browser: "xdg-open", found on PATH, is
// started with the address as its one argument, without a shell (so no
// character of the address is interpreted), and waited for. Its exit
// status (0: opened); -1 when it cannot be started or does not end
// normally.
int open_in_browser(const std::string& address);

}  // namespace platform
