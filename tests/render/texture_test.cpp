// Decoding and encoding of textures: no OpenGL context is needed for these.
#include "render/texture.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "support/capture.h"
#include "support/data_root.h"
#include "support/image_files.h"

using testing_support::bmp_bit_fields_file;
using testing_support::bmp_file;
using testing_support::OutputCapture;
using testing_support::png_chunk;
using testing_support::png_file;
using testing_support::put_le16;
using testing_support::put_le32;
using testing_support::TempDataRoot;
using testing_support::zlib_stored;
using Bytes = std::vector<unsigned char>;

namespace {

// Top row red, green; bottom row blue, white.
const Bytes kTop{255, 0, 0, 255, 0, 255, 0, 255};
const Bytes kBottom{0, 0, 255, 255, 255, 255, 255, 128};

Bytes concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

Bytes to_bytes(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

const std::string kPng2x2 = png_file(2, 2, 4, concat(kTop, kBottom));

}  // namespace

TEST(TexturePng, LoadFlipsRowsAndTheVectorFormKeepsThemAsDecoded) {
  TempDataRoot root;
  root.write("textures/ball.PNG", kPng2x2);
  Texture t;
  OutputCapture capture;
  ASSERT_EQ(t.load("textures/ball.PNG", false, false, true), 0);
  EXPECT_EQ(capture.out(), "Load 2x2 pixels \nLoaded textures/ball.PNG\n");
  EXPECT_EQ(t.pixels(), concat(kBottom, kTop));
  EXPECT_EQ(t.width(), 2u);
  EXPECT_EQ(t.height(), 2u);
  EXPECT_EQ(t.aspect(), 1.0f);
  EXPECT_EQ(t.bytes_per_pixel(), Texture::kRGBA);
  EXPECT_EQ(t.file_name(), "textures/ball.PNG");
  EXPECT_EQ(t.png(), to_bytes(kPng2x2));
  EXPECT_EQ(t.id(), 0u);  // nothing was created

  Texture unflipped;
  ASSERT_EQ(unflipped.load_png(to_bytes(kPng2x2), false, false, false), 0);
  EXPECT_EQ(unflipped.pixels(), concat(kTop, kBottom));
}

TEST(TexturePng, GreyAndRgbImagesDecodeToRgba) {
  Texture grey;
  ASSERT_EQ(grey.load_png(to_bytes(png_file(2, 1, 1, {10, 200})), false, false, false), 0);
  EXPECT_EQ(grey.pixels(), (Bytes{10, 10, 10, 255, 200, 200, 200, 255}));
  Texture rgb;
  ASSERT_EQ(rgb.load_png(to_bytes(png_file(1, 1, 3, {1, 2, 3})), false, false, false), 0);
  EXPECT_EQ(rgb.pixels(), (Bytes{1, 2, 3, 255}));
}

TEST(TexturePng, StreamFormReadsNoMoreThanTheStreamHolds) {
  std::istringstream in(kPng2x2);
  Texture t;
  ASSERT_EQ(t.load_png(in, 1ull << 40, false, false, true), 0);
  EXPECT_EQ(t.png(), to_bytes(kPng2x2));
  EXPECT_EQ(t.pixels(), concat(kBottom, kTop));
}

TEST(TexturePng, MalformedFilesAreRefusedAndLeaveThePixels) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  const std::string rows(64 * 4, '\x7f');
  const Case cases[] = {
      {"truncated", kPng2x2.substr(0, kPng2x2.size() / 2), "lodepng_decode_file returned error "},
      {"not a PNG", "GIF89a and then some more bytes", "lodepng_decode_file returned error "},
      {"empty", "", "lodepng_decode_file returned error "},
      {"huge declared size", png_file(2, 2, 4, concat(kTop, kBottom), 100000, 100000),
       "image of 100000x100000 pixels refused"},
      // Within the side limit, but 50 bytes cannot hold 16000 x 16000 pixels.
      {"more pixels than bytes", png_file(2, 2, 4, concat(kTop, kBottom), 16000, 16000),
       "image of 16000x16000 pixels refused"},
  };
  for (const Case& c : cases) {
    Texture t;
    ASSERT_EQ(t.load_png(to_bytes(kPng2x2), false, false, false), 0);
    OutputCapture capture;
    EXPECT_EQ(t.load_png(to_bytes(c.bytes), false, false, false), -3) << c.what;
    EXPECT_NE(capture.err().find(c.message), std::string::npos) << c.what << ": " << capture.err();
    EXPECT_EQ(t.pixels(), concat(kTop, kBottom)) << c.what;
    EXPECT_EQ(t.width(), 2u) << c.what;
    EXPECT_EQ(t.png(), to_bytes(c.bytes)) << c.what;  // the new bytes are kept
  }
}

