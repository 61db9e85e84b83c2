// A server's reply: split into header and body, header fields parsed.
#include "fuzz_support.h"
#include "net/http.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  HTTPReply reply;
  reply.accept(fuzzing::text(data, size), true);
  (void)reply.ok();
  reply.parse_header();
  return 0;
}
