// The MTL reader and writer, texture-map options and the material's textures.
#include "models/wavefront_mtl.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "core/files.h"
#include "core/strings.h"

namespace {

// A word that starts the next option: a "-" that does not begin a number.
bool option_word(std::string_view word) {
  if (word.empty() || word[0] != '-') return false;
  return word.size() < 2 || !(std::isdigit(static_cast<unsigned char>(word[1])) || word[1] == '.');
}

// The options a statement may hold ("-cc" is read and not kept); a file name
// runs up to the next of them.
bool option_name(std::string_view word) {
  static constexpr std::string_view kNames[] = {"-blendu", "-blendv",  "-boost", "-cc", "-clamp",
                                                "-mm",     "-o",       "-s",     "-t",  "-texres",
                                                "-type",   "-imfchan", "-bm"};
  return std::find(std::begin(kNames), std::end(kNames), word) != std::end(kNames);
}

// A word that reads whole as a number, such as "-0.5", ".25" or "1e3".
bool number_word(std::string_view word) {
  const char* first = word.data();
  const char* last = first + word.size();
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value);
  return end == last && first != last && error != std::errc::invalid_argument;
}

float number(std::string_view word) {
  return static_cast<float>(read_double(word));
}

}  // namespace

std::pair<std::size_t, std::size_t> MTLTextureOptions::parse_words(
    const std::vector<std::string_view>& words) {
  const std::size_t n = words.size();
  std::pair<std::size_t, std::size_t> name{0, 0};
  bool found = false;
  std::size_t i = 0;
  while (i < n) {
    if (!found && i == n - 1) {
      name = {i, n};
      break;
    }
    // Option arguments stand below `end`: the reserved last word is not one.
    const std::size_t end = found ? n : n - 1;
    const std::string_view w = words[i];
    const bool one = i + 1 < end;
    if ((w == "-blendu" || w == "-blendv" || w == "-clamp") && one) {
      bool& flag = w == "-blendu" ? blendu : w == "-blendv" ? blendv : clamp;
      flag = words[i + 1] == "on";
      i += 2;
    } else if (w == "-cc" && one) {
      i += 2;
    } else if ((w == "-boost" || w == "-bm") && one) {
      (w == "-boost" ? boost : bm) = number(words[i + 1]);
      i += 2;
    } else if (w == "-mm" && i + 2 < end) {
      mm = {number(words[i + 1]), number(words[i + 2])};
      i += 3;
    } else if (w == "-o" || w == "-s" || w == "-t") {
      std::array<float, 3>& target = w == "-o" ? o : w == "-s" ? s : t;
      std::size_t k = 0;
      for (++i; i < end && !option_word(words[i]); ++i, ++k)
        if (k < 3) target[k] = number(words[i]);
      continue;
    } else if ((w == "-texres" || w == "-type") && one) {
      (w == "-texres" ? texres : type) = std::string(words[i + 1]);
      i += 2;
    } else if (w == "-imfchan" && one) {
      imfchan = words[i + 1][0];
      i += 2;
    } else if (option_word(w)) {
      // An option we do not know, or one whose arguments would reach the
      // reserved last word.
      ++i;
    } else if (!found) {
      std::size_t stop = i + 1;
      while (stop < n && !option_name(words[stop])) ++stop;
      name = {i, stop};
      found = true;
      i = stop;
      continue;
    } else {
      ++i;  // a stray word after the file name
      continue;
    }
    // Numbers left after an option are its arguments, not a file name.
    while (i < end && number_word(words[i])) ++i;
  }
  return name;
}

namespace {

// The words of a text without empty ones, as views into it.
std::vector<std::string_view> words_of(std::string_view text) {
  std::vector<std::string_view> words;
  const char* const blanks = " \t\r\n\v\f";
  for (std::size_t at = text.find_first_not_of(blanks); at != std::string_view::npos;) {
    const std::size_t stop = std::min(text.find_first_of(blanks, at), text.size());
    words.push_back(text.substr(at, stop - at));
    at = text.find_first_not_of(blanks, stop);
  }
  return words;
}

// A file name of a map statement with "\\" read as "/".
std::string map_file(std::string_view name) {
  std::string file(name);
  std::replace(file.begin(), file.end(), '\\', '/');
  return file;
}

}  // namespace

int MTLTextureOptions::parse(const std::vector<std::string>& all, int first) {
  std::vector<std::string_view> words;
  for (std::size_t i = first > 0 ? static_cast<std::size_t>(first) : 0; i < all.size(); ++i)
    if (!all[i].empty()) words.push_back(all[i]);
  const auto [begin, end] = parse_words(words);
  if (begin == end) return 0;
  std::string name(words[begin]);
  for (std::size_t k = begin + 1; k < end; ++k) name.append(" ").append(words[k]);
  file = map_file(name);
  return 0;
}

int MTLTextureOptions::parse(std::string_view text) {
  const std::vector<std::string_view> words = words_of(text);
  const auto [begin, end] = parse_words(words);
  if (begin == end) return 0;
  const char* const first = words[begin].data();
  const char* const last = words[end - 1].data() + words[end - 1].size();
  file = map_file(std::string_view(first, static_cast<std::size_t>(last - first)));
  return 0;
}

