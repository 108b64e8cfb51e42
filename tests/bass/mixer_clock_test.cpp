// The mixer on hand-made streams (where a start lands, long blocks, the
// 16-bit conversion) and the device clock fed with simulated callback times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bass/mixer.h"
#include "bass/output_clock.h"
#include "bass/pulse_output.h"
#include "bass/stream_table.h"

namespace zibo::bass {
namespace {

constexpr float kUnit = 1.0f / 32768;

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override { mixer_.Reserve(8); }
  void TearDown() override {
    for (int i = 0; i < StreamTable::kSlots; ++i) delete table_.TakeSlot(i);
  }
  // A stereo stream in 16-bit units: left = value, right = -value.
  Stream* Add(std::vector<int> left) {
    auto* s = new Stream;
    s->audio.rate = 44100;
    s->audio.channels = 2;
    for (int v : left) s->audio.samples.insert(s->audio.samples.end(), {v * kUnit, -v * kUnit});
    s->playing = s->start_pending = true;
    table_.Put(table_.FreeSlot(), s);
    return s;
  }
  // Mixes `frames` frames from device frame `first`; returns the left channel
  // after checking that the right one is its negation.
  std::vector<int> MixLeft(int64_t first, int frames) {
    std::vector<int16_t> out(size_t(frames) * 2, 99);
    mixer_.Mix(&table_, first, out.data(), frames);
    std::vector<int> left;
    for (int f = 0; f < frames; ++f) {
      const int l = out[2 * f];
      EXPECT_EQ(out[2 * f + 1], -l) << f;
      left.push_back(l);
    }
    return left;
  }
  Mixer mixer_;
  StreamTable table_;
};

TEST_F(MixerTest, APendingStartLandsOnTheBlockItIsMixedIn) {
  EXPECT_EQ(MixLeft(0, 2), (std::vector<int>{0, 0})) << "an empty table is silence";
  Stream* s = Add({1, 2, 3});
  EXPECT_EQ(MixLeft(100, 4), (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(s->anchor_device_frame, 100);
  EXPECT_EQ(MixLeft(104, 2), (std::vector<int>{0, 0})) << "past the end: silence";
}

// 12 frames with room for 8 are mixed in two parts that must join up.
TEST_F(MixerTest, StartFrameAndLongBlocksContinueWhereTheyShould) {
  std::vector<int> ramp(20);
  for (int i = 0; i < 20; ++i) ramp[size_t(i)] = i + 1;
  Add(ramp)->start_frame = 5;
  EXPECT_EQ(MixLeft(0, 12), (std::vector<int>{6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}));
  EXPECT_EQ(MixLeft(12, 4), (std::vector<int>{18, 19, 20, 0}));
}

TEST(FloatToS16Test, ScalesRoundsAndClips) {
  const std::pair<float, int> cases[] = {{1.0f, 32767}, {-1.0f, -32768}, {5.0f, 32767}, {-5.0f, -32768},
      {1.4f * kUnit, 1}, {-1.6f * kUnit, -2}, {32767.6f * kUnit, 32767}, {std::nanf(""), 0}};
  for (auto [in, out] : cases) EXPECT_EQ(FloatToS16(in), out) << in * 32768;
}

constexpr int kRate = 44100, kBlock = 1024;

// A device taking `rate_factor` x kRate frames a second, whose callbacks come
// up to `jitter` seconds late, after `burst` blocks asked for at once.
struct SimulatedDevice {
  double rate_factor = 1.0, jitter = 0;
  int burst = 1;
  uint32_t seed = 1;
  OutputClock clock;
  int64_t handed = 0;
  double Period() const { return kBlock / (kRate * rate_factor); }
  double Late() {
    seed = seed * 1664525u + 1013904223u;
    return jitter * double(seed >> 8) / double(1u << 24);
  }
  // Runs `blocks` callbacks; returns how far (ms) the clock wandered around
  // the true frame heard, one block behind the one handed, after `settle`.
  double Run(int blocks, int settle) {
    clock.Reset(kRate, kBlock);
    double low = 1e9, high = -1e9;
    int64_t previous = INT64_MIN;
    for (int n = 0; n < blocks; ++n) {
      const double t_block = 1.0 + std::max(0, n - burst + 1) * Period() +
                             (n < burst ? n * 1e-4 : Late());
      clock.OnBlock(handed, kBlock, t_block);
      handed += kBlock;
      for (int k = 0; k < 4; ++k) {
        const double t = t_block + jitter + k * (Period() - jitter) / 4;
        const int64_t heard = clock.HeardFrame(t, 0);
        EXPECT_LE(heard, handed) << "ahead of the device at block " << n;
        if (burst == 1 && rate_factor < 2) {
          EXPECT_GE(heard, previous) << "backwards at block " << n;
        }
        previous = heard;
        const double truth = (t - 1.0) * kRate * rate_factor - kBlock;
        if (n > settle) {
          low = std::min(low, (heard - truth) * 1000.0 / kRate);
          high = std::max(high, (heard - truth) * 1000.0 / kRate);
        }
      }
    }
    return high - low;
  }
};

TEST(OutputClockTest, TracksOffRateJitteryAndBurstingDevicesSmoothly) {
  // The last: the disk driver, far faster than real time.
  const struct { double rate_factor, jitter; int burst, settle; double band_ms; } cases[] = {
      {1.005, 0.004, 1, 40, 2.0}, {1.0, 0.001, 2, 100, 1.5}, {1.0, 0.001, 3, 100, 1.5}, {23, 0, 1, 40, 5.0}};
  for (const auto& c : cases) {
    SimulatedDevice device;
    device.rate_factor = c.rate_factor;
    device.jitter = c.jitter;
    device.burst = c.burst;
    EXPECT_LT(device.Run(2000, c.settle), c.band_ms) << c.rate_factor << " " << c.burst;
  }
}

// After callbacks stop for `stall` blocks, the clock takes the new phase with
// the first late block rather than creeping back to it.
TEST(OutputClockTest, FallbackBeforeTheFirstBlockAndTheNewPhaseAtOnceAfterAStall) {
  const double period = double(kBlock) / kRate;
  for (int stall : {3, 10, 21}) {
    OutputClock clock;
    clock.Reset(kRate, kBlock);
    EXPECT_EQ(clock.HeardFrame(5.0, 1234), 1234);
    int64_t handed = 0;
    for (int n = 0; n < 100; ++n, handed += kBlock) clock.OnBlock(handed, kBlock, 5.0 + n * period);
    const double last = 5.0 + 99 * period, back = last + (stall + 1) * period;
    EXPECT_LE(clock.HeardFrame(back - 0.001, 0), handed) << "never ahead through the stall";
    for (int k = 0; k < 20; ++k, handed += kBlock) {
      clock.OnBlock(handed, kBlock, back + k * period);
      const double t = back + (k + 0.5) * period;
      EXPECT_NEAR(double(clock.HeardFrame(t, 0)), double(handed) - kBlock / 2.0, kRate * 0.002)
          << stall << " blocks, " << k << " after";
    }
    clock.Resync();
    EXPECT_EQ(clock.HeardFrame(back, 777), 777);
  }
}

// A sink 0.2 s behind (a Bluetooth output, say), reported at 10.0 s.
TEST(ServerTimingTest, TheSinksLatencyIsHeardLaterAndTimeRunsOnlyWhilePlaying) {
  const struct { int64_t read, written; double latency; bool playing, running; double now; int64_t heard; } cases[] = {
      {44100, 88200, 0.2, true, true, 10.1, 44100 - 8820 + 4410},
      {44100, 88200, 0.2, false, true, 10.1, 44100 - 8820},  // prebuffering or underrun
      {44100, 88200, 0.2, true, false, 10.1, 44100 - 8820},  // corked
      {44100, 88200, 0.2, true, true, 9.9, 44100 - 8820},    // a report from the future
      {44100, 45000, 0.0, true, true, 10.1, 45000},          // never past what was given
      {4410, 88200, 0.2, true, true, 10.0, 0}};              // not heard yet
  for (const auto& c : cases) {
    ServerTiming t;
    t.read = c.read, t.written = c.written, t.latency = c.latency, t.playing = c.playing, t.reported_at = 10.0;
    EXPECT_EQ(HeardFrameAt(t, c.running, c.now, kRate), c.heard) << c.read << " " << c.now;
  }
}

// Readings that move only in whole server periods of 8192 frames, read at
// 60 Hz: the filter stays within 3 ms of the truth once settled, and takes
// a jump of half a second (a restart) at once.
TEST(ServerClockFilterTest, FollowsWhatIsHeardAndTakesJumpsAndStallsAtOnce) {
  // Readings answered every 0.17 to 0.23 s, moved on at the rate in between: exact
  // ones with a millisecond's jitter, and ones that count a period of 7526
  // frames as heard once taken and are stamped when answered. At 45 s the
  // sound stalls for 50 ms.
  const int kPeriod = 7526;
  for (bool periodic : {false, true}) {
    ServerClockFilter filter;
    double worst = 0, answered = 0, read = 0;
    for (int n = 0; n < 60 * 60; ++n) {
      const double now = n / 60.0, truth = (now - (now >= 45 ? 0.05 : 0)) * kRate;
      if (now >= answered + (10 + n * 7919 % 13 % 5) / 60.0 || n == 0) {
        answered = now;
        read = periodic ? (std::floor(truth / kPeriod) + 1) * kPeriod
                        : truth + ((n * 7919) % 89 - 44) * kRate / 44000.0;
      }
      const double smooth = filter.Follow(read + (now - answered) * kRate, now, kRate);
      if (now > 30 && (now < 45 || now > 46)) worst = std::max(worst, std::fabs(smooth - truth) * 1000 / kRate);
    }
    // The periodic readings alone run 0 to 171 ms ahead.
    EXPECT_LT(worst, periodic ? 25.0 : 3.0) << (periodic ? "periodic" : "exact");
    EXPECT_DOUBLE_EQ(filter.Follow(70.0 * kRate, 60.0, kRate), 70.0 * kRate);
  }
}

// A sink 400 ppm fast (a null sink's rounded periods), read exactly every
// 10 ms: the lowest reading of the last seconds must not lag behind it.
TEST(ServerClockFilterTest, KeepsUpWithASinkThatRunsFast) {
  ServerClockFilter filter;
  double worst = 0;
  for (int n = 0; n < 60 * 100; ++n) {
    const double now = n / 100.0, truth = now * kRate * 1.0004;
    const double smooth = filter.Follow(truth, now, kRate);
    if (now > 40) worst = std::max(worst, std::fabs(smooth - truth) * 1000 / kRate);
  }
  EXPECT_LT(worst, 0.3);
}

}  // namespace
}  // namespace zibo::bass
