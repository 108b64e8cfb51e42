// stand_in_media.h - a small complete set of the show's eleven media files,
// for tests that need a whole media folder without the generated ones:
// nine 128x128 24-bit TGA pictures (each its own colour ramp), a 40 s MP3
// song and a 0.3 s Ogg effect, all tones the show can play.
#ifndef ZIBO_TESTS_SUPPORT_STAND_IN_MEDIA_H
#define ZIBO_TESTS_SUPPORT_STAND_IN_MEDIA_H

#include <string>

namespace zibo::testing {

// Writes the eleven files into an existing `folder`. False (with `error`)
// on failure.
bool WriteStandInMedia(const std::string& folder, std::string* error);

// `seconds` of a stereo 44.1 kHz pulsing tone; `format` is an SF_FORMAT_*
// major|minor pair.
bool WriteToneFile(const std::string& path, double seconds, int format, std::string* error);

}  // namespace zibo::testing

#endif
