// zibo-noise-table MEDIA_DIR OUT_FILE: writes the noise scene's spectrum
// probes for every millisecond of the scene, taken from the decoded music
// the way zibo-capture takes them, for the browser build (see
// src/web/noise_spectrum_table.h). Exit status 1 when the music cannot be
// decoded or the file cannot be written, 2 for bad arguments.
#include <cstdio>
#include <string>
#include <vector>

#include "music_spectrum.h"
#include "scenes/scene_schedule.h"
#include "show/show_music.h"
#include "web/noise_spectrum_table.h"

namespace zibo {
namespace {

// Passes probes through to the music, noting which fractions were asked
// and what they gave.
class RecordingSpectrum : public SpectrumSource {
 public:
  explicit RecordingSpectrum(SpectrumSource& source) : source_(source) {}
  float SpectrumAt(float fraction) override {
    const float m = source_.SpectrumAt(fraction);
    fractions.push_back(fraction);
    magnitudes.push_back(m);
    return m;
  }
  std::vector<float> fractions, magnitudes;

 private:
  SpectrumSource& source_;
};

int NoiseRow() {
  for (int row = 1; row <= kScheduleRowCount; ++row) {
    if (kScheduleRows[row - 1].scene == Scene::kSpectrumNoise) return row;
  }
  return 0;
}

int Run(const char* media_dir, const char* out_path) {
  DecodedAudio music;
  std::string error;
  if (!DecodeShowMusic(media_dir, &music, &error)) {
    std::fprintf(stderr, "zibo-noise-table: %s\n", error.c_str());
    return 1;
  }
  MusicSpectrum spectrum(music);
  const int row = NoiseRow();
  const ScheduleRow& r = kScheduleRows[row - 1];
  NoiseSpectrumTable table;
  table.first_ms = -1;
  for (int32_t t = int32_t(r.after_ms) - 1; t <= int32_t(r.until_ms) + 1; ++t) {
    if (SceneRowAt(t) != row) continue;
    if (table.first_ms < 0) table.first_ms = t;
    spectrum.SetTimeMs(t);
    RecordingSpectrum recorder(spectrum);
    float alphas[kNoiseLayerCount];
    NoiseLayerAlphas(recorder, alphas);
    table.fractions = recorder.fractions;
    table.magnitudes.insert(table.magnitudes.end(), recorder.magnitudes.begin(),
                            recorder.magnitudes.end());
  }
  const std::vector<uint8_t> bytes = SerializeNoiseSpectrumTable(table);
  FILE* out = std::fopen(out_path, "wb");
  const bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (!out || std::fclose(out) != 0 || !written) {
    std::fprintf(stderr, "zibo-noise-table: cannot write %s\n", out_path);
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace zibo

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zibo-noise-table MEDIA_DIR OUT_FILE\n");
    return 2;
  }
  return zibo::Run(argv[1], argv[2]);
}
