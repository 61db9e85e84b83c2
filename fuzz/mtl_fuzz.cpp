// MTL text: the reader with its map statements and texture options, then the
// writer on what was read.
#include <sstream>

#include "fuzz_support.h"
#include "models/wavefront_mtl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  std::istringstream in(fuzzing::text(data, size));
  std::vector<WavefrontMTL> materials = WavefrontMTL::load(in, true, true);
  for (const WavefrontMTL& m : materials) {
    std::ostringstream out;
    m.save(out, 6, 0.0f);
    for (const auto& [key, options] : m.map_options()) {
      std::ostringstream o;
      options.save(o);
    }
  }
  return 0;
}
