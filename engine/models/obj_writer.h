// The options of the Wavefront OBJ writer and the path helpers it names files
// with; the writer itself is part of OBJRenderer.
#pragma once

#include <array>
#include <string>

// A plain value handed to OBJRenderer::save.
struct OBJSaveOptions {
  // Digits of every number written.
  unsigned long long precision = 6;
  // Scientific notation; false: the stream's general notation.
  bool scientific = true;
  // Carried and copied with the options; the writer does not read them.
  std::array<bool, 3> flags{true, true, true};
  // When not empty, its file name (without folders) is the one "mtllib" of
  // the text; otherwise the model's own MTL file names are written.
  std::string mtl_file;
};

// The last component of a path, separated by "/" or "\\" ("" for none).
std::string path_file_name(const std::string& path);

// The path with its extension replaced by ext; separator goes in front of ext
// unless it is there already. An empty ext leaves the path as it is. Only the
// last path component's extension counts: a dot in a folder name is kept
// (a/b.c/d with "mtl" gives a/b.c/d.mtl).
std::string replace_ext(const std::string& path, std::string ext, char separator);
