// Binary files built byte by byte for tests of readers of untrusted files, and
// an input stream that cannot seek, so a reader cannot learn its size.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <streambuf>
#include <string>
#include <vector>

namespace testing_support {

// Little-endian fields appended in order.
class ByteWriter {
 public:
  ByteWriter& u16(std::uint16_t v) { return little_endian(v, 2); }
  ByteWriter& u32(std::uint32_t v) { return little_endian(v, 4); }
  ByteWriter& u64(std::uint64_t v) { return little_endian(v, 8); }
  ByteWriter& f32(float v);
  ByteWriter& vec3(float x, float y, float z) { return f32(x).f32(y).f32(z); }
  ByteWriter& raw(const std::string& bytes);

  const std::string& str() const { return bytes_; }
  operator const std::string&() const { return bytes_; }

 private:
  ByteWriter& little_endian(std::uint64_t v, int bytes);

  std::string bytes_;
};

// Reads a copy of the bytes; every seek and position query fails.
class UnseekableStream : public std::istream {
 public:
  explicit UnseekableStream(std::string bytes);

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(std::string bytes);

   private:
    std::string bytes_;
  };
  Buffer buffer_;
};

// A corrupt file and the code its reader must return for it.
struct CorruptFile {
  std::string bytes;
  int code;
  const char* what;
};

// Expects `load` to return each file's code from a seekable stream and from an
// unseekable one (where a reader cannot refuse a count by the size left and
// must stop as the bytes run out).
void expect_load_codes(const std::vector<CorruptFile>& files,
                       const std::function<int(std::istream&)>& load);

}  // namespace testing_support