namespace {

const char* on_off(bool b) {
  return b ? "on" : "off";
}

template <size_t N>
void write_values(std::ostream& out, const char* option, const std::array<float, N>& values) {
  out << option;
  for (float v : values) out << v << " ";
}

}  // namespace

int MTLTextureOptions::save(std::ostream& out) const {
  const MTLTextureOptions d;
  if (blendu != d.blendu) out << "-blendu " << on_off(blendu) << " ";
  if (blendv != d.blendv) out << "-blendv " << on_off(blendv) << " ";
  if (boost != d.boost) out << "-boost " << boost << " ";
  if (mm != d.mm) write_values(out, "-mm ", mm);
  if (o != d.o) write_values(out, "-o ", o);
  if (s != d.s) write_values(out, "-s ", s);
  if (t != d.t) write_values(out, "-t ", t);
  if (texres != d.texres) out << "-texres " << texres << " ";
  if (clamp != d.clamp) out << "-clamp " << on_off(clamp) << " ";
  if (bm != d.bm) out << "-bm " << bm << " ";
  if (imfchan != d.imfchan) out << "-imfchan " << imfchan << " ";
  if (type != d.type) out << "-type " << type << " ";
  out << file << "\n";
  return 0;
}

namespace {

// The key under which a texture-map statement is kept; empty for other keywords.
std::string map_key(const std::string& keyword) {
  static const std::map<std::string, std::string> keys{
      {"map_Ka", "map_Ka"}, {"map_Kd", "map_Kd"},     {"map_Ks", "map_Ks"}, {"map_Ns", "map_Ns"},
      {"map_d", "map_d"},   {"disp", "disp"},         {"decal", "decal"},   {"refl", "refl"},
      {"Pc", "Pc"},         {"Pcr", "Pcr"},           {"aniso", "aniso"},   {"anisor", "anisor"},
      {"norm", "norm"},     {"map_bump", "map_bump"}, {"bump", "map_bump"}, {"map_Pr", "map_Pr"},
      {"Pr", "map_Pr"},     {"map_Pm", "map_Pm"},     {"Pm", "map_Pm"},     {"map_Ps", "map_Ps"},
      {"Ps", "map_Ps"},     {"map_Pe", "map_Pe"},     {"Pe", "map_Pe"}};
  const auto it = keys.find(keyword);
  return it == keys.end() ? std::string() : it->second;
}

// The fourth component of a specular or emission colour marks it as set.
void mark_set(Color4& c) {
  c[3] = (c[0] != 0 || c[1] != 0 || c[2] != 0 || c[3] != 0) ? 1.0f : 0.0f;
}

// Black or white: an ambient colour nobody chose.
bool untouched_ambient(const Color4& c) {
  for (int i = 0; i < 3; ++i)
    if (!(c[i] < 1.1920929e-07f || c[i] == 1.0f)) return false;
  return true;
}

}  // namespace

std::vector<WavefrontMTL> WavefrontMTL::load(std::istream& in, bool reset,
                                             bool ambient_from_diffuse) {
  std::vector<WavefrontMTL> result;
  WavefrontMTL current;
  bool started = false;
  std::string line;
  while (std::getline(in, line)) {
    line.erase(std::min(comment_start(line), line.size()));
    trim(line, " \t\r");
    if (line.size() < 2) continue;
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    if (keyword != "newmtl") {
      current.read_statement(keyword, words, ambient_from_diffuse);
      continue;
    }
    std::string name;
    if (!(words >> name)) continue;
    if (started) {
      result.push_back(current);
      if (reset) current = WavefrontMTL();
    }
    current.rename(name);
    started = true;
  }
  result.push_back(current);
  if (current.verbose_)
    std::cout << "WavefrontMTL::load() loaded " << result.size() << " materials." << std::endl;
  return result;
}

std::vector<WavefrontMTL> WavefrontMTL::load(std::string path) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "OBJRenderer::load(): file '" << path << "' not found" << std::endl;
    return {};
  }
  return load(in, true, true);
}

bool WavefrontMTL::read_statement(const std::string& keyword, std::istream& in,
                                  bool ambient_from_diffuse) {
  float value = 0.0f;
  if (keyword == "Ns") {
    value = material_.shininess();
    read_vecf(in, &value, 1);
    material_.shininess(value);
  } else if (keyword == "Ni") {
    value = material_.optical_density();
    read_vecf(in, &value, 1);
    material_.optical_density(value);
  } else if (keyword == "d") {
    if (read_vecf(in, &value, 1) == 1) material_.set_alpha(value);
  } else if (keyword == "Tr") {
    read_vecf(in, &value, 1);
    material_.set_alpha(1.0f - value);
  } else if (keyword == "Ka") {
    read_vecf(in, material_.ambient().data(), 3);
  } else if (keyword == "Kd") {
    read_vecf(in, material_.diffuse().data(), 3);
    if (ambient_from_diffuse && untouched_ambient(material_.ambient()))
      material_.ambient() = material_.diffuse();
  } else if (keyword == "Ks" || keyword == "Ke") {
    Color4& c = keyword == "Ks" ? material_.specular() : material_.emission();
    read_vecf(in, c.data(), 3);
    mark_set(c);
  } else if (keyword == "illum") {
    std::string word;
    if (in >> word) {
      const long v = std::strtol(word.c_str(), nullptr, 10);
      illum_ = static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
    }
  } else if (const std::string key = map_key(keyword); !key.empty()) {
    read_map(key, in, map_text_[key]);
  } else {
    return false;
  }
  return true;
}

