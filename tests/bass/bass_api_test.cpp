// The twelve calls on the no-sound device: error codes, the playback clock,
// restarts, stops, and the spectrum of what is playing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "bass/bass_diagnostics.h"
#include "bass_test_support.h"

namespace zibo {
namespace {

using testing::FileKind;

class BassApiTest : public testing::BassTest {
 protected:
  void InitNoSound() { ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 32, nullptr)); }

  HSTREAM Open(const std::string& name, FileKind kind, const std::vector<float>& samples,
               int channels = 2, int rate = 44100) {
    std::string path = dir_.Path(name);
    EXPECT_TRUE(testing::WriteAudioFile(path, kind, rate, channels, samples));
    HSTREAM s = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    EXPECT_NE(s, 0u) << name << " error " << BASS_ErrorGetCode();
    return s;
  }
};

TEST_F(BassApiTest, CallsBeforeInitFailWithInit) {
  float buffer[512];
  for (float& v : buffer) v = 7;
  struct {
    const char* call;
    bool failed;
  } calls[] = {
      {"StreamCreateFile", BASS_StreamCreateFile(0, "x.mp3", 0, 0, 0) == 0},
      {"Start", BASS_Start() == 0},
      {"StreamPlay", BASS_StreamPlay(1, 0, 0) == 0},
      {"ChannelGetPosition", BASS_ChannelGetPosition(1) == QWORD(-1)},
      {"ChannelBytes2Seconds", BASS_ChannelBytes2Seconds(1, 4) < 0},
      {"ChannelGetData", BASS_ChannelGetData(1, buffer, BASS_DATA_FFT512) == DWORD(-1)},
      {"ChannelStop", BASS_ChannelStop(1) == 0},
      {"Stop", BASS_Stop() == 0},
  };
  for (auto& c : calls) EXPECT_TRUE(c.failed) << c.call;
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  for (int k = 0; k < 256; ++k) ASSERT_EQ(buffer[k], 0.0f) << k;
  BASS_StreamFree(1);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  BASS_Free();
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
}

TEST_F(BassApiTest, SecondInitFailsWithAlreadyUntilFreed) {
  InitNoSound();
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  EXPECT_FALSE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 32, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  EXPECT_FALSE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 32, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  BASS_Free();
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  InitNoSound();
}

