// The twelve calls on the no-sound device: error codes, the playback clock,
// restarts, stops, and the spectrum of what is playing.
#include "disk_output.h"

#include "audio/spectrum.h"

namespace zibo {
namespace {

using testing::FileKind;
using testing::Frames;
using testing::SleepMs;
using Clock = std::chrono::steady_clock;
// Frames of wall time since `t0`, plus one for rounding: the no-sound clock
// can never have run further since a call made after `t0`.
long long FramesSince(Clock::time_point t0) {
  return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count() * 441 / 10000 + 1;
}

class BassApiTest : public testing::DiskOutputTest {
 protected:
  void InitNoSound() { ASSERT_TRUE(BASS_Init(BASS_DEVICE_NOSOUND, 44100, 32, nullptr)); }
  HSTREAM Open(FileKind kind, const std::vector<float>& samples) {
    const std::string path = dir_.Path(std::to_string(++files_) + ".audio");
    EXPECT_TRUE(testing::WriteAudioFile(path, kind, 44100, 2, samples));
    const HSTREAM s = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    EXPECT_NE(s, 0u) << BASS_ErrorGetCode();
    return s;
  }
  // The magnitudes the stream reports now; all must be 0 when `silent`.
  static std::vector<float> Spectrum(HSTREAM s, bool silent) {
    std::vector<float> out(512, 7.0f);
    EXPECT_EQ(BASS_ChannelGetData(s, out.data(), BASS_DATA_FFT512), 1024u);
    out.resize(256);
    if (silent) {
      EXPECT_EQ(out, std::vector<float>(256, 0.0f));
    }
    return out;
  }
  int files_ = 0;
};

// Each failure leaves its code: `failed` must hold and the code be `code`.
void ExpectFailure(bool failed, int code, int line) {
  EXPECT_TRUE(failed) << "line " << line;
  EXPECT_EQ(BASS_ErrorGetCode(), code) << "line " << line;
}
#define EXPECT_FAILURE(failed, code) ExpectFailure(failed, code, __LINE__)

TEST_F(BassApiTest, EveryCallFailsWithItsCode) {
  std::vector<float> buffer(256, 7.0f);
  EXPECT_FAILURE(BASS_StreamCreateFile(0, "x.mp3", 0, 0, 0) == 0 && !BASS_Start() &&
                     !BASS_StreamPlay(1, 0, 0) && BASS_ChannelGetPosition(1) == QWORD(-1) &&
                     BASS_ChannelBytes2Seconds(1, 4) < 0 && !BASS_ChannelStop(1) && !BASS_Stop() &&
                     BASS_ChannelGetData(1, buffer.data(), BASS_DATA_FFT512) == DWORD(-1),
                 BASS_ERROR_INIT);
  EXPECT_EQ(buffer, std::vector<float>(256, 0.0f)) << "a failed spectrum reads zeros";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FAILURE(!BASS_Init(BASS_DEVICE_DEFAULT, 44100, 32, nullptr), BASS_ERROR_DRIVER);
  EXPECT_NE(std::string(bass::LastErrorDetail()).find("no-such-driver"), std::string::npos);
  unsetenv("SDL_AUDIODRIVER");
  EXPECT_FAILURE(!BASS_Init(3, 44100, 32, nullptr), BASS_ERROR_DEVICE);
  EXPECT_FAILURE(!BASS_Init(BASS_DEVICE_NOSOUND, 0, 32, nullptr), BASS_ERROR_ILLPARAM);
  InitNoSound();  // the failures left nothing behind

  const std::string missing = dir_.Path("missing.mp3");
  EXPECT_FAILURE(!BASS_StreamCreateFile(0, missing.c_str(), 0, 0, 0), BASS_ERROR_FILEOPEN);
  EXPECT_NE(std::string(bass::LastErrorDetail()).find(missing), std::string::npos);
  EXPECT_FAILURE(!BASS_StreamCreateFile(1, "x", 0, 0, 0), BASS_ERROR_ILLPARAM);
  EXPECT_FAILURE(!BASS_StreamCreateFile(0, nullptr, 0, 0, 0), BASS_ERROR_ILLPARAM);
  EXPECT_FAILURE(!BASS_StreamCreateFile(0, "x", 10, 0, 0), BASS_ERROR_NOTAVAIL);

  const HSTREAM s = Open(FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 1000));
  BASS_StreamFree(s);
  EXPECT_FAILURE(true, BASS_OK);
  BASS_StreamFree(s);
  EXPECT_FAILURE(true, BASS_ERROR_HANDLE);
  const HSTREAM t = Open(FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 1000));
  EXPECT_NE(t, s) << "a new stream in the same slot gets a new handle";
  EXPECT_FAILURE(!BASS_StreamPlay(s, 0, 0) && !BASS_ChannelStop(s), BASS_ERROR_HANDLE);
  EXPECT_FAILURE(BASS_ChannelGetData(s, buffer.data(), BASS_DATA_FFT512) == DWORD(-1), BASS_ERROR_HANDLE);
  EXPECT_FAILURE(BASS_ChannelGetData(t, nullptr, BASS_DATA_FFT512) == DWORD(-1), BASS_ERROR_ILLPARAM);
  EXPECT_FAILURE(BASS_ChannelGetData(t, buffer.data(), 1024) == DWORD(-1), BASS_ERROR_ILLPARAM);
  BASS_Free();
  EXPECT_FAILURE(true, BASS_OK);
  BASS_Free();
  EXPECT_FAILURE(true, BASS_ERROR_INIT);
}

