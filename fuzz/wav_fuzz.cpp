// WAV reading and conversion to 16-bit samples, from memory and from a file,
// without OpenAL.
#include "audio/waveform.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzing::silence_streams();
  Waveform w;
  w.load_wav_string(fuzzing::text(data, size));
  // The reader keeps no more than the file holds.
  if (w.raw_data().size() > size) __builtin_trap();
  w.post_load();
  w.interleave();
  const auto& channels = w.channel_samples();
  for (const auto& c : channels)
    if (c.size() != channels[0].size()) __builtin_trap();
  if (!channels.empty() && w.samples().size() != channels.size() * channels[0].size())
    __builtin_trap();

  Waveform from_file;
  from_file.load(fuzzing::scratch_file(data, size, ".wav"), true, false, false);
  if (from_file.samples() != w.samples()) __builtin_trap();  // both paths read alike
  return 0;
}
