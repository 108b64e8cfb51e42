// The mixer on hand-made streams: where a start lands, sums and clipping,
// the end of a stream, and the 16-bit conversion.
#include "bass/mixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "bass/stream_table.h"

namespace zibo::bass {
namespace {

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override { mixer_.Reserve(8); }
  void TearDown() override {
    for (int i = 0; i < StreamTable::kSlots; ++i) delete table_.TakeSlot(i);
  }

  // A stream of `frames` stereo frames: left = value, right = -value.
  Stream* Add(std::vector<float> left, bool playing = true) {
    auto* s = new Stream;
    s->audio.rate = 44100;
    s->audio.channels = 2;
    for (float v : left) {
      s->audio.samples.push_back(v);
      s->audio.samples.push_back(-v);
    }
    s->playing = playing;
    s->start_pending = playing;
    table_.Put(table_.FreeSlot(), s);
    return s;
  }

  // Mixes `frames` frames from device frame `first`; returns the left channel.
  std::vector<int> MixLeft(int64_t first, int frames) {
    std::vector<int16_t> out(size_t(frames) * 2, 99);
    mixer_.Mix(&table_, first, out.data(), frames);
    std::vector<int> left;
    for (int f = 0; f < frames; ++f) {
      int l = out[2 * f], r = out[2 * f + 1];
      // The right channel is the negated left, clipped on its own side.
      int expected_right = l == 32767 ? -32768 : l == -32768 ? 32767 : -l;
      EXPECT_EQ(r, expected_right) << "frame " << f;
      left.push_back(l);
    }
    return left;
  }

  Mixer mixer_;
  StreamTable table_;
};

constexpr float kUnit = 1.0f / 32768;

TEST_F(MixerTest, APendingStartLandsOnTheBlockItIsMixedIn) {
  Stream* s = Add({1 * kUnit, 2 * kUnit, 3 * kUnit});
  EXPECT_EQ(MixLeft(100, 4), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_FALSE(s->start_pending);
  EXPECT_EQ(s->anchor_device_frame, 100);
  EXPECT_EQ(MixLeft(104, 2), (std::vector<int>{0, 0})) << "past the end: silence";
}

TEST_F(MixerTest, StartFrameAndLongBlocksContinueWhereTheyShould) {
  std::vector<float> ramp;
  for (int i = 1; i <= 20; ++i) ramp.push_back(float(i) * kUnit);
  Stream* s = Add(ramp);
  s->start_frame = 5;  // continue from frame 5
  // 12 frames with room for 8: mixed in two parts that must join up.
  std::vector<int> expected = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
  EXPECT_EQ(MixLeft(0, 12), expected);
  EXPECT_EQ(MixLeft(12, 4), (std::vector<int>{18, 19, 20, 0}));
}

TEST_F(MixerTest, StreamsAreSummedAndClipped) {
  Add({0.5f, 0.75f, -0.75f, 100 * kUnit});
  Add({0.25f, 0.5f, -0.5f, 23 * kUnit});
  Add({0.9f, 0.9f, 0.9f, 0.9f}, /*playing=*/false);  // stopped: not heard
  EXPECT_EQ(MixLeft(0, 4), (std::vector<int>{24576, 32767, -32768, 123}));
}

TEST_F(MixerTest, AnEmptyTableMixesSilence) {
  EXPECT_EQ(MixLeft(0, 3), (std::vector<int>{0, 0, 0}));
}

TEST(FloatToS16Test, ScalesRoundsAndClips) {
  EXPECT_EQ(FloatToS16(0.0f), 0);
  EXPECT_EQ(FloatToS16(1.0f), 32767);
  EXPECT_EQ(FloatToS16(-1.0f), -32768);
  EXPECT_EQ(FloatToS16(5.0f), 32767);
  EXPECT_EQ(FloatToS16(-5.0f), -32768);
  EXPECT_EQ(FloatToS16(1234 * kUnit), 1234);
  EXPECT_EQ(FloatToS16(-1234 * kUnit), -1234);
  EXPECT_EQ(FloatToS16(1.4f * kUnit), 1);
  EXPECT_EQ(FloatToS16(1.6f * kUnit), 2);
  EXPECT_EQ(FloatToS16(std::nanf("")), 0) << "NaN is silence, not a click";
}

}  // namespace
}  // namespace zibo::bass
