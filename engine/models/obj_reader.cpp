// The Wavefront OBJ reader of OBJRenderer and the loading of its MTL files.
#include <sys/mman.h>
#include <unistd.h>

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

// The lines of a stream up to each "\n" (excluded), read in large blocks.
// A line stays valid until the next call.
class LineReader {
 public:
  explicit LineReader(std::istream& in)
      : in_(in), size_(first_size(in)), buffer_(std::make_unique_for_overwrite<char[]>(size_)) {}

  bool next(std::string_view& line) {
    for (;;) {
      const char* start = buffer_.get() + begin_;
      const void* hit = std::memchr(start, '\n', end_ - begin_);
      if (hit) {
        const std::size_t length = static_cast<const char*>(hit) - start;
        line = std::string_view(start, length);
        begin_ += length + 1;
        return true;
      }
      if (done_) {
        if (begin_ == end_) return false;
        line = std::string_view(start, end_ - begin_);
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
  // block is read into a buffer of its size, with a byte more to meet its
  // end in one read: a small model costs no block of memory.
  static std::size_t first_size(std::istream& in) {
    const std::streamsize known = in.rdbuf() ? in.rdbuf()->in_avail() : 0;
    if (known == 0 || known >= static_cast<std::streamsize>(kBlock)) return kBlock;
    if (known < 0) return kSmallest;
    return std::max(static_cast<std::size_t>(known) + 1, kSmallest);
  }

  // Keeps the unfinished line at the front and reads behind it. The buffer
  // grows when a text goes on past a buffer smaller than a block, or when
  // the unfinished line leaves less than half a block free. It is not
  // cleared first: only the pages that a text fills are ever touched.
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
    in_.read(buffer_.get() + end_, static_cast<std::streamsize>(size_ - end_));
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

constexpr std::size_t kHugePage = std::size_t{1} << 21;

// Asks the kernel to back the memory pages of a block with huge pages
// wherever they cover whole 2 MiB pages: a list of millions of numbers then
// costs a few first touches of memory instead of thousands. Only advice: the
// contents stay as they are.
void advise_huge_pages(const void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto first = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t start = first & ~(page - 1);
  const std::uintptr_t end = (first + bytes + page - 1) & ~(page - 1);
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

// Appends x, y, z; a full list doubles its room. From 2 MiB on the room is
// whole huge pages less a little for the allocator's bookkeeping, so that
// the block can start on a huge page, and it is advised before the entries
// move into it.
void append3(std::vector<float>& list, const float* xyz) {
  if (list.capacity() - list.size() < 3) {
    const std::size_t bytes = 2 * list.capacity() * sizeof(float);
    std::vector<float> larger;
    if (bytes < kHugePage) {
      larger.reserve(std::max<std::size_t>(2 * list.capacity(), 3 << 10));
    } else {
      const std::size_t pages = (bytes + kHugePage - 1) / kHugePage;
      larger.reserve((pages * kHugePage - 2048) / sizeof(float));
      advise_huge_pages(larger.data(), larger.capacity() * sizeof(float));
    }
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

  LineReader lines(in);
  std::string_view line;
  while (lines.next(line)) {
    line = line.substr(0, comment_start(line));
    if (line.size() < 3) continue;
    if (!any_line) {
      any_line = true;
      if (verbose) std::cout << "Parsing lines... Converting data... ";
    }
    Words words(line);
    std::string_view word;
    if (!words.next(word)) continue;
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
        append3(*lists[keyword], buffer);
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
          const unsigned long long count = num_vertices();
          for (unsigned long long index : face.v) {
            if (index >= count) {
              all_named = false;
            } else {
              if (index >= named.size()) named.resize(count);
              named[index] = 1;
            }
          }
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
