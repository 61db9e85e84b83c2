// Captures what the code under test writes to std::cout and std::cerr.
#pragma once

#include <iostream>
#include <sstream>
#include <string>

namespace testing_support {

// While alive, std::cout and std::cerr write into strings.
class OutputCapture {
 public:
  OutputCapture();
  ~OutputCapture();
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  std::string out() const { return out_.str(); }
  std::string err() const { return err_.str(); }
  void reset();

 private:
  std::ostringstream out_;
  std::ostringstream err_;
  std::streambuf* old_out_;
  std::streambuf* old_err_;
};

// How often the piece occurs in the text (captured output, say).
inline std::size_t count_of(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (std::size_t at = text.find(piece); !piece.empty() && at != std::string::npos;
       at = text.find(piece, at + 1))
    ++n;
  return n;
}

}  // namespace testing_support
