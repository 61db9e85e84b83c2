// WAV files built byte by byte for the audio tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/binary_bytes.h"

namespace wav_bytes {

using testing_support::ByteWriter;

// The 16 bytes of a "fmt " chunk's body.
inline std::string fmt_body(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                            std::uint16_t bits) {
  const std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
  return ByteWriter().u16(format).u16(channels).u32(rate).u32(rate * align).u16(align).u16(bits);
}

// Header, body and the pad byte of an odd body; `size` replaces the stated size.
inline std::string chunk(const std::string& id, const std::string& body,
                         std::optional<std::uint32_t> size = std::nullopt) {
  std::string out = ByteWriter()
                        .raw(id)
                        .u32(size.value_or(static_cast<std::uint32_t>(body.size())))
                        .raw(body)
                        .str();
  if (body.size() % 2 != 0) out.push_back('\0');
  return out;
}

inline std::string riff(const std::string& chunks,
                        std::optional<std::uint32_t> size = std::nullopt) {
  return ByteWriter()
      .raw("RIFF")
      .u32(size.value_or(static_cast<std::uint32_t>(chunks.size() + 4)))
      .raw("WAVE")
      .raw(chunks);
}

// A whole file of one format chunk and one data chunk.
inline std::string file(std::uint16_t format, std::uint16_t channels, std::uint32_t rate,
                        std::uint16_t bits, const std::string& data) {
  return riff(chunk("fmt ", fmt_body(format, channels, rate, bits)) + chunk("data", data));
}

inline std::string pcm16(const std::vector<std::int16_t>& samples) {
  ByteWriter w;
  for (std::int16_t s : samples) w.u16(static_cast<std::uint16_t>(s));
  return w;
}

inline std::string floats(const std::vector<float>& samples) {
  ByteWriter w;
  for (float s : samples) w.f32(s);
  return w;
}

// n frames of a 16-bit ramp per channel: frame i, channel c holds i * channels + c.
inline std::vector<std::int16_t> ramp(std::size_t frames, std::size_t channels) {
  std::vector<std::int16_t> v(frames * channels);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<std::int16_t>(i);
  return v;
}

}  // namespace wav_bytes
