#include "support/image_files.h"

#include <algorithm>
#include <array>

namespace testing_support {
namespace {

std::uint32_t crc32(const std::string& bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void append_be32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(v >> shift));
}

}  // namespace

std::string png_chunk(const std::string& type, const std::string& data) {
  std::string out;
  append_be32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = type + data;
  out += body;
  append_be32(out, crc32(body));
  return out;
}

std::string zlib_stored(const std::string& data) {
  std::string out = "\x78\x01";
  std::size_t at = 0;
  do {
    const std::size_t n = std::min<std::size_t>(65535, data.size() - at);
    const bool last = at + n == data.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<char>(n & 0xFF));
    out.push_back(static_cast<char>(n >> 8));
    out.push_back(static_cast<char>(~n & 0xFF));
    out.push_back(static_cast<char>((~n >> 8) & 0xFF));
    out.append(data, at, n);
    at += n;
  } while (at < data.size());
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : data) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  append_be32(out, b << 16 | a);
  return out;
}

std::string png_file(unsigned width, unsigned height, unsigned channels,
                     const std::vector<std::uint8_t>& rows, unsigned declared_width,
                     unsigned declared_height) {
  static const char kColorType[5] = {0, 0, 4, 2, 6};
  std::string out = "\x89PNG\r\n\x1a\n";
  std::string ihdr;
  append_be32(ihdr, declared_width ? declared_width : width);
  append_be32(ihdr, declared_height ? declared_height : height);
  ihdr += std::string{8, kColorType[channels], 0, 0, 0};
  out += png_chunk("IHDR", ihdr);
  std::string raw;
  const std::size_t row_bytes = std::size_t(width) * channels;
  for (unsigned r = 0; r < height; ++r) {
    raw.push_back(0);  // filter type none
    raw.append(reinterpret_cast<const char*>(rows.data()) + r * row_bytes, row_bytes);
  }
  out += png_chunk("IDAT", zlib_stored(raw));
  out += png_chunk("IEND", "");
  return out;
}

void put_le16(std::string& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void put_le32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

std::string bmp_file(std::int32_t width, std::int32_t height, std::uint16_t bits,
                     const std::vector<std::uint8_t>& rows, std::uint32_t compression) {
  const std::size_t row_bytes = std::size_t(width < 0 ? 0 : width) * bits / 8;
  const std::size_t stride = (row_bytes + 3) / 4 * 4;
  const std::size_t count = row_bytes ? rows.size() / row_bytes : 0;
  std::string pixels;
  for (std::size_t r = 0; r < count; ++r) {
    pixels.append(reinterpret_cast<const char*>(rows.data()) + r * row_bytes, row_bytes);
    pixels.append(stride - row_bytes, '\0');
  }
  std::string out(54, '\0');
  out[0] = 'B';
  out[1] = 'M';
  put_le32(out, 2, static_cast<std::uint32_t>(54 + pixels.size()));
  put_le32(out, 10, 54);
  put_le32(out, 14, 40);
  put_le32(out, 18, static_cast<std::uint32_t>(width));
  put_le32(out, 22, static_cast<std::uint32_t>(height));
  put_le16(out, 26, 1);
  put_le16(out, 28, bits);
  put_le32(out, 30, compression);
  return out + pixels;
}

std::string bmp_bit_fields_file(std::int32_t width, std::int32_t height,
                                const std::vector<std::uint8_t>& rows, std::uint32_t header_size,
                                const std::vector<std::uint32_t>& masks,
                                std::uint32_t compression) {
  std::string out = bmp_file(width, height, 32, rows, compression);
  std::string extra(header_size > 40 ? header_size - 40 : 4 * masks.size(), '\0');
  for (std::size_t i = 0; i < masks.size() && 4 * i + 4 <= extra.size(); ++i)
    put_le32(extra, 4 * i, masks[i]);
  out.insert(54, extra);
  put_le32(out, 2, static_cast<std::uint32_t>(out.size()));
  put_le32(out, 10, static_cast<std::uint32_t>(54 + extra.size()));
  put_le32(out, 14, header_size);
  return out;
}

}  // namespace testing_support
