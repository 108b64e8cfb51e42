// The device clock fed with simulated callback times: a device that runs a
// little off its nominal rate, callbacks that jitter, stalls, and a device
// far faster than real time (as SDL's disk driver with a short delay).
#include "bass/output_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace zibo::bass {
namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 1024;

// A device consuming `rate_factor` x kRate frames per second whose callbacks
// arrive up to `jitter` seconds late (deterministic pseudo-random).
struct SimulatedDevice {
  double rate_factor = 1.0;
  double jitter = 0;
  uint32_t seed = 1;
  OutputClock clock;
  int64_t handed = 0;
  int blocks = 0;

  SimulatedDevice() { clock.Reset(kRate, kBlock); }
  double Period() const { return kBlock / (kRate * rate_factor); }
  // Ideal time at which block `n` is asked for.
  double IdealTime(int n) const { return 1.0 + n * Period(); }
  double Late() {
    seed = seed * 1664525u + 1013904223u;
    return jitter * double(seed >> 8) / double(1u << 24);
  }
  void NextBlock() {
    clock.OnBlock(handed, kBlock, IdealTime(blocks) + Late());
    handed += kBlock;
    ++blocks;
  }
  // Frame heard at `t` by the ideal device: one block behind the one handed.
  double TrueHeard(double t) const { return (t - 1.0) * kRate * rate_factor - kBlock; }
};

TEST(OutputClockTest, ReportsTheFallbackUntilTheFirstBlock) {
  OutputClock clock;
  clock.Reset(kRate, kBlock);
  EXPECT_EQ(clock.HeardFrame(5.0, 1234), 1234);
  clock.OnBlock(0, kBlock, 5.0);
  EXPECT_LE(clock.HeardFrame(5.0, 1234), 0);
  clock.Resync();
  EXPECT_EQ(clock.HeardFrame(6.0, 777), 777);
}

TEST(OutputClockTest, TracksAnOffRateJitteryDeviceSmoothly) {
  SimulatedDevice device;
  device.rate_factor = 1.005;  // a cheap crystal, or the disk driver's pacing
  device.jitter = 0.004;       // callbacks up to 4 ms late
  double low_ms = 1e9, high_ms = -1e9;
  int backward = 0;
  int64_t previous = INT64_MIN;
  for (int n = 0; n < 2000; ++n) {  // about 46 s
    device.NextBlock();
    // Sample between this callback and the earliest the next can come.
    for (int k = 1; k <= 4; ++k) {
      double t = device.IdealTime(n) + device.jitter + k * (device.Period() - device.jitter) / 5;
      int64_t heard = device.clock.HeardFrame(t, 0);
      ASSERT_LE(heard, device.handed) << "ahead of the device at block " << n;
      if (heard < previous) ++backward;
      previous = std::max(previous, heard);
      if (n > 40) {  // once locked on, after about a second
        double error_ms = (heard - device.TrueHeard(t)) * 1000.0 / kRate;
        low_ms = std::min(low_ms, error_ms);
        high_ms = std::max(high_ms, error_ms);
      }
    }
  }
  // Callbacks are 2 ms late on average, which shifts the whole clock; what
  // matters is how far it wanders around that: within a straight-line band.
  EXPECT_LT(high_ms - low_ms, 2.0);
  EXPECT_LT(std::fabs(low_ms + high_ms) / 2, 4.0);
  EXPECT_EQ(backward, 0);
}

// Drivers that keep two or three blocks queued ask for them all at once when
// they start; the clock must settle on the real rate, not the burst's.
TEST(OutputClockTest, SettlesAfterAStartUpBurst) {
  for (int burst : {2, 3}) {
    SimulatedDevice device;
    device.jitter = 0.001;
    for (int n = 0; n < burst; ++n) {
      device.clock.OnBlock(device.handed, kBlock, device.IdealTime(0) + n * 1e-4);
      device.handed += kBlock;
    }
    // From now on block n is asked for when block n - burst has been played.
    double low_ms = 1e9, high_ms = -1e9;
    for (int n = burst; n < 600; ++n) {
      double t_block = device.IdealTime(n - burst + 1) + device.Late();
      device.clock.OnBlock(device.handed, kBlock, t_block);
      device.handed += kBlock;
      for (int k = 0; k < 4; ++k) {
        double t = t_block + device.jitter + k * (device.Period() - device.jitter) / 4;
        int64_t heard = device.clock.HeardFrame(t, 0);
        ASSERT_LE(heard, device.handed) << burst << " block " << n;
        if (n > 100) {
          double error_ms = (heard - device.TrueHeard(t)) * 1000.0 / kRate;
          low_ms = std::min(low_ms, error_ms);
          high_ms = std::max(high_ms, error_ms);
        }
      }
    }
    EXPECT_LT(high_ms - low_ms, 1.5) << burst;
  }
}

TEST(OutputClockTest, NeverRunsAheadOfTheDeviceWhenCallbacksStall) {
  SimulatedDevice device;
  for (int n = 0; n < 100; ++n) device.NextBlock();
  // No callback for half a second: the estimate stops at what was handed.
  double last = device.IdealTime(99);
  EXPECT_LE(device.clock.HeardFrame(last + 0.5, 0), device.handed);
  EXPECT_GE(device.clock.HeardFrame(last + 0.5, 0), device.handed - 2 * kBlock);
  // Callbacks come back, half a second late from now on: the clock takes the
  // new phase and keeps the device's rate.
  double resumed = last + 0.5;
  for (int k = 0; k < 20; ++k) {
    device.clock.OnBlock(device.handed, kBlock, resumed + k * device.Period());
    device.handed += kBlock;
  }
  double t = resumed + 19.5 * device.Period();
  double expected = double(device.handed - kBlock) + kBlock / 2.0 - kBlock;
  EXPECT_NEAR(double(device.clock.HeardFrame(t, 0)), expected, kRate * 0.002);
}

TEST(OutputClockTest, LocksOntoADeviceFarFasterThanNominal) {
  SimulatedDevice device;
  device.rate_factor = 23;  // a 1 ms pause per 1024-frame block
  for (int n = 0; n < 50; ++n) device.NextBlock();
  double t = device.IdealTime(49) + device.Period() / 2;
  double heard = double(device.clock.HeardFrame(t, 0));
  EXPECT_NEAR(heard, device.TrueHeard(t), kBlock / 4.0);
}

}  // namespace
}  // namespace zibo::bass