// Positions are 16-bit stereo bytes: 176400 a second.
TEST_F(BassApiTest, TheClockStartsWithPlayHoldsOnStopAndRestartsOnFlush) {
  InitNoSound();
  const HSTREAM s = Open(FileKind::kMp3, testing::Sine(440, 0.5, 44100, 2, 44100));
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(s, 176400), 1.0);
  SleepMs(20);
  EXPECT_EQ(BASS_ChannelGetPosition(s), 0u) << "nothing plays before StreamPlay";
  // Upper bounds are the wall time measured around the calls, so a busy
  // machine that stalls the test cannot fail it.
  Clock::time_point t0 = Clock::now();
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  EXPECT_LE(Frames(s), FramesSince(t0)) << "starts from the beginning";
  SleepMs(80);
  long long before = Frames(s);
  EXPECT_GE(before, 44100 * 60 / 1000) << "runs in real time";
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  EXPECT_GE(Frames(s), before) << "flush 0 on a playing stream continues";
  t0 = Clock::now();
  ASSERT_TRUE(BASS_StreamPlay(s, 1, 0));
  EXPECT_LE(Frames(s), FramesSince(t0)) << "flush 1 restarts";
  SleepMs(30);
  ASSERT_TRUE(BASS_ChannelStop(s));
  const long long stopped = Frames(s);
  EXPECT_GT(stopped, 0);
  ASSERT_TRUE(BASS_Stop());
  SleepMs(30);
  EXPECT_EQ(Frames(s), stopped);
  ASSERT_TRUE(BASS_Start());
  t0 = Clock::now();
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  before = Frames(s);
  EXPECT_GE(before, stopped);
  EXPECT_LE(before - stopped, FramesSince(t0)) << "play continues from the stop";
  t0 = Clock::now();
  ASSERT_TRUE(BASS_Stop());
  SleepMs(30);
  ASSERT_TRUE(BASS_Start());
  SleepMs(20);
  EXPECT_GT(Frames(s), before);
  EXPECT_LE(Frames(s) - before, FramesSince(t0) - 44100 * 30 / 1000) << "the pause did not count";
}

TEST_F(BassApiTest, SpectrumIsWhatIsHeardAndSilenceAfterTheEnd) {
  InitNoSound();
  const auto tone = testing::Sine(56 * 44100.0 / 512, 0.6, 44100, 2, 44100);
  const HSTREAM wav = Open(FileKind::kWav16, tone), mp3 = Open(FileKind::kMp3, tone);
  const HSTREAM silent = Open(FileKind::kOggVorbis, std::vector<float>(2 * 44100, 0.0f));
  const HSTREAM short_one = Open(FileKind::kWav16, testing::Sine(440, 0.5, 44100, 2, 441));
  const HSTREAM empty = Open(FileKind::kWav16, {});
  for (HSTREAM s : {wav, mp3, silent, short_one, empty}) ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  SleepMs(100);  // past the MP3's encoder delay and the end of the short one
  for (auto [stream, tolerance] : {std::pair{wav, 0.005}, std::pair{mp3, 0.03}}) {
    const std::vector<float> bins = Spectrum(stream, false);
    EXPECT_EQ(std::max_element(bins.begin(), bins.end()) - bins.begin(), 56);
    EXPECT_NEAR(bins[56], 0.3, tolerance);
  }
  for (HSTREAM s : {silent, short_one, empty}) Spectrum(s, true);
  EXPECT_GT(Frames(short_one), 441 * 4) << "the clock runs on past the end";
  EXPECT_GT(Frames(empty), 0);
}

// Noise, so that every frame's spectrum differs from its neighbours'; after a
// seek far past the song's window, and with it paused at a frame just played.
TEST_F(BassApiTest, SpectrumIsThatOfTheHeardFrameWhereverTheWindowHasMoved) {
  InitNoSound();
  const auto noise = testing::Noise(9, 0.5, 2, 40 * 44100);
  const HSTREAM s = Open(FileKind::kWav16, noise);
  DecodedAudio song;
  ASSERT_EQ(DecodeAudioFile(dir_.Path("1.audio").c_str(), 44100, 2, &song), BASS_OK);
  ASSERT_TRUE(BASS_StreamPlay(s, 0, 0));
  ASSERT_TRUE(BASS_ChannelSetPosition(s, QWORD(30 * 44100) * 4));
  WaitFor(s, 30 * 44100 + 4410);
  ASSERT_TRUE(BASS_ChannelPause(s));
  // Where it stands now, then 400 frames back: both just played.
  for (long long back : {0, 400}) {
    if (back) {
      ASSERT_TRUE(BASS_ChannelSetPosition(s, QWORD(Frames(s) - back) * 4));
    }
    const long long frame = Frames(s);
    const std::vector<float> heard = Spectrum(s, false);
    ASSERT_EQ(Frames(s), frame) << "paused";
    std::vector<float> expected(256);
    ComputeSpectrumAt(song.samples.data(), song.frames(), 2, frame, expected.data());
    EXPECT_EQ(heard, expected) << "at frame " << frame;
  }
}

}  // namespace
}  // namespace zibo
