// audio_status.h - what decoding an audio file can come to.
//
// The numbers are the twelve-call API's error codes (bass.h), so that the
// audio library's callers hand them on unchanged. Pure data.
#ifndef ZIBO_AUDIO_AUDIO_STATUS_H
#define ZIBO_AUDIO_AUDIO_STATUS_H

namespace zibo {

enum AudioStatus : int {
  kAudioOk = 0,
  kAudioNoMemory = 1,    // past the longest signal accepted
  kAudioFileOpen = 2,    // missing, unreadable or no regular file
  kAudioBadFormat = 6,   // absurd rate or channel count
  kAudioBadParam = 20,   // invalid arguments
  kAudioNotAudio = 41,   // no audio libsndfile can read
  kAudioBadCodec = 44,   // an encoding libsndfile cannot decode
};

}  // namespace zibo

#endif