TEST(TexturePng, ARefusedFileIsNamed) {
  TempDataRoot root;
  root.write("textures/huge.png", png_file(2, 2, 4, concat(kTop, kBottom), 100000, 100000));
  Texture t;
  OutputCapture capture;
  EXPECT_EQ(t.load_png("textures/huge.png", false, false, false), -3);
  EXPECT_NE(capture.err().find("image of 100000x100000 pixels refused (larger than the texture "
                               "limit) for textures/huge.png\n"),
            std::string::npos)
      << capture.err();
}

TEST(TexturePng, DamagedOptionalChunksAreLeftOut) {
  // Chunks go right after IHDR (8 signature bytes and 25 of IHDR).
  auto with_chunk = [](const std::string& chunk) {
    return kPng2x2.substr(0, 33) + chunk + kPng2x2.substr(33);
  };
  auto bad_checksum = [](std::string chunk) {
    chunk.back() = static_cast<char>(chunk.back() ^ 0x5a);
    return chunk;
  };
  const std::string profile =
      png_chunk("iCCP", std::string("ICC profile\0\0", 13) + zlib_stored("profile bytes"));
  const std::string broken_zlib = "\x78\x01\x05\xff\xff";  // deflate data that runs out
  const struct {
    const char* what;
    std::string bytes;
  } damaged[] = {
      {"colour profile that does not inflate",
       with_chunk(png_chunk("iCCP", std::string("ICC profile\0\0", 13) + broken_zlib))},
      {"colour profile with a wrong checksum", with_chunk(bad_checksum(profile))},
      {"text with a wrong checksum",
       with_chunk(bad_checksum(png_chunk("tEXt", std::string("Comment\0hello", 13))))},
      {"colour profile of an unknown method",
       with_chunk(png_chunk("iCCP", std::string("ICC profile\0\7", 13) + zlib_stored("p")))},
      {"colour profile without a name", with_chunk(png_chunk("iCCP", std::string("\0\0x", 3)))},
      {"physical size with a wrong checksum",
       with_chunk(bad_checksum(png_chunk("pHYs", std::string(9, '\1'))))},
  };
  // The intact profile reads as it is.
  Texture intact;
  ASSERT_EQ(intact.load_png(to_bytes(with_chunk(profile)), false, false, false), 0);
  EXPECT_EQ(intact.pixels(), concat(kTop, kBottom));
  for (const auto& c : damaged) {
    Texture t;
    OutputCapture capture;
    ASSERT_EQ(t.load_png(to_bytes(c.bytes), false, false, true), 0) << c.what << capture.err();
    EXPECT_EQ(t.pixels(), concat(kBottom, kTop)) << c.what;
    EXPECT_EQ(t.png(), to_bytes(c.bytes)) << c.what;  // the bytes as given
    EXPECT_NE(capture.err().find("Texture::load_png(): optional chunks left out"),
              std::string::npos)
        << c.what << capture.err();
  }
  // Damage to the pixels' own chunks, or to the chunk layout, is still refused.
  std::string bad_pixels = kPng2x2;
  bad_pixels[bad_pixels.size() - 13] ^= 0x5a;  // the checksum of IDAT
  std::string overlong = with_chunk(profile);
  overlong[33] = '\x7f';  // the profile's length runs past the end
  for (const std::string& bytes : {bad_pixels, overlong}) {
    Texture t;
    OutputCapture capture;
    EXPECT_EQ(t.load_png(to_bytes(bytes), false, false, false), -3);
    EXPECT_NE(capture.err().find("lodepng_decode_file returned error "), std::string::npos);
  }
}

TEST(TexturePng, AFileThatDoesNotDecodeIsNamedWithTheDecodersWords) {
  TempDataRoot root;
  root.write("textures/cut.png", kPng2x2.substr(0, kPng2x2.size() / 2));
  Texture t;
  OutputCapture capture;
  EXPECT_EQ(t.load("textures/cut.png", false, false, false), -3);
  // The decoder's code, its words for it and the file.
  EXPECT_TRUE(std::regex_search(
      capture.err(),
      std::regex(R"(lodepng_decode_file returned error \d+ \(.+\) for textures/cut\.png\n)")))
      << capture.err();
}

