// disk_output.h - plays one never-silent song through SDL's disk audio
// driver and reads the output back as the slices of the song it holds.
#ifndef ZIBO_TESTS_BASS_DISK_OUTPUT_H
#define ZIBO_TESTS_BASS_DISK_OUTPUT_H

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bass_test_support.h"

namespace zibo::testing {

// `length` samples of the output from `out` on equal the song's from `song` on.
struct Slice { size_t out, song, length; };

class DiskOutputTest : public BassTest {
 protected:
  // `delay_ms` of sleep per 1024-frame block: 23 is real time.
  void Init(const char* delay_ms) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir_.Path("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", delay_ms, 1);
    const BOOL ok = BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr);
    unsetenv("SDL_AUDIODRIVER");  // read by BASS_Init only
    ASSERT_TRUE(ok) << BASS_ErrorGetCode();
  }
  // Opens `seconds` of noise (never 0); with `decoded`, waits until it is
  // decoded whole (a seek to the end does).
  HSTREAM Open(double seconds, bool decoded = true) {
    auto samples = Noise(5, 0.3, 2, size_t(seconds * 44100));
    std::string path = dir_.Path("song.wav");
    EXPECT_TRUE(WriteAudioFile(path, FileKind::kWav16, 44100, 2, samples));
    song_.clear();
    for (float s : samples) song_.push_back(int16_t(std::lrint(s * 32768.0)));
    HSTREAM h = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    EXPECT_TRUE(h && (!decoded || BASS_ChannelSetPosition(h, QWORD(song_.size()) * 2)));
    return h;
  }
  // Polls until the position reaches `frames`, never going backwards.
  void WaitFor(HSTREAM h, long long frames) {
    long long last = Frames(h);
    for (int i = 0; i < 10000 && last < frames; ++i, SleepMs(1)) {
      ASSERT_GE(Frames(h), last) << "never backwards";
      last = Frames(h);
    }
    ASSERT_GE(last, frames);
  }
  // Closes the output and splits what it wrote into runs that continue the
  // song sample for sample, whole frames at a time; silence separates runs.
  std::vector<Slice> Written() {
    BASS_Free();
    std::string bytes = ReadBytes(dir_.Path("out.raw"));
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    std::vector<Slice> slices;
    for (size_t i = 0; i + 16 <= out.size();) {
      if (out[i] == 0 && ++i) continue;
      Slice s{i, 0, 0};  // found by its first 16 samples
      while (s.song + 16 <= song_.size() && std::memcmp(&out[i], &song_[s.song], 32)) s.song += 2;
      while (i + s.length + 2 <= out.size() && s.song + s.length + 2 <= song_.size() &&
             !std::memcmp(&out[i + s.length], &song_[s.song + s.length], 4)) {
        s.length += 2;
      }
      if (s.length == 0) break;  // not the song: the caller's checks fail
      slices.push_back(s);
      i += s.length;
    }
    return slices;
  }
  std::vector<int16_t> song_;
};

}  // namespace zibo::testing

#endif
