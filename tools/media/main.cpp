// main.cpp - zibo-media: writes the show's music, horn and pictures.
//
// Usage: zibo-media <output-directory>
// Writes disco.mp3, s.ogg, bg.tga, bg2.tga and s1.tga ... s7.tga into the
// directory (which must exist), prints one line per file, and exits 0; on
// any failure it prints the reason to stderr and exits 1.
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "audio_files.h"
#include "horn.h"
#include "pictures.h"
#include "show/show_media.h"
#include "song.h"
#include "tga_writer.h"

namespace {

constexpr int kPictureSize = 1024;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool Fail(const std::string& error) {
  std::fprintf(stderr, "zibo-media: %s\n", error.c_str());
  return false;
}

bool Run(const std::string& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Fail(dir + ": not an existing directory");
  const auto start = std::chrono::steady_clock::now();
  std::string error;

  for (const zibo::media::Picture& p : zibo::media::MakePictures(kPictureSize)) {
    const std::string path = dir + "/" + p.file_name;
    if (!zibo::media::WriteTga(path, p.image, &error)) return Fail(error);
    std::printf("wrote %s (%dx%d TGA)\n", path.c_str(), p.image.width, p.image.height);
  }
  const double pictures_s = Seconds(start);

  const std::string horn_path = dir + "/" + zibo::kEffectFile;
  const std::vector<float> horn = zibo::media::RenderHorn();
  if (!zibo::media::WriteOggMono(horn_path, horn, &error)) return Fail(error);
  std::printf("wrote %s (horn, %.2f s Ogg Vorbis)\n", horn_path.c_str(),
              double(horn.size()) / zibo::media::kSampleRate);

  const auto song_start = std::chrono::steady_clock::now();
  const zibo::media::StereoMix song = zibo::media::RenderSong();
  const double synth_s = Seconds(song_start);
  const std::string song_path = dir + "/" + zibo::kSongFile;
  if (!zibo::media::WriteMp3(song_path, song, &error)) return Fail(error);
  std::printf("wrote %s (%.1f s, 140 BPM, 320 kbps MP3)\n", song_path.c_str(),
              double(song.frames()) / zibo::media::kSampleRate);
  std::printf("done in %.1f s (pictures %.1f s, synthesis %.1f s, MP3 encoding %.1f s)\n",
              Seconds(start), pictures_s, synth_s, Seconds(song_start) - synth_s);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: zibo-media <output-directory>\n");
    return 2;
  }
  return Run(argv[1]) ? 0 : 1;
}
