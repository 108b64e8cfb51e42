// bench_decoded_song SONG: writes SONG decoded as the show decodes it (44100 Hz,
// mono mix of the stereo output) to standard output as 32-bit floats.
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_decoded_song SONG > song.f32\n");
    return 2;
  }
  zibo::DecodedAudio audio;
  std::string why;
  if (zibo::DecodeAudioFile(argv[1], 44100, 2, &audio, &why) != 0) {
    std::fprintf(stderr, "%s: %s\n", argv[1], why.c_str());
    return 1;
  }
  std::vector<float> mono(audio.samples.size() / 2);
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = audio.samples[2 * i] + audio.samples[2 * i + 1];
  if (std::fwrite(mono.data(), sizeof(float), mono.size(), stdout) != mono.size()) return 1;
  return 0;
}
