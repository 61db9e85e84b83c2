// The options of a texture-map statement, words separated by blanks.
#include <sstream>

#include "core/strings.h"
#include "fuzz_support.h"
#include "models/wavefront_mtl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  const std::vector<std::string> words = split(fuzzing::text(data, size), "");
  for (int first = 0; first < 2; ++first) {
    MTLTextureOptions options;
    options.parse(words, first);
    std::ostringstream out;
    options.save(out);
  }
  return 0;
}
