// WavefrontMTL: one material of a Wavefront MTL file with its texture-map
// statements and their options (MTLTextureOptions), the MTL reader and writer,
// the texture images of the maps and the material's OpenGL application.
#pragma once

#include <array>
#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/named.h"
#include "render/material.h"
#include "render/texture.h"

// The options of one texture-map statement. The defaults are the engine's own
// (blend flags off, "-s" zero); the writer leaves out every default.
class MTLTextureOptions {
 public:
  // Walks the words from `first`: options and their arguments, and the image
  // file name, which starts at the first word that stands where no option or
  // option argument is expected (numbers after an option are its arguments),
  // or else is the last word, and runs up to the next option name, so a name
  // may hold blanks. Until the file name is found the last word is kept for
  // it, so an option whose arguments would reach it is ignored. "\" in the
  // file name reads as "/". Here the words of the name are joined by one
  // blank. Always 0.
  int parse(const std::vector<std::string>& words, int first);
  // The same walk over the text of a statement after its keyword; the file
  // name keeps the text's own blanks between its words.
  int parse(std::string_view text);
  // The options that differ from the defaults, each as its name and values
  // followed by blanks, then the file name and a line end. Always 0.
  int save(std::ostream& out) const;

  std::string file;
  bool blendu = false;
  bool blendv = false;
  float boost = 0.0f;
  bool clamp = false;
  std::array<float, 2> mm{0.0f, 1.0f};
  std::array<float, 3> o{0.0f, 0.0f, 0.0f};
  std::array<float, 3> s{0.0f, 0.0f, 0.0f};
  std::array<float, 3> t{0.0f, 0.0f, 0.0f};
  float bm = 1.0f;
  char imfchan = 0;
  std::string type;
  std::string texres;

 private:
  // Sets the options of the words; returns the range [first, second) of the
  // words that make up the file name.
  std::pair<std::size_t, std::size_t> parse_words(const std::vector<std::string_view>& words);
};

// A plain value; copies share the OpenGL names of their textures. Maps are
// keyed by the normalised statement keyword ("map_Kd", "map_bump", ...).
class WavefrontMTL : public Named {
 public:
  WavefrontMTL() = default;

  // Every material of an MTL text, in order; at least one (an empty text
  // gives one default material). With reset false a new material starts as a
  // copy of the previous one; with ambient_from_diffuse a "Kd" also sets an
  // untouched (black or white) ambient colour.
  static std::vector<WavefrontMTL> load(std::istream& in, bool reset, bool ambient_from_diffuse);
  // The file with reset and ambient_from_diffuse on; an empty list (and a
  // message) when it cannot be opened.
  static std::vector<WavefrontMTL> load(std::string path);

  // This material's statements, numbers in fixed notation with `precision`
  // digits and colour components no smaller than `minimum`. 0, or 1 when an
  // option writer failed or the stream is not good.
  int save(std::ostream& out, unsigned long long precision, float minimum) const;
  int save(std::string path, unsigned long long precision, float minimum) const;

  // Loads the image of every map (its file name as given, else inside the
  // folder, else its bare name inside the folder) into textures, creating
  // the OpenGL textures. The number of maps whose image was missing or did
  // not load.
  int load_textures(std::string folder);
  // Writes every loaded texture of a stated map to folder/<key>.png. The
  // number of textures that could not be written.
  int save_textures(std::string folder);

  // Binds the "map_Kd" texture when textured (unbinding and disabling 2-D
  // texturing when there is none), then sends the colours. The unit is not
  // used: the texture goes to the active unit.
  void apply_gl(unsigned long long unit, bool textured) const;

  // Opacity below 0.9999999, the largest float below 1.
  bool transparent() const { return material_.alpha() < 0.9999999f; }
  bool opaque() const { return !transparent(); }

  Material& material() { return material_; }
  const Material& material() const { return material_; }
  int illum() const { return illum_; }
  void illum(int i) { illum_ = i; }
  std::map<std::string, MTLTextureOptions>& map_options() { return map_options_; }
  const std::map<std::string, MTLTextureOptions>& map_options() const { return map_options_; }
  std::map<std::string, std::string>& map_text() { return map_text_; }
  const std::map<std::string, std::string>& map_text() const { return map_text_; }
  bool verbose() const { return verbose_; }
  void verbose(bool v) { verbose_ = v; }
  std::map<std::string, Texture>& textures() { return textures_; }
  const std::map<std::string, Texture>& textures() const { return textures_; }

 protected:
  // The rest of a map statement into text, parsed into the options of key.
  void read_map(std::string key, std::istream& in, std::string& text);
  // Up to n numbers (atof of each word) into out, until the words run out; how
  // many were read.
  static int read_vecf(std::istream& in, float* out, int n);

 private:
  // One statement of an MTL text; false for a keyword it does not know.
  bool read_statement(const std::string& keyword, std::istream& in, bool ambient_from_diffuse);

  Material material_;
  int illum_ = 1;
  std::map<std::string, MTLTextureOptions> map_options_;
  std::map<std::string, std::string> map_text_;
  bool verbose_ = true;
  std::map<std::string, Texture> textures_;
};
