// bench_clock - how smooth is the music clock?
//
// Plays a short song through SDL's `disk` audio driver (which paces itself
// in real time and writes to /dev/null) for 20 s or the seconds given as the
// first argument, samples the stream position at about 1 kHz and at 60 Hz,
// and prints backward steps, the largest distance from a straight line and
// the spread of the 60 Hz frame-to-frame steps, for the library's clock and
// for a naive clock that counts the frames handed to the audio callback.
// A second argument names a CSV file that receives every 1 kHz sample.
#include <sched.h>
#include <sndfile.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bass/bass.h"
#include "bass/bass_diagnostics.h"
#include "clock_series.h"

namespace {

using Clock = std::chrono::steady_clock;
using zibo::bench::ClockSample;

constexpr int kRate = 44100;

// One second of a quiet tone; the clock runs on through silence after it.
bool WriteSong(const std::string& path) {
  SF_INFO info = {};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<short> pcm(2 * kRate);
  for (size_t i = 0; i < pcm.size(); ++i) {
    pcm[i] = short(3000 * std::sin(2 * M_PI * 440 * double(i / 2) / kRate));
  }
  bool ok = sf_writef_short(file, pcm.data(), kRate) == kRate;
  return sf_close(file) == 0 && ok;
}

struct Series {
  std::vector<ClockSample> fast, frame_rate;
};

// Figures once the library's clock has started to move (before that both
// wait for the first block to be heard), for `s` measured against `library`.
void Print(const char* name, const Series& s, const Series& library) {
  using namespace zibo::bench;
  std::vector<ClockSample> fast = FromFirstMovement(s.fast, library.fast);
  std::vector<ClockSample> frames = FromFirstMovement(s.frame_rate, library.frame_rate);
  double slope = 0;
  double line = LargestLineDistance(fast, &slope);
  std::printf("%-14s %9zu %9.3f %9.3f %9.3f %9.5f\n", name,
              BackwardSteps(fast) + BackwardSteps(frames), line, StepStdDev(frames),
              StepStdDevAgainstWall(frames, slope), slope);
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = argc > 1 ? std::atof(argv[1]) : 20.0;
  if (!(seconds > 0)) seconds = 20.0;

  char dir_template[] = "/tmp/zibo-bench-clock-XXXXXX";
  if (!mkdtemp(dir_template)) {
    std::perror("mkdtemp");
    return 1;
  }
  std::string song = std::string(dir_template) + "/song.wav";
  if (!WriteSong(song)) {
    std::fprintf(stderr, "cannot write %s\n", song.c_str());
    return 1;
  }
  // Real-time scheduling where allowed (as audio threads get on a desktop),
  // so that other work on a busy machine does not make the device itself
  // wander; the figures say whether it was granted.
  setenv("SDL_THREAD_FORCE_REALTIME_TIME_CRITICAL", "1", 1);
  sched_param sampler_priority = {};
  sampler_priority.sched_priority = 10;
  bool realtime = sched_setscheduler(0, SCHED_FIFO, &sampler_priority) == 0;
  // With PULSE_SERVER set, the sound server that names; else SDL's disk driver.
  if (!std::getenv("PULSE_SERVER")) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    unsetenv("SDL_DISKAUDIODELAY");  // real-time pacing
  }
  if (!BASS_Init(BASS_DEVICE_DEFAULT, kRate, 32, nullptr)) {
    std::fprintf(stderr, "BASS_Init failed: %d\n", BASS_ErrorGetCode());
    return 1;
  }
  HSTREAM stream = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
  remove(song.c_str());
  remove(dir_template);
  if (!stream || !BASS_Start() || !BASS_StreamPlay(stream, 0, 0)) {
    std::fprintf(stderr, "cannot play the song: %d\n", BASS_ErrorGetCode());
    BASS_Free();
    return 1;
  }

