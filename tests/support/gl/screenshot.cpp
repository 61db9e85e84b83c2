#include "support/gl/screenshot.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/gl/x_windows.h"

namespace testing_support {

namespace {

// The fields of xwd's header, 32-bit big-endian words in this order.
enum XwdField {
  kHeaderSize,
  kFileVersion,
  kPixmapFormat,
  kPixmapDepth,
  kPixmapWidth,
  kPixmapHeight,
  kXOffset,
  kByteOrder,
  kBitmapUnit,
  kBitmapBitOrder,
  kBitmapPad,
  kBitsPerPixel,
  kBytesPerLine,
  kVisualClass,
  kRedMask,
  kGreenMask,
  kBlueMask,
  kBitsPerRgb,
  kColormapEntries,
  kColourCount,
  kXwdFields = 25
};
constexpr std::uint32_t kXwdVersion = 7;
constexpr std::uint32_t kZPixmap = 2;
constexpr std::uint32_t kTrueColor = 4;
constexpr std::uint32_t kDirectColor = 5;
constexpr std::uint32_t kColourEntrySize = 12;

std::uint32_t big_endian_word(const std::string& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return v;
}

}  // namespace

Image Image::crop(int x, int y, int w, int h) const {
  Image part;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, width), y1 = std::min(y + h, height);
  if (x1 <= x0 || y1 <= y0) return part;
  part.width = x1 - x0;
  part.height = y1 - y0;
  part.pixels.reserve(static_cast<std::size_t>(part.width) * static_cast<std::size_t>(part.height));
  for (int row = y0; row < y1; ++row)
    for (int col = x0; col < x1; ++col) part.pixels.push_back(at(col, row));
  return part;
}

std::optional<Image> read_xwd(const std::string& bytes, int x, int y, int w, int h) {
  if (bytes.size() < kXwdFields * 4) return std::nullopt;
  std::array<std::uint32_t, kXwdFields> field{};
  for (std::size_t i = 0; i < field.size(); ++i) field[i] = big_endian_word(bytes, 4 * i);
  const std::uint32_t visual = field[kVisualClass];
  if (field[kFileVersion] != kXwdVersion || field[kPixmapFormat] != kZPixmap ||
      (visual != kTrueColor && visual != kDirectColor) || field[kHeaderSize] < kXwdFields * 4)
    return std::nullopt;
  const std::uint64_t width = field[kPixmapWidth], height = field[kPixmapHeight];
  const std::uint64_t line = field[kBytesPerLine];
  // A screen, not a poster: bounds every size before anything is allocated.
  if (width == 0 || height == 0 || width > 16384 || height > 16384) return std::nullopt;
  // Pixels of three or four bytes; a line may be padded beyond them.
  const std::uint64_t step = field[kBitsPerPixel] / 8;
  if ((step != 3 && step != 4) || field[kBitsPerPixel] % 8 != 0 || line < width * step)
    return std::nullopt;
  const std::uint64_t colours = field[kColourCount];
  const std::uint64_t start = std::uint64_t(field[kHeaderSize]) + colours * kColourEntrySize;
  if (colours > 65536 || start + line * height > bytes.size()) return std::nullopt;

  // Each channel's value to 8 bits, looked up; direct colour goes through
  // the colour map (16-bit values).
  const std::array<std::uint32_t, 3> masks{field[kRedMask], field[kGreenMask], field[kBlueMask]};
  std::array<int, 3> shifts{};
  std::array<std::vector<std::uint8_t>, 3> to_8_bits;
  for (int c = 0; c < 3; ++c) {
    const std::uint32_t mask = masks[c];
    if (mask == 0 || (mask >> shifts[c]) == 0) return std::nullopt;
    while (!((mask >> shifts[c]) & 1u)) ++shifts[c];
    const std::uint32_t max = mask >> shifts[c];
    if (max > 0xFFFF) return std::nullopt;
    to_8_bits[c].resize(max + 1);
    for (std::uint32_t v = 0; v <= max; ++v) {
      std::uint32_t value = v * 255u / max;
      if (visual == kDirectColor && v < colours) {
        const std::size_t entry = field[kHeaderSize] + v * kColourEntrySize + 4 + 2 * c;
        value = static_cast<unsigned char>(bytes[entry]);
      }
      to_8_bits[c][v] = static_cast<std::uint8_t>(value);
    }
  }
  x = std::max(x, 0);
  y = std::max(y, 0);
  const int x1 = std::min<std::int64_t>(std::int64_t(x) + w, std::int64_t(width));
  const int y1 = std::min<std::int64_t>(std::int64_t(y) + h, std::int64_t(height));
  if (x1 <= x || y1 <= y) return std::nullopt;
  const bool lsb_first = field[kByteOrder] == 0;
  Image image;
  image.width = x1 - x;
  image.height = y1 - y;
  image.pixels.reserve(static_cast<std::size_t>(image.width) * image.height);
  for (int row = y; row < y1; ++row) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + start +
                             std::uint64_t(row) * line + std::uint64_t(x) * step;
    for (int col = x; col < x1; ++col, p += step) {
      std::uint32_t pixel = 0;
      for (std::size_t b = 0; b < step; ++b)
        pixel |= lsb_first ? std::uint32_t(p[b]) << (8 * b)
                           : std::uint32_t(p[b]) << (8 * (step - 1 - b));
      image.pixels.push_back(std::uint32_t(to_8_bits[0][(pixel & masks[0]) >> shifts[0]]) << 16 |
                             std::uint32_t(to_8_bits[1][(pixel & masks[1]) >> shifts[1]]) << 8 |
                             to_8_bits[2][(pixel & masks[2]) >> shifts[2]]);
    }
  }
  return image;
}

