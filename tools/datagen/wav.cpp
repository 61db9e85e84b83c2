// RIFF/WAVE writing.
#include "datagen/wav.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace datagen {

namespace {

void put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xff));
  out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
}

}  // namespace

std::string wav_bytes(const std::vector<std::int16_t>& samples, unsigned channels,
                      unsigned sample_rate) {
  const std::uint32_t data_size = static_cast<std::uint32_t>(samples.size() * 2);
  const std::uint32_t padded = data_size + (data_size & 1);
  std::string out;
  out.reserve(44 + padded);
  out += "RIFF";
  put32(out, 4 + (8 + 16) + (8 + padded));
  out += "WAVE";
  out += "fmt ";
  put32(out, 16);
  put16(out, 1);
  put16(out, static_cast<std::uint16_t>(channels));
  put32(out, sample_rate);
  put32(out, sample_rate * channels * 2);
  put16(out, static_cast<std::uint16_t>(channels * 2));
  put16(out, 16);
  out += "data";
  put32(out, data_size);
  for (std::int16_t s : samples) put16(out, static_cast<std::uint16_t>(s));
  if (data_size & 1) out.push_back('\0');
  return out;
}

int write_wav(const std::string& path, const std::vector<std::int16_t>& samples, unsigned channels,
              unsigned sample_rate) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return -1;
  const std::string bytes = wav_bytes(samples, channels, sample_rate);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out.fail() ? -1 : 0;
}

std::vector<std::int16_t> to_pcm16(const std::vector<float>& signal) {
  std::vector<std::int16_t> out;
  out.reserve(signal.size());
  for (float v : signal)
    out.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)));
  return out;
}

}  // namespace datagen