  const std::string output = zibo::bass::OutputName();
  Series library, naive;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(seconds));
  const auto fast_period = std::chrono::microseconds(1000);
  const auto frame_period = std::chrono::microseconds(16667);
  auto next_fast = start, next_frame = start;
  while (next_fast < end) {
    bool frame = next_frame <= next_fast;
    auto when = frame ? next_frame : next_fast;
    std::this_thread::sleep_until(when);
    double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    double ms = double(BASS_ChannelGetPosition(stream)) / (kRate * 4) * 1000.0;
    double naive_ms = double(zibo::bass::FramesHandedToDevice()) / kRate * 1000.0;
    (frame ? library.frame_rate : library.fast).push_back({wall, ms});
    (frame ? naive.frame_rate : naive.fast).push_back({wall, naive_ms});
    (frame ? next_frame : next_fast) += frame ? frame_period : fast_period;
  }
  BASS_Free();

  if (argc > 2) {
    FILE* csv = std::fopen(argv[2], "w");
    if (csv) {
      std::fprintf(csv, "wall_ms,library_ms,naive_ms\n");
      for (size_t i = 0; i < library.fast.size(); ++i) {
        std::fprintf(csv, "%.3f,%.3f,%.3f\n", library.fast[i].wall_ms, library.fast[i].clock_ms,
                     naive.fast[i].clock_ms);
      }
      std::fclose(csv);
    }
  }

  double started = 0;
  for (const ClockSample& c : library.fast) {
    if (c.clock_ms > 0) {
      started = c.wall_ms;
      break;
    }
  }
  std::printf("audio clock, %.0f s through the %s output, %zu samples at ~1 kHz and %zu at "
              "60 Hz;\nthe clock first moved %.1f ms after play, figures from then on\n",
              seconds, output.c_str(), library.fast.size(), library.frame_rate.size(), started);
  std::printf("%-14s %9s %9s %9s %9s %9s\n", "", "backward", "line ms", "step sd", "net sd",
              "rate");
  Print("library clock", library, library);
  Print("naive clock", naive, library);
  // How far behind the device the library's clock runs: one block of
  // latency plus the position within the block being played.
  double lag_low = 1e300, lag_high = -1e300;
  std::vector<ClockSample> moving = zibo::bench::FromFirstMovement(library.fast, library.fast);
  size_t skipped = library.fast.size() - moving.size();
  for (size_t i = 0; i < moving.size(); ++i) {
    double lag = naive.fast[skipped + i].clock_ms - moving[i].clock_ms;
    lag_low = std::min(lag_low, lag);
    lag_high = std::max(lag_high, lag);
  }
  std::printf("library clock behind the frames handed to the device by %.1f .. %.1f ms\n",
              lag_low, lag_high);
  // The device's own regularity: when each new block was first seen (to
  // within a sampling step), how far those moments lie from a straight
  // line, and the longest time without a new block.
  std::vector<ClockSample> blocks;
  double longest_wait = 0;
  for (size_t i = 1; i < naive.fast.size(); ++i) {
    if (naive.fast[i].clock_ms == naive.fast[i - 1].clock_ms) continue;
    if (!blocks.empty()) {
      longest_wait = std::max(longest_wait, naive.fast[i].wall_ms - blocks.back().wall_ms);
    }
    blocks.push_back(naive.fast[i]);
  }
  std::printf("the device's blocks lie up to %.1f ms from a straight line; longest wait for a "
              "block %.1f ms (nominal %.1f ms)\n",
              zibo::bench::LargestLineDistance(blocks), longest_wait, 1024 * 1000.0 / kRate);
  double load = 0;
  if (FILE* f = std::fopen("/proc/loadavg", "r")) {
    if (std::fscanf(f, "%lf", &load) != 1) load = 0;
    std::fclose(f);
  }
  std::printf("load average %.2f on %u cores, real-time scheduling %s\n", load,
              std::thread::hardware_concurrency(), realtime ? "granted" : "refused");
  std::printf("(backward: steps back at 1 kHz and 60 Hz; line: largest distance from the "
              "least-squares line;\n step sd: std-dev of the 60 Hz steps; net sd: the same less "
              "the sampler's own timing jitter)\n");
  return 0;
}
