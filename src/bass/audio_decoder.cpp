// Placeholder: decoding is being written.
#include "bass/audio_decoder.h"
#include "bass/bass.h"
namespace zibo {
int DecodeAudioFile(const char*, int, int, DecodedAudio*, std::string*) { return BASS_ERROR_UNKNOWN; }
}
