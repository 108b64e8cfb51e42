#include "show/show_music.h"

#include "show/show.h"
#include "show/show_media.h"

namespace zibo {

bool DecodeShowMusic(const std::string& media_dir, DecodedAudio* music, std::string* error) {
  const std::string path = MediaPath(media_dir, kSongFile);
  std::string message;
  if (DecodeAudioFile(path.c_str(), kMusicRate, kMusicChannels, music, &message) == kAudioOk) {
    return true;
  }
  if (message.empty()) message = "cannot be decoded";
  *error = message.compare(0, path.size(), path) == 0 ? message : path + ": " + message;
  return false;
}

}  // namespace zibo
