#include "support/stand_in_media.h"

#include <sndfile.h>

#include <cmath>
#include <vector>

#include "show/show_media.h"
#include "support/file_bytes.h"

namespace zibo::testing {

bool WriteToneFile(const std::string& path, double seconds, int format, std::string* error) {
  SF_INFO info{0, 44100, 2, format, 0, 0};
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  std::vector<float> samples(size_t(seconds * 44100) * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = double(i / 2) / 44100;  // a rising tone pulsing four times a second: never silent for long
    samples[i] = float(0.4 * (0.6 + 0.4 * std::cos(8 * M_PI * t)) * std::sin(2 * M_PI * (220 + 20 * t) * t));
  }
  const bool ok = file && sf_writef_float(file, samples.data(), sf_count_t(samples.size() / 2)) == sf_count_t(samples.size() / 2);
  if (!ok) *error = path + ": " + sf_strerror(file);
  if (file) sf_close(file);
  return ok;
}

bool WriteStandInMedia(const std::string& folder, std::string* error) {
  for (int i = 0; i < zibo::kImageFileCount; ++i) {
    std::string tga(18, '\0');  // 128x128, 24 bits, its own colour ramp
    tga[2] = 2, tga[12] = tga[14] = char(128), tga[16] = 24;
    for (int y = 0; y < 128; ++y)
      for (int x = 0; x < 128; ++x) tga += {char(x * 2), char(y * 2), char(40 + i * 20)};
    if (!WriteFileBytes(folder + "/" + zibo::kImageFiles[i], tga)) {
      *error = folder + "/" + zibo::kImageFiles[i] + ": cannot write";
      return false;
    }
  }
  return WriteToneFile(folder + "/" + zibo::kSongFile, 40.0, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, error) &&
         WriteToneFile(folder + "/" + zibo::kEffectFile, 0.3, SF_FORMAT_OGG | SF_FORMAT_VORBIS, error);
}

}  // namespace zibo::testing
