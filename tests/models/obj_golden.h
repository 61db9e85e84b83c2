// Generated OBJ texts of every corner form and number spelling, and a digest
// of everything the reader and the attribute arrays make of them, so that a
// change of the reader can be checked bit for bit against the values it gave
// before.
#pragma once

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "models/obj_renderer.h"

namespace testing_support {

// A small deterministic generator (64-bit LCG, upper bits).
class TextRandom {
 public:
  explicit TextRandom(std::uint64_t seed) : state_(seed) {}
  std::uint32_t next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  std::uint32_t below(std::uint32_t n) { return next() % n; }

 private:
  std::uint64_t state_;
};

// One number as exporters and hand-written files spell them.
inline std::string number_word(TextRandom& r) {
  static const char* const kOdd[] = {"0",
                                     "-0",
                                     "1",
                                     "+2.5",
                                     ".5",
                                     "5.",
                                     "-.25e+2",
                                     "1e-3",
                                     "3.4028236e38",
                                     "1e39",
                                     "-1e39",
                                     "1e-320",
                                     "4.9e-324",
                                     "1e-46",
                                     "0x1p3",
                                     "-0x10",
                                     "nan",
                                     "inf",
                                     "-inf",
                                     "abc",
                                     "1.5abc",
                                     "00012.500",
                                     "1e",
                                     "1e+",
                                     "--1",
                                     "0.1234567890123456789012345",
                                     "123456789012345678901234567890",
                                     "9007199254740993",
                                     "2.2250738585072014e-308",
                                     "1.17549435e-38",
                                     "0.000000001",
                                     "1E5",
                                     "1.e5",
                                     "-",
                                     ".",
                                     "e5"};
  if (r.below(8) == 0) return kOdd[r.below(sizeof kOdd / sizeof kOdd[0])];
  std::string s;
  if (r.below(3) == 0) s += '-';
  const std::uint32_t digits = 1 + r.below(r.below(4) == 0 ? 24 : 9);
  const std::uint32_t point = r.below(digits + 1);
  for (std::uint32_t d = 0; d < digits; ++d) {
    if (d == point && r.below(4) != 0) s += '.';
    s += static_cast<char>('0' + r.below(10));
  }
  if (r.below(6) == 0) {
    s += r.below(2) ? 'e' : 'E';
    if (r.below(2)) s += r.below(2) ? '-' : '+';
    s += std::to_string(r.below(45));
  }
  return s;
}

// One index, mostly in range, sometimes relative, zero or far out.
inline std::string index_word(TextRandom& r, unsigned count) {
  const std::uint32_t pick = r.below(40);
  if (pick == 0) return "0";
  if (pick == 1) return "-" + std::to_string(1 + r.below(count + 3));
  if (pick == 2) return std::to_string(count + 1 + r.below(5));
  if (pick == 3) return "99999999999999999999";
  if (pick == 4) return "-9223372036854775808";
  if (pick == 5) return " 7x";
  return std::to_string(1 + r.below(count ? count : 1));
}

// Lines of every statement the reader knows and some it does not: corners
// v, v/vt, v/, v//vn, v/vt/vn, v/vt/, v//, and malformed ones; short faces,
// names, comments, blanks, tabs and CR LF line ends.
inline std::string golden_obj_text(std::uint64_t seed, int lines) {
  TextRandom r(seed);
  std::string out;
  unsigned count = 8;
  for (unsigned k = 0; k < count; ++k)
    out += "v " + number_word(r) + " " + number_word(r) + " " + number_word(r) + "\n";
  static const char* const kNames[] = {"Wood", "Felt", "Material#25", "m", "a b", "None", ""};
  static const char* const kKeys[] = {"usemtl", "o", "g", "s"};
  for (int l = 0; l < lines; ++l) {
    const std::uint32_t kind = r.below(20);
    std::string line;
    if (kind < 5) {
      static const char* const kNumeric[] = {"v", "vt", "vn", "vp"};
      line = kNumeric[r.below(4)];
      const std::uint32_t numbers = r.below(6);
      for (std::uint32_t k = 0; k < numbers; ++k)
        line += (r.below(5) ? " " : " \t ") + number_word(r);
      if (line[1] == ' ') ++count;
    } else if (kind < 15) {
      line = "f";
      const std::uint32_t corners = r.below(12) == 0 ? r.below(3) : 3 + r.below(r.below(4) ? 1 : 5);
      const std::uint32_t form = r.below(9);
      for (std::uint32_t k = 0; k < corners; ++k) {
        const std::uint32_t f = r.below(10) == 0 ? r.below(9) : form;
        const std::string a = index_word(r, count), b = index_word(r, count),
                          c = index_word(r, count);
        switch (f) {
          case 0:
            line += " " + a;
            break;
          case 1:
            line += " " + a + "/" + b;
            break;
          case 2:
            line += " " + a + "/";
            break;
          case 3:
            line += " " + a + "//" + c;
            break;
          case 4:
            line += " " + a + "/" + b + "/" + c;
            break;
          case 5:
            line += " " + a + "/" + b + "/";
            break;
          case 6:
            line += " " + a + "//";
            break;
          case 7:
            line += " " + a + "/" + b + "/" + c + "/" + a;
            break;
          default:
            line += " /" + b + "/" + c;
            break;
        }
      }
    } else if (kind < 18) {
      line = kKeys[r.below(4)];
      if (r.below(8)) line += std::string(" ") + kNames[r.below(7)];
      if (r.below(6) == 0) line += " extra";
    } else if (kind == 18) {
      static const char* const kOther[] = {
          "# comment f 1 2 3",  "xx 1 2 3", "ab",          "",        "  ",
          "mtllib missing.mtl", "l 1 2",    "v 1 2 3 # c", "f#1 2 3", "\tv\t1\t2\t3"};
      line = kOther[r.below(10)];
    } else {
      line = "v " + number_word(r) + " " + number_word(r) + " " + number_word(r);
      ++count;
    }
    if (r.below(10) == 0) line += "\r";
    out += line + "\n";
  }
  return out;
}

// A height field of n x n vertices in two triangles per cell, written as
// exporters do: fixed decimals, corners a/b/c or (without attributes) a b c,
// a material every `block` faces.
inline std::string golden_grid_text(int n, bool attributes, int block) {
  std::ostringstream out;
  out.setf(std::ios::fixed);
  out.precision(6);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      out << "v " << i * 0.01 << " " << j * -0.013 << " " << ((i * 7 + j * 13) % 17) * 0.001
          << "\n";
  if (attributes)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i)
        out << "vt " << i / double(n) << " " << j / double(n) << "\nvn 0.1 -0.2 "
            << 0.9 + (i % 10) * 0.001 << "\n";
  int t = 0;
  for (int j = 0; j + 1 < n; ++j)
    for (int i = 0; i + 1 < n; ++i) {
      const int a = j * n + i + 1, b = a + 1, c = a + n, d = c + 1;
      const int cell[2][3] = {{a, b, d}, {a, d, c}};
      for (const auto& tri : cell) {
        if (t++ % block == 0) out << "usemtl m" << t / block << "\n";
        out << "f";
        for (int k : tri) {
          out << " " << k;
          if (attributes) out << "/" << k << "/" << k;
        }
        out << "\n";
      }
    }
  return out.str();
}

