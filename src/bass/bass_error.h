// bass_error.h - the audio library's "last error" code.
//
// Every public call records BASS_OK or a BASS_ERROR_* code here before it
// returns; BASS_ErrorGetCode reads it. Written and read from the show's
// thread; atomic so a stray read from another thread is still well defined.
#ifndef ZIBO_BASS_BASS_ERROR_H
#define ZIBO_BASS_BASS_ERROR_H

namespace zibo::bass {

void SetError(int code);
int LastError();

// Why the last platform call failed, in words (what was asked, what came
// back), for diagnostics; "" when nothing failed yet.
void SetErrorDetail(const char* format, ...) __attribute__((format(printf, 1, 2)));
const char* LastErrorDetail();

// Records `code` and returns 0, for the common "fail this call" path.
inline int Fail(int code) {
  SetError(code);
  return 0;
}

}  // namespace zibo::bass

#endif
