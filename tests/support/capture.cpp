#include "support/capture.h"

namespace testing_support {

std::string SharedTextBuffer::str() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

void SharedTextBuffer::clear() {
  const std::lock_guard<std::mutex> lock(mutex_);
  text_.clear();
}

SharedTextBuffer::int_type SharedTextBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const std::lock_guard<std::mutex> lock(mutex_);
  text_.push_back(traits_type::to_char_type(c));
  return c;
}

std::streamsize SharedTextBuffer::xsputn(const char* s, std::streamsize n) {
  if (n <= 0) return 0;
  const std::lock_guard<std::mutex> lock(mutex_);
  text_.append(s, static_cast<std::size_t>(n));
  return n;
}

OutputCapture::OutputCapture()
    : old_out_(std::cout.rdbuf(&out_)), old_err_(std::cerr.rdbuf(&err_)) {}

OutputCapture::~OutputCapture() {
  std::cout.rdbuf(old_out_);
  std::cerr.rdbuf(old_err_);
}

void OutputCapture::reset() {
  out_.clear();
  err_.clear();
}

}  // namespace testing_support
