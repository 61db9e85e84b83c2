// Image files built byte by byte for tests: PNGs with stored (uncompressed)
// deflate blocks and BMPs with 4-byte row padding, independent of the
// decoders under test, so headers can be made to lie.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A PNG of 8-bit samples; `rows` top row first, each `width * channels`
// bytes (channels 1 grey, 2 grey-alpha, 3 RGB, 4 RGBA). The IHDR declares
// declared_width x declared_height when those are non-zero.
std::string png_file(unsigned width, unsigned height, unsigned channels,
                     const std::vector<std::uint8_t>& rows, unsigned declared_width = 0,
                     unsigned declared_height = 0);

// One PNG chunk: length, type, data and a correct checksum.
std::string png_chunk(const std::string& type, const std::string& data);
// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlib_stored(const std::string& data);

// A BMP with a 40-byte info header; `rows` as stored in the file (bottom row
// first for a positive height), each `width * bits / 8` bytes in B, G, R(, A)
// order; padding to 4 bytes is added. biSizeImage is written as 0.
std::string bmp_file(std::int32_t width, std::int32_t height, std::uint16_t bits,
                     const std::vector<std::uint8_t>& rows, std::uint32_t compression = 0);

// A 32-bit BMP with bit fields: the info header is header_size bytes (40,
// with the masks after it, or a larger one that holds them at its byte 40),
// the masks in red, green, blue(, alpha) order; `rows` as for bmp_file.
std::string bmp_bit_fields_file(std::int32_t width, std::int32_t height,
                                const std::vector<std::uint8_t>& rows, std::uint32_t header_size,
                                const std::vector<std::uint32_t>& masks,
                                std::uint32_t compression = 3);

// Overwrites a little-endian 16- or 32-bit field at `offset`.
void put_le16(std::string& bytes, std::size_t offset, std::uint16_t value);
void put_le32(std::string& bytes, std::size_t offset, std::uint32_t value);

}  // namespace testing_support
