// Process services on POSIX systems.
#include "platform/process.h"

#include <unistd.h>

namespace platform {

int process_id() {
  return static_cast<int>(::getpid());
}

}  // namespace platform
