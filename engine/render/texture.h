// Image textures: PNG and BMP files decoded into a local pixel copy, uploaded
// with mipmaps, read back from OpenGL and saved as PNG. Decoding needs no
// OpenGL context (so it may run on a worker thread); everything that touches
// OpenGL needs the context current on the calling thread.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "render/object_gl.h"

// A TextureGL with its pixels. Copies share the OpenGL name and copy the
// rest; the destructor frees only the local data: the OpenGL texture goes
// with TextureGL::clear(). Results are 0 on success.
class Texture : public TextureGL {
 public:
  // Bytes per pixel.
  enum TextureColor : int { kNoColor = 0, kGrey = 1, kGreyAlpha = 2, kRGB = 3, kRGBA = 4 };

  Texture() = default;

  // By extension (".png" or ".bmp", any case); PNG rows are flipped to bottom
  // first. Flags: create the OpenGL texture, then drop the local pixels;
  // report the outcome. -1 for any other extension.
  int load(std::string file, bool create, bool drop, bool report);
  // -1 when the file cannot be opened; -3 when it does not decode (or
  // declares a size it cannot hold); otherwise generate()'s code. Optional
  // chunks that do not read (colour profile, texts) are left out.
  int load_png(std::string file, bool create, bool drop, bool flip);
  int load_png(std::istream& in, unsigned long long size, bool create, bool drop, bool flip);
  int load_png(const std::vector<unsigned char>& png, bool create, bool drop, bool flip);
  // LoadBMP's code, or generate()'s.
  int load_bmp(std::string file, bool create, bool drop);

  // A new OpenGL texture with mipmaps from the local pixels, with `format` as
  // the internal format; afterwards bytes_per_pixel() follows that format.
  // Non-zero when the pixels do not fill the size, on OpenGL errors (the
  // code) and when the mipmaps cannot be built (the GLU code).
  int generate(int format);
  // An empty texture of the size into the texture bound to the target (the
  // caller binds first); returns the name.
  unsigned int create(unsigned int width, unsigned int height, unsigned int channels);
  using TextureGL::create;
  // Binds and sends the two filters.
  int generate_mipmaps();
  // Enables the target and binds, reporting OpenGL errors before and after.
  // A texture gets its name from generate() or create(), never from a bind:
  // a nameless texture binds 0. Both forms do the same, whether called on a
  // Texture or through its TextureGL base.
  void bind() override;
  void bind() const;

  // Copies width x height x bytes_per_pixel bytes (zeros for null data).
  int set_data(unsigned int width, unsigned int height, const unsigned char* data,
               TextureColor bytes_per_pixel);
  void clear_local();
  std::vector<unsigned char>& pixels() { return pixels_; }
  const std::vector<unsigned char>& pixels() const { return pixels_; }

  unsigned int width() const { return static_cast<unsigned int>(TextureGL::width); }
  unsigned int height() const { return static_cast<unsigned int>(TextureGL::height); }
  float aspect() const { return static_cast<float>(TextureGL::width) / TextureGL::height; }

  // Reads level 0 back as RGBA; the size becomes that of level 0 in OpenGL.
  int get_pixels();
  // Encodes the local pixels (rows as they stand) into png(); non-zero when
  // there are none, their pixel size is not 1 to 4 bytes, or the encoder fails.
  int compress_png();
  // Writes png(), encoding the local pixels (read back from OpenGL first when
  // there are none) when it is empty. 1 when the stream fails; non-zero when
  // there is nothing to write.
  int save_png(std::ostream& out);
  int save_png(std::string file);
  // PNG when the lower-cased name contains ".png"; otherwise -1.
  int save(std::string file);

  std::string& file_name() { return file_name_; }
  const std::string& file_name() const { return file_name_; }
  TextureColor bytes_per_pixel() const { return bytes_per_pixel_; }
  void bytes_per_pixel(TextureColor c) { bytes_per_pixel_ = c; }
  GLenum min_filter() const { return min_filter_; }
  void min_filter(GLenum f) { min_filter_ = f; }
  GLenum mag_filter() const { return mag_filter_; }
  void mag_filter(GLenum f) { mag_filter_ = f; }
  bool repeat_s() const { return repeat_s_; }
  void repeat_s(bool r) { repeat_s_ = r; }
  bool repeat_t() const { return repeat_t_; }
  void repeat_t(bool r) { repeat_t_ = r; }
  // The encoded bytes last decoded or encoded.
  std::vector<unsigned char>& png() { return png_; }
  const std::vector<unsigned char>& png() const { return png_; }

  // Largest side a decoded image may have.
  static constexpr unsigned int kMaxSide = 16384;

 private:
  // Binds and sends the filters; on failure unbinds and returns the bind
  // error's code, 2 (minification) or 3 (magnification).
  int bind_with_filters();
  // After decoding: with `create`, generate (reporting a failure as the
  // loader's), then with `drop` empty the local pixels.
  int upload_decoded(const char* loader, bool create, bool drop);

  std::string file_name_;
  TextureColor bytes_per_pixel_ = kNoColor;
  GLenum min_filter_ = GL_LINEAR_MIPMAP_LINEAR;
  GLenum mag_filter_ = GL_LINEAR;
  bool repeat_s_ = true;
  bool repeat_t_ = false;
  std::vector<unsigned char> png_;
  // Rows bottom to top, as OpenGL expects.
  std::vector<unsigned char> pixels_;
};

// Reads an uncompressed 24- or 32-bit BMP into RGB or RGBA bytes, rows
// bottom to top and packed (no row padding), with alpha 255. A 32-bit BMP
// with bit fields reads too when its red, green and blue masks each pick a
// whole byte of their own (and an alpha mask is 0 or another whole byte).
// Codes: 1 cannot open, 2 not a bitmap, 3 truncated headers or masks, 4
// unsupported format (bit count, compression, other masks, negative width,
// a side over Texture::kMaxSide), 5 pixel data
// outside the file, -34 empty image (the sizes become 0), 33 out of memory.
// Otherwise the vector and the sizes change only on success.
int LoadBMP(std::vector<unsigned char>& pixels, std::string file, unsigned* width,
            unsigned* height);
