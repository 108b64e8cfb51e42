// main.cpp - zibo-media: writes the show's music, horn and pictures.
//
// Usage: zibo-media <output-directory>
// Writes disco.mp3, s.ogg, bg.tga, bg2.tga and s1.tga ... s7.tga into the
// directory (which must exist), prints one line per file, and exits 0; on
// any failure it prints the reason to stderr and exits 1. See kUsage for
// the desktop icon, --help and --version; bad arguments exit 2.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "audio_files.h"
#include "horn.h"
#include "pictures.h"
#include "png_writer.h"
#include "show/program_version.h"
#include "show/show_media.h"
#include "song.h"
#include "tga_writer.h"

namespace {

constexpr int kPictureSize = 1024;
constexpr int kIconSize = 256;

const char kUsage[] =
    "usage: zibo-media <output-directory>\n"
    "       zibo-media --icon FILE.png\n"
    "\n"
    "Makes the show's music, horn and pictures from code, or its desktop icon.\n"
    "\n"
    "  <output-directory>  an existing folder; receives disco.mp3, s.ogg, bg.tga,\n"
    "                      bg2.tga and s1.tga ... s7.tga\n"
    "  --icon FILE.png     write the 256x256 desktop icon to FILE.png\n"
    "  --help, -h          show this text and exit\n"
    "  --version           show the program's version and exit\n";

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

bool WriteIcon(const std::string& path) {
  const zibo::media::RgbImage icon = zibo::media::MakeIcon(kIconSize);
  // The PNG encoder takes RGBA rows bottom-up, as GL hands them over.
  std::vector<uint8_t> rgba(icon.pixels.size() * 4);
  for (int y = 0; y < icon.height; ++y) {
    for (int x = 0; x < icon.width; ++x) {
      const zibo::media::Rgb& p = icon.at(x, icon.height - 1 - y);
      uint8_t* out = &rgba[(size_t(y) * size_t(icon.width) + size_t(x)) * 4];
      out[0] = p.r;
      out[1] = p.g;
      out[2] = p.b;
      out[3] = 255;
    }
  }
  std::vector<uint8_t> png;
  std::string error;
  if (!zibo::EncodePng(icon.width, icon.height, rgba.data(), &png, &error) ||
      !zibo::WriteWholeFile(path, png, &error)) {
    return Fail(error);
  }
  std::printf("wrote %s (%dx%d PNG icon)\n", path.c_str(), icon.width, icon.height);
  return true;
}

int BadArguments(const std::string& error) {
  std::fprintf(stderr, "zibo-media: %s\n%s", error.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (argc == 2 && (first == "--help" || first == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && first == "--version") {
    std::fputs(zibo::VersionText("zibo-media").c_str(), stdout);
    return 0;
  }
  if (first == "--icon") {
    if (argc != 3) return BadArguments("--icon needs one file name");
    return WriteIcon(argv[2]) ? 0 : 1;
  }
  if (argc != 2) return BadArguments(argc < 2 ? "no output directory given" : "too many arguments");
  if (first.compare(0, 1, "-") == 0) return BadArguments("unknown option '" + first + "'");
  return Run(first) ? 0 : 1;
}
