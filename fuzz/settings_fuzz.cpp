// The settings text in its three formats: read, every value converted, written
// and read back.
#include <sstream>
#include <vector>

#include "core/program_cfg.h"
#include "fuzz_support.h"

namespace {
void exercise(ProgramCfg& cfg) {
  for (auto& [key, field] : cfg.fields()) {
    (void)static_cast<int>(field);
    (void)static_cast<long long>(field);
    (void)static_cast<float>(field);
    (void)field.vec<float>();
    (void)field.vec<std::string>();
    (void)static_cast<std::array<float, 3>>(field);
    (void)static_cast<std::array<int, 3>>(field);
  }
  std::ostringstream out;
  cfg.save(out);
  ProgramCfg again;
  again.set_format(cfg.format());
  std::istringstream in(out.str());
  std::vector<ProgramCfg::UnreadEntry> unread;
  again.load(in, &unread);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  const std::string text = fuzzing::text(data, size);
  for (CfgFormat format : {CFG_LINES, CFG_BRACED, CFG_LINES_COMMA_LISTS}) {
    ProgramCfg cfg;
    cfg.set_format(format);
    cfg += text;
    exercise(cfg);
  }
  return 0;
}
