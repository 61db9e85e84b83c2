// Reading and converting WAV files; nothing here needs an OpenAL device.
#include "audio/waveform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "audio/wav_bytes.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::ByteWriter;
using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using testing_support::UnseekableStream;
using namespace wav_bytes;

namespace {

// Exposes the stream reader, so tests can hand it streams of every kind.
struct ReadableWaveform : Waveform {
  using Waveform::load_wav;
};

using Samples = std::vector<std::int16_t>;

std::string bytes(std::initializer_list<unsigned char> b) {
  return std::string(b.begin(), b.end());
}

// A "fmt " chunk of the extensible format with the given sub-format code.
std::string extensible_fmt(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                           std::uint16_t sub_format) {
  return chunk("fmt ", ByteWriter()
                           .raw(fmt_body(Waveform::kFormatExtensible, channels, rate, bits))
                           .u16(22)
                           .u16(bits)
                           .u32(0)
                           .u16(sub_format)
                           .raw(std::string(14, 'g'))
                           .str());
}

// A stream whose every read fails without reaching an end.
class BrokenStream : public std::istream {
 public:
  BrokenStream() : std::istream(&buffer_) {}

 private:
  struct Buffer : std::streambuf {
    int_type underflow() override { throw std::ios_base::failure("device error"); }
  } buffer_;
};

}  // namespace

TEST(Waveform, ConvertsEachSampleFormatTo16Bits) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* what;
    std::string file;
    Samples expected;
  };
  const Case cases[] = {
      {"unsigned 8-bit, 128 is zero",
       file(1, 1, 8000, 8, bytes({0x80, 0xff, 0x00})),
       {0, 8128, -8192}},
      {"16-bit as it is",
       file(1, 1, 8000, 16, pcm16({-32768, -1, 0, 32767})),
       {-32768, -1, 0, 32767}},
      {"24-bit, the top 16 bits",
       file(1, 1, 8000, 24, bytes({0x56, 0x34, 0x12, 0xba, 0xdc, 0xfe})),
       {0x1234, -292}},
      {"32-bit integers, the top 16 bits",
       file(1, 1, 8000, 32, ByteWriter().u32(0x12345678).u32(0x80000000).u32(0xffffffff)),
       {0x1234, -32768, -1}},
      {"floats scaled by 32767, clamped, NaN silent",
       file(3, 1, 8000, 32, floats({0.0f, 0.5f, -1.0f, 1.0f, 2.0f, -3.0f, nan, inf})),
       {0, 16384, -32767, 32767, 32767, -32767, 0, 32767}},
      {"a constant float signal",
       file(3, 1, 8000, 32, floats({0.25f, 0.25f, 0.25f})),
       {8192, 8192, 8192}},
      {"extensible floats",
       riff(extensible_fmt(1, 8000, 32, 3) + chunk("data", floats({0.5f, -0.25f}))),
       {16384, -8192}},
      {"extensible 24-bit integers",
       riff(extensible_fmt(1, 8000, 24, 1) +
            chunk("data", bytes({0x00, 0x00, 0x80, 0xff, 0xff, 0x7f}))),
       {-32768, 32767}},
  };
  for (const Case& c : cases) {
    Waveform w;
    ASSERT_EQ(w.load_wav_string(c.file), 0) << c.what;
    EXPECT_EQ(w.post_load(), 0) << c.what;
    ASSERT_EQ(w.channel_samples().size(), 1u) << c.what;
    EXPECT_EQ(w.channel_samples()[0], c.expected) << c.what;
    EXPECT_EQ(w.bits_per_sample(), 16) << c.what;
  }
}

TEST(Waveform, LoadsAMonoFileByNameInAnyCase) {
  TempDataRoot root;
  root.write("SOUND.WAV", file(1, 1, 22050, 16, pcm16(ramp(1000, 1))));
  Waveform w;
  OutputCapture cap;
  EXPECT_EQ(w.load("SOUND.WAV", true, false, false), 0);
  EXPECT_EQ(cap.out(), "Loading SOUND.WAV\n");
  EXPECT_EQ(w.format_tag(), 1);
  EXPECT_EQ(w.sample_rate(), 22050u);
  EXPECT_EQ(w.block_align(), 2);
  ASSERT_EQ(w.channel_samples().size(), 1u);
  EXPECT_EQ(w.channel_samples()[0], ramp(1000, 1));
  EXPECT_EQ(w.samples(), ramp(1000, 1));
  EXPECT_DOUBLE_EQ(w.duration(), 1000.0 / 22050.0);
  EXPECT_EQ(w.al_format(), 0x1101);

  w.clear_cpu_memory();
  EXPECT_TRUE(w.raw_data().empty());
  EXPECT_TRUE(w.samples().empty());
  EXPECT_EQ(w.al_format(), 0);
  EXPECT_EQ(w.duration(), 0.0);
}

