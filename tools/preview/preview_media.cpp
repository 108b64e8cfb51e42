#include "preview_media.h"

#include "bass/bass.h"
#include "bass/bass_diagnostics.h"
#include "music/music_player.h"
#include "show/show_media.h"
#include "transport.h"

namespace zibo {
namespace {

// Why the audio library could not open `path`, e.g. "disco.mp3: Format not
// recognised. (audio error 41)".
std::string AudioProblem(const std::string& path) {
  const char* detail = bass::LastErrorDetail();
  const std::string why = detail && *detail ? detail : path + ": cannot be opened";
  return why + " (audio error " + std::to_string(BASS_ErrorGetCode()) + ")";
}

}  // namespace

float SongSpectrum::SpectrumAt(float fraction) { return StreamSpectrumAt(*song_, fraction); }

PreviewMedia::~PreviewMedia() {
  if (song_) BASS_StreamFree(song_);
  if (effect_) BASS_StreamFree(effect_);
}

bool PreviewMedia::Load(std::string* error) {
  // The show's order: the song, the effect, the pictures, the noise.
  const std::string song = MediaPath(dir_, kSongFile);
  song_ = BASS_StreamCreateFile(0, song.c_str(), 0, 0, 0);
  if (!song_) {
    *error = AudioProblem(song);
    return false;
  }
  effect_ = BASS_StreamCreateFile(0, MediaPath(dir_, kEffectFile).c_str(), 0, 0, 0);
  show_ = Show::Load(TgaFilesIn(dir_), spectrum_, error);
  return show_ != nullptr;
}

std::string PreviewMedia::Reload(int index, Transport* transport) {
  const char* name = kMediaFiles[index];
  const std::string path = MediaPath(dir_, name);
  std::string error;
  if (name == kSongFile || name == kEffectFile) {
    const uint32_t fresh = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    if (!fresh) return AudioProblem(path);
    uint32_t& stream = name == kSongFile ? song_ : effect_;
    if (name == kSongFile) transport->Adopt(fresh);
    if (stream) BASS_StreamFree(stream);
    stream = fresh;
    return "";
  }
  const int image = index - (kMediaFileCount - kImageFileCount);
  return show_->ReloadPicture(image, TgaFilesIn(dir_), &error) ? "" : error;
}

}  // namespace zibo