int WavefrontMTL::read_vecf(std::istream& in, float* out, int n) {
  int count = 0;
  std::string word;
  while (count < n && in >> word) out[count++] = number(word);
  return count;
}

void WavefrontMTL::read_map(std::string key, std::istream& in, std::string& text) {
  std::getline(in, text);
  ltrim(text, " \t");
  MTLTextureOptions options;
  options.parse(text);
  map_options_[key] = options;
}

int WavefrontMTL::save(std::ostream& out, unsigned long long precision, float minimum) const {
  out << "newmtl " << name() << "\n";
  out << std::fixed << std::setprecision(static_cast<int>(std::min(precision, 100ULL)));
  out << "Ns " << material_.shininess() << "\n";
  const std::pair<const char*, const Color4*> colours[] = {{"Ka ", &material_.ambient()},
                                                           {"Kd ", &material_.diffuse()},
                                                           {"Ks ", &material_.specular()},
                                                           {"Ke ", &material_.emission()}};
  for (const auto& [keyword, colour] : colours) {
    out << keyword;
    for (int i = 0; i < 3; ++i) out << std::max((*colour)[i], minimum) << " ";
    out << "\n";
  }
  out << "Ni " << material_.optical_density() << "\n";
  out << "d " << material_.alpha() << "\n";
  out << "illum " << illum_ << "\n";
  bool option_error = false;
  for (const auto& [key, text] : map_text_) {
    if (text.empty()) continue;
    out << key << " ";
    // A statement set without options (by a caller, not the reader) is parsed here.
    MTLTextureOptions parsed;
    const auto found = map_options_.find(key);
    if (found == map_options_.end()) parsed.parse(text);
    const int r = (found == map_options_.end() ? parsed : found->second).save(out);
    if (r != 0) {
      std::cerr << "Warning: error " << r << ", it.first = " << key << std::endl;
      option_error = true;
    }
  }
  out << "# warning: addt'l properties not implemented\n\n";
  return option_error || !out.good() ? 1 : 0;
}

int WavefrontMTL::save(std::string path, unsigned long long precision, float minimum) const {
  std::ofstream out(path);
  return save(out, precision, minimum);
}

int WavefrontMTL::load_textures(std::string folder) {
  std::string dir = join(fileparts(folder, "/\\"), "/");
  if (dir.size() == 1) dir.clear();
  int failures = 0;
  for (const auto& [key, options] : map_options_) {
    if (options.file.empty()) continue;
    // Paths written on another machine rarely exist here; the image then
    // usually lies beside the material file under its bare name.
    const std::string in_dir = dir.empty() ? std::string() : dir + "/";
    std::vector<std::string> candidates{options.file};
    if (!in_dir.empty()) candidates.push_back(in_dir + options.file);
    if (const std::size_t slash = options.file.rfind('/');
        slash != std::string::npos && slash + 1 < options.file.size())
      candidates.push_back(in_dir + options.file.substr(slash + 1));
    std::string path;
    for (const std::string& candidate : candidates) {
      if (!file_exists(candidate)) continue;
      path = candidate;
      break;
    }
    if (path.empty()) {
      std::cerr << "WavefrontMTL::load_textures() Error - file not found: '" << options.file
                << "', texture folder = '" << dir << "'" << std::endl;
      ++failures;
      continue;
    }
    // Only a texture that loaded is kept, so apply_gl never binds an empty one.
    Texture texture;
    const int status = texture.load(path, true, true, false);
    if (status != 0) {
      std::cerr << "WavefrontMTL::load_textures() Texture load error " << status << " for " << path
                << std::endl;
      ++failures;
      continue;
    }
    textures_[key] = texture;
  }
  return failures;
}

int WavefrontMTL::save_textures(std::string folder) {
  const std::string dir = folder.empty() ? std::string() : join(split(folder, "/"), "/") + "/";
  int failures = 0;
  for (const auto& [key, text] : map_text_) {
    const auto texture = textures_.find(key);
    if (text.empty() || texture == textures_.end()) continue;
    if (texture->second.save(dir + key + ".png") != 0) ++failures;
  }
  return failures;
}

void WavefrontMTL::apply_gl(unsigned long long, bool textured) const {
  if (textured) {
    const auto diffuse = textures_.find("map_Kd");
    if (diffuse != textures_.end()) {
      diffuse->second.bind();
    } else {
      glBindTexture(GL_TEXTURE_2D, 0);
      glDisable(GL_TEXTURE_2D);
    }
  }
  material_.colorGL();
}
