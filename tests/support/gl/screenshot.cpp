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
constexpr std::uint32_t kColourEntrySize = 12;

std::uint32_t big_endian_word(const std::string& bytes, std::size_t offset) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return v;
}

// The 8-bit value of the channel under the mask.
std::uint32_t channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1u)) ++shift;
  const std::uint32_t max = mask >> shift;
  return ((pixel & mask) >> shift) * 255u / max;
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

std::optional<Image> read_xwd(const std::string& bytes) {
  if (bytes.size() < kXwdFields * 4) return std::nullopt;
  std::array<std::uint32_t, kXwdFields> h{};
  for (std::size_t i = 0; i < h.size(); ++i) h[i] = big_endian_word(bytes, 4 * i);
  const std::uint32_t bpp = h[kBitsPerPixel];
  if (h[kFileVersion] != kXwdVersion || h[kPixmapFormat] != kZPixmap ||
      h[kVisualClass] != kTrueColor || (bpp != 24 && bpp != 32) || h[kHeaderSize] < kXwdFields * 4)
    return std::nullopt;
  const std::uint64_t width = h[kPixmapWidth], height = h[kPixmapHeight];
  const std::uint64_t line = h[kBytesPerLine];
  // A screen, not a poster: bounds every size before anything is allocated.
  if (width == 0 || height == 0 || width > 16384 || height > 16384 || line < width * bpp / 8)
    return std::nullopt;
  const std::uint64_t start =
      std::uint64_t(h[kHeaderSize]) + std::uint64_t(h[kColourCount]) * kColourEntrySize;
  if (start + line * height > bytes.size()) return std::nullopt;

  const bool lsb_first = h[kByteOrder] == 0;
  const std::size_t step = bpp / 8;
  Image image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.reserve(width * height);
  for (std::uint64_t y = 0; y < height; ++y) {
    const std::size_t row = static_cast<std::size_t>(start + y * line);
    for (std::uint64_t x = 0; x < width; ++x) {
      std::uint32_t pixel = 0;
      for (std::size_t b = 0; b < step; ++b) {
        const std::uint32_t byte = static_cast<unsigned char>(bytes[row + x * step + b]);
        pixel |= lsb_first ? byte << (8 * b) : byte << (8 * (step - 1 - b));
      }
      image.pixels.push_back(channel(pixel, h[kRedMask]) << 16 |
                             channel(pixel, h[kGreenMask]) << 8 | channel(pixel, h[kBlueMask]));
    }
  }
  return image;
}

std::optional<Image> screenshot() {
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
    image = read_xwd(bytes.str());
  }
  std::remove(path.c_str());
  return image;
}

std::optional<Image> window_screenshot(unsigned long window) {
  const std::optional<WindowRect> rect = window_rect(window);
  if (!rect) return std::nullopt;
  std::optional<Image> screen = screenshot();
  if (!screen) return std::nullopt;
  Image part = screen->crop(rect->x, rect->y, rect->width, rect->height);
  if (part.pixels.empty()) return std::nullopt;
  return part;
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
