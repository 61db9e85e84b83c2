// The binary string and string-map format.
#include <map>
#include <sstream>

#include "core/strings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  const std::string bytes = fuzzing::text(data, size);
  {
    std::istringstream in(bytes);
    std::string s;
    while (in && load(in, s) == 0) {
    }
  }
  {
    std::istringstream in(bytes);
    std::map<std::string, std::string> m;
    if (load(in, m) == 0) {
      std::ostringstream out;
      save(out, m);
    }
  }
  return 0;
}