std::optional<Image> screenshot(int x, int y, int w, int h) {
  if (!std::getenv("DISPLAY")) return std::nullopt;
  const std::string path =
      (std::filesystem::temp_directory_path() / ("xwd_root_" + std::to_string(::getpid()) + ".xwd"))
          .string();
  const std::string command = "timeout 20 xwd -root -silent -out '" + path + "' 2>/dev/null";
  std::optional<Image> image;
  if (std::system(command.c_str()) == 0) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    image = read_xwd(bytes.str(), x, y, w, h);
  }
  std::remove(path.c_str());
  return image;
}

std::optional<Image> window_screenshot(unsigned long window) {
  const std::optional<WindowRect> rect = window_rect(window);
  if (!rect) return std::nullopt;
  return screenshot(rect->x, rect->y, rect->width, rect->height);
}

bool write_ppm(const Image& image, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  for (const std::uint32_t p : image.pixels) {
    const char rgb[3] = {static_cast<char>(red(p)), static_cast<char>(green(p)),
                         static_cast<char>(blue(p))};
    out.write(rgb, 3);
  }
  return static_cast<bool>(out);
}

std::uint8_t red(std::uint32_t rgb) {
  return static_cast<std::uint8_t>(rgb >> 16);
}
std::uint8_t green(std::uint32_t rgb) {
  return static_cast<std::uint8_t>(rgb >> 8);
}
std::uint8_t blue(std::uint32_t rgb) {
  return static_cast<std::uint8_t>(rgb);
}
double luma(std::uint32_t rgb) {
  return 0.299 * red(rgb) + 0.587 * green(rgb) + 0.114 * blue(rgb);
}

double share(const Image& image, const std::function<bool(std::uint32_t)>& test) {
  if (image.pixels.empty()) return 0.0;
  const auto n = std::count_if(image.pixels.begin(), image.pixels.end(), test);
  return static_cast<double>(n) / static_cast<double>(image.pixels.size());
}

Box bounding_box(const Image& image, const std::function<bool(std::uint32_t)>& test) {
  Box box{image.width, image.height, -1, -1};
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (test(image.at(x, y))) {
        box.x0 = std::min(box.x0, x);
        box.y0 = std::min(box.y0, y);
        box.x1 = std::max(box.x1, x);
        box.y1 = std::max(box.y1, y);
      }
  if (box.x1 < 0) return Box{};
  return box;
}

double changed_share(const Image& a, const Image& b, int tolerance) {
  if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 1.0;
  std::size_t changed = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) {
    const std::uint32_t p = a.pixels[i], q = b.pixels[i];
    if (std::abs(int(red(p)) - int(red(q))) > tolerance ||
        std::abs(int(green(p)) - int(green(q))) > tolerance ||
        std::abs(int(blue(p)) - int(blue(q))) > tolerance)
      ++changed;
  }
  return static_cast<double>(changed) / static_cast<double>(a.pixels.size());
}

}  // namespace testing_support
