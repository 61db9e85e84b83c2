// The Wavefront OBJ reader of OBJRenderer and the loading of its MTL files.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string_view>

#include "core/files.h"
#include "core/strings.h"
#include "models/obj_renderer.h"
#include "render/gl.h"

// After GLEW, which must come before any OpenGL header.
#include <GL/freeglut.h>

namespace {

enum Keyword { kV, kVt, kVp, kVn, kF, kO, kS, kMtllib, kG, kUsemtl, kUnknown };

Keyword keyword_of(std::string_view word) {
  switch (word.size()) {
    case 1:
      switch (word[0]) {
        case 'v':
          return kV;
        case 'f':
          return kF;
        case 'o':
          return kO;
        case 's':
          return kS;
        case 'g':
          return kG;
      }
      return kUnknown;
    case 2:
      if (word[0] != 'v') return kUnknown;
      return word[1] == 't' ? kVt : word[1] == 'p' ? kVp : word[1] == 'n' ? kVn : kUnknown;
    case 6:
      return word == "mtllib" ? kMtllib : word == "usemtl" ? kUsemtl : kUnknown;
  }
  return kUnknown;
}

// White space as `std::istream >> std::string` sees it in the "C" locale.
bool is_blank(char c) {
  return static_cast<unsigned char>(c) <= ' ' && (c == ' ' || (c >= '\t' && c <= '\r'));
}

// The white-space separated words of a line, one at a time.
class Words {
 public:
  explicit Words(std::string_view line) : line_(line) {}

  bool next(std::string_view& word) {
    while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
    if (pos_ == line_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < line_.size() && !is_blank(line_[pos_])) ++pos_;
    word = line_.substr(start, pos_ - start);
    return true;
  }
  // The text after the last word returned.
  std::string_view rest() const { return line_.substr(pos_); }

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
};

// The text of a stream in runs of whole lines, read in large blocks: each
// run ends in "\n", and a last line without one is given one, which reads
// the same. A run stays valid until the next call.
class TextBlocks {
 public:
  explicit TextBlocks(std::istream& in)
      : in_(in), size_(first_size(in)), buffer_(std::make_unique_for_overwrite<char[]>(size_)) {}

