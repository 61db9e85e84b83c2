// Image textures: PNG through LodePNG, BMP through our own reader.
#include "render/texture.h"

#include <lodepng.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <new>
#include <utility>

#include "core/strings.h"

namespace {

// Sets the pack and unpack alignments while alive and restores them after:
// tightly packed rows of 1 or 3 bytes per pixel would otherwise be read with
// 4-byte row padding, past the end of the pixels.
class ByteAlignment {
 public:
  ByteAlignment() {
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
  }
  ~ByteAlignment() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_);
    glPixelStorei(GL_PACK_ALIGNMENT, pack_);
  }
  ByteAlignment(const ByteAlignment&) = delete;
  ByteAlignment& operator=(const ByteAlignment&) = delete;

 private:
  GLint unpack_ = 4, pack_ = 4;
};

// gluBuild2DMipmaps of tightly packed pixels of `components` bytes each.
// GLU's scaling of a picture whose sides are not powers of two reads one
// pixel past the last (a 512 x 192 one, say), which past the end of an
// allocation may be a page that is not mapped: for the call the pixels are
// followed by a zeroed row of their own.
GLint build_mipmaps(GLenum target, GLint format, GLsizei width, GLsizei height, GLenum pixel_format,
                    std::size_t components, std::vector<unsigned char>& pixels) {
  const std::size_t size = pixels.size();
  pixels.resize(size + (static_cast<std::size_t>(std::max(0, width)) + 1) * components, 0);
  const GLint result = gluBuild2DMipmaps(target, format, width, height, pixel_format,
                                         GL_UNSIGNED_BYTE, pixels.data());
  pixels.resize(size);
  return result;
}

// Deflate expands at most 1032 to 1: a PNG whose pixels could not fit in its
// bytes is refused before anything is allocated for them.
constexpr std::uint64_t kMaxDeflateRatio = 1032;
// LodePNG error codes are below 100; these are ours.
constexpr unsigned kPngTooLarge = 1000;
constexpr unsigned kPngCannotHold = 1001;

unsigned decode_whole(const std::vector<unsigned char>& png, std::vector<unsigned char>& rgba,
                      unsigned& w, unsigned& h) {
  LodePNGState state;
  lodepng_state_init(&state);
  unsigned error = lodepng_inspect(&w, &h, &state, png.data(), png.size());
  std::uint64_t raw_bytes = 0;
  if (!error) {
    const std::uint64_t bits = lodepng_get_bpp(&state.info_png.color);
    raw_bytes = std::uint64_t(h) * (1 + (std::uint64_t(w) * bits + 7) / 8);
  }
  lodepng_state_cleanup(&state);
  if (error) return error;
  if (w > Texture::kMaxSide || h > Texture::kMaxSide) return kPngTooLarge;
  if (raw_bytes > kMaxDeflateRatio * png.size()) return kPngCannotHold;
  return lodepng::decode(rgba, w, h, png, LCT_RGBA, 8);
}

std::uint32_t be32(const unsigned char* p) {
  return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
         std::uint32_t(p[3]);
}

// The PNG without the chunks that decoding to RGBA does not need: only the
// critical ones (a capital first letter) and the transparency stay, up to
// IEND. Empty when there is nothing to leave out or the chunks themselves do
// not hang together.
std::vector<unsigned char> essential_chunks(const std::vector<unsigned char>& png) {
  constexpr std::size_t kSignature = 8, kFrame = 12;  // length, type, CRC
  if (png.size() < kSignature) return {};
  std::vector<unsigned char> out(png.begin(), png.begin() + kSignature);
  bool dropped = false;
  for (std::size_t at = kSignature; at < png.size();) {
    if (png.size() - at < kFrame) return {};
    const std::uint64_t length = be32(&png[at]);
    if (length > png.size() - at - kFrame) return {};
    const unsigned char* type = &png[at + 4];
    const std::size_t next = at + kFrame + static_cast<std::size_t>(length);
    const bool critical = (type[0] & 0x20) == 0;
    if (critical || std::equal(type, type + 4, "tRNS")) {
      out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(at),
                 png.begin() + static_cast<std::ptrdiff_t>(next));
    } else {
      dropped = true;
    }
    if (std::equal(type, type + 4, "IEND")) break;
    at = next;
  }
  return dropped ? out : std::vector<unsigned char>();
}

