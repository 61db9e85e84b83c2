// Waveforms and their OpenAL buffers on a real device.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <memory>

#include "audio/audio_fixture.h"
#include "audio/wav_bytes.h"
#include "audio/waveform.h"
#include "support/capture.h"
#include "support/data_root.h"

using testing_support::OutputCapture;
using testing_support::TempDataRoot;
using namespace wav_bytes;

using WaveformBuffers = AudioTest;

namespace {

int buffer_int(unsigned int buffer, ALenum what) {
  ALint v = -1;
  alGetBufferi(buffer, what, &v);
  return v;
}

}  // namespace

TEST_F(WaveformBuffers, ACopyLoadsIntoItsOwnBuffer) {
  TempDataRoot root;
  root.write("s.wav", file(1, 2, 11025, 16, pcm16(ramp(300, 2))));
  auto original = std::make_unique<Waveform>();
  Waveform copy = *original;
  original.reset();  // the copy's operations must not reach the dead original

  OutputCapture quiet;
  ASSERT_EQ(copy.load_async("s.wav", true, true), 0);
  EXPECT_EQ(copy.status(), 2);
  const unsigned int buffer = copy.id();
  ASSERT_TRUE(buffer != 0 && alIsBuffer(buffer));
  EXPECT_EQ(buffer_int(buffer, AL_SIZE), 1200);
  EXPECT_EQ(buffer_int(buffer, AL_CHANNELS), 2);
  EXPECT_EQ(buffer_int(buffer, AL_FREQUENCY), 11025);
  EXPECT_EQ(copy.samples(), ramp(300, 2));

  // Filling again keeps the buffer; destroy() releases it and the CPU copies.
  EXPECT_EQ(copy.fill_buffer(0), AL_NO_ERROR);
  EXPECT_EQ(copy.fill_buffer(1), AL_NO_ERROR);
  EXPECT_EQ(copy.id(), buffer);
  EXPECT_EQ(copy.destroy(), 0);
  EXPECT_FALSE(alIsBuffer(buffer));
  EXPECT_TRUE(copy.samples().empty());
  EXPECT_EQ(copy.destroy(), 0);
}

TEST_F(WaveformBuffers, FillCodes) {
  struct Case {
    const char* what;
    std::string file;
    int result;
  };
  const Case cases[] = {
      {"mono 8-bit, uploaded as 16-bit", file(1, 1, 8000, 8, "\x80\x90"), AL_NO_ERROR},
      {"no samples", file(1, 1, 8000, 16, ""), 1},
      {"three channels have no OpenAL format", file(1, 3, 8000, 16, pcm16(ramp(4, 3))),
       AL_INVALID_ENUM},
  };
  for (const Case& c : cases) {
    Waveform w;
    ASSERT_EQ(w.load_wav_string(c.file), 0) << c.what;
    w.post_load();
    w.interleave();
    EXPECT_EQ(w.fill_buffer(0), c.result) << c.what;
    w.destroy();
  }
}