TEST(Waveform, RefusesNamesWithoutWavAndMissingFiles) {
  TempDataRoot root;
  root.write("sound.ogg", file(1, 1, 22050, 16, pcm16(ramp(10, 1))));
  Waveform w;
  OutputCapture cap;
  EXPECT_EQ(w.load("sound.ogg", true, true, false), -1);
  EXPECT_EQ(cap.err(), "Error: sound.ogg type not supported\n");
  EXPECT_TRUE(w.raw_data().empty());
  cap.reset();
  // Nothing to upload: the buffer is never asked for.
  EXPECT_EQ(w.load("missing.wav", true, true, false), 1);
  EXPECT_EQ(cap.err(), "Error loading missing.wav\n");
  EXPECT_EQ(w.id(), 0u);
}

TEST(Waveform, KeepsStereoChannelsApartAndInterleavesThemAgain) {
  const Samples frames = ramp(50, 2);
  Waveform w;
  ASSERT_EQ(w.load_wav_string(file(1, 2, 44100, 16, pcm16(frames))), 0);
  ASSERT_EQ(w.post_load(), 0);
  ASSERT_EQ(w.channel_samples().size(), 2u);
  for (std::size_t i = 0; i < 50; ++i) {
    EXPECT_EQ(w.channel_samples()[0][i], frames[2 * i]);
    EXPECT_EQ(w.channel_samples()[1][i], frames[2 * i + 1]);
  }
  w.interleave();
  EXPECT_EQ(w.samples(), frames);
  EXPECT_EQ(w.al_format(), 0x1103);
  EXPECT_EQ(Waveform::interleave({}), Samples());
}

TEST(Waveform, ReadsFormatChunksOfEverySize) {
  const std::string base = fmt_body(1, 1, 8000, 16);
  struct Case {
    const char* what;
    std::string fmt;
    std::uint16_t extra_size;
  };
  const Case cases[] = {
      {"16 bytes, no extension", base, 0},
      {"18 bytes, an empty extension", ByteWriter().raw(base).u16(0), 0},
      {"20 bytes, a 2-byte extension", ByteWriter().raw(base).u16(2).u16(0x7777), 2},
      {"20 bytes, an empty extension and 2 bytes of rest", ByteWriter().raw(base).u16(0).u16(9), 0},
  };
  for (const Case& c : cases) {
    Waveform w;
    OutputCapture cap;
    ASSERT_EQ(w.load_wav_string(riff(chunk("fmt ", c.fmt) + chunk("data", pcm16({7, -7})))), 0)
        << c.what;
    EXPECT_EQ(w.extra_size(), c.extra_size) << c.what;
    EXPECT_EQ(w.post_load(), 0) << c.what;
    EXPECT_EQ(w.channel_samples()[0], Samples({7, -7})) << c.what;
    EXPECT_EQ(cap.out(), "") << c.what;
  }
}

TEST(Waveform, SkipsOtherChunksWithTheirPadBytes) {
  const std::string fmt = chunk("fmt ", fmt_body(1, 1, 8000, 8));
  const std::string data = chunk("data", "\x81\x82\x83");
  struct Case {
    const char* what;
    std::string file;
  };
  const Case cases[] = {
      {"an odd LIST chunk before the data", riff(fmt + chunk("LIST", "abc") + data)},
      {"data chunks appended in order",
       riff(fmt + chunk("data", "\x81") + chunk("fact", "xxxx") + chunk("data", "\x82\x83"))},
      {"no pad byte after the last chunk", riff(fmt + data.substr(0, data.size() - 1))},
  };
  for (const Case& c : cases) {
    Waveform w;
    OutputCapture cap;
    EXPECT_EQ(w.load_wav_string(c.file), 0) << c.what;
    EXPECT_EQ(w.raw_data(), std::vector<char>({'\x81', '\x82', '\x83'})) << c.what;
    EXPECT_EQ(cap.out(), "") << c.what;
  }
}

