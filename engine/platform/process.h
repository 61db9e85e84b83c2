// Process services the engine takes from the operating system.
#pragma once

namespace platform {

// The identifier of the running process.
int process_id();

}  // namespace platform
