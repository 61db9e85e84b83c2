// One OpenAL context on the default device for the tests of one program (the
// null driver under CTest), made current for every test.
#pragma once

#include <AL/al.h>
#include <gtest/gtest.h>

#include "audio/audio_context.h"

class AudioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!context_) {
      context_ = new AudioContext();
      ASSERT_EQ(context_->create(), 0) << "no OpenAL device (run with ALSOFT_DRIVERS=null)";
    }
  }
  void SetUp() override {
    ASSERT_NE(context_->id(), nullptr);
    context_->make_current();
    alGetError();
  }
  void TearDown() override { EXPECT_EQ(alGetError(), AL_NO_ERROR) << "an OpenAL error was left"; }

  // Made by the first suite that needs it and shared by every suite of the
  // program, so no sources or buffers outlive their context; released after
  // the last test.
  static inline AudioContext* context_ = nullptr;

 private:
  struct Release : ::testing::Environment {
    void TearDown() override {
      if (!context_) return;
      context_->destroy();
      context_->device().destroy();
      delete context_;
      context_ = nullptr;
    }
  };
  static inline ::testing::Environment* const release_ =
      ::testing::AddGlobalTestEnvironment(new Release);
};
