// bench_stream_open - how long does opening the show's song take?
//
// Times BASS_StreamCreateFile on the song (the first argument, or the
// build's disco.mp3) on the no-sound device, which is what start-up waits
// for, and, for comparison, decoding the whole file (DecodeAudioFile, what
// opening a stream cost when streams were decoded up front). Prints the
// median and the worst of a few runs, in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "bass/bass.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 5;

double Ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

void Print(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%-34s median %7.1f ms  worst %7.1f ms\n", what, ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  const std::string song = argc > 1 ? argv[1] : ZIBO_DEFAULT_SONG;
  std::vector<double> open_ms, free_ms, whole_ms;
  for (int run = 0; run < kRuns; ++run) {
    if (!BASS_Init(BASS_DEVICE_NOSOUND, 44100, 0, nullptr)) {
      std::fprintf(stderr, "BASS_Init failed: error %d\n", BASS_ErrorGetCode());
      return 1;
    }
    Clock::time_point t0 = Clock::now();
    HSTREAM s = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
    Clock::time_point t1 = Clock::now();
    if (!s) {
      std::fprintf(stderr, "cannot open %s: error %d\n", song.c_str(), BASS_ErrorGetCode());
      BASS_Free();
      return 1;
    }
    open_ms.push_back(Ms(t0, t1));
    BASS_StreamFree(s);  // usually mid-decode: stops the background decoder
    free_ms.push_back(Ms(t1, Clock::now()));
    BASS_Free();

    zibo::DecodedAudio audio;
    t0 = Clock::now();
    int code = zibo::DecodeAudioFile(song.c_str(), 44100, 2, &audio);
    whole_ms.push_back(Ms(t0, Clock::now()));
    if (code != BASS_OK) {
      std::fprintf(stderr, "cannot decode %s: error %d\n", song.c_str(), code);
      return 1;
    }
  }
  std::printf("song: %s\n", song.c_str());
  Print("BASS_StreamCreateFile", open_ms);
  Print("BASS_StreamFree right after", free_ms);
  Print("whole-file decode (old open)", whole_ms);
  return 0;
}