  bool next(const char*& begin, const char*& end) {
    for (;;) {
      char* start = buffer_.get() + begin_;
      const void* last = memrchr(start, '\n', end_ - begin_);
      if (last) {
        begin = start;
        end = static_cast<const char*>(last) + 1;
        begin_ = static_cast<std::size_t>(end - buffer_.get());
        return true;
      }
      if (done_) {
        if (begin_ == end_) return false;
        // refill() leaves a byte free behind the text for this.
        buffer_[end_++] = '\n';
        begin = start;
        end = buffer_.get() + end_;
        begin_ = end_;
        return true;
      }
      refill();
    }
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  static constexpr std::size_t kSmallest = 4096;

  // A text that tells its length (a string, a file) and is shorter than a
  // block is read into a buffer of its size, with two bytes more: one to
  // meet its end in one read and one for a last line end. A small model
  // costs no block of memory.
  static std::size_t first_size(std::istream& in) {
    const std::streamsize known = in.rdbuf() ? in.rdbuf()->in_avail() : 0;
    if (known == 0 || known >= static_cast<std::streamsize>(kBlock)) return kBlock;
    if (known < 0) return kSmallest;
    return std::max(static_cast<std::size_t>(known) + 2, kSmallest);
  }

  // Keeps the unfinished line at the front and reads behind it, leaving one
  // byte free. The buffer grows when a text goes on past a buffer smaller
  // than a block, or when the unfinished line leaves less than half a block
  // free. It is not cleared first: only the pages that a text fills are
  // ever touched.
  void refill() {
    const std::size_t kept = end_ - begin_;
    if (size_ < kBlock ? read_before_ : size_ - kept < kBlock / 2) {
      const std::size_t size = std::max(2 * size_, kBlock);
      auto larger = std::make_unique_for_overwrite<char[]>(size);
      std::memcpy(larger.get(), buffer_.get() + begin_, kept);
      buffer_ = std::move(larger);
      size_ = size;
    } else {
      std::memmove(buffer_.get(), buffer_.get() + begin_, kept);
    }
    begin_ = 0;
    end_ = kept;
    in_.read(buffer_.get() + end_, static_cast<std::streamsize>(size_ - end_ - 1));
    read_before_ = true;
    const std::streamsize got = in_.gcount();
    end_ += static_cast<std::size_t>(got);
    if (got == 0 || !in_) done_ = true;
  }

  std::istream& in_;
  std::size_t size_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool read_before_ = false;
  bool done_ = false;
};

// The common statements read straight from a run of lines, each a pointer
// to its first character; every line of a run ends in "\n". A reader
// gives nullptr, having changed nothing, for a line it does not take as
// it stands (a comment or an odd spelling inside the statement, a short
// line, a long face): the general reading of lines then takes it, and gives
// the same as it would for the lines taken here.

// Blanks inside a line: the white space of std::isspace less "\n".
inline bool inner_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}
inline bool word_end(char c) {
  return inner_blank(c) || c == '\n';
}
inline unsigned digit_of(char c) {
  return static_cast<unsigned>(static_cast<unsigned char>(c)) - unsigned('0');
}

// Past the "\n" of the line that p is in.
inline const char* after_line(const char* p) {
  while (*p != '\n') ++p;
  return p + 1;
}

// A plain decimal word at p (as read_plain_decimal takes it), read in one
// pass: true with p at the word's end.
inline bool plain_decimal(const char*& p, double& value) {
  static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* s = p;
  const bool negative = *s == '-';
  s += negative;
  unsigned long long digits = 0;
  const char* first = s;
  for (unsigned d; (d = digit_of(*s)) <= 9; ++s) digits = digits * 10 + d;
  std::ptrdiff_t count = s - first;
  std::ptrdiff_t after_point = 0;
  if (*s == '.') {
    const char* fraction = ++s;
    for (unsigned d; (d = digit_of(*s)) <= 9; ++s) digits = digits * 10 + d;
    after_point = s - fraction;
    count += after_point;
  }
  if (count == 0 || count > 19 || digits > (1ULL << 53) || !word_end(*s)) return false;
  const double magnitude = static_cast<double>(digits) / kPowers[after_point];
  value = negative ? -magnitude : magnitude;
  p = s;
  return true;
}

// Up to three numbers of a "v", "vt", "vn" or "vp" statement, p just past
// the keyword's blank: count numbers into values, and how many were not
// finite (read as 0). The line's end on success.
inline const char* read_numbers(const char* p, float* values, int& count, int& not_finite) {
  count = 0;
  not_finite = 0;
  for (; count < 3; ++count) {
    while (inner_blank(*p)) ++p;
    if (*p == '\n') break;
    if (*p == '#') return nullptr;
    double number;
    if (!plain_decimal(p, number)) {
      const char* word = p;
      while (!word_end(*p)) ++p;
      number = read_double(std::string_view(word, static_cast<std::size_t>(p - word)));
    }
    const float value = static_cast<float>(number);
    if (std::isfinite(value)) {
      values[count] = value;
    } else {
      values[count] = 0.0f;
      ++not_finite;
    }
  }
  // A statement without numbers may be a line too short to count.
  if (count == 0) return nullptr;
  return after_line(p);
}

// The corners of an "f" statement of positive indices, at most kMost of
// them: v, v/vt, v/, v//vn, v/vt/vn, v/vt/ and v//.
struct FaceCorners {
  static constexpr int kMost = 32;
  unsigned long long v[kMost], vt[kMost], vn[kMost];
  int nv = 0, nvt = 0, nvn = 0;
};

// An index of up to 18 digits at p, 1-based (0 addresses no entry); false
// for no digits or more.
inline bool plain_index(const char*& p, unsigned long long& index) {
  unsigned long long n = 0;
  const char* first = p;
  for (unsigned d; (d = digit_of(*p)) <= 9; ++p) n = n * 10 + d;
  const std::ptrdiff_t digits = p - first;
  if (digits == 0 || digits > 18) return false;
  index = n > 0 ? n - 1ULL : ~0ULL;
  return true;
}

// p just past the keyword's blank; the line's end on success.
inline const char* read_corners(const char* p, FaceCorners& c) {
  c.nv = c.nvt = c.nvn = 0;
  for (;;) {
    while (inner_blank(*p)) ++p;
    if (*p == '\n') break;
    if (c.nv == FaceCorners::kMost) return nullptr;
    if (!plain_index(p, c.v[c.nv])) return nullptr;
    ++c.nv;
    if (*p == '/') {
      ++p;
      if (*p != '/' && !word_end(*p)) {
        if (!plain_index(p, c.vt[c.nvt])) return nullptr;
        ++c.nvt;
      }
      if (*p == '/') {
        ++p;
        if (!word_end(*p)) {
          if (!plain_index(p, c.vn[c.nvn])) return nullptr;
          ++c.nvn;
        }
      }
    }
    if (!word_end(*p)) return nullptr;
  }
  // A statement without corners may be a line too short to count.
  return c.nv == 0 ? nullptr : p + 1;
}

// Appends x, y, z to list `which` of the four. A full list doubles its
// room, or takes at once the room that the longest of the other lists
// fills: exporters write as many texture coordinates and normals as
// positions, one list after the other, and room taken but never filled
// costs no memory. (Huge pages would cost fewer first touches, but asking
// for them stalls on the kernel's compaction often enough to cost more.)
void append3(std::vector<float>* const (&lists)[4], int which, const float* xyz) {
  std::vector<float>& list = *lists[which];
  if (list.capacity() - list.size() < 3) {
    std::size_t floats = std::max<std::size_t>(2 * list.capacity(), 3 << 10);
    for (int k = 0; k < 4; ++k)
      if (k != which) floats = std::max(floats, lists[k]->size());
    std::vector<float> larger;
    larger.reserve(floats);
    larger.assign(list.begin(), list.end());
    list.swap(larger);
  }
  list.insert(list.end(), xyz, xyz + 3);
}

// What the reader passed over, reported once per text.
struct Dropped {
  unsigned long long statements = 0;
  unsigned long long short_faces = 0;
  unsigned long long outside = 0;
  unsigned long long numbers = 0;

