// What the game program writes that no good run shows: OpenGL errors of its
// frames and data files it could not find or read.
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>

namespace program_output {

// The lines of the text that contain any of the words.
inline std::string lines_with(const std::string& text, std::initializer_list<const char*> words) {
  std::istringstream in(text);
  std::string found;
  for (std::string line; std::getline(in, line);)
    for (const char* word : words)
      if (line.find(word) != std::string::npos) {
        found += line + "\n";
        break;
      }
  return found;
}

// The frame's own checks, and every report that carries GLU's text for an
// OpenGL error, and the "<what> error: <why>" reports.
inline std::string gl_error_lines(const std::string& err) {
  return lines_with(
      err, {"pre-call error", "post-call error", "glutPostRedisplay error", "pre-error",
            "main() Error", "error:", "shader compile error", "link error", "invalid enumerant",
            "invalid value", "invalid operation", "stack overflow", "stack underflow",
            "out of memory", "invalid framebuffer operation"});
}

// Reports of files of the data folder that are not there or do not load,
// and of settings lines left out.
inline std::string missing_data_lines(const std::string& text) {
  return lines_with(
      text, {"rror loading", "not found", "No such file", "missing", "in load_png()", "Cannot open",
             "lodepng_decode_file", "left out:", "Data folder incomplete"});
}

}  // namespace program_output
