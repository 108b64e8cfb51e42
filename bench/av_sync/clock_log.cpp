// bench_clock_log SONG LOG [SECONDS]: plays SONG through the audio library
// (the sound server PULSE_SERVER names, as the show does) and writes
// "wall-clock seconds, song seconds" to LOG every 2 ms for SECONDS (20).
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bass/bass.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_clock_log SONG LOG [SECONDS]\n");
    return 2;
  }
  const double seconds = argc > 3 ? std::atof(argv[3]) : 20.0;
  if (!BASS_Init(-1, 44100, 0, nullptr)) {
    std::fprintf(stderr, "BASS_Init failed: %d\n", BASS_ErrorGetCode());
    return 1;
  }
  const HSTREAM song = BASS_StreamCreateFile(0, argv[1], 0, 0, 0);
  if (!song || !BASS_Start() || !BASS_StreamPlay(song, 0, 0)) {
    std::fprintf(stderr, "%s: not played: %d\n", argv[1], BASS_ErrorGetCode());
    return 1;
  }
  FILE* log = std::fopen(argv[2], "w");
  if (!log) {
    std::perror(argv[2]);
    return 1;
  }
  for (int i = 0; i < int(seconds * 500); ++i) {
    timespec wall;
    clock_gettime(CLOCK_REALTIME, &wall);
    const double at = BASS_ChannelBytes2Seconds(song, BASS_ChannelGetPosition(song));
    std::fprintf(log, "%.6f %.6f\n", double(wall.tv_sec) + wall.tv_nsec / 1e9, at);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  BASS_Free();
  return std::fclose(log) == 0 ? 0 : 1;
}
