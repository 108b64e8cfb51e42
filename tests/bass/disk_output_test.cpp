// The real output path through SDL's `disk` audio driver, which writes
// exactly what the callback hands it: the file must hold the decoded music
// sample for sample from a block start, and the clock must agree with it
// through plays, seeks and pauses.
#include "disk_output.h"

namespace zibo::testing {
namespace {

TEST_F(DiskOutputTest, SongsStartedTogetherPlaySampleForSampleFromABlockStartThenSilence) {
  const struct { const char* what; std::vector<Song> songs; } cases[] = {
      {"long enough to start while most of it is still decoding",
       {{FileKind::kMp3, 44100, 2, Noise(7, 0.6, 2, 12 * 44100)}}},
      {"mixed and clipped, and mono on both channels",
       {{FileKind::kWav16, 44100, 2, Noise(4, 0.7, 2, 9000)},
        {FileKind::kOggVorbis, 44100, 1, Sine(1000, 0.6, 44100, 1, 14000)}}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BASS_Free();  // a fresh output file for each case
    Init("5");    // about 4.5 times real time: the decoder keeps ahead on a busy machine
    ASSERT_TRUE(BASS_Stop());
    const std::vector<HSTREAM> streams = OpenMix(c.songs);
    for (HSTREAM s : streams) ASSERT_TRUE(BASS_StreamPlay(s, 1, 0));
    ASSERT_TRUE(BASS_Start());
    for (HSTREAM s : streams) WaitFor(s, (long long)song_.size() / 2 + 2048, true);
    const std::vector<Slice> slices = Written();
    ASSERT_EQ(slices.size(), 1u) << "one run of the song, silence around it";
    const Slice& run = slices[0];
    EXPECT_EQ(size_t(std::count(song_.begin(), song_.begin() + long(run.song), 0)), run.song)
        << "only silence of the song is missing before it";
    EXPECT_EQ(run.song + run.length, song_.size()) << "on to the end";
    ASSERT_GE(run.out, run.song);
    EXPECT_EQ((run.out - run.song) % 2048, 0u) << "a start takes effect at a block boundary";
  }
}

TEST_F(DiskOutputTest, AfterASeekTheClockAndTheOutputContinueFromThere) {
  // play_until < 0: seek before playing; seconds to spare for a busy machine.
  const struct { double seconds, play_until, seek_to; } cases[] = {
      {8, 0.5, 6.0}, {8, 2.0, 0.25}, {20, -1, 19.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.play_until << " s -> " << c.seek_to << " s");
    BASS_Free();  // a fresh output file for each case
    // About 4.5 times real time: the last case plays while its song still
    // decodes, and the decoder must keep ahead on a busy machine.
    Init("5");
    HSTREAM h = Open(c.seconds, c.play_until >= 0);
    const long long to = (long long)(c.seek_to * 44100);
    if (c.play_until >= 0) {
      ASSERT_TRUE(BASS_StreamPlay(h, 1, 0));
      WaitFor(h, (long long)(c.play_until * 44100));
    }
    // The long song is still decoding here: the seek waits for the decoder.
    ASSERT_TRUE(BASS_ChannelSetPosition(h, QWORD(to) * 4 + 3)) << BASS_ErrorGetCode();
    EXPECT_EQ(Frames(h), to);
    ASSERT_TRUE(BASS_StreamPlay(h, 0, 0));
    WaitFor(h, (long long)song_.size() / 2 + 2048);
    auto slices = Written();
    ASSERT_EQ(slices.size(), c.play_until < 0 ? 1u : 2u);
    EXPECT_EQ(slices.back().song, size_t(to) * 2);
    EXPECT_EQ(slices.back().song + slices.back().length, song_.size()) << "on to the end";
    EXPECT_EQ(slices.back().out % 2048, 0u) << "from the start of a block";
    EXPECT_TRUE(slices.size() == 1 || (slices[0].song == 0 &&
                                       slices[0].out + slices[0].length == slices[1].out))
        << "from the start, and no gap at the seek";
  }
}

TEST_F(DiskOutputTest, PausedTheClockHoldsAndNothingIsWrittenThenItResumesOnTheSameSample) {
  Init("1");
  HSTREAM h = Open(8);  // seconds to spare for a busy machine
  ASSERT_TRUE(BASS_StreamPlay(h, 1, 0));
  WaitFor(h, 44100 / 2);
  ASSERT_TRUE(BASS_ChannelPause(h));
  long long held = -1;  // runs on over what the device already holds, then stops
  for (int i = 0; i < 500 && held != Frames(h); ++i, SleepMs(20)) held = Frames(h);
  const uint64_t handed_at_hold = bass::FramesHandedToDevice();
  SleepMs(1000);
  EXPECT_EQ(Frames(h), held) << "no drift while paused";
  const uint64_t handed_at_resume = bass::FramesHandedToDevice();
  ASSERT_TRUE(BASS_ChannelResume(h));
  WaitFor(h, (long long)song_.size() / 2 + 2048);
  auto slices = Written();
  ASSERT_EQ(slices.size(), 2u);
  EXPECT_EQ(slices[0].song + slices[0].length, size_t(held) * 2) << "cut where the clock stopped";
  EXPECT_LE(slices[0].out + slices[0].length, handed_at_hold * 2);
  EXPECT_EQ(slices[1].song, size_t(held) * 2) << "resumed on the same sample";
  EXPECT_GE(slices[1].out, handed_at_resume * 2) << "silence while paused";
}

}  // namespace
}  // namespace zibo::testing
