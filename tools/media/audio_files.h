// audio_files.h - writes the generated sound through libsndfile: the track
// as a 320 kbps constant-bitrate MP3 and the horn as Ogg Vorbis.
// On failure each returns false with `error` = "<path>: <what failed>".
// Single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_AUDIO_FILES_H
#define ZIBO_TOOLS_MEDIA_AUDIO_FILES_H

#include <string>
#include <vector>

#include "synth.h"

namespace zibo::media {

bool WriteMp3(const std::string& path, const StereoMix& mix, std::string* error);
bool WriteOggMono(const std::string& path, const std::vector<float>& samples, std::string* error);

}  // namespace zibo::media

#endif