// FNV-1a over the bytes of values and lists.
class Digest {
 public:
  void bytes(const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i) hash_ = (hash_ ^ p[i]) * 1099511628211ULL;
  }
  template <typename T>
  void value(const T& v) {
    bytes(&v, sizeof v);
  }
  void floats(const std::vector<float>& list) {
    value(list.size());
    bytes(list.data(), list.size() * sizeof(float));
  }
  template <typename List>
  void indices(const List& list) {
    value(static_cast<std::uint64_t>(list.size()));
    for (unsigned long long i : list) value(i);
  }
  void text(const std::string& s) {
    value(s.size());
    bytes(s.data(), s.size());
  }
  std::uint64_t hash() const { return hash_; }

 private:
  std::uint64_t hash_ = 1469598103934665603ULL;
};

// The digest of a model read from the text: the result, the four lists, the
// faces with their names, the MTL names, the average vertex, the bounds and
// the fan-triangle arrays in both windings.
inline std::uint64_t golden_digest(const std::string& text) {
  OBJRenderer model;
  model.load_materials(false);
  std::istringstream in(text);
  Digest d;
  d.value(model.load(in, nullptr, false));
  d.floats(model.vertices());
  d.floats(model.normals());
  d.floats(model.tex_coords());
  d.floats(model.param_coords());
  d.value(static_cast<std::uint64_t>(model.faces().size()));
  for (const OBJFace& face : model.faces()) {
    d.indices(face.v);
    d.indices(face.vt);
    d.indices(face.vn);
    d.text(face.material_name);
    d.text(face.object_name);
    d.text(face.group_name);
    d.text(face.smoothing_group);
  }
  for (const std::string& name : model.mtl_files()) d.text(name);
  d.value(model.average_vertex());
  d.value(model.bounding_box_corners());
  for (bool reverse : {false, true})
    for (const std::vector<float>& array : model.construct_attributes({}, reverse)) d.floats(array);
  return d.hash();
}

}  // namespace testing_support
