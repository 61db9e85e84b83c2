#include "audio/waveform.h"

#include <AL/al.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "core/binary_io.h"
#include "core/strings.h"

namespace {

// Largest piece of a data chunk read at once, so that a chunk that claims
// more than a stream of unknown size delivers costs at most this much ahead
// of the bytes that really arrive.
constexpr std::uint64_t kReadStep = 1 << 20;

const char* const kEof = "Unexpected EOF while reading from file";
const char* const kUnreadable = "Unable to read from file";

std::uint16_t le16(const unsigned char* b) {
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint32_t le32(const unsigned char* b) {
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint16_t read16(std::istream& in, Waveform::chunkHdr* parent) {
  unsigned char b[2];
  Waveform::read(in, b, 2, parent);
  return le16(b);
}

std::uint32_t read32(std::istream& in, Waveform::chunkHdr* parent) {
  unsigned char b[4];
  Waveform::read(in, b, 4, parent);
  return le32(b);
}

// Appends up to `size` bytes of the stream to data, in bounded steps; the
// number of bytes appended.
std::uint64_t read_up_to(std::istream& in, std::uint64_t size, std::vector<char>& data) {
  const long long left = bytes_left(in);
  if (left >= 0) {
    // The file holds them: room for all at once.
    size = std::min<std::uint64_t>(size, static_cast<std::uint64_t>(left));
    data.reserve(data.size() + static_cast<std::size_t>(size));
  }
  std::uint64_t got = 0;
  while (got < size) {
    const std::size_t old = data.size();
    const std::size_t step = static_cast<std::size_t>(std::min(kReadStep, size - got));
    data.resize(old + step);
    in.read(data.data() + old, static_cast<std::streamsize>(step));
    const std::size_t n = static_cast<std::size_t>(in.gcount());
    got += n;
    if (n != step) {
      data.resize(old + n);
      break;
    }
  }
  return got;
}

// A float sample scaled by 32767, clamped to the 16-bit range; NaN is silence.
std::int16_t float_sample(const unsigned char* b) {
  float f;
  const std::uint32_t bits = le32(b);
  std::memcpy(&f, &bits, 4);
  if (std::isnan(f)) return 0;
  return static_cast<std::int16_t>(std::lround(std::clamp(f, -1.0f, 1.0f) * 32767.0f));
}

// Converts interleaved frames of `bytes`-byte samples into one list per channel.
template <typename Convert>
void split_channels(const unsigned char* in, unsigned bytes, std::size_t frames,
                    std::vector<std::vector<std::int16_t>>& channels, Convert convert) {
  if (channels.size() == 1) {
    std::int16_t* out = channels[0].data();
    for (std::size_t i = 0; i < frames; ++i, in += bytes) out[i] = convert(in);
    return;
  }
  for (std::size_t i = 0; i < frames; ++i)
    for (auto& channel : channels) {
      channel[i] = convert(in);
      in += bytes;
    }
}

}  // namespace

Waveform::Waveform(const Waveform& other) : ALObject(other), Loader(other), WaveformFields(other) {
  install_operations();
}

Waveform::Waveform(Waveform&& other) noexcept
    : ALObject(std::move(other)), Loader(std::move(other)), WaveformFields(std::move(other)) {
  install_operations();
}

Waveform& Waveform::operator=(const Waveform& other) {
  ALObject::operator=(other);
  Loader::operator=(other);
  WaveformFields::operator=(other);
  install_operations();
  return *this;
}

Waveform& Waveform::operator=(Waveform&& other) noexcept {
  ALObject::operator=(std::move(other));
  Loader::operator=(std::move(other));
  WaveformFields::operator=(std::move(other));
  install_operations();
  return *this;
}

void Waveform::install_operations() {
  create_function_ = [this] {
    ALuint name = 0;
    alGenBuffers(1, &name);
    // alIsBuffer answers true for 0, the null buffer.
    if (name == 0 || !alIsBuffer(name)) {
      std::cerr << "Error: buffer ID " << name << " allocation FAILED: " << load_argument()
                << std::endl;
      id_ = 0;
      return -1;
    }
    id_ = name;
    return 0;
  };
  destroy_function_ = [this] {
    clear_cpu_memory();
    if (id_ == 0 || !alIsBuffer(id_)) return 0;
    alGetError();
    alDeleteBuffers(1, &id_);
    const int error = alGetError();
    if (error != 0) std::cerr << "AL error " << error << std::endl;
    return error;
  };
  load_function([this](std::string file) { return load(file, true, true, false); });
  preliminary_function([this](std::string) { return create(); });
}

int Waveform::load(std::string file, bool interleave_samples, bool fill, bool clear_cpu) {
  std::cout << "Loading " << file << std::endl;
  if (tolower_s(file).find(".wav") == std::string::npos) {
    std::cerr << "Error: " << file << " type not supported" << std::endl;
    return -1;
  }
  channel_samples_.clear();
  samples_.clear();
  if (load_wav(file, raw_data_) != 0) std::cerr << "Error loading " << file << std::endl;
  post_load();
  if (interleave_samples) interleave();
  int result = 0;
  if (fill) result = fill_buffer(0);
  if (clear_cpu) clear_cpu_memory();
  return result;
}

int Waveform::load_wav(std::string file, std::vector<char>& data) {
  std::ifstream in(file, std::ios::binary);
  if (!in.is_open()) return 1;
  return load_wav(in, data);
}

int Waveform::load_wav_string(const std::string& bytes) {
  std::istringstream in(bytes, std::ios::binary);
  return load_wav(in, raw_data_);
}

int Waveform::load_wav(std::istream& in, std::vector<char>& data) {
  data.clear();
  try {
    chunkHdr outer;
    read(in, outer, nullptr);
    if (!isChunkID(outer, 'R', 'I', 'F', 'F')) throw std::runtime_error("File is not a RIFF file");
    chunkHdr form;
    read(in, form.id, 4, &outer);
    if (!isChunkID(form, 'W', 'A', 'V', 'E')) throw std::runtime_error("File is not a WAV file");
    form.size = outer.size >= 4 ? outer.size - 4 : 0;
    form.read = 0;
    bool format_seen = false;
    while (form.read < form.size) {
      // A streamed file's unknown size ends with the file.
      if (outer.size == kSizeUnknown && bytes_left(in) == 0) return 0;
      chunkHdr chunk;
      read(in, chunk, &form);
      if (isChunkID(chunk, 'f', 'm', 't', ' ')) {
        if (format_seen) throw std::runtime_error("More than one FMT chunk encountered");
        format_seen = true;
        read_format(in, chunk);
      } else if (isChunkID(chunk, 'd', 'a', 't', 'a')) {
        const std::size_t before = data.size();
        const std::uint64_t got = read_up_to(in, chunk.size, data);
        if (got < chunk.size) {
          // What the file holds, in whole frames; an unknown size ends with
          // the file without complaint.
          const std::uint64_t frame = frame_bytes();
          if (frame != 0) data.resize(before + got / frame * frame);
          if (chunk.size == kSizeUnknown) return 0;
          throw std::runtime_error(kEof);
        }
        form.read += chunk.size;
      } else {
        skip(in, chunk.size, &chunk);
      }
      form.read += chunk.read;
      if (chunk.size % 2 != 0) {
        // Writers often leave out the pad byte of the last chunk.
        if (bytes_left(in) == 0) return 0;
        skip(in, 1, &form);
      }
    }
    return 0;
  } catch (const std::exception& e) {
    std::cout << "Error! " << e.what() << std::endl;
    return 1;
  }
}

void Waveform::read_format(std::istream& in, chunkHdr& chunk) {
  format_tag_ = read16(in, &chunk);
  channels_ = read16(in, &chunk);
  sample_rate_ = read32(in, &chunk);
  read32(in, &chunk);  // byte rate
  block_align_ = read16(in, &chunk);
  if (chunk.size >= 16) bits_per_sample_ = read16(in, &chunk);
  sample_format_ = format_tag_;
  if (chunk.size >= 18) {
    extra_size_ = read16(in, &chunk);
    std::int64_t extension = extra_size_;
    if (format_tag_ == kFormatExtensible && extension >= 8) {
      // Valid bits, channel mask, then the sub-format whose first two bytes
      // are the format code the samples follow.
      read16(in, &chunk);
      read32(in, &chunk);
      sample_format_ = read16(in, &chunk);
      extension -= 8;
    }
    if (extension != 0) skip(in, extension, &chunk);
  }
  if (chunk.read < chunk.size) skip(in, static_cast<std::int64_t>(chunk.size - chunk.read), &chunk);
}

std::uint64_t Waveform::frame_bytes() const {
  return static_cast<std::uint64_t>(channels_) * (bits_per_sample_ / 8);
}

void Waveform::read(std::istream& in, chunkHdr& header, chunkHdr* parent) {
  unsigned char b[8];
  read(in, b, 8, parent);
  std::copy(b, b + 4, header.id);
  header.size = le32(b + 4);
  header.read = 0;
}

void Waveform::read(std::istream& in, void* dest, std::int64_t count, chunkHdr* parent) {
  if (count < 0) throw std::runtime_error(kUnreadable);
  in.read(static_cast<char*>(dest), static_cast<std::streamsize>(count));
  if (in.gcount() != count) throw std::runtime_error(in.eof() ? kEof : kUnreadable);
  if (parent) parent->read += static_cast<std::uint64_t>(count);
}

void Waveform::skip(std::istream& in, std::int64_t count, chunkHdr* parent) {
  if (count < 0) throw std::runtime_error(kUnreadable);
  const long long left = bytes_left(in);
  if (left >= 0) {
    if (count > left) throw std::runtime_error(kEof);
    if (!in.seekg(count, std::ios::cur)) throw std::runtime_error(kUnreadable);
  } else {
    // A stream that cannot tell its size is read through.
    in.ignore(static_cast<std::streamsize>(count));
    if (in.gcount() != count) throw std::runtime_error(in.eof() ? kEof : kUnreadable);
  }
  if (parent) parent->read += static_cast<std::uint64_t>(count);
}

bool Waveform::isChunkID(const chunkHdr& header, char a, char b, char c, char d) {
  return header.id[0] == a && header.id[1] == b && header.id[2] == c && header.id[3] == d;
}

int Waveform::post_load() {
  channel_samples_.clear();
  const unsigned bytes = bits_per_sample_ / 8u;
  // Integer PCM of 1 to 4 bytes or 4-byte floats; compressed formats would
  // play as noise.
  const bool pcm = sample_format_ == kFormatPCM && bytes >= 1 && bytes <= 4;
  const bool floats = sample_format_ == kFormatFloat && bytes == 4;
  if (channels_ == 0 || !(pcm || floats)) return 2;
  const std::size_t frames = raw_data_.size() / bytes / channels_;
  if (std::size_t(channels_) * frames * bytes != raw_data_.size()) {
    std::cerr << "Error, samples = " << frames << " is not divisible by bytes " << bytes
              << " and number of channels " << channels_ << std::endl;
    return 1;
  }
  channel_samples_.assign(channels_, std::vector<std::int16_t>(frames));
  const unsigned char* in = reinterpret_cast<const unsigned char*>(raw_data_.data());
  switch (bytes) {
    case 1:  // unsigned, 128 the zero level
      split_channels(in, 1, frames, channel_samples_,
                     [](const unsigned char* b) { return std::int16_t((b[0] - 128) * 64); });
      break;
    case 2:
      split_channels(in, 2, frames, channel_samples_,
                     [](const unsigned char* b) { return std::int16_t(le16(b)); });
      break;
    case 3:  // the top 16 bits
      split_channels(in, 3, frames, channel_samples_,
                     [](const unsigned char* b) { return std::int16_t(le16(b + 1)); });
      break;
    default:
      if (floats)
        split_channels(in, 4, frames, channel_samples_, float_sample);
      else
        split_channels(in, 4, frames, channel_samples_,
                       [](const unsigned char* b) { return std::int16_t(le16(b + 2)); });
  }
  bits_per_sample_ = 16;
  return duration() == 0.0 ? 1 : 0;
}

void Waveform::interleave() {
  samples_ = interleave(channel_samples_);
}

std::vector<std::int16_t> Waveform::interleave(
    const std::vector<std::vector<std::int16_t>>& channels) {
  std::vector<std::int16_t> out;
  if (channels.empty()) return out;
  const std::size_t n = channels.size();
  const std::size_t frames = channels[0].size();
  out.assign(frames * n, 0);
  for (std::size_t c = 0; c < n; ++c) {
    // A shorter channel leaves its missing samples silent.
    const std::size_t have = std::min(frames, channels[c].size());
    const std::int16_t* from = channels[c].data();
    for (std::size_t i = 0; i < have; ++i) out[i * n + c] = from[i];
  }
  return out;
}

int Waveform::al_format() const {
  const std::size_t n = channel_samples_.size();
  if (n == 1 && bits_per_sample_ == 8) return AL_FORMAT_MONO8;
  if (n == 1 && bits_per_sample_ == 16) return AL_FORMAT_MONO16;
  if (n == 2 && bits_per_sample_ == 8) return AL_FORMAT_STEREO8;
  if (n == 2 && bits_per_sample_ == 16) return AL_FORMAT_STEREO16;
  return 0;
}

int Waveform::fill_buffer(unsigned int keep_buffer) {
  if (samples_.empty()) return 1;
  if (keep_buffer == 0 && (id_ == 0 || !alIsBuffer(id_))) {
    const int r = create();
    if (r != 0) return r;
  }
  const std::size_t bytes = samples_.size() * sizeof(std::int16_t);
  if (bytes > INT_MAX || sample_rate_ > INT_MAX) return AL_INVALID_VALUE;
  alGetError();
  alBufferData(id_, al_format(), samples_.data(), static_cast<ALsizei>(bytes),
               static_cast<ALsizei>(sample_rate_));
  return alGetError();
}

double Waveform::duration() const {
  if (channel_samples_.empty() || sample_rate_ == 0) return 0.0;
  return static_cast<double>(channel_samples_[0].size()) / sample_rate_;
}

void Waveform::clear_cpu_memory() {
  raw_data_.clear();
  raw_data_.shrink_to_fit();
  channel_samples_.clear();
  channel_samples_.shrink_to_fit();
  samples_.clear();
  samples_.shrink_to_fit();
}
