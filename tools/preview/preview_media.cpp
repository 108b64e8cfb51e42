#include "preview_media.h"

#include "bass/bass.h"
#include "bass/bass_diagnostics.h"
#include "private_copy.h"
#include "music/music_player.h"
#include "show/show_media.h"
#include "transport.h"

namespace zibo {
namespace {

// Opens `path` as an audio-library stream through a private copy, so that
// the stream never reads what is written to the file later. Returns the
// stream, or 0 with `problem` saying why, e.g. "disco.mp3: Format not
// recognised. (audio error 41)".
uint32_t OpenCopy(const std::string& path, std::string* problem) {
  PrivateCopy copy(path);
  if (!copy.ok()) {
    *problem = copy.error();
    return 0;
  }
  const uint32_t stream = BASS_StreamCreateFile(0, copy.name().c_str(), 0, 0, 0);
  if (!stream) {
    const char* detail = bass::LastErrorDetail();
    std::string why = detail && *detail ? detail : path + ": cannot be opened";
    for (size_t at; (at = why.find(copy.name())) != std::string::npos;) why.replace(at, copy.name().size(), path);
    *problem = why + " (audio error " + std::to_string(BASS_ErrorGetCode()) + ")";
  }
  return stream;  // it holds the copy open itself while it needs it
}

}  // namespace

float SongSpectrum::SpectrumAt(float fraction) { return StreamSpectrumAt(*song_, fraction); }

PreviewMedia::~PreviewMedia() {
  if (song_) BASS_StreamFree(song_);
  if (effect_) BASS_StreamFree(effect_);
}

bool PreviewMedia::Load(std::string* error) {
  // The show's order: the song, the effect, the pictures, the noise.
  song_ = OpenCopy(MediaPath(dir_, kSongFile), error);
  if (!song_) return false;
  std::string no_effect;  // no error: the show plays on without it
  effect_ = OpenCopy(MediaPath(dir_, kEffectFile), &no_effect);
  show_ = Show::Load(TgaFilesIn(dir_), spectrum_, error);
  return show_ != nullptr;
}

std::string PreviewMedia::Reload(int index, Transport* transport) {
  const char* name = kMediaFiles[index];
  const std::string path = MediaPath(dir_, name);
  std::string error;
  if (name == kSongFile || name == kEffectFile) {
    const uint32_t fresh = OpenCopy(path, &error);
    if (!fresh) return error;
    uint32_t& stream = name == kSongFile ? song_ : effect_;
    if (name == kSongFile && !transport->Adopt(fresh)) {
      const std::string why = std::string(name) + ": cannot go on at the time shown (audio error " +
                              std::to_string(BASS_ErrorGetCode()) + ")";
      BASS_StreamFree(fresh);
      return why;
    }
    if (stream) BASS_StreamFree(stream);
    stream = fresh;
    return "";
  }
  const int image = index - (kMediaFileCount - kImageFileCount);
  return show_->ReloadPicture(image, TgaFilesIn(dir_), &error) ? "" : error;
}

}  // namespace zibo
