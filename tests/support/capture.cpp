#include "support/capture.h"

namespace testing_support {

OutputCapture::OutputCapture()
    : old_out_(std::cout.rdbuf(out_.rdbuf())), old_err_(std::cerr.rdbuf(err_.rdbuf())) {}

OutputCapture::~OutputCapture() {
  std::cout.rdbuf(old_out_);
  std::cerr.rdbuf(old_err_);
}

void OutputCapture::reset() {
  out_.str("");
  err_.str("");
}

}  // namespace testing_support
