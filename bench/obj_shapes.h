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
  // "o", "g", "s" and "usemtl" statements: this many runs of faces.
  int runs = 8;
  // A comment line after every fourth statement, a blank line after every
  // seventh.
  bool comments = false;
  bool crlf = false;
};

// The set the benchmark measures, each a sphere of segments x rings cells.
inline const std::vector<Shape>& shapes() {
  static const std::vector<Shape> all = {
      {.name = "sphere_v_vt_vn"},
      {.name = "sphere_v", .corners = Corners::kPositions},
      {.name = "sphere_v_vn", .corners = Corners::kNormals},
      {.name = "sphere_v_vt", .corners = Corners::kTexCoords},
      {.name = "quads_v_vt_vn", .polygon = 4},
      {.name = "polygons_v_vt_vn", .polygon = 0},
      {.name = "unshared_v_vt_vn", .shared = false},
      {.name = "objects_v_vt_vn", .runs = 1000},
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

  void write(const Shape& shape, int segments, int rings) {
    shape_ = shape;
    statements_ = 0;
    line("# generated sphere " + std::to_string(segments) + " x " + std::to_string(rings));
    const bool texcoords = shape.corners == Corners::kAll || shape.corners == Corners::kTexCoords;
    const bool normals = shape.corners == Corners::kAll || shape.corners == Corners::kNormals;
    const std::vector<Cell> cells = faces(shape, segments, rings);
    std::size_t triangles = 0;
    for (const Cell& c : cells) triangles += c.size() - 2;
    const std::size_t run = (triangles + shape.runs - 1) / shape.runs;
    if (shape.shared) {
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
    std::size_t done = 0;
    long long own = 0;
    std::size_t next_run = 0;
    for (const Cell& c : cells) {
      if (done >= next_run * run) {
        names(next_run);
        ++next_run;
      }
      done += c.size() - 2;
      std::string f = "f";
      for (const Point& p : c) {
        const long long index = shape.shared ? 1 + p.j * (segments + 1LL) + p.i : ++own;
        const std::string n = std::to_string(index);
        f += ' ';
        f += n;
        if (shape.corners == Corners::kAll) f += "/" + n + "/" + n;
        if (shape.corners == Corners::kNormals) f += "//" + n;
        if (shape.corners == Corners::kTexCoords) f += "/" + n;
      }
      line(f);
    }
    flush();
  }

 private:
  struct Point {
    int i, j;
  };
  using Cell = std::vector<Point>;

  // The faces over the grid of (segments + 1) x (rings + 1) points, row by
  // row, counter-clockwise seen from outside.
  static std::vector<Cell> faces(const Shape& shape, int segments, int rings) {
    std::vector<Cell> out;
    for (int j = 0; j < rings; ++j) {
      int strip = 0;
      for (int i = 0; i < segments;) {
        if (shape.polygon == 3 || shape.polygon == 4) {
          const Point a{i, j}, b{i + 1, j}, c{i + 1, j + 1}, d{i, j + 1};
          if (shape.polygon == 4) {
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

  void names(std::size_t run) {
    const std::string n = std::to_string(run);
    if (shape_.runs > 8) {
      line("o part_" + n);
      line("g group_" + n);
      line(run % 2 ? "s off" : "s 1");
    }
    line("usemtl material_" + std::to_string(run % 50));
  }

  void vertex(int i, int j, int segments, int rings) {
    const double theta = M_PI * j / rings, phi = 2 * M_PI * i / segments;
    numbers("v",
            {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)}, 6);
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
};

// The text of a shape on a sphere of segments x rings cells.
inline std::string shape_text(const Shape& shape, int segments, int rings) {
  ShapeWriter writer;
  writer.write(shape, segments, rings);
  return writer.text();
}

}  // namespace obj_shapes
