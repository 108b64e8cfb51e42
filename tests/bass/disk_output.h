// disk_output.h - plays songs through SDL's disk audio driver and reads the
// output back as the slices of their decoded mix it holds; the fixture the
// audio tests build on (songs written to a folder it owns). Test thread only.
#ifndef ZIBO_TESTS_BASS_DISK_OUTPUT_H
#define ZIBO_TESTS_BASS_DISK_OUTPUT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/audio_decoder.h"
#include "bass/bass.h"
#include "bass/bass_diagnostics.h"
#include "support/audio_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace zibo::testing {

// `length` samples of the output from `out` on equal the song's from `song` on.
struct Slice { size_t out, song, length; };

struct Song {
  FileKind kind;
  int rate, channels;
  std::vector<float> samples;
};

inline void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
// A stream's clock in frames of 16-bit stereo.
inline long long Frames(HSTREAM s) { return (long long)(BASS_ChannelGetPosition(s) / 4); }

class DiskOutputTest : public ::testing::Test {
 protected:
  void TearDown() override { BASS_Free(), unsetenv("SDL_AUDIODRIVER"); }

  // `delay_ms` of sleep per 1024-frame block: 23 is real time.
  void Init(const char* delay_ms) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir_.Path("out.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", delay_ms, 1);
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr)) << BASS_ErrorGetCode();
  }
  // Opens the songs and sets song_ to their decoded mix as clipped 16 bits.
  std::vector<HSTREAM> OpenMix(const std::vector<Song>& songs) {
    std::vector<HSTREAM> streams;
    std::vector<float> mix;
    for (const Song& song : songs) {
      const std::string path = dir_.Path(std::to_string(streams.size()) + ".song");
      EXPECT_TRUE(WriteAudioFile(path, song.kind, song.rate, song.channels, song.samples));
      streams.push_back(BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0));
      EXPECT_NE(streams.back(), 0u) << BASS_ErrorGetCode();
      DecodedAudio audio;  // what the stream should sound like
      EXPECT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK);
      mix.resize(std::max(mix.size(), audio.samples.size()));
      for (size_t i = 0; i < audio.samples.size(); ++i) mix[i] += audio.samples[i];
    }
    song_.clear();
    for (float s : mix) song_.push_back(int16_t(std::clamp(std::lrint(s * 32768.0), -32768L, 32767L)));
    return streams;
  }
  // Opens `seconds` of noise (never 0); with `decoded`, waits until it is
  // decoded whole (a seek to the end does).
  HSTREAM Open(double seconds, bool decoded = true) {
    HSTREAM h = OpenMix({{FileKind::kWav16, 44100, 2, Noise(5, 0.3, 2, size_t(seconds * 44100))}})[0];
    EXPECT_TRUE(h && (!decoded || BASS_ChannelSetPosition(h, QWORD(song_.size()) * 2)));
    return h;
  }
  // Polls until the position reaches `frames`, never going backwards; with
  // `behind_device` (a stream started at device frame 0), never ahead of it.
  void WaitFor(HSTREAM h, long long frames, bool behind_device = false) {
    for (long long last = Frames(h), i = 0; i < 10000 && last < frames; ++i, SleepMs(1)) {
      ASSERT_GE(Frames(h), last) << "never backwards";
      last = Frames(h);
      if (behind_device) {
        ASSERT_LE(last, (long long)bass::FramesHandedToDevice()) << "never ahead of the device";
      }
    }
    ASSERT_GE(Frames(h), frames);
  }
  // Closes the output and splits what it wrote into runs that continue the
  // song sample for sample, whole frames at a time; silence separates runs,
  // and sound that is not the song ends the list with an empty run.
  std::vector<Slice> Written() {
    BASS_Free();
    std::string bytes = ReadFileBytes(dir_.Path("out.raw"));
    std::vector<int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    std::vector<Slice> slices;
    for (size_t i = 0; i + 16 <= out.size();) {
      if (out[i] == 0 && out[i + 1] == 0 && (i += 2)) continue;
      Slice s{i, 0, 0};  // found by its first 16 samples
      while (s.song + 16 <= song_.size() && std::memcmp(&out[i], &song_[s.song], 32)) s.song += 2;
      while (i + s.length + 2 <= out.size() && s.song + s.length + 2 <= song_.size() &&
             !std::memcmp(&out[i + s.length], &song_[s.song + s.length], 4)) s.length += 2;
      slices.push_back(s);
      if (s.length == 0) break;
      i += s.length;
    }
    return slices;
  }
  TempDir dir_;
  std::vector<int16_t> song_;
};

}  // namespace zibo::testing

#endif
