// Command-line settings: arguments separated by NUL bytes. Files named by the
// arguments are not read (the file reader has its own target).
#include <vector>

#include "core/program_cfg.h"
#include "fuzz_support.h"

namespace {
struct Args : ProgramCfg {
  using ProgramCfg::parse_args;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  std::vector<std::string> args{"program"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  args.push_back(current);
  Args cfg;
  cfg.parse_args(args, false, "--", false);
  for (auto& [key, field] : cfg.fields()) (void)field.vec<float>();
  return 0;
}
