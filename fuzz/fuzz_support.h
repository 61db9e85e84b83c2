// Shared pieces of the fuzz targets: quiet standard streams and a scratch
// file per process for readers that take a path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <streambuf>
#include <string>

namespace fuzzing {

// Swallows what the readers print, so runs measure the reader, not the terminal.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

inline void silence_streams() {
  static NullBuffer null;
  std::cout.rdbuf(&null);
  std::cerr.rdbuf(&null);
}

inline std::string text(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// Writes the input to a file of this process and returns its path.
inline std::string scratch_file(const std::uint8_t* data, std::size_t size, const std::string& suffix) {
  const std::string path = "/tmp/varnox_fuzz_" + std::to_string(::getpid()) + suffix;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

}  // namespace fuzzing
