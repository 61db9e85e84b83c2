// Generated Wavefront OBJ files of the shapes that users load: a sphere grid
// whose vertices many faces share, in every corner form, as triangles, quads
// and larger polygons; corners that share nothing; many objects, groups and
// material switches; comments and blank lines between the data; CR LF line
// ends. The benchmark writes each at about a million triangles, the tests
// small ones.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace obj_shapes {

// What a face corner refers to: v/vt/vn, v, v//vn or v/vt.
enum class Corners { kAll, kPositions, kNormals, kTexCoords };

struct Shape {
  const char* name;
  Corners corners = Corners::kAll;
  // Corners per face: 3, 4, or 0 for polygons of 6, 8 and 10 corners in turn
  // (strips of 2, 3 and 4 grid cells).
  int polygon = 3;
  // Each triangle's corners get vertices, texture coordinates and normals of
  // their own instead of the grid's shared ones.
  bool shared = true;
  // Many small spheres, each an object as exporters write them ("o", its
  // vertices, "g", "s", then its faces under two "usemtl" runs) instead of
  // one sphere whose faces run through eight materials.
  bool objects = false;
  // A comment line after every fourth statement, a blank line after every
  // seventh.
  bool comments = false;
  bool crlf = false;
};

// The set the benchmark measures, each of segments x rings cells in all.
inline const std::vector<Shape>& shapes() {
  static const std::vector<Shape> all = {
      {.name = "sphere_v_vt_vn"},
      {.name = "sphere_v", .corners = Corners::kPositions},
      {.name = "sphere_v_vn", .corners = Corners::kNormals},
      {.name = "sphere_v_vt", .corners = Corners::kTexCoords},
      {.name = "quads_v_vt_vn", .polygon = 4},
      {.name = "polygons_v_vt_vn", .polygon = 0},
      {.name = "unshared_v_vt_vn", .shared = false},
      {.name = "objects_v_vt_vn", .objects = true},
      {.name = "comments_v_vt_vn", .comments = true},
      {.name = "crlf_v_vt_vn", .crlf = true},
  };
  return all;
}

// The text of a shape, kept in memory or (with a file) written out in blocks.
class ShapeWriter {
 public:
  explicit ShapeWriter(std::FILE* file = nullptr) : file_(file) {}
  ~ShapeWriter() { flush(); }

  const std::string& text() const { return text_; }
  std::size_t bytes() const { return written_ + text_.size(); }

  // The objects of the object shape are spheres of a 40th of the segments
  // and a 25th of the rings (at least 2 x 2): a thousand of 1000 x 500 cells.
  void write(const Shape& shape, int segments, int rings) {
    shape_ = shape;
    statements_ = 0;
    written_vertices_ = 0;
    line("# generated sphere " + std::to_string(segments) + " x " + std::to_string(rings));
    if (!shape.objects) {
      part(segments, rings, 0);
    } else {
      const int s = std::max(2, segments / 40), r = std::max(2, rings / 25);
      const int count = segments * rings / (s * r);
      for (int k = 1; k <= count; ++k) part(s, r, k);
    }
    flush();
  }

 private:
  struct Point {
    int i, j;
  };
  using Cell = std::vector<Point>;

  // One sphere: object 0 alone in the file, else object k of many.
  void part(int segments, int rings, int object) {
    const bool texcoords = shape_.corners == Corners::kAll || shape_.corners == Corners::kTexCoords;
    const bool normals = shape_.corners == Corners::kAll || shape_.corners == Corners::kNormals;
    // Objects side by side, ten to a row and a hundred to a layer.
    offset_[0] = 3.0 * (object % 10);
    offset_[1] = 3.0 * (object / 10 % 10);
    offset_[2] = 3.0 * (object / 100);
    const std::string n = std::to_string(object);
    if (object > 0) line("o part_" + n);
    // Indices count on from the vertices of the objects before.
    const long long base = written_vertices_;
    const std::vector<Cell> cells = faces(segments, rings);
    std::size_t triangles = 0;
    for (const Cell& c : cells) triangles += c.size() - 2;
    if (shape_.shared) {
      for (int j = 0; j <= rings; ++j)
        for (int i = 0; i <= segments; ++i) vertex(i, j, segments, rings);
      if (texcoords)
        for (int j = 0; j <= rings; ++j)
          for (int i = 0; i <= segments; ++i) tex_coord(i, j, segments, rings);
      if (normals)
        for (int j = 0; j <= rings; ++j)
          for (int i = 0; i <= segments; ++i) normal(i, j, segments, rings);
    } else {
      for (const Cell& c : cells)
        for (const Point& p : c) vertex(p.i, p.j, segments, rings);
      if (texcoords)
        for (const Cell& c : cells)
          for (const Point& p : c) tex_coord(p.i, p.j, segments, rings);
      if (normals)
        for (const Cell& c : cells)
          for (const Point& p : c) normal(p.i, p.j, segments, rings);
    }
    if (object > 0) {
      line("g group_" + n);
      line(object % 2 ? "s off" : "s 1");
    }
    // Eight materials over one sphere, two over each object.
    const std::size_t runs = object > 0 ? 2 : 8;
    const std::size_t run = (triangles + runs - 1) / runs;
    long long own = base;
    std::size_t done = 0, next_run = 0;
    for (const Cell& c : cells) {
      if (done >= next_run * run) {
        line("usemtl material_" + std::to_string((runs * object + next_run) % 50));
        ++next_run;
      }
      done += c.size() - 2;
      std::string f = "f";
      for (const Point& p : c) {
        const long long index = shape_.shared ? base + 1 + p.j * (segments + 1LL) + p.i : ++own;
        const std::string k = std::to_string(index);
        f += ' ';
        f += k;
        if (shape_.corners == Corners::kAll) f += "/" + k + "/" + k;
        if (shape_.corners == Corners::kNormals) f += "//" + k;
        if (shape_.corners == Corners::kTexCoords) f += "/" + k;
      }
      line(f);
    }
  }