  void report() const {
    if (statements)
      std::cerr
          << "OBJRenderer::load() warning: " << statements
          << " face statements dropped: corners of another form than v, v/vt, v//vn or v/vt/vn"
          << std::endl;
    if (short_faces)
      std::cerr << "OBJRenderer::load() warning: " << short_faces
                << " faces dropped: fewer than three corners" << std::endl;
    if (outside)
      std::cerr << "OBJRenderer::load() warning: " << outside
                << " faces dropped: vertex indices outside the vertex list" << std::endl;
    if (numbers)
      std::cerr << "OBJRenderer::load() warning: " << numbers
                << " numbers that are not finite read as 0" << std::endl;
  }
};

// The bounds of the named vertices, as calc_lower_upper_bounds finds them
// over the faces naming them: the order of the vertices does not matter
// unless one is not a number, and then false.
bool named_bounds(const std::vector<float>& vertices, const std::vector<unsigned char>& named,
                  OBJRenderer::Bounds& bounds) {
  bounds = {};
  bool first = true;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (!named[i]) continue;
    const float* p = &vertices[3 * i];
    for (int a = 0; a < 3; ++a) {
      if (std::isnan(p[a])) return false;
      if (first) {
        bounds[0][a] = bounds[1][a] = p[a];
        continue;
      }
      bounds[0][a] = std::min(bounds[0][a], p[a]);
      bounds[1][a] = std::max(bounds[1][a], p[a]);
    }
    first = false;
  }
  return true;
}

}  // namespace

