// Screenshots of the virtual X display taken with X's own dump tool (xwd),
// as a player would see the screen, and the few measures the end-to-end
// tests compare them by.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// Pixels as 0xRRGGBB, row by row from the top left.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  // The part inside the rectangle, clipped to the image (empty when they do
  // not overlap).
  Image crop(int x, int y, int w, int h) const;
};

constexpr int kWhole = 1 << 30;

// The part inside the rectangle (clipped to it) of a ZPixmap dump in xwd's
// file format (true or direct colour, pixels of three or four bytes);
// nothing for any other or malformed dump, or a part outside it.
std::optional<Image> read_xwd(const std::string& bytes, int x = 0, int y = 0, int w = kWhole,
                              int h = kWhole);

// The screen of $DISPLAY through `xwd -root`, or the part inside the
// rectangle; nothing without a display or when the dump fails.
std::optional<Image> screenshot(int x = 0, int y = 0, int w = kWhole, int h = kWhole);

// The screen part of a top-level window (found by its id, with
// x_windows.h), clipped to the screen; nothing when either fails.
std::optional<Image> window_screenshot(unsigned long window);

// Saves the image as a binary PPM, for looking at a failing run.
bool write_ppm(const Image& image, const std::string& path);

std::uint8_t red(std::uint32_t rgb);
std::uint8_t green(std::uint32_t rgb);
std::uint8_t blue(std::uint32_t rgb);
// Rec. 601 luma, 0 to 255.
double luma(std::uint32_t rgb);

// The share of pixels (0 to 1) for which the test holds; 0 for an empty
// image.
double share(const Image& image, const std::function<bool(std::uint32_t)>& test);

// The bounding box of the pixels for which the test holds.
struct Box {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;  // inclusive; empty when x1 < x0
  bool empty() const { return x1 < x0; }
  int width() const { return empty() ? 0 : x1 - x0 + 1; }
  int height() const { return empty() ? 0 : y1 - y0 + 1; }
};
Box bounding_box(const Image& image, const std::function<bool(std::uint32_t)>& test);

// The share of pixels of two images of one size whose channels differ by
// more than the tolerance in any channel; 1 for images of different sizes.
double changed_share(const Image& a, const Image& b, int tolerance);

}  // namespace testing_support
