// disk_output.h - plays one never-silent song through SDL's disk audio
// driver and reads the output back as the slices of the song it holds.
#ifndef ZIBO_TESTS_BASS_DISK_OUTPUT_H
#define ZIBO_TESTS_BASS_DISK_OUTPUT_H

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "bass/bass.h"
#include "support/audio_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace zibo::testing {

// `length` samples of the output from `out` on equal the song's from `song` on.
struct Slice { size_t out, song, length; };

class DiskOutputTest : public ::testing::Test {
 protected:
  void TearDown() override { BASS_Free(), unsetenv("SDL_AUDIODRIVER"); }
  static long long Frames(HSTREAM s) { return (long long)(BASS_ChannelGetPosition(s) / 4); }
  static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  // `delay_ms` of sleep per 1024-frame block: 23 is real time.
  void Init(const char* delay_ms) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir_.Path("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", delay_ms, 1);
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr)) << BASS_ErrorGetCode();
  }
  // Opens `seconds` of noise (never 0); with `decoded`, waits until it is
  // decoded whole (a seek to the end does).
  HSTREAM Open(double seconds, bool decoded = true) {
    auto samples = Noise(5, 0.3, 2, size_t(seconds * 44100));
    EXPECT_TRUE(WriteAudioFile(dir_.Path("song.wav"), FileKind::kWav16, 44100, 2, samples));
    song_.clear();
    for (float s : samples) song_.push_back(int16_t(std::lrint(s * 32768.0)));
    HSTREAM h = BASS_StreamCreateFile(0, dir_.Path("song.wav").c_str(), 0, 0, 0);
    EXPECT_TRUE(h && (!decoded || BASS_ChannelSetPosition(h, QWORD(song_.size()) * 2)));
    return h;
  }
  // Polls until the position reaches `frames`, never going backwards.
  void WaitFor(HSTREAM h, long long frames) {
    for (long long last = Frames(h), i = 0; i < 10000 && last < frames; ++i, SleepMs(1)) {
      ASSERT_GE(Frames(h), last) << "never backwards";
      last = Frames(h);
    }
    ASSERT_GE(Frames(h), frames);
  }
  // Closes the output and splits what it wrote into runs that continue the
  // song sample for sample, whole frames at a time; silence separates runs.
  std::vector<Slice> Written() {
    BASS_Free();
    std::string bytes = ReadFileBytes(dir_.Path("out.raw"));
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    std::vector<Slice> slices;
    for (size_t i = 0; i + 16 <= out.size();) {
      if (out[i] == 0 && ++i) continue;
      Slice s{i, 0, 0};  // found by its first 16 samples
      while (s.song + 16 <= song_.size() && std::memcmp(&out[i], &song_[s.song], 32)) s.song += 2;
      while (i + s.length + 2 <= out.size() && s.song + s.length + 2 <= song_.size() &&
             !std::memcmp(&out[i + s.length], &song_[s.song + s.length], 4)) s.length += 2;
      if (s.length == 0) break;  // not the song: the caller's checks fail
      slices.push_back(s);
      i += s.length;
    }
    return slices;
  }
  TempDir dir_;
  std::vector<int16_t> song_;
};

}  // namespace zibo::testing

#endif