int OBJRenderer::load(std::istream& in, OBJTransform* transform, bool verbose) {
  // Without a window no OpenGL object may be made on the model's behalf.
  if (glutGet(GLUT_INIT_STATE) != 1) auto_create_vaos(false, false);
  if (verbose) std::cout << "Reading lines... ";

  // Each numeric keyword keeps its last three numbers: a short statement
  // repeats them in the places it leaves out.
  float buffers[4][3] = {};
  std::vector<float>* const lists[4] = {&vertices_, &tex_coords_, &param_coords_, &normals_};
  // The entries read so far, from which relative face indices count back.
  OBJFace::ListSizes sizes{num_vertices(), tex_coords_.size() / 3, normals_.size() / 3};
  unsigned long long params = 0;
  unsigned long long* const counts[4] = {&sizes.v, &sizes.vt, &params, &sizes.vn};
  // The names in force, copied into each face read; its index lists stay
  // empty.
  OBJFace names(0);
  const std::size_t first_new = faces_.size();
  Dropped dropped;
  bool any_line = false;
  const std::size_t vertex_floats = vertices_.size();
  bool mtl_named = false;
  // The vertices the new faces name, while every name addresses a vertex
  // already read: then no face is dropped and the bounds need no second pass
  // over the faces.
  std::vector<unsigned char> named;
  bool all_named = true;

  auto line_kept = [&] {
    if (any_line) return;
    any_line = true;
    if (verbose) std::cout << "Parsing lines... Converting data... ";
  };
  // The vertices a new face names, for the bounds.
  auto note_vertices = [&](const OBJFace& face) {
    const unsigned long long count = num_vertices();
    for (unsigned long long index : face.v) {
      if (index >= count) {
        all_named = false;
      } else {
        if (index >= named.size()) named.resize(count);
        named[index] = 1;
      }
    }
  };

  // Any line, as it stands.
  auto read_line = [&](std::string_view line) {
    line = line.substr(0, comment_start(line));
    if (line.size() < 3) return;
    line_kept();
    Words words(line);
    std::string_view word;
    if (!words.next(word)) return;
    const Keyword keyword = keyword_of(word);
    switch (keyword) {
      case kV:
      case kVt:
      case kVp:
      case kVn: {
        float* buffer = buffers[keyword];
        for (int k = 0; k < 3 && words.next(word); ++k) {
          double number;
          if (!read_plain_decimal(word, number)) number = read_double(word);
          const float value = static_cast<float>(number);
          if (std::isfinite(value)) {
            buffer[k] = value;
          } else {
            buffer[k] = 0.0f;
            ++dropped.numbers;
          }
        }
        append3(lists, keyword, buffer);
        ++*counts[keyword];
        break;
      }
      case kF: {
        // Read in place: a face that is not taken is removed again.
        OBJFace& face = faces_.emplace_back(names);
        bool corners_ok = true;
        while (words.next(word)) corners_ok = face.add_corner(word, sizes) && corners_ok;
        if (!corners_ok) {
          faces_.pop_back();
          ++dropped.statements;
        } else if (face.size() < 3) {
          faces_.pop_back();
          ++dropped.short_faces;
        } else {
          note_vertices(face);
        }
        break;
      }
      case kMtllib: {
        std::string name(words.rest());
        trim(name, " \t\r\n");
        // A name with blanks stays whole when it names a file; otherwise the
        // line lists several names.
        std::vector<std::string> names;
        if (name.find_first_of(" \t") == std::string::npos || !find_mtl(name).empty()) {
          names.push_back(std::move(name));
        } else {
          names = split(name, "");
        }
        for (std::string& n : names) {
          mtl_named = mtl_named || !n.empty();
          if (!n.empty() && std::find(mtl_files_.begin(), mtl_files_.end(), n) == mtl_files_.end())
            mtl_files_.push_back(std::move(n));
        }
        break;
      }
      case kO:
      case kS:
      case kG:
      case kUsemtl: {
        if (!words.next(word)) break;
        ModelName& target = keyword == kO   ? names.object_name
                            : keyword == kS ? names.smoothing_group
                            : keyword == kG ? names.group_name
                                            : names.material_name;
        // Faces under one statement share its text.
        if (target != word) target = word;
        break;
      }
      case kUnknown:
        break;
    }
  };

  // The common lines straight from the text: the next line's start, or
  // nullptr for a line to read as it stands.
  FaceCorners corners;
  // The names in force, handed to the faces read here.
  ModelName::Copier copies[4];
  auto read_common = [&](const char* p) -> const char* {
    // Empty lines and comments; past a first character that is not the
    // line end, p[1] is inside the line, and past a letter p[2] too.
    if (p[0] == '\n') return p + 1;
    if (p[0] == '#') return after_line(p);
    if (p[0] == '\r') return p[1] == '\n' ? p + 2 : nullptr;
    const bool blank1 = p[1] == ' ' || p[1] == '\t';
    if (p[0] == 'v') {
      int keyword = kV;
      if (!blank1) {
        keyword = p[1] == 't' ? kVt : p[1] == 'n' ? kVn : p[1] == 'p' ? kVp : -1;
        if (keyword < 0 || (p[2] != ' ' && p[2] != '\t')) return nullptr;
      }
      float values[3];
      int count, not_finite;
      const char* next = read_numbers(p + (keyword == kV ? 2 : 3), values, count, not_finite);
      if (!next) return nullptr;
      line_kept();
      float* buffer = buffers[keyword];
      std::copy_n(values, count, buffer);
      dropped.numbers += static_cast<unsigned long long>(not_finite);
      append3(lists, keyword, buffer);
      ++*counts[keyword];
      return next;
    }
    if (p[0] != 'f' || !blank1) return nullptr;
    const char* next = read_corners(p + 2, corners);
    if (!next) return nullptr;
    line_kept();
    if (corners.nv < 3) {
      ++dropped.short_faces;
      return next;
    }
    copies[0].use(names.material_name);
    copies[1].use(names.object_name);
    copies[2].use(names.group_name);
    copies[3].use(names.smoothing_group);
    OBJFace& face =
        faces_.emplace_back(copies[0].copy(), copies[1].copy(), copies[2].copy(), copies[3].copy());
    face.v.assign(corners.v, static_cast<std::size_t>(corners.nv));
    face.vt.assign(corners.vt, static_cast<std::size_t>(corners.nvt));
    face.vn.assign(corners.vn, static_cast<std::size_t>(corners.nvn));
    note_vertices(face);
    return next;
  };

  TextBlocks text(in);
  const char* p;
  const char* end;
  while (text.next(p, end)) {
    while (p != end) {
      const char* next = read_common(p);
      if (!next) {
        const auto* line_end =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        read_line(std::string_view(p, static_cast<std::size_t>(line_end - p)));
        next = line_end + 1;
      }
      p = next;
    }
  }
  if (!any_line) return -1;

  // Faces may name vertices further down the text, so the range test waits
  // for the whole text.
  const unsigned long long vertex_count = num_vertices();
  if (!all_named) {
    const auto outside = std::remove_if(
        faces_.begin() + static_cast<std::ptrdiff_t>(first_new), faces_.end(),
        [vertex_count](const OBJFace& f) { return !f.vertices_in_range(vertex_count); });
    dropped.outside = static_cast<unsigned long long>(faces_.end() - outside);
    faces_.erase(outside, faces_.end());
  }
  dropped.report();
  // Lines were read, so an empty result is not silently a success.
  if (faces_.size() == first_new && vertices_.size() == vertex_floats && !mtl_named)
    std::cerr << "OBJRenderer::load() warning: the text yields no face, vertex or material"
              << std::endl;

  int result = 0;
  if (load_materials_) {
    if (verbose) std::cout << "Loading MTL... ";
    result = load_mtl();
    if (result != 0) std::cerr << "load_mtl() error" << result << std::endl;
  }
  if (transform) {
    if (verbose) std::cout << "Transforming OBJ... ";
    (*transform)(*this);
  }
  average_vertex_ = calc_vertex_average();
  Bounds bounds;
  if (first_new == 0 && all_named && named_bounds(vertices_, named, bounds)) {
    set_bounding_box(bounds);
  } else {
    calc_bbox_corners();
  }
  loaded_ = 1;
  return result;
}

