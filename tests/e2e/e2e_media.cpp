// Writes a small set of the show's media files into a folder, for the end
// to end tests: "disco.mp3" (a few seconds of a loud tone), "s.ogg" (a short
// blip), and 64x64 single-colour 24-bit TGA images for the backgrounds and
// the seven slides, each in its own colour.
//
// Usage: e2e_media <folder> [seconds of music]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sndfile.h>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

bool WriteTone(const std::string& path, int format, double seconds, double frequency) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(nullptr));
    return false;
  }
  const sf_count_t frames = sf_count_t(seconds * kRate);
  std::vector<float> samples(size_t(frames) * 2);
  for (sf_count_t i = 0; i < frames; ++i) {
    const float value = float(0.5 * std::sin(2 * kPi * frequency * double(i) / kRate));
    samples[size_t(i) * 2] = value;
    samples[size_t(i) * 2 + 1] = value;
  }
  const bool written = sf_writef_float(file, samples.data(), frames) == frames;
  if (!written) std::fprintf(stderr, "%s: %s\n", path.c_str(), sf_strerror(file));
  return sf_close(file) == 0 && written;
}

// Uncompressed 24-bit TGA; the show's reader takes file bytes b1 b2 b3 as
// red, blue, green.
bool WriteTga(const std::string& path, int size, unsigned char b1, unsigned char b2,
              unsigned char b3) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  unsigned char header[18] = {};
  header[2] = 2;  // uncompressed true colour
  header[12] = static_cast<unsigned char>(size & 0xFF);
  header[13] = static_cast<unsigned char>(size >> 8);
  header[14] = static_cast<unsigned char>(size & 0xFF);
  header[15] = static_cast<unsigned char>(size >> 8);
  header[16] = 24;
  std::vector<unsigned char> pixels(size_t(size) * size_t(size) * 3);
  for (size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = b1;
    pixels[i + 1] = b2;
    pixels[i + 2] = b3;
  }
  const bool written = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                       std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s <folder> [seconds of music]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const double seconds = argc == 3 ? std::atof(argv[2]) : 3.0;
  bool ok = WriteTone(folder + "/disco.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, seconds,
                      440.0);
  ok = WriteTone(folder + "/s.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.3, 880.0) && ok;
  ok = WriteTga(folder + "/bg.tga", 64, 200, 40, 40) && ok;
  ok = WriteTga(folder + "/bg2.tga", 64, 40, 200, 40) && ok;
  for (int i = 0; i < 7; ++i) {
    const std::string name = folder + "/s" + std::to_string(i + 1) + ".tga";
    ok = WriteTga(name, 64, static_cast<unsigned char>(60 + 25 * i), 230,
                  static_cast<unsigned char>(220 - 25 * i)) && ok;
  }
  return ok ? 0 : 1;
}
