// One settings value read as numbers, lists and arrays, with each list
// separator and bracket pair the formats use.
#include "core/cfg_field.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  if (size < 1) return 0;
  CfgField field(fuzzing::text(data + 1, size - 1));
  static const char separators[] = {' ', ',', ';', '\t'};
  static const char* brackets[] = {"", "[]", "()", "  "};
  field.list_separator(separators[data[0] & 3]);
  field.list_brackets(brackets[(data[0] >> 2) & 3]);
  (void)static_cast<int>(field);
  (void)static_cast<unsigned int>(field);
  (void)static_cast<long long>(field);
  (void)static_cast<double>(field);
  (void)static_cast<float>(field);
  (void)field.vec<float>();
  (void)field.vec<std::string>();
  (void)static_cast<std::array<float, 3>>(field);
  (void)static_cast<std::array<float, 4>>(field);
  (void)static_cast<std::array<int, 3>>(field);
  return 0;
}