int OBJRenderer::load(std::string path, OBJTransform* transform) {
  // An absolute path keeps its root; a bare name leaves the load path alone.
  const std::string folder = file_directory(path);
  if (!folder.empty()) load_path_ = folder;
  std::cout << "OBJRenderer::load(): file " << path << ", load path = " << load_path_ << std::endl;
  std::ifstream in;
  if (file_exists(path)) in.open(path, std::ios::binary);
  if (!in.is_open()) {
    std::cerr << "OBJRenderer::load(): file '" << path << "' not found" << std::endl;
    return -1;
  }
  const int result = load(in, transform, false);
  if (result != 0) std::cerr << "OBJRenderer::load(): error " << result << std::endl;
  return result;
}

std::string OBJRenderer::find_mtl(const std::string& name) const {
  if (file_exists(name)) return name;
  if (load_path_.empty()) return {};
  const std::string path =
      load_path_ + (load_path_.back() == '/' || load_path_.back() == '\\' ? "" : "/") + name;
  return file_exists(path) ? path : std::string();
}

int OBJRenderer::load_mtl() {
  int failed = 0;
  bool all_read = true;
  for (const std::string& name : mtl_files_) {
    const std::string path = find_mtl(name);
    std::vector<WavefrontMTL> found;
    if (path.empty()) {
      all_read = false;
      std::cerr << "Warning: material file " << name << " not found. Inserting default material."
                << std::endl;
      found.emplace_back();
    } else {
      found = WavefrontMTL::load(path);
    }
    if (found.empty()) {
      std::cerr << "Warning: no materials loaded from " << name << std::endl;
      ++failed;
      continue;
    }
    materials_.insert(materials_.end(), found.begin(), found.end());
  }
  // Only names that files read whole lack are left out: a file that is
  // missing has been named above, with its stand-in, and its faces draw in
  // that default material, as those of a model without material files do.
  missing_materials_.clear();
  if (all_read && failed == 0 && !mtl_files_.empty()) {
    for (const std::string& name : unique_materials({}))
      if (!name.empty() && !have_material(name)) missing_materials_.push_back(name);
    report_missing_materials();
  }
  return failed;
}

void OBJRenderer::report_missing_materials() const {
  if (missing_materials_.empty()) return;
  std::cerr << "OBJRenderer::load_mtl(): materials missing from";
  for (const std::string& name : mtl_files_) {
    const std::string path = find_mtl(name);
    std::cerr << " " << (path.empty() ? name : path);
  }
  std::cerr << ":";
  for (const std::string& name : missing_materials_) std::cerr << " " << name;
  std::cerr << "; their faces are not drawn" << std::endl;
}
