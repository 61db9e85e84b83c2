// Captures what the code under test writes to std::cout and std::cerr.
#pragma once

#include <iostream>
#include <mutex>
#include <sstream>
#include <streambuf>
#include <string>

namespace testing_support {

// A text that several threads may write at once through a stream: the
// engine's loader threads report on std::cout while the test's thread
// does. It keeps no put area, so that every write takes the lock.
class SharedTextBuffer : public std::streambuf {
 public:
  std::string str() const;
  void clear();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

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
  SharedTextBuffer out_;
  SharedTextBuffer err_;
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
