// disk_output.h - the audio library's output through SDL's disk driver,
// read back as the slices of one song it consists of.
#ifndef ZIBO_TESTS_BASS_DISK_OUTPUT_H
#define ZIBO_TESTS_BASS_DISK_OUTPUT_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio_test_files.h"

namespace zibo::testing {

// From the next BASS_Init on, the output goes to `raw`, with `delay_ms` of
// sleep per 1024-frame block (23 ms is real time).
inline void UseDiskOutput(const std::string& raw, const char* delay_ms) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", delay_ms, 1);
}

// The 16-bit samples in `raw` (after BASS_Free has closed it).
inline std::vector<int16_t> ReadSamples(const std::string& raw) {
  std::string bytes = ReadBytes(raw);
  std::vector<int16_t> out(bytes.size() / 2);
  std::memcpy(out.data(), bytes.data(), out.size() * 2);
  return out;
}

// `length` samples of the output from `out` on equal the song's from `song` on.
struct Slice {
  size_t out, song, length;
};

// Splits `out` (interleaved 16-bit samples) into runs that continue the song
// sample for sample; silence (0) separates runs. The song must never be 0, so
// that every sample of a run can be told from silence.
inline std::vector<Slice> SongSlices(const std::vector<int16_t>& out,
                                     const std::vector<int16_t>& song) {
  constexpr size_t kKey = 16;  // samples that must match to find a slice's start
  std::vector<Slice> slices;
  size_t i = 0;
  while (i < out.size()) {
    if (out[i] == 0) {
      ++i;
      continue;
    }
    Slice s{i, song.size(), 0};
    for (size_t k = 0; k + kKey <= song.size() && i + kKey <= out.size(); k += 2) {
      if (std::memcmp(&out[i], &song[k], kKey * 2) == 0) {
        s.song = k;
        break;
      }
    }
    if (s.song == song.size()) return slices.push_back({i, size_t(-1), 1}), slices;  // noise
    // Whole stereo frames, so that the next slice starts on a frame too.
    while (i + s.length + 2 <= out.size() && s.song + s.length + 2 <= song.size() &&
           std::memcmp(&out[i + s.length], &song[s.song + s.length], 4) == 0) {
      s.length += 2;
    }
    slices.push_back(s);
    i += s.length;
  }
  return slices;
}

}  // namespace zibo::testing

#endif