TEST(Waveform, ReportsMalformedFilesFromAnyStream) {
  const std::string fmt = chunk("fmt ", fmt_body(1, 2, 8000, 16));
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
    std::size_t data_kept;
  };
  const Case cases[] = {
      {"empty", "", "Unexpected EOF while reading from file", 0},
      {"another container", ByteWriter().raw("RIFX").u32(4).raw("WAVE"), "File is not a RIFF file",
       0},
      {"another form", ByteWriter().raw("RIFF").u32(4).raw("AVI "), "File is not a WAV file", 0},
      {"two format chunks", riff(fmt + fmt + chunk("data", pcm16({1, 2}))),
       "More than one FMT chunk encountered", 0},
      {"a cut header", std::string("RIFF\x10\x00", 6), "Unexpected EOF while reading from file", 0},
      {"a cut format chunk", riff(fmt).substr(0, 20), "Unexpected EOF while reading from file", 0},
      {"a chunk larger than the file", riff(fmt + chunk("LIST", "abcd", 100000)),
       "Unexpected EOF while reading from file", 0},
      {"data cut short, kept in whole frames",
       riff(fmt + chunk("data", pcm16({1, 2, 3, 4, 5}), 400)),
       "Unexpected EOF while reading from file", 8},
      {"a RIFF size beyond the file", riff(fmt + chunk("data", pcm16({1, 2})), 1000),
       "Unexpected EOF while reading from file", 4},
  };
  for (const Case& c : cases) {
    std::istringstream seekable(c.bytes);
    UnseekableStream unseekable(c.bytes);
    for (std::istream* in :
         {static_cast<std::istream*>(&seekable), static_cast<std::istream*>(&unseekable)}) {
      ReadableWaveform w;
      std::vector<char> data;
      OutputCapture cap;
      EXPECT_EQ(w.load_wav(*in, data), 1) << c.what;
      EXPECT_EQ(cap.out(), std::string("Error! ") + c.message + "\n") << c.what;
      EXPECT_EQ(data.size(), c.data_kept) << c.what;
    }
  }
  BrokenStream broken;
  ReadableWaveform w;
  std::vector<char> data;
  OutputCapture cap;
  EXPECT_EQ(w.load_wav(broken, data), 1);
  EXPECT_EQ(cap.out(), "Error! Unable to read from file\n");
}

TEST(Waveform, ReadsDataOfUnknownSizeToTheEndOfTheFile) {
  // Streamed files state 0xFFFFFFFF; the sizes must cost nothing up front.
  const std::string fmt = chunk("fmt ", fmt_body(1, 2, 8000, 16));
  const std::string bytes = ByteWriter()
                                .raw("RIFF")
                                .u32(0xFFFFFFFF)
                                .raw("WAVE")
                                .raw(fmt)
                                .raw("data")
                                .u32(0xFFFFFFFF)
                                .raw(pcm16({1, 2, 3, 4, 5}));
  std::istringstream seekable(bytes);
  UnseekableStream unseekable(bytes);
  for (std::istream* in :
       {static_cast<std::istream*>(&seekable), static_cast<std::istream*>(&unseekable)}) {
    ReadableWaveform w;
    std::vector<char> data;
    OutputCapture cap;
    EXPECT_EQ(w.load_wav(*in, data), 0);
    EXPECT_EQ(cap.out(), "");
    EXPECT_EQ(data.size(), 8u);  // two whole stereo frames
    EXPECT_LE(data.capacity(), std::size_t(1) << 20);
  }
}

TEST(Waveform, PostLoadRefusesWhatItCannotConvert) {
  struct Case {
    const char* what;
    std::string file;
    int result;
    const char* err;
  };
  const Case cases[] = {
      {"a partial frame", file(1, 1, 8000, 16, "\x01\x02\x03"), 1,
       "Error, samples = 1 is not divisible by bytes 2 and number of channels 1\n"},
      {"no samples", file(1, 1, 8000, 16, ""), 1, ""},
      {"no channels", file(1, 0, 8000, 16, pcm16({1})), 2, ""},
      {"no sample size", file(1, 1, 8000, 4, pcm16({1})), 2, ""},
      {"64-bit floats", file(3, 1, 8000, 64, std::string(16, '\0')), 2, ""},
      {"16-bit floats", file(3, 1, 8000, 16, pcm16({1})), 2, ""},
      {"a compressed format (mu-law)", file(7, 1, 8000, 8, "\x11\x22"), 2, ""},
      {"no sample rate", file(1, 1, 0, 16, pcm16({1})), 1, ""},
  };
  for (const Case& c : cases) {
    Waveform w;
    ASSERT_EQ(w.load_wav_string(c.file), 0) << c.what;
    OutputCapture cap;
    EXPECT_EQ(w.post_load(), c.result) << c.what;
    EXPECT_EQ(cap.err(), c.err) << c.what;
    EXPECT_EQ(w.duration(), 0.0) << c.what;
  }
}
