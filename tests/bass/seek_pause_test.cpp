// Seeking and pausing through SDL's disk audio driver: the clock and the
// samples written must agree, sample for sample.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bass/bass_diagnostics.h"
#include "bass_test_support.h"
#include "disk_output.h"

namespace zibo {
namespace {

constexpr long long kRate = 44100;
constexpr size_t kBlockSamples = 2 * 1024;  // one device block, stereo

class SeekPauseTest : public testing::BassTest {
 protected:
  void SetUp() override {
    raw_ = dir_.Path("out.raw");
    testing::UseDiskOutput(raw_, "1");  // about 20 times real time
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr)) << BASS_ErrorGetCode();
  }
  void TearDown() override {
    BASS_Free();
    unsetenv("SDL_AUDIODRIVER");
  }

  // Opens a song of `seconds` that is never silent (noise around a constant);
  // with `decoded`, waits until it is decoded whole (seeking to the end does).
  HSTREAM Open(double seconds, bool decoded = true) {
    auto samples = testing::Noise(5, 0.2, 2, size_t(seconds * kRate));
    for (float& s : samples) s += 0.25f;
    std::string path = dir_.Path("song.wav");
    EXPECT_TRUE(testing::WriteAudioFile(path, testing::FileKind::kWav16, 44100, 2, samples));
    song_.clear();
    for (float s : samples) song_.push_back(int16_t(std::lrint(s * 32768.0)));
    HSTREAM h = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    EXPECT_NE(h, 0u) << BASS_ErrorGetCode();
    if (decoded) {
      EXPECT_TRUE(BASS_ChannelSetPosition(h, QWORD(song_.size()) * 2));
    }
    return h;
  }
  // Polls until the position reaches `frames` (10 s at most), never backwards.
  void WaitFor(HSTREAM h, long long frames) {
    long long last = Frames(h);
    for (int i = 0; i < 10000 && last < frames; ++i, SleepMs(1)) {
      long long now = Frames(h);
      ASSERT_GE(now, last) << "never backwards";
      last = now;
    }
    ASSERT_GE(last, frames);
  }
  void PlayOut(HSTREAM h) { WaitFor(h, (long long)song_.size() / 2 + 2048); }
  std::vector<testing::Slice> Written() {
    BASS_Free();  // closes the file
    return testing::SongSlices(testing::ReadSamples(raw_), song_);
  }

  std::string raw_;
  std::vector<int16_t> song_;
};

TEST_F(SeekPauseTest, AfterASeekTheClockAndTheOutputContinueFromThere) {
  struct Case {
    double seconds, play_until, seek_to;  // play_until < 0: seek before playing
  };
  for (Case c : {Case{3, 0.5, 2.0}, Case{3, 2.0, 0.25}, Case{20, -1, 19.0}}) {
    SCOPED_TRACE(::testing::Message() << c.play_until << " s -> " << c.seek_to << " s");
    BASS_Free();  // a fresh output file for each case
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr));
    HSTREAM h = Open(c.seconds, c.play_until >= 0);
    const long long to = (long long)(c.seek_to * kRate);
    if (c.play_until >= 0) {
      ASSERT_TRUE(BASS_StreamPlay(h, 1, 0));
      WaitFor(h, (long long)(c.play_until * kRate));
    }
    // Beyond the part decoded so far (the long song): waits for the decoder.
    ASSERT_TRUE(BASS_ChannelSetPosition(h, QWORD(to) * 4 + 3)) << BASS_ErrorGetCode();
    EXPECT_EQ(Frames(h), to);
    ASSERT_TRUE(BASS_StreamPlay(h, 0, 0));
    PlayOut(h);
    auto slices = Written();
    ASSERT_EQ(slices.size(), c.play_until < 0 ? 1u : 2u);
    const testing::Slice& after = slices.back();
    EXPECT_EQ(after.song, size_t(to) * 2);
    EXPECT_EQ(after.song + after.length, song_.size()) << "played on to the end";
    EXPECT_EQ(after.out % kBlockSamples, 0u) << "from the start of a block";
    if (slices.size() == 2) {
      EXPECT_EQ(slices[0].song, 0u);
      EXPECT_GE(slices[0].length, size_t(c.play_until * kRate) * 2) << "heard before the seek";
      EXPECT_EQ(slices[0].out + slices[0].length, after.out) << "no gap at the seek";
    }
  }
}

TEST_F(SeekPauseTest, PausedTheClockHoldsAndNothingIsWrittenThenItResumesOnTheSameSample) {
  HSTREAM h = Open(3);
  ASSERT_TRUE(BASS_StreamPlay(h, 1, 0));
  EXPECT_FALSE(BASS_ChannelResume(h));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPAUSE);
  WaitFor(h, kRate / 2);
  ASSERT_TRUE(BASS_ChannelPause(h));
  EXPECT_FALSE(BASS_ChannelPause(h));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOPLAY);
  long long held = -1;  // the position runs on over what the device holds, then stops
  for (int i = 0; i < 500 && held != Frames(h); ++i, SleepMs(20)) held = Frames(h);
  const uint64_t handed_at_hold = bass::FramesHandedToDevice();
  SleepMs(1000);
  EXPECT_EQ(Frames(h), held) << "no drift while paused";
  const uint64_t handed_at_resume = bass::FramesHandedToDevice();
  ASSERT_GT(handed_at_resume, handed_at_hold + kRate / 2) << "the device kept running";
  ASSERT_TRUE(BASS_ChannelResume(h));
  PlayOut(h);
  EXPECT_FALSE(BASS_ChannelSetPosition(h, QWORD(song_.size()) * 2 + 4));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
  EXPECT_FALSE(BASS_ChannelPause(h + 1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  auto slices = Written();
  ASSERT_EQ(slices.size(), 2u);
  EXPECT_EQ(slices[0].song, 0u);
  EXPECT_EQ(slices[0].length, size_t(held) * 2) << "cut where the clock stopped";
  EXPECT_LE(slices[0].out + slices[0].length, handed_at_hold * 2);
  EXPECT_EQ(slices[1].song, size_t(held) * 2) << "resumed on the same sample";
  EXPECT_GE(slices[1].out, handed_at_resume * 2) << "silence while paused";
  EXPECT_EQ(slices[1].song + slices[1].length, song_.size());
}

}  // namespace
}  // namespace zibo
