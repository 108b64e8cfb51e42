// The public calls: argument checks, error codes, and the glue
// between the stream table, the output device and the spectrum.
#include "bass/bass.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <new>
#include <string>

#include "bass/bass_diagnostics.h"
#include "bass/bass_error.h"
#include "bass/output_device.h"
#include "audio/spectrum.h"
#include "bass/stream_decoder.h"
#include "bass/stream_table.h"

namespace zibo::bass {
namespace {

constexpr int kBytesPerFrame = 4;  // positions count 16-bit stereo bytes
constexpr int kChannels = Mixer::kChannels;
constexpr DWORD kMinRate = 8000;
constexpr DWORD kMaxRate = 192000;
constexpr DWORD kFftBytes = zibo::kFftBins * sizeof(float);

struct Library {
  bool initialised = false;
  OutputDevice device;
  StreamTable streams;
};

// Never destroyed: the audio thread must not outlive the object it reads,
// and BASS_Free is the one orderly way down.
Library& Lib() {
  static Library* lib = new Library;
  return *lib;
}

// The live stream for `handle`, recording INIT or HANDLE when there is none.
Stream* FindStream(DWORD handle) {
  Library& lib = Lib();
  if (!lib.initialised) {
    SetError(BASS_ERROR_INIT);
    return nullptr;
  }
  Stream* s = lib.streams.Find(handle);
  if (!s) SetError(BASS_ERROR_HANDLE);
  return s;
}

// The stream frame being heard now, never less than one already reported
// since the stream was last restarted.
int64_t HeardStreamFrame(Stream* s) {
  OutputDevice& device = Lib().device;
  device.Lock();
  int64_t frame = StreamFrameHeard(*s, device.HeardFrame());
  device.Unlock();
  frame = std::max(frame, s->last_reported);
  s->last_reported = frame;
  return frame;
}

// Under the device lock: plays `s` from stream frame `frame`, from the next
// block the device mixes (at once on the no-sound device).
void StartAt(Stream* s, int64_t frame) {
  OutputDevice& device = Lib().device;
  s->start_frame = frame;
  s->playing = true;
  s->paused_at = -1;
  s->start_pending = device.mixes();
  s->anchor_device_frame = device.HeardFrame();
  s->last_reported = frame;
}

// Under the device lock: continues a paused stream at the device frame
// after the last one handed over, which is seamless when nothing was mixed
// since the pause.
void ResumeAt(Stream* s) {
  OutputDevice& device = Lib().device;
  s->start_frame = s->paused_at;
  s->anchor_device_frame = device.FramesHanded();
  s->start_pending = false;
  s->paused_at = -1;
}

}  // namespace

uint64_t FramesHandedToDevice() {
  Library& lib = Lib();
  if (!lib.initialised) return 0;
  lib.device.Lock();
  int64_t handed = lib.device.FramesHanded();
  lib.device.Unlock();
  return uint64_t(handed);
}

const char* OutputName() {
  Library& lib = Lib();
  if (!lib.initialised) return "none";
  lib.device.Lock();
  const char* name = lib.device.name();
  lib.device.Unlock();
  return name;
}

}  // namespace zibo::bass

using namespace zibo::bass;

extern "C" {

BOOL BASS_Init(int device, DWORD freq, DWORD /*flags*/, void* /*win*/) {
  Library& lib = Lib();
  if (lib.initialised) return Fail(BASS_ERROR_ALREADY);
  if (freq < kMinRate || freq > kMaxRate) return Fail(BASS_ERROR_ILLPARAM);
  int code = lib.device.Open(device, int(freq), &lib.streams);
  if (code != BASS_OK) return Fail(code);
  lib.initialised = true;
  SetError(BASS_OK);
  return 1;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length,
                              DWORD /*flags*/) {
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT);
  if (mem || !file) return Fail(BASS_ERROR_ILLPARAM);
  if (offset != 0 || length != 0) return Fail(BASS_ERROR_NOTAVAIL);
  int slot = lib.streams.FreeSlot();
  if (slot < 0) return Fail(BASS_ERROR_MEM);
  Stream* stream = new (std::nothrow) Stream;
  if (!stream) return Fail(BASS_ERROR_MEM);
  std::string why;
  int code = DecodeStream(static_cast<const char*>(file), &lib.device, stream, &why);
  if (code != BASS_OK) {
    SetErrorDetail("%s", why.c_str());
    delete stream;
    return Fail(code);
  }
  lib.device.Lock();
  HSTREAM handle = lib.streams.Put(slot, stream);
  lib.device.Unlock();
  SetError(BASS_OK);
  return handle;
}

BOOL BASS_Start(void) {
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT);
  lib.device.Start();
  SetError(BASS_OK);
  return 1;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD /*flags*/) {
  Stream* s = FindStream(handle);
  if (!s) return 0;
  OutputDevice& device = Lib().device;
  device.Lock();
  if (flush) {
    StartAt(s, 0);
  } else if (!s->playing) {
    StartAt(s, std::max(s->start_frame, s->last_reported));
  } else if (s->paused_at >= 0) {
    ResumeAt(s);
  }
  device.Unlock();
  SetError(BASS_OK);
  return 1;
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  Stream* s = FindStream(handle);
  if (!s) return QWORD(-1);
  QWORD bytes = QWORD(HeardStreamFrame(s)) * kBytesPerFrame;
  SetError(BASS_OK);
  return bytes;
}

double BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  if (!FindStream(handle)) return -1;
  SetError(BASS_OK);
  return double(pos) / (double(Lib().device.rate()) * kBytesPerFrame);
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  if (!buffer || length != BASS_DATA_FFT512) {
    SetError(BASS_ERROR_ILLPARAM);
    return DWORD(-1);
  }
  float* out = static_cast<float*>(buffer);
  std::fill(out, out + zibo::kFftBins, 0.0f);
  Stream* s = FindStream(handle);
  if (!s) return DWORD(-1);
  int64_t frame = HeardStreamFrame(s);
  if (s->audio.channels == kChannels) {
    float samples[zibo::kFftSize * kChannels];
    {
      std::lock_guard<std::mutex> guard(s->buffer_mutex);  // the decoder may move its window
      s->CopyFrames(frame, zibo::kFftSize, samples);
    }
    zibo::ComputeSpectrumAt(samples, zibo::kFftSize, kChannels, 0, out);
  }
  SetError(BASS_OK);
  return kFftBytes;
}

BOOL BASS_ChannelStop(DWORD handle) {
  Stream* s = FindStream(handle);
  if (!s) return 0;
  int64_t frame = HeardStreamFrame(s);
  OutputDevice& device = Lib().device;
  device.Lock();
  s->start_frame = frame;  // the position stays where it was heard last
  s->playing = false;
  s->start_pending = false;
  s->paused_at = -1;
  device.Unlock();
  SetError(BASS_OK);
  return 1;
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
  Stream* s = FindStream(handle);
  if (!s) return 0;
  const int64_t frame = int64_t(std::min<QWORD>(pos / kBytesPerFrame, QWORD(INT64_MAX / 2)));
  OutputDevice& device = Lib().device;
  const bool moved = SeekStream(s, frame, &device, [&] {
    if (!s->playing) {
      s->start_frame = frame;
    } else if (s->paused_at >= 0) {
      // Paused here: nothing more is mixed, and resuming starts from `frame`.
      s->start_frame = frame;
      s->anchor_device_frame = device.FramesHanded();
      s->start_pending = false;
      s->paused_at = frame;
    } else {
      StartAt(s, frame);
    }
    s->last_reported = frame;
  });
  if (!moved) return Fail(BASS_ERROR_POSITION);
  SetError(BASS_OK);
  return 1;
}

BOOL BASS_ChannelPause(DWORD handle) {
  Stream* s = FindStream(handle);
  if (!s) return 0;
  OutputDevice& device = Lib().device;
  device.Lock();
  const bool playing = s->playing && s->paused_at < 0;
  if (playing) {
    // The frames already handed to the device are still heard.
    s->paused_at = s->start_pending ? s->start_frame
                                    : StreamFrameHeard(*s, device.FramesHanded());
    s->paused_at = std::max(s->paused_at, s->last_reported);
  }
  device.Unlock();
  if (!playing) return Fail(BASS_ERROR_NOPLAY);
  SetError(BASS_OK);
  return 1;
}

BOOL BASS_ChannelResume(DWORD handle) {
  Stream* s = FindStream(handle);
  if (!s) return 0;
  OutputDevice& device = Lib().device;
  device.Lock();
  const bool paused = s->playing && s->paused_at >= 0;
  if (paused) ResumeAt(s);
  device.Unlock();
  if (!paused) return Fail(BASS_ERROR_NOPAUSE);
  SetError(BASS_OK);
  return 1;
}

BOOL BASS_Stop(void) {
  Library& lib = Lib();
  if (!lib.initialised) return Fail(BASS_ERROR_INIT);
  lib.device.Stop();
  SetError(BASS_OK);
  return 1;
}

void BASS_StreamFree(HSTREAM handle) {
  Library& lib = Lib();
  if (!lib.initialised) {
    SetError(BASS_ERROR_INIT);
    return;
  }
  lib.device.Lock();
  Stream* s = lib.streams.Take(handle);
  lib.device.Unlock();
  if (!s) {
    SetError(BASS_ERROR_HANDLE);
    return;
  }
  delete s;  // outside the lock (the mixer no longer sees it); joins its decoder
  SetError(BASS_OK);
}

void BASS_Free(void) {
  Library& lib = Lib();
  if (!lib.initialised) {
    SetError(BASS_ERROR_INIT);
    return;
  }
  // Decoders first: one may be waiting for the device lock.
  for (int i = 0; i < StreamTable::kSlots; ++i) {
    if (Stream* s = lib.streams.slot(i)) s->StopDecoding();
  }
  lib.device.Close();  // no callback runs after this
  for (int i = 0; i < StreamTable::kSlots; ++i) delete lib.streams.TakeSlot(i);
  lib.initialised = false;
  SetError(BASS_OK);
}

int BASS_ErrorGetCode(void) { return LastError(); }

}  // extern "C"