TEST_F(BassApiTest, InitRefusesUnknownDevicesAndRates) {
  EXPECT_FALSE(BASS_Init(3, 44100, 32, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  EXPECT_FALSE(BASS_Init(BASS_DEVICE_NOSOUND, 0, 32, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  InitNoSound();  // the failures left nothing behind
}

TEST_F(BassApiTest, DefaultDeviceFailsWhenNoOutputOpens) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 32, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DRIVER);
  EXPECT_NE(std::string(bass::LastErrorDetail()).find("no-such-driver"), std::string::npos)
      << bass::LastErrorDetail();
  unsetenv("SDL_AUDIODRIVER");
  InitNoSound();
}

TEST_F(BassApiTest, StreamErrorsSayWhatWentWrong) {
  InitNoSound();
  EXPECT_EQ(BASS_StreamCreateFile(0, dir_.Path("missing.mp3").c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  EXPECT_NE(std::string(bass::LastErrorDetail()).find("missing.mp3"), std::string::npos)
      << bass::LastErrorDetail();
  ASSERT_TRUE(testing::WriteBytes(dir_.Path("text.mp3"), "not a song at all\n"));
  EXPECT_EQ(BASS_StreamCreateFile(0, dir_.Path("text.mp3").c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
  EXPECT_EQ(BASS_StreamCreateFile(1, "x", 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_StreamCreateFile(0, "x", 10, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOTAVAIL);
}

TEST_F(BassApiTest, FreedAndUnknownHandlesAreRefused) {
  InitNoSound();
  HSTREAM s = Open("a.wav", FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 1000));
  BASS_StreamFree(s);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  BASS_StreamFree(s);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_StreamPlay(s, 0, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_ChannelGetPosition(0), QWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  // A new stream in the same slot gets a different handle.
  HSTREAM t = Open("a.wav", FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 1000));
  EXPECT_NE(t, s);
  EXPECT_FALSE(BASS_ChannelStop(s));
  EXPECT_TRUE(BASS_ChannelStop(t));
}

TEST_F(BassApiTest, PositionStartsAtZeroAndOnlyMovesForward) {
  InitNoSound();
  HSTREAM s = Open("song.mp3", FileKind::kMp3, testing::Sine(440, 0.5, 44100, 2, 22050));
  EXPECT_EQ(BASS_ChannelGetPosition(s), 0u);
  SleepMs(20);
  EXPECT_EQ(BASS_ChannelGetPosition(s), 0u) << "nothing plays before StreamPlay";
  ASSERT_TRUE(BASS_Start());
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  EXPECT_LT(Frames(s), 44100 / 10) << "starts from the beginning";
  long long last = 0;
  for (int i = 0; i < 2000; ++i) {
    QWORD bytes = BASS_ChannelGetPosition(s);
    ASSERT_EQ(bytes % 4, 0u);
    long long now = (long long)(bytes / 4);
    ASSERT_GE(now, last);
    last = now;
  }
  SleepMs(50);
  EXPECT_GE(Frames(s) - last, 44100 * 40 / 1000) << "advances in real time";
  EXPECT_LT(Frames(s), 44100 * 30) << "generous upper bound";
}

TEST_F(BassApiTest, BytesToSecondsCountsSixteenBitStereo) {
  InitNoSound();
  HSTREAM s = Open("a.ogg", FileKind::kOggVorbis, testing::Sine(440, 0.5, 44100, 2, 4410));
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(s, 176400), 1.0);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(s, 0), 0.0);
  // The show truncates to whole milliseconds: 1.2345 s reads 1234.
  double seconds = BASS_ChannelBytes2Seconds(s, 54441 * 4);
  EXPECT_NEAR(seconds, 1.2345, 1e-4);
  EXPECT_EQ(int(seconds * 1000.0), 1234);
}

TEST_F(BassApiTest, TheClockRunsOnThroughSilenceAfterTheEnd) {
  InitNoSound();
  HSTREAM s = Open("short.wav", FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 441));
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(60);
  EXPECT_GT(Frames(s), 441 * 4);
  float out[256];
  EXPECT_EQ(BASS_ChannelGetData(s, out, BASS_DATA_FFT512), 1024u);
  for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST_F(BassApiTest, AnEmptyStreamPlaysSilenceOnAMovingClock) {
  InitNoSound();
  HSTREAM s = Open("empty.wav", FileKind::kWav16, {});
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(20);
  EXPECT_GT(Frames(s), 0);
  float out[256];
  BASS_ChannelGetData(s, out, BASS_DATA_FFT512);
  for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST_F(BassApiTest, FlushRestartsAndNoFlushContinues) {
  InitNoSound();
  HSTREAM s = Open("a.wav", FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 44100));
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(80);
  long long before = Frames(s);
  ASSERT_GT(before, 44100 * 60 / 1000);
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  EXPECT_GE(Frames(s), before) << "flush 0 on a playing stream continues";
  ASSERT_TRUE(BASS_StreamPlay(s, 1, 0));
  long long restarted = Frames(s);
  EXPECT_LT(restarted, before);
  EXPECT_LT(restarted, 44100 * 50 / 1000);
  SleepMs(20);
  EXPECT_GT(Frames(s), restarted) << "and plays on from the beginning";
}

TEST_F(BassApiTest, ChannelStopHoldsThePositionAndPlayContinuesFromIt) {
  InitNoSound();
  HSTREAM s = Open("a.wav", FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 44100));
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(30);
  ASSERT_TRUE(BASS_ChannelStop(s));
  long long stopped = Frames(s);
  SleepMs(30);
  EXPECT_EQ(Frames(s), stopped);
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  long long resumed = Frames(s);
  EXPECT_GE(resumed, stopped);
  EXPECT_LT(resumed - stopped, 44100 * 25 / 1000);
}

TEST_F(BassApiTest, OutputStopPausesEveryClockAndStartResumes) {
  InitNoSound();
  HSTREAM s = Open("a.wav", FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 44100));
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(20);
  ASSERT_TRUE(BASS_Stop());
  long long paused = Frames(s);
  SleepMs(30);
  EXPECT_EQ(Frames(s), paused);
  ASSERT_TRUE(BASS_Start());
  SleepMs(20);
  long long resumed = Frames(s);
  EXPECT_GT(resumed, paused);
  EXPECT_LT(resumed - paused, 44100 * 25 / 1000 + 44100 / 4) << "the pause did not count";
}

TEST_F(BassApiTest, SpectrumOfAPlayingSinePeaksInItsBin) {
  InitNoSound();
  const double hz = 56 * 44100.0 / 512;
  HSTREAM wav = Open("bin56.wav", FileKind::kWav16, testing::Sine(hz, 0.6, 44100, 2, 44100));
  HSTREAM mp3 = Open("bin56.mp3", FileKind::kMp3, testing::Sine(hz, 0.6, 44100, 2, 44100));
  ASSERT_TRUE(BASS_StreamPlay(wav, 0, 0));
  ASSERT_TRUE(BASS_StreamPlay(mp3, 0, 0));
  SleepMs(100);  // past the MP3's encoder delay
  for (auto [stream, tolerance] : {std::pair{wav, 0.005}, std::pair{mp3, 0.03}}) {
    float out[512];
    ASSERT_EQ(BASS_ChannelGetData(stream, out, BASS_DATA_FFT512), 1024u);
    int peak = 0;
    for (int k = 1; k < 256; ++k) {
      if (out[k] > out[peak]) peak = k;
    }
    EXPECT_EQ(peak, 56);
    EXPECT_NEAR(out[56], 0.3, tolerance);
  }
}

TEST_F(BassApiTest, SpectrumOfSilenceIsZero) {
  InitNoSound();
  HSTREAM s = Open("silence.ogg", FileKind::kOggVorbis, std::vector<float>(2 * 44100, 0.0f));
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(30);
  float out[256];
  ASSERT_EQ(BASS_ChannelGetData(s, out, BASS_DATA_FFT512), 1024u);
  for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST_F(BassApiTest, SpectrumRequestsThatFailLeaveZeros) {
  InitNoSound();
  float out[256];
  for (float& v : out) v = 3;
  EXPECT_EQ(BASS_ChannelGetData(12345, out, BASS_DATA_FFT512), DWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  for (float v : out) EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(BASS_ChannelGetData(12345, nullptr, BASS_DATA_FFT512), DWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(BASS_ChannelGetData(12345, out, 1024), DWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

}  // namespace
}  // namespace zibo
