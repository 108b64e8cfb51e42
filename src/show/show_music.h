// show_music.h - the show's music decoded whole, for offline use.
//
// Capture and the tests read the noise scene's spectrum from these samples:
// the song decoded at the rate and channel count the live output plays it
// at, so that both see the same numbers. Pure function of the file; any
// thread.
#ifndef ZIBO_SHOW_SHOW_MUSIC_H
#define ZIBO_SHOW_SHOW_MUSIC_H

#include <string>

#include "audio/audio_decoder.h"

namespace zibo {

// The live output's format, which the music is decoded to.
constexpr int kMusicRate = 44100;
constexpr int kMusicChannels = 2;

// Decodes the song from `media_dir` into `music`. False with `error` naming
// the file (e.g. "disco.mp3: ...") when it cannot be decoded.
bool DecodeShowMusic(const std::string& media_dir, DecodedAudio* music, std::string* error);

}  // namespace zibo

#endif
