// BMP decoding from a file, without OpenGL.
#include <vector>

#include "fuzz_support.h"
#include "render/texture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  const std::string path = fuzzing::scratch_file(data, size, ".bmp");
  std::vector<unsigned char> pixels;
  unsigned width = 0, height = 0;
  if (LoadBMP(pixels, path, &width, &height) == 0 && pixels.size() < std::size_t(width) * height * 3)
    __builtin_trap();  // a decoded image must hold all its pixels
  return 0;
}
