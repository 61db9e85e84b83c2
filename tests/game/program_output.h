// What the game program writes that no good run shows: OpenGL errors of its
// frames, data files it could not find or read, and sanitizer reports. The
// words are kept in unclean_output.txt, which the soak run reads too.
#pragma once

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace program_output {

// The lines of the text that contain any of the words.
inline std::string lines_with(const std::string& text, const std::vector<std::string>& words) {
  std::istringstream in(text);
  std::string found;
  for (std::string line; std::getline(in, line);)
    for (const std::string& word : words)
      if (line.find(word) != std::string::npos) {
        found += line + "\n";
        break;
      }
  return found;
}

inline std::string lines_with(const std::string& text, std::initializer_list<const char*> words) {
  return lines_with(text, std::vector<std::string>(words.begin(), words.end()));
}

// The words under the heading that starts with `section` ("gl errors") in
// the shared list; empty when the list cannot be read or has no such
// heading.
inline std::vector<std::string> unclean_words(const std::string& section) {
  std::ifstream in(TALVORIN_UNCLEAN_OUTPUT);
  std::vector<std::string> words;
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[')
      inside = line.compare(1, section.size(), section) == 0;
    else if (inside)
      words.push_back(line);
  }
  return words;
}

// The lines that hold a word of the section, or a line that says the
// section could not be read (so that a test checking for none fails).
inline std::string unclean_lines(const std::string& text, const std::string& section) {
  const std::vector<std::string> words = unclean_words(section);
  if (words.empty()) return "no words of [" + section + "] in " TALVORIN_UNCLEAN_OUTPUT "\n";
  return lines_with(text, words);
}

// The standard error's reports of OpenGL errors.
inline std::string gl_error_lines(const std::string& err) {
  return unclean_lines(err, "gl errors");
}

// Reports of files of the data folder that are not there or do not load,
// and of settings lines left out.
inline std::string missing_data_lines(const std::string& text) {
  return unclean_lines(text, "missing data");
}

// The standard error's sanitizer reports.
inline std::string sanitizer_lines(const std::string& err) {
  return unclean_lines(err, "sanitizer reports");
}

}  // namespace program_output
