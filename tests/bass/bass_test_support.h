// bass_test_support.h - shared set-up for tests that drive the audio library.
#ifndef ZIBO_TESTS_BASS_BASS_TEST_SUPPORT_H
#define ZIBO_TESTS_BASS_BASS_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "audio_test_files.h"
#include "bass/bass.h"

namespace zibo::testing {

// Leaves the library uninitialised after every test, whatever happened.
class BassTest : public ::testing::Test {
 protected:
  void TearDown() override { BASS_Free(); }

  // The stream's position in frames.
  static long long Frames(HSTREAM s) { return (long long)(BASS_ChannelGetPosition(s) / 4); }

  static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  TempDir dir_;
};

}  // namespace zibo::testing

#endif
