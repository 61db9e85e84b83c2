#include "support/binary_bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace testing_support {

ByteWriter& ByteWriter::little_endian(std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) bytes_.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  return *this;
}

ByteWriter& ByteWriter::f32(float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, 4);
  for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>((bits >> (8 * i)) & 0xff));
  return *this;
}

ByteWriter& ByteWriter::raw(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

UnseekableStream::Buffer::Buffer(std::string bytes) : bytes_(std::move(bytes)) {
  setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
}

UnseekableStream::UnseekableStream(std::string bytes)
    : std::istream(nullptr), buffer_(std::move(bytes)) {
  rdbuf(&buffer_);
}

void expect_load_codes(const std::vector<CorruptFile>& files,
                       const std::function<int(std::istream&)>& load) {
  for (const CorruptFile& f : files) {
    std::istringstream seekable(f.bytes);
    EXPECT_EQ(load(seekable), f.code) << f.what;
    UnseekableStream unseekable(f.bytes);
    EXPECT_EQ(load(unseekable), f.code) << f.what << " (unseekable)";
  }
}

}  // namespace testing_support
