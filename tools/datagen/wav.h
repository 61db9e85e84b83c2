// A writer of RIFF/WAVE files with 16-bit PCM samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// The whole file: the 12-byte RIFF header, a 16-byte "fmt " chunk (format 1,
// PCM) and one "data" chunk of the interleaved samples, little-endian, padded
// to an even length.
std::string wav_bytes(const std::vector<std::int16_t>& samples, unsigned channels,
                      unsigned sample_rate);
// 0 on success, -1 when the file cannot be written.
int write_wav(const std::string& path, const std::vector<std::int16_t>& samples, unsigned channels,
              unsigned sample_rate);

// Floats in [-1, 1] (clipped) to 16-bit samples.
std::vector<std::int16_t> to_pcm16(const std::vector<float>& signal);

}  // namespace datagen
