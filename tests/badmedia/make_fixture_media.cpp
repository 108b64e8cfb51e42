// Writes a small stand-in for the show's eleven media files into the folder
// given as the only argument: nine 128x128 24-bit TGA images (each its own
// colour ramp), a 40 s MP3 song and a 0.3 s Ogg effect. The bad-media tests
// use these when the build's own generated media are not there.
#include <sndfile.h>

#include <cstdio>
#include <string>

#include "show_media.h"

namespace {

bool WriteImage(const std::string& path, int index) {
  const int size = 128;
  std::string bytes(18, '\0');
  bytes[2] = 2;
  bytes[12] = char(size);
  bytes[14] = char(size);
  bytes[16] = 24;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      bytes.push_back(char(x * 2));
      bytes.push_back(char(y * 2));
      bytes.push_back(char(40 + index * 20));
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (int i = 0; i < 9; ++i) {
    const std::string path = dir + "/" + zibo::kImageFiles[i];
    if (!WriteImage(path, i)) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  std::string error;
  if (!zibo::WriteToneFile(dir + "/" + zibo::kSongFile, 40.0,
                           SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, &error) ||
      !zibo::WriteToneFile(dir + "/" + zibo::kEffectFile, 0.3, SF_FORMAT_OGG | SF_FORMAT_VORBIS,
                           &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
