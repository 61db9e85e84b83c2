// PNG decoding into a texture's pixel store, without OpenGL.
#include <vector>

#include "fuzz_support.h"
#include "render/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  const std::vector<unsigned char> bytes(data, data + size);
  Texture texture;
  texture.load_png(bytes, false, false, true);
  Texture unflipped;
  unflipped.load_png(bytes, false, false, false);
  return 0;
}