// Colour profiles, texts and other optional chunks do not change the pixels:
// one that does not read (a wrong checksum, a damaged compressed text or
// profile) costs the chunk, not the image.
unsigned decode_png(const std::vector<unsigned char>& png, std::vector<unsigned char>& rgba,
                    unsigned& w, unsigned& h) {
  const unsigned error = decode_whole(png, rgba, w, h);
  if (error == 0 || error == kPngTooLarge || error == kPngCannotHold) return error;
  const std::vector<unsigned char> essential = essential_chunks(png);
  unsigned ew = 0, eh = 0;
  if (essential.empty() || decode_whole(essential, rgba, ew, eh) != 0) return error;
  std::cerr << "Texture::load_png(): optional chunks left out (lodepng error " << error
            << " with them)" << std::endl;
  w = ew;
  h = eh;
  return 0;
}

std::uint32_t le32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

std::uint16_t le16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The byte of a 32-bit pixel that a colour mask picks whole (0 for 0xFF, up
// to 3 for 0xFF000000); -1 for any other mask.
int mask_byte(std::uint32_t mask) {
  for (int byte = 0; byte < 4; ++byte)
    if (mask == 0xFFu << (8 * byte)) return byte;
  return -1;
}

// The red, green and blue masks at `masks` (and the alpha mask after them
// when there is one) as the bytes of a pixel that hold red, green and blue;
// false unless each of the three picks a whole byte of its own and the alpha
// mask is 0 or a whole byte of its own too.
bool byte_aligned_masks(const unsigned char* masks, bool alpha_mask, std::array<int, 3>& bytes) {
  std::array<int, 3> found{};
  bool used[4] = {};
  for (int c = 0; c < 3; ++c) {
    found[c] = mask_byte(le32(masks + 4 * c));
    if (found[c] < 0 || used[found[c]]) return false;
    used[found[c]] = true;
  }
  if (alpha_mask && le32(masks + 12) != 0) {
    const int alpha = mask_byte(le32(masks + 12));
    if (alpha < 0 || used[alpha]) return false;
  }
  bytes = found;
  return true;
}

// Errors left by earlier calls are not ours to report.
void drop_errors() {
  for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace

int LoadBMP(std::vector<unsigned char>& pixels, std::string file, unsigned* width,
            unsigned* height) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cout << "Failure to open bitmap file " << file << std::endl;
    return 1;
  }
  in.seekg(0, std::ios::end);
  const std::uint64_t file_bytes =
      static_cast<std::uint64_t>(std::max<std::streamoff>(0, in.tellg()));
  in.seekg(0, std::ios::beg);

  // The two headers, then room for the colour masks that follow them.
  constexpr std::streamsize kHeaders = 54, kMasks = 16;
  unsigned char header[kHeaders + kMasks] = {};
  in.read(reinterpret_cast<char*>(header), sizeof header);
  const std::streamsize got = in.gcount();
  in.clear();
  const bool bm = got >= 2 && le16(header) == 0x4D42;
  if (got < kHeaders) {
    if (!bm) {
      std::cout << "File \"" << file << "\" isn't a bitmap file\n";
      return 2;
    }
    std::cout << "Bitmap file \"" << file << "\" is too short for its headers (" << got << " bytes)"
              << std::endl;
    return 3;
  }
  const std::uint32_t bfSize = le32(header + 2), bfOffBits = le32(header + 10);
  const unsigned char* info = header + 14;
  const std::uint32_t biSize = le32(info);
  const std::int32_t biWidth = static_cast<std::int32_t>(le32(info + 4));
  const std::int32_t biHeight = static_cast<std::int32_t>(le32(info + 8));
  const std::uint16_t biPlanes = le16(info + 12), biBitCount = le16(info + 14);
  const std::uint32_t biCompression = le32(info + 16);
  std::uint32_t biSizeImage = le32(info + 20);
  if (biSizeImage == 0 && bfSize >= bfOffBits) biSizeImage = bfSize - bfOffBits;

  std::cout << "BITMAPFILEHEADER size = " << 14 << std::endl
            << "BITMAPINFOHEADER size = " << 40 << std::endl
            << "file header bfSize = " << bfSize << std::endl
            << "file header bfOffBits = " << bfOffBits << std::endl
            << "info header biSize = " << biSize << std::endl
            << "info header biWidth = " << biWidth << std::endl
            << "info header biHeight = " << biHeight << std::endl
            << "info header biPlanes = " << biPlanes << std::endl
            << "info header biBitCount = " << biBitCount << std::endl
            << "info header biCompression = " << biCompression << std::endl
            << "info header biSizeImage = " << biSizeImage << std::endl
            << "info header biXPelsPerMeter = " << static_cast<std::int32_t>(le32(info + 24))
            << std::endl
            << "info header biYPelsPerMeter = " << static_cast<std::int32_t>(le32(info + 28))
            << std::endl
            << "info header biClrUsed = " << le32(info + 32) << std::endl
            << "info header biClrImportant = " << le32(info + 36) << std::endl;
  if (!bm) {
    std::cout << "File \"" << file << "\" isn't a bitmap file\n";
    return 2;
  }
  // Bit fields (3, or 6 with an alpha mask) of 32-bit pixels read when each
  // of the red, green and blue masks picks a whole byte of its own (and an
  // alpha mask, when there is one, is 0 or another whole byte): the pixel's
  // bytes are then only reordered. The masks follow the 40-byte header, or
  // stand in a larger one, at the same place.
  const bool bit_fields = biCompression == 3 || biCompression == 6;
  const bool alpha_mask = biCompression == 6 || biSize >= 56;
  const std::streamsize mask_end = kHeaders + (alpha_mask ? 16 : 12);
  if (bit_fields && biBitCount == 32 && got < mask_end) {
    std::cout << "Bitmap file \"" << file << "\" is too short for its colour masks" << std::endl;
    return 3;
  }
  // The bytes of a stored pixel that hold red, green and blue: blue, green,
  // red order unless bit fields say otherwise.
  std::array<int, 3> rgb_bytes{2, 1, 0};
  const bool byte_masks =
      bit_fields && biBitCount == 32 && byte_aligned_masks(header + 54, alpha_mask, rgb_bytes);
  if ((biBitCount != 24 && biBitCount != 32) || (biCompression != 0 && !byte_masks)) {
    std::cout << "Bitmap file \"" << file << "\": " << biBitCount << " bits, compression "
              << biCompression
              << " not supported (uncompressed 24 or 32 bits, or 32 bits with bit fields of "
                 "whole bytes)"
              << std::endl;
    return 4;
  }
  if (biWidth == 0 || biHeight == 0) {
    std::cout << "Bitmap file \"" << file << "\" holds no pixels" << std::endl;
    if (width) *width = 0;
    if (height) *height = 0;
    return -34;
  }
  // A negative height marks rows stored top to bottom.
  const bool top_down = biHeight < 0;
  const std::uint64_t w = biWidth > 0 ? std::uint64_t(biWidth) : 0;
  const std::uint64_t h =
      top_down ? std::uint64_t(-std::int64_t(biHeight)) : std::uint64_t(biHeight);
  if (w == 0 || w > Texture::kMaxSide || h > Texture::kMaxSide) {
    std::cout << "Bitmap file \"" << file << "\": size " << biWidth << "x" << biHeight
              << " not supported" << std::endl;
    return 4;
  }
  const std::uint64_t n = biBitCount / 8;
  const std::uint64_t packed_row = w * n;
  const std::uint64_t stored_row = (packed_row + 3) / 4 * 4;  // rows are padded to 4 bytes
  const std::uint64_t image_bytes = stored_row * h;
  if (bfOffBits < kHeaders || bfOffBits > file_bytes || image_bytes > file_bytes - bfOffBits) {
    std::cout << "Bitmap file \"" << file << "\": " << image_bytes << " bytes of pixels at "
              << bfOffBits << " lie outside the file of " << file_bytes << " bytes" << std::endl;
    return 5;
  }
  std::cout << "biSizeImage = " << image_bytes << std::endl;

  std::vector<unsigned char> image, row;
  try {
    image.resize(packed_row * h);
    row.resize(stored_row);
  } catch (const std::bad_alloc&) {
    std::cerr << "Error occurred allocating memory, image bytes = " << packed_row * h << std::endl;
    return 33;
  }
  in.seekg(bfOffBits, std::ios::beg);
  for (std::uint64_t r = 0; r < h; ++r) {
    in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(stored_row));
    if (!in) {
      std::cout << "Bitmap file \"" << file << "\" ends inside its pixels" << std::endl;
      return 5;
    }
    unsigned char* out = &image[(top_down ? h - 1 - r : r) * packed_row];
    for (std::uint64_t i = 0; i < packed_row; i += n) {
      for (std::uint64_t c = 0; c < 3; ++c) out[i + c] = row[i + rgb_bytes[c]];
      if (n > 3) out[i + 3] = 255;
    }
  }
  pixels = std::move(image);
  if (width) *width = static_cast<unsigned>(w);
  if (height) *height = static_cast<unsigned>(h);
  return 0;
}