  // The faces over the grid of (segments + 1) x (rings + 1) points, row by
  // row, counter-clockwise seen from outside.
  std::vector<Cell> faces(int segments, int rings) const {
    std::vector<Cell> out;
    for (int j = 0; j < rings; ++j) {
      int strip = 0;
      for (int i = 0; i < segments;) {
        if (shape_.polygon == 3 || shape_.polygon == 4) {
          const Point a{i, j}, b{i + 1, j}, c{i + 1, j + 1}, d{i, j + 1};
          if (shape_.polygon == 4) {
            out.push_back({a, d, c, b});
          } else {
            out.push_back({a, c, b});
            out.push_back({a, d, c});
          }
          ++i;
          continue;
        }
        // A strip of k cells: along the upper row, then back along the lower.
        const int k = std::min(2 + strip++ % 3, segments - i);
        if (k < 2) {
          out.push_back({{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j}});
          ++i;
          continue;
        }
        Cell cell;
        for (int s = 0; s <= k; ++s) cell.push_back({i + s, j + 1});
        for (int s = 0; s <= k; ++s) cell.push_back({i + k - s, j});
        out.push_back(cell);
        i += k;
      }
    }
    return out;
  }

  void vertex(int i, int j, int segments, int rings) {
    const double theta = M_PI * j / rings, phi = 2 * M_PI * i / segments;
    numbers("v",
            {offset_[0] + std::sin(theta) * std::cos(phi), offset_[1] + std::cos(theta),
             offset_[2] + std::sin(theta) * std::sin(phi)},
            6);
    ++written_vertices_;
  }
  void normal(int i, int j, int segments, int rings) {
    const double theta = M_PI * j / rings, phi = 2 * M_PI * i / segments;
    numbers("vn",
            {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)}, 4);
  }
  void tex_coord(int i, int j, int segments, int rings) {
    numbers("vt", {double(i) / segments, 1.0 - double(j) / rings}, 6);
  }

  void numbers(const char* keyword, std::initializer_list<double> values, int precision) {
    char buffer[128];
    char* p = buffer;
    for (const char* k = keyword; *k; ++k) *p++ = *k;
    for (double x : values) {
      *p++ = ' ';
      // No "-0.000000": exporters write a plain 0.
      if (std::fabs(x) < 0.5 * std::pow(10.0, -precision)) x = 0;
      p = std::to_chars(p, buffer + sizeof buffer, x, std::chars_format::fixed, precision).ptr;
    }
    line(std::string_view(buffer, static_cast<std::size_t>(p - buffer)));
  }

  void line(std::string_view text) {
    text_ += text;
    text_ += shape_.crlf ? "\r\n" : "\n";
    ++statements_;
    if (shape_.comments) {
      if (statements_ % 4 == 0) text_ += "# a comment between the data, with f 1 2 3 in it\n";
      if (statements_ % 7 == 0) text_ += "\n";
    }
    if (file_ && text_.size() >= (1 << 20)) flush();
  }

  void flush() {
    if (!file_ || text_.empty()) return;
    std::fwrite(text_.data(), 1, text_.size(), file_);
    written_ += text_.size();
    text_.clear();
  }

  std::FILE* file_;
  std::string text_;
  std::size_t written_ = 0;
  Shape shape_{.name = ""};
  unsigned long long statements_ = 0;
  long long written_vertices_ = 0;
  double offset_[3] = {};
};

// The text of a shape on a sphere of segments x rings cells.
inline std::string shape_text(const Shape& shape, int segments, int rings) {
  ShapeWriter writer;
  writer.write(shape, segments, rings);
  return writer.text();
}

}  // namespace obj_shapes
