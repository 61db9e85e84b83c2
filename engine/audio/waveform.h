// Waveform: one sound read from a RIFF/WAVE file, converted to 16-bit samples
// per channel, interleaved again and copied into one OpenAL buffer.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "audio/al_object.h"
#include "core/loader.h"

// The fields of a Waveform after its bases; they copy and move as values.
struct WaveformFields {
  float gain_ = 1.0f;
  bool muted_ = false;
  std::uint16_t format_tag_ = 0;
  std::uint16_t channels_ = 0;
  std::uint16_t block_align_ = 0;
  std::uint16_t bits_per_sample_ = 0;
  std::uint16_t extra_size_ = 0;
  std::uint32_t sample_rate_ = 0;
  // The format that decides how samples read: format_tag(), or the sub-format
  // of an extensible one.
  std::uint16_t sample_format_ = 0;
  std::vector<char> raw_data_;
  std::vector<std::vector<std::int16_t>> channel_samples_;
  std::vector<std::int16_t> samples_;
};

// WAV files are untrusted: the reader reads only the bytes the file holds (a
// chunk that claims more yields what is there, cut to whole frames), refuses
// malformed layouts with a message, and never throws out of its interface.
//
// id() is the OpenAL buffer name. Copies share it; only destroy() (or a bank's
// clear) deletes it, the destructor frees memory only. Each copy's create,
// destroy, load and preparation operations act on that copy.
class Waveform : public ALObject<unsigned int, int>,
                 public Loader<std::string, int>,
                 private WaveformFields {
 public:
  // A chunk header: four-character id, size from the file, and the bytes of
  // the chunk consumed so far.
  struct chunkHdr {
    char id[4] = {0, 0, 0, 0};
    std::uint32_t size = 0;
    std::uint64_t read = 0;
  };

  // The format codes of the "fmt " chunk that decide how samples read.
  static constexpr std::uint16_t kFormatPCM = 1;
  static constexpr std::uint16_t kFormatFloat = 3;
  static constexpr std::uint16_t kFormatExtensible = 0xFFFE;
  // A data size that means "until the end of the file" (streamed files).
  static constexpr std::uint32_t kSizeUnknown = 0xFFFFFFFF;

  Waveform() { install_operations(); }
  Waveform(const Waveform& other);
  Waveform(Waveform&& other) noexcept;
  Waveform& operator=(const Waveform& other);
  Waveform& operator=(Waveform&& other) noexcept;

  // Reads the file (the name must contain ".wav", any case: else -1), converts
  // it, interleaves when asked, fills the buffer when asked (the result is then
  // fill_buffer's) and drops the CPU copies when asked. A file that does not
  // read whole is reported and what was read is kept.
  int load(std::string file, bool interleave, bool fill_buffer, bool clear_cpu);
  // A whole WAV file held in memory into raw_data(); the reader's result.
  int load_wav_string(const std::string& bytes);
  // raw_data() into channel_samples(): 2 when there is nothing to convert
  // (no channels, or samples that are neither integer PCM of 1 to 4 bytes
  // nor 32-bit floats), 1 when the data is no whole number of frames or
  // lasts no time, else 0. Sets bits_per_sample() to 16 once converted.
  int post_load();
  void interleave();
  // Frame i holds sample i of each channel; the first channel gives the count.
  static std::vector<std::int16_t> interleave(
      const std::vector<std::vector<std::int16_t>>& channels);
  // AL_FORMAT_MONO8/16 or STEREO8/16 from the channel lists and the sample
  // size; 0 for anything else.
  int al_format() const;
  // 1 without samples. Makes the buffer first (keep_buffer 0) when there is
  // none, then uploads and returns alGetError().
  int fill_buffer(unsigned int keep_buffer = 0);
  // Seconds of the first channel; 0.0 without channels or sample rate.
  double duration() const;
  // Empties the raw bytes, the channel lists and the samples; the buffer stays.
  void clear_cpu_memory();

  float gain() const { return gain_; }
  void gain(float g) { gain_ = g; }
  bool muted() const { return muted_; }
  void mute(bool m = true) { muted_ = m; }

  std::uint16_t format_tag() const { return format_tag_; }
  std::uint16_t channels() const { return channels_; }
  std::uint16_t block_align() const { return block_align_; }
  std::uint16_t bits_per_sample() const { return bits_per_sample_; }
  std::uint16_t extra_size() const { return extra_size_; }
  std::uint32_t sample_rate() const { return sample_rate_; }
  const std::vector<char>& raw_data() const { return raw_data_; }
  const std::vector<std::vector<std::int16_t>>& channel_samples() const { return channel_samples_; }
  const std::vector<std::int16_t>& samples() const { return samples_; }

  // The chunk helpers. Each counts the bytes it consumes against the parent
  // (when given) and throws std::runtime_error "Unexpected EOF while reading
  // from file" at the end of the stream, "Unable to read from file" otherwise.
  static void read(std::istream& in, chunkHdr& header, chunkHdr* parent);
  static void read(std::istream& in, void* dest, std::int64_t count, chunkHdr* parent);
  static void skip(std::istream& in, std::int64_t count, chunkHdr* parent);
  static bool isChunkID(const chunkHdr& header, char a, char b, char c, char d);

 protected:
  // 1 when the file does not open, else the stream reader's result.
  int load_wav(std::string file, std::vector<char>& data);
  // The chunk reader: 0, or 1 after "Error! " and the message on the
  // standard output.
  int load_wav(std::istream& in, std::vector<char>& data);

 private:
  void install_operations();
  void read_format(std::istream& in, chunkHdr& chunk);
  // Bytes per frame as the format gives them; 0 when unknown.
  std::uint64_t frame_bytes() const;
};