int Texture::load(std::string file, bool create, bool drop, bool report) {
  const std::string lower = tolower_s(file);
  int result;
  if (lower.ends_with(".png")) {
    result = load_png(file, create, drop, true);
  } else if (lower.ends_with(".bmp")) {
    result = load_bmp(file, create, drop);
  } else {
    std::cerr << "Could not detect extension or invalid texture format: " << file << std::endl;
    return -1;
  }
  if (report) {
    if (result != 0)
      std::cerr << "Error loading texture " << file << std::endl;
    else
      std::cout << "Loaded " << file << std::endl;
  }
  return result;
}

int Texture::load_png(std::string file, bool create, bool drop, bool flip) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "Texture::load_png(): cannot open " << file << std::endl;
    return -1;
  }
  file_name_ = file;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  return load_png(in, static_cast<unsigned long long>(std::max<std::streamoff>(0, size)), create,
                  drop, flip);
}

int Texture::load_png(std::istream& in, unsigned long long size, bool create, bool drop,
                      bool flip) {
  // In pieces, so a size larger than what the stream holds allocates only what
  // it really delivers.
  constexpr unsigned long long kPiece = 1 << 20;
  std::vector<unsigned char> bytes;
  while (bytes.size() < size && in) {
    const std::size_t at = bytes.size();
    const std::size_t piece = static_cast<std::size_t>(std::min(kPiece, size - at));
    bytes.resize(at + piece);
    in.read(reinterpret_cast<char*>(bytes.data() + at), static_cast<std::streamsize>(piece));
    bytes.resize(at + static_cast<std::size_t>(in.gcount()));
  }
  return load_png(bytes, create, drop, flip);
}

