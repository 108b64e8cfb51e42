// horn.h - the show's sound effect: a two-tone car horn, mono, 0.6 s.
// Deterministic; single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_HORN_H
#define ZIBO_TOOLS_MEDIA_HORN_H

#include <vector>

namespace zibo::media {

constexpr double kHornSeconds = 0.6;

// Mono samples at 44100 Hz, peak about 0.8.
std::vector<float> RenderHorn();

}  // namespace zibo::media

#endif
