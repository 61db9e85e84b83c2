// Loading a 30 s WAV file, converting it to 16-bit samples and uploading it
// into an OpenAL buffer on the null device: stereo 16-bit and stereo float.
// The copies of several megabytes each are fresh allocations, so the times
// include the first touch of their pages, which depends on how the allocator
// reuses memory from one load to the next.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "audio/audio_context.h"
#include "audio/waveform.h"

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr std::uint32_t kFrames = 30 * kRate;

void put(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

// A stereo WAV file of a sine tone, 16-bit PCM or 32-bit float samples.
std::string write_wav(bool floats) {
  const std::uint16_t bits = floats ? 32 : 16;
  const std::uint16_t align = 2 * bits / 8;
  const std::uint32_t data_size = kFrames * align;
  std::string out = "RIFF";
  put(out, 36 + data_size, 4);
  out += "WAVEfmt ";
  put(out, 16, 4);
  put(out, floats ? 3 : 1, 2);
  put(out, 2, 2);
  put(out, kRate, 4);
  put(out, kRate * align, 4);
  put(out, align, 2);
  put(out, bits, 2);
  out += "data";
  put(out, data_size, 4);
  for (std::uint32_t i = 0; i < 2 * kFrames; ++i) {
    const float v = 0.8f * std::sin(float(i / 2) * 0.0627f);
    if (floats) {
      std::uint32_t b;
      std::memcpy(&b, &v, 4);
      put(out, b, 4);
    } else {
      put(out, static_cast<std::uint16_t>(std::int16_t(v * 32767.0f)), 2);
    }
  }
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("varnox_bench_" + std::to_string(::getpid()) + (floats ? "_float.wav" : "_pcm16.wav")))
          .string();
  std::ofstream(path, std::ios::binary).write(out.data(), std::streamsize(out.size()));
  return path;
}

// Output of the loader ("Loading ...") goes nowhere while timing.
class Quiet {
 public:
  Quiet() : old_(std::cout.rdbuf(nullptr)) {}
  ~Quiet() { std::cout.rdbuf(old_); }

 private:
  std::streambuf* old_;
};

// The context for the whole run, on the null device unless the environment
// names another driver; closed at exit.
struct OpenAL {
  OpenAL() {
    setenv("ALSOFT_DRIVERS", "null", 0);
    context.create();
  }
  ~OpenAL() {
    context.destroy();
    context.device().destroy();
  }
  AudioContext context;
};

void BM_LoadWavIntoBuffer(benchmark::State& state, bool floats) {
  static OpenAL openal;
  if (!openal.context.id()) {
    state.SkipWithError("no OpenAL device");
    return;
  }
  const std::string path = write_wav(floats);
  for (auto _ : state) {
    Quiet quiet;
    Waveform w;
    if (w.load(path, true, true, true) != 0) state.SkipWithError("load failed");
    w.destroy();
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}

}  // namespace

BENCHMARK_CAPTURE(BM_LoadWavIntoBuffer, stereo_pcm16_30s, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadWavIntoBuffer, stereo_float_30s, true)->Unit(benchmark::kMillisecond);