int Texture::load_png(const std::vector<unsigned char>& png, bool create, bool drop, bool flip) {
  png_ = png;
  unsigned w = 0, h = 0;
  std::vector<unsigned char> rgba;
  const unsigned error = decode_png(png, rgba, w, h);
  if (error == kPngTooLarge || error == kPngCannotHold) {
    std::cerr << "Texture::load_png(): image of " << w << "x" << h << " pixels refused ("
              << (error == kPngTooLarge ? "larger than the texture limit"
                                        : "more pixels than the file can hold")
              << ")";
    if (!file_name_.empty()) std::cerr << " for " << file_name_;
    std::cerr << std::endl;
    return -3;
  }
  if (error) {
    std::cerr << "lodepng_decode_file returned error " << error << " (" << lodepng_error_text(error)
              << ")";
    if (!file_name_.empty()) std::cerr << " for " << file_name_;
    std::cerr << std::endl;
    return -3;
  }
  TextureGL::width = static_cast<GLsizei>(w);
  TextureGL::height = static_cast<GLsizei>(h);
  bytes_per_pixel_ = kRGBA;
  if (flip) {
    const std::size_t row = std::size_t(w) * 4;
    pixels_.resize(rgba.size());
    for (std::size_t r = 0; r < h; ++r)
      std::copy_n(rgba.begin() + static_cast<std::ptrdiff_t>((h - 1 - r) * row), row,
                  pixels_.begin() + static_cast<std::ptrdiff_t>(r * row));
  } else {
    pixels_ = std::move(rgba);
  }
  std::cout << "Load " << w << "x" << h << " pixels " << std::endl;
  return upload_decoded("load_png", create, drop);
}