TEST(TextureLoad, ExtensionDecidesAndFailuresAreReported) {
  TempDataRoot root;
  Texture t;
  OutputCapture capture;
  EXPECT_EQ(t.load("image.png.bak", false, false, false), -1);
  EXPECT_EQ(capture.err(), "Could not detect extension or invalid texture format: image.png.bak\n");
  capture.reset();
  EXPECT_EQ(t.load("missing.png", false, false, true), -1);
  EXPECT_NE(capture.err().find("Error loading texture missing.png\n"), std::string::npos);
  EXPECT_NE(t.load("missing.bmp", false, false, false), 0);
  EXPECT_NE(capture.out().find("Failure to open bitmap file missing.bmp\n"), std::string::npos);
}

namespace {

// Stored bottom row first, B G R: bottom (blue, green), top (red, white).
const std::vector<std::uint8_t> kBmp24Rows{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
const Bytes kRgbBottomUp{0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255};

}  // namespace

TEST(TextureBmp, TwentyFourBitRowsArePaddedInTheFileAndPackedInMemory) {
  TempDataRoot root;
  root.write("textures/a.BMP", bmp_file(2, 2, 24, kBmp24Rows));
  Texture t;
  OutputCapture capture;
  ASSERT_EQ(t.load("textures/a.BMP", false, false, false), 0);
  EXPECT_EQ(t.pixels(), kRgbBottomUp);
  EXPECT_EQ(t.bytes_per_pixel(), Texture::kRGB);
  EXPECT_EQ(t.width(), 2u);
  EXPECT_EQ(t.height(), 2u);
  const std::string out = capture.out();
  for (const char* line :
       {"BITMAPFILEHEADER size = 14\n", "BITMAPINFOHEADER size = 40\n", "file header bfSize = 70\n",
        "file header bfOffBits = 54\n", "info header biWidth = 2\n", "info header biHeight = 2\n",
        "info header biBitCount = 24\n", "info header biSizeImage = 16\n", "biSizeImage = 16\n",
        "Load 2x2 pixels \n"})
    EXPECT_NE(out.find(line), std::string::npos) << line;
}

TEST(TextureBmp, ThirtyTwoBitAlphaIsOpaqueAndTopDownRowsAreTurned) {
  TempDataRoot root;
  // B G R A, alpha 0 and 7 in the file.
  const std::vector<std::uint8_t> rows{1, 2, 3, 0, 4, 5, 6, 7};
  root.write("up.bmp", bmp_file(1, 2, 32, rows));
  root.write("down.bmp", bmp_file(1, -2, 32, rows));
  std::vector<unsigned char> pixels;
  unsigned w = 0, h = 0;
  OutputCapture capture;
  ASSERT_EQ(LoadBMP(pixels, "up.bmp", &w, &h), 0);
  EXPECT_EQ(pixels, (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
  EXPECT_EQ(w, 1u);
  EXPECT_EQ(h, 2u);
  ASSERT_EQ(LoadBMP(pixels, "down.bmp", &w, &h), 0);
  EXPECT_EQ(pixels, (Bytes{6, 5, 4, 255, 3, 2, 1, 255}));
  EXPECT_EQ(h, 2u);
}

TEST(TextureBmp, ThirtyTwoBitBitFieldsOfWholeBytesAreReadInTheirOrder) {
  // Two pixels of four bytes each, as in the file.
  const std::vector<std::uint8_t> rows{1, 2, 3, 0, 4, 5, 6, 7};
  // Blue, green, red, alpha: the plain layout.
  const Bytes plain{3, 2, 1, 255, 6, 5, 4, 255};
  constexpr std::uint32_t kByte0 = 0x000000FFu, kByte1 = 0x0000FF00u, kByte2 = 0x00FF0000u,
                          kByte3 = 0xFF000000u;
  const struct {
    const char* what;
    std::string bytes;
    int code;
    Bytes rgba;
  } cases[] = {
      {"masks after the 40-byte header",
       bmp_bit_fields_file(1, 2, rows, 40, {kByte2, kByte1, kByte0}), 0, plain},
      {"alpha bit fields", bmp_bit_fields_file(1, 2, rows, 40, {kByte2, kByte1, kByte0, kByte3}, 6),
       0, plain},
      {"108-byte header", bmp_bit_fields_file(1, 2, rows, 108, {kByte2, kByte1, kByte0, kByte3}), 0,
       plain},
      {"124-byte header, no alpha",
       bmp_bit_fields_file(1, 2, rows, 124, {kByte2, kByte1, kByte0, 0}), 0, plain},
      {"red and blue swapped",
       bmp_bit_fields_file(1, 2, rows, 40, {kByte0, kByte1, kByte2}),
       0,
       {1, 2, 3, 255, 4, 5, 6, 255}},
      // Alpha, blue, green, red from the first byte on, as some libraries write.
      {"red in the high byte, alpha in the low one",
       bmp_bit_fields_file(1, 2, rows, 124, {kByte3, kByte2, kByte1, kByte0}),
       0,
       {0, 3, 2, 255, 7, 6, 5, 255}},
      {"alpha in blue's byte",
       bmp_bit_fields_file(1, 2, rows, 124, {kByte2, kByte1, kByte0, kByte0}),
       4,
       {}},
      {"red and green in one byte",
       bmp_bit_fields_file(1, 2, rows, 40, {kByte2, kByte2, kByte0}),
       4,
       {}},
      {"five-six-five masks",
       bmp_bit_fields_file(1, 2, rows, 40, {0xF800u, 0x07E0u, 0x001Fu}),
       4,
       {}},
      {"a mask of two bytes",
       bmp_bit_fields_file(1, 2, rows, 40, {0xFFFF0000u, kByte1, kByte0}),
       4,
       {}},
      {"no red mask", bmp_bit_fields_file(1, 2, rows, 40, {0, kByte1, kByte0}), 4, {}},
      {"24 bits with bit fields", bmp_file(1, 2, 24, {1, 2, 3, 4, 5, 6}, 3), 4, {}},
      {"masks cut off", bmp_file(1, 2, 32, {}, 3).substr(0, 60), 3, {}},
  };
  TempDataRoot root;
  for (const auto& c : cases) {
    root.write("fields.bmp", c.bytes);
    std::vector<unsigned char> pixels;
    unsigned w = 0, h = 0;
    OutputCapture capture;
    ASSERT_EQ(LoadBMP(pixels, "fields.bmp", &w, &h), c.code) << c.what << capture.out();
    if (c.code != 0) continue;
    EXPECT_EQ(pixels, c.rgba) << c.what;
    EXPECT_EQ(h, 2u) << c.what;
  }
}

TEST(TextureBmp, AFiftyByFiftyImageWithRedInTheHighByteReadsEveryPixel) {
  // Masks 0xFF000000, 0xFF0000, 0xFF00 and 0xFF for red, green, blue and
  // alpha: each pixel is stored alpha, blue, green, red.
  constexpr unsigned kSide = 50;
  std::vector<std::uint8_t> rows;
  Bytes expected;
  for (unsigned y = 0; y < kSide; ++y) {
    for (unsigned x = 0; x < kSide; ++x) {
      const auto red = static_cast<std::uint8_t>(5 * x), green = static_cast<std::uint8_t>(5 * y),
                 blue = static_cast<std::uint8_t>(x + y);
      rows.insert(rows.end(), {0x80, blue, green, red});
      expected.insert(expected.end(), {red, green, blue, 255});
    }
  }
  TempDataRoot root;
  root.write("abgr.bmp", bmp_bit_fields_file(kSide, kSide, rows, 124,
                                             {0xFF000000u, 0x00FF0000u, 0x0000FF00u, 0x000000FFu}));
  Texture t;
  OutputCapture capture;
  ASSERT_EQ(t.load("abgr.bmp", false, false, false), 0) << capture.out();
  EXPECT_EQ(t.width(), kSide);
  EXPECT_EQ(t.height(), kSide);
  EXPECT_EQ(t.pixels(), expected);
}

TEST(TextureBmp, MalformedFilesGiveTheirCodeAndNoPixels) {
  const std::string good = bmp_file(2, 2, 24, kBmp24Rows);
  auto with = [&](auto change) {
    std::string b = good;
    change(b);
    return b;
  };
  struct Case {
    const char* what;
    std::string bytes;
    int code;
  };
  const Case cases[] = {
      {"not BM", with([](std::string& b) { b[0] = 'X'; }), 2},
      {"only two bytes", "BM", 3},
      {"truncated header", good.substr(0, 40), 3},
      {"16-bit", bmp_file(2, 2, 16, {1, 2, 3, 4, 5, 6, 7, 8}), 4},
      {"compressed", with([](std::string& b) { put_le32(b, 30, 1); }), 4},
      {"negative width", with([](std::string& b) { put_le32(b, 18, std::uint32_t(-2)); }), 4},
      {"zero width", with([](std::string& b) { put_le32(b, 18, 0); }), -34},
      {"zero height", with([](std::string& b) { put_le32(b, 22, 0); }), -34},
      {"wider than any texture", with([](std::string& b) { put_le32(b, 18, 100000); }), 4},
      {"pixels past the end", good.substr(0, good.size() - 3), 5},
      {"taller than the file", with([](std::string& b) { put_le32(b, 22, 10000); }), 5},
      {"offset past the end", with([](std::string& b) { put_le32(b, 10, 1000); }), 5},
      {"offset inside the headers", with([](std::string& b) { put_le32(b, 10, 2); }), 5},
      {"offset at 4 GiB", with([](std::string& b) { put_le32(b, 10, 0xFFFFFFFFu); }), 5},
      {"most negative height", with([](std::string& b) { put_le32(b, 22, 0x80000000u); }), 4},
  };
  TempDataRoot root;
  for (const Case& c : cases) {
    root.write("bad.bmp", c.bytes);
    Texture t;
    t.set_data(1, 1, Bytes{9, 9, 9}.data(), Texture::kRGB);
    OutputCapture capture;
    EXPECT_EQ(t.load_bmp("bad.bmp", true, false), c.code) << c.what;
    EXPECT_NE(capture.err().find("Texture::load_bmp() error " + std::to_string(c.code) +
                                 " in external LoadBMP()\n"),
              std::string::npos)
        << c.what;
    EXPECT_EQ(t.pixels(), (Bytes{9, 9, 9})) << c.what;
    EXPECT_EQ(t.width(), 1u) << c.what;
    EXPECT_EQ(t.id(), 0u) << c.what;  // nothing was uploaded
  }
}

TEST(TextureBmp, HeaderSizesThatLieAreNotTrusted) {
  TempDataRoot root;
  // bfSize smaller than bfOffBits and biSizeImage far too large: the pixel
  // data that the width and height need is read, no more.
  std::string b = bmp_file(2, 2, 24, kBmp24Rows);
  put_le32(b, 2, 10);
  put_le32(b, 34, 1u << 30);
  root.write("lies.bmp", b);
  Texture t;
  OutputCapture capture;
  ASSERT_EQ(t.load_bmp("lies.bmp", false, false), 0);
  EXPECT_EQ(t.pixels(), kRgbBottomUp);
}

TEST(TextureData, SetDataAndPngEncoding) {
  Texture t;
  const unsigned char data[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(t.set_data(2, 1, data, Texture::kRGB), 0);
  EXPECT_EQ(t.pixels(), (Bytes{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(t.compress_png(), 0);
  Texture back;
  ASSERT_EQ(back.load_png(t.png(), false, false, false), 0);
  EXPECT_EQ(back.pixels(), (Bytes{1, 2, 3, 255, 4, 5, 6, 255}));

  const struct {
    unsigned w, h;
    std::size_t bytes;
  } bad[] = {{0, 0, 0}, {2, 0, 4}, {1, 1, 5}, {2, 2, 0}};
  for (const auto& c : bad) {
    Texture u;
    u.set_data(c.w, c.h, nullptr, Texture::kNoColor);
    u.pixels().assign(c.bytes, 1);
    OutputCapture capture;
    EXPECT_NE(u.compress_png(), 0) << c.w << "x" << c.h << ", " << c.bytes;
    EXPECT_TRUE(u.png().empty());
  }
  t.clear_local();
  EXPECT_TRUE(t.pixels().empty());
  EXPECT_EQ(t.width(), 2u);
}

TEST(TextureSave, ByNameWithoutOpenGL) {
  TempDataRoot root;
  Texture t;
  const unsigned char data[4] = {7, 8, 9, 10};
  t.set_data(1, 1, data, Texture::kRGBA);
  OutputCapture capture;
  EXPECT_EQ(t.save("shot.jpg"), -1);
  EXPECT_EQ(t.save("textures/SHOT.PNG"), 0);
  EXPECT_EQ(t.save("no_such_folder/shot.png"), -1);
  Texture back;
  ASSERT_EQ(back.load_png("textures/SHOT.PNG", false, false, false), 0);
  EXPECT_EQ(back.pixels(), (Bytes{7, 8, 9, 10}));

  // Nothing to encode and no texture to read back: it stops with an error.
  Texture empty;
  std::ostringstream out;
  EXPECT_NE(empty.save_png(out), 0);
  EXPECT_TRUE(out.str().empty());
}