int Texture::load_bmp(std::string file, bool create, bool drop) {
  std::vector<unsigned char> image;
  unsigned w = 0, h = 0;
  const int code = LoadBMP(image, file, &w, &h);
  if (code != 0 || image.empty()) {
    std::cerr << "Texture::load_bmp() error " << code << " in external LoadBMP()" << std::endl;
    return code != 0 ? code : -34;
  }
  file_name_ = file;
  pixels_ = std::move(image);
  TextureGL::width = static_cast<GLsizei>(w);
  TextureGL::height = static_cast<GLsizei>(h);
  std::cout << "Load " << w << "x" << h << " pixels " << std::endl;
  bytes_per_pixel_ = static_cast<TextureColor>(pixels_.size() / (std::size_t(w) * h));
  return upload_decoded("load_bmp", create, drop);
}

int Texture::upload_decoded(const char* loader, bool create, bool drop) {
  if (!create) return 0;
  const int result = generate(GL_RGBA);
  if (result != 0) {
    std::cerr << "Texture::" << loader << "() error " << result << " in generate()" << std::endl;
    return result;
  }
  if (drop) clear_local();
  return 0;
}

int Texture::generate(int format) {
  GLenum pixel_format = GL_RGBA;
  std::size_t components = 4;
  switch (bytes_per_pixel_) {
    case kGrey:
      pixel_format = GL_LUMINANCE;
      components = 1;
      break;
    case kGreyAlpha:
      pixel_format = GL_LUMINANCE_ALPHA;
      components = 2;
      break;
    case kRGB:
      pixel_format = GL_RGB;
      components = 3;
      break;
    default:
      break;
  }
  const std::size_t w = static_cast<std::size_t>(std::max(0, TextureGL::width));
  const std::size_t h = static_cast<std::size_t>(std::max(0, TextureGL::height));
  if (w == 0 || h == 0 || pixels_.size() < w * h * components) {
    std::cerr << "Texture::generate() error: " << pixels_.size() << " bytes for " << w << "x" << h
              << " pixels of " << components << " bytes" << std::endl;
    return 4;
  }

  drop_errors();
  TextureGL::create();
  if (const int result = bind_with_filters(); result != 0) return result;
  if (repeat_s_) glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
  if (repeat_t_) glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_REPEAT);
  bytes_per_pixel_ = format == GL_RGB ? kRGB : format == GL_RGBA ? kRGBA : kGrey;
  internal_format = format;

  GLint result;
  {
    ByteAlignment packed;
    result = build_mipmaps(target, format, TextureGL::width, TextureGL::height, pixel_format,
                           components, pixels_);
  }
  glBindTexture(target, 0);
  if (result != 0) {
    std::cerr << "Texture::generate() gluBuild2DMipmaps error " << result << ", "
              << gl_error_string(static_cast<unsigned int>(result)) << std::endl;
    return result;
  }
  return 0;
}

unsigned int Texture::create(unsigned int w, unsigned int h, unsigned int channels) {
  if (id_ == 0) TextureGL::create();
  TextureGL::width = static_cast<GLsizei>(w);
  TextureGL::height = static_cast<GLsizei>(h);
  if (channels == 3 || channels == 4) bytes_per_pixel_ = static_cast<TextureColor>(channels);
  pixels_.assign(std::size_t(w) * h * 4, 0);
  glTexImage2D(target, 0, channels == 3 ? GL_RGB : GL_RGBA, TextureGL::width, TextureGL::height, 0,
               GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
  for (int i = 0; i < 32; ++i) {
    const GLenum e = glGetError();
    if (e == GL_NO_ERROR) break;
    std::cerr << "glTexImage2D error " << e << ", " << gl_error_string(e) << std::endl;
  }
  build_mipmaps(target, GL_RGBA, TextureGL::width, TextureGL::height, GL_RGBA, 4, pixels_);
  return id_;
}

int Texture::bind_with_filters() {
  glBindTexture(target, id_);
  if (const GLenum e = glGetError(); e != GL_NO_ERROR) {
    std::cerr << "debug glBindTexture 2, error code " << e << std::endl;
    return static_cast<int>(e);
  }
  glTexParameteri(target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min_filter_));
  if (const GLenum e = glGetError(); e != GL_NO_ERROR) {
    std::cerr << "debug glTexParameteri 1, error code " << e << std::endl;
    glBindTexture(target, 0);
    return 2;
  }
  glTexParameteri(target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(mag_filter_));
  if (const GLenum e = glGetError(); e != GL_NO_ERROR) {
    std::cerr << "debug glTexParameteri 2, error code " << e << std::endl;
    glBindTexture(target, 0);
    return 3;
  }
  return 0;
}

int Texture::generate_mipmaps() {
  const int result = bind_with_filters();
  if (result == 0) glBindTexture(target, 0);
  return result;
}

void Texture::bind() {
  std::as_const(*this).bind();
}

void Texture::bind() const {
  if (const GLenum e = glGetError(); e != GL_NO_ERROR)
    std::cerr << " Texture::bind() pre-error " << gl_error_string(e) << ", id_ = " << id_
              << std::endl;
  glEnable(target);
  glBindTexture(target, id_);
  if (const GLenum e = glGetError(); e != GL_NO_ERROR)
    std::cerr << " Texture::bind() post-error " << gl_error_string(e) << ", id_ = " << id_
              << std::endl;
}

int Texture::set_data(unsigned int w, unsigned int h, const unsigned char* data,
                      TextureColor bytes_per_pixel) {
  TextureGL::width = static_cast<GLsizei>(w);
  TextureGL::height = static_cast<GLsizei>(h);
  bytes_per_pixel_ = bytes_per_pixel;
  const std::size_t bytes =
      std::size_t(w) * h * static_cast<std::size_t>(std::max(0, int(bytes_per_pixel)));
  if (data)
    pixels_.assign(data, data + bytes);
  else
    pixels_.assign(bytes, 0);
  return 0;
}

void Texture::clear_local() {
  std::vector<unsigned char>().swap(pixels_);
}

int Texture::get_pixels() {
  glBindTexture(target, id_);
  bytes_per_pixel_ = kRGBA;
  // The level-0 size in OpenGL, which mipmap building may have changed.
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &h);
  TextureGL::width = std::max(0, w);
  TextureGL::height = std::max(0, h);
  pixels_.assign(std::size_t(TextureGL::width) * TextureGL::height * 4, 0);
  if (!pixels_.empty()) {
    ByteAlignment packed;
    glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
  }
  glBindTexture(target, 0);
  return 0;
}

int Texture::compress_png() {
  const std::size_t area =
      std::size_t(std::max(0, TextureGL::width)) * std::max(0, TextureGL::height);
  const std::size_t bpp = area ? pixels_.size() / area : 0;
  LodePNGColorType type;
  switch (bpp) {
    case 4:
      type = LCT_RGBA;
      break;
    case 3:
      type = LCT_RGB;
      break;
    case 2:
      type = LCT_GREY_ALPHA;
      break;
    case 1:
      type = LCT_GREY;
      break;
    default:
      std::cerr << "texture::save_png() error " << 0 << std::endl;
      png_.clear();
      return -1;
  }
  bytes_per_pixel_ = static_cast<TextureColor>(bpp);
  std::vector<unsigned char> encoded;
  const unsigned error =
      lodepng::encode(encoded, pixels_.data(), static_cast<unsigned>(TextureGL::width),
                      static_cast<unsigned>(TextureGL::height), type, 8);
  if (error) {
    std::cerr << "Texture::compress_png(): encoder error " << error << std::endl;
    return static_cast<int>(error);
  }
  png_ = std::move(encoded);
  return 0;
}

int Texture::save_png(std::ostream& out) {
  if (png_.empty()) {
    if (pixels_.empty()) {
      if (id_ == 0) {
        std::cerr << "Texture::save_png(): no pixels and no texture to save" << std::endl;
        return 2;
      }
      get_pixels();
    }
    if (const int result = compress_png(); result != 0) return result;
  }
  out.write(reinterpret_cast<const char*>(png_.data()), static_cast<std::streamsize>(png_.size()));
  return out.fail() || out.bad() ? 1 : 0;
}

int Texture::save_png(std::string file) {
  std::ofstream out(file, std::ios::binary);
  if (!out) {
    std::cerr << "Texture::save_png(): cannot open " << file << std::endl;
    return -1;
  }
  return save_png(out);
}

int Texture::save(std::string file) {
  if (tolower_s(file).find(".png") != std::string::npos) return save_png(file);
  std::cerr << "Texture::save(): no PNG file name: " << file << std::endl;
  return -1;
}
