#include "bass/stream_decoder.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "audio/audio_source.h"
#include "bass/bass.h"
#include "bass/bass_error.h"

namespace zibo::bass {
namespace {

constexpr size_t kChannels = Mixer::kChannels;
// Frames decoded between two looks at the stop flag (about a third of a second).
constexpr size_t kPieceFrames = 16384;

struct Job {
  Stream* stream;
  OutputDevice* device;
  std::unique_ptr<AudioSource> source;
  size_t decoded;  // frames already in the stream's buffer
};

bool Stopped(const Stream* s) { return s->stop_decoding.load(std::memory_order_relaxed); }

// Decodes the rest of a file that outgrew its buffer into a larger one and
// swaps that in; the old buffer stays valid for readers until the swap.
void DecodeOverflow(Job* job, size_t decoded) {
  Stream* s = job->stream;
  std::vector<float> bigger(s->buffer.get(), s->buffer.get() + decoded * kChannels);
  while (!Stopped(s) && decoded < kMaxDecodedFrames) {
    size_t want = std::min(kPieceFrames, kMaxDecodedFrames - decoded);
    bigger.resize((decoded + want) * kChannels);
    size_t got = job->source->Read(&bigger[decoded * kChannels], want);
    decoded += got;
    bigger.resize(decoded * kChannels);
    if (got == 0) break;
  }
  if (Stopped(s)) return;  // the stream is going away
  std::unique_ptr<float[]> old;
  job->device->Lock();
  {
    std::lock_guard<std::mutex> guard(s->buffer_mutex);
    s->audio.samples.swap(bigger);
    old = std::move(s->buffer);
    s->buffer_frames = 0;
    s->ready.store(int64_t(decoded), std::memory_order_release);
  }
  job->device->Unlock();
}  // `old` is freed outside the locks

// Decodes the rest of the file into the stream's buffer, publishing each
// piece. Only this thread writes the buffer.
void DecodeRest(Job* job) {
  Stream* s = job->stream;
  const size_t capacity = s->buffer_frames;
  size_t decoded = job->decoded;
  while (!Stopped(s) && decoded < capacity) {
    size_t got = job->source->Read(s->buffer.get() + decoded * kChannels,
                                   std::min(kPieceFrames, capacity - decoded));
    if (got == 0) return;
    decoded += got;
    s->ready.store(int64_t(decoded), std::memory_order_release);
  }
  if (!Stopped(s)) DecodeOverflow(job, decoded);
}

void* DecoderThread(void* arg) {
  std::unique_ptr<Job> job(static_cast<Job*>(arg));
  DecodeRest(job.get());
  job->stream->decoded_all.store(true, std::memory_order_release);
  return nullptr;  // `job` closes the file
}

}  // namespace

int DecodeStream(const char* path, OutputDevice* device, Stream* s, std::string* message,
                 size_t capacity_frames) {
  const int rate = device->rate();
  auto source = std::make_unique<AudioSource>();
  int code = source->Open(path, int(kChannels), message);
  if (code != BASS_OK) return code;
  const int64_t hint = source->frames_hint();
  if (source->rate() != rate || hint <= rate || size_t(hint) > kMaxDecodedFrames / 2) {
    source.reset();
    return DecodeAudioFile(path, rate, int(kChannels), &s->audio, message);
  }
  // Room for the estimate plus a quarter and a second: an MP3's header count
  // is usually exact or close; a larger file is handled by the swap.
  size_t capacity = capacity_frames ? std::max(capacity_frames, size_t(rate))
                                    : size_t(hint) + size_t(hint) / 4 + size_t(rate);
  capacity = std::min(capacity, kMaxDecodedFrames);
  s->buffer.reset(new (std::nothrow) float[capacity * kChannels]);  // not zeroed: see stream.h
  if (!s->buffer) {
    source.reset();
    return DecodeAudioFile(path, rate, int(kChannels), &s->audio, message);
  }
  s->buffer_frames = capacity;
  s->audio.rate = rate;
  s->audio.channels = int(kChannels);
  const size_t first = source->Read(s->buffer.get(), size_t(rate));
  if (first < size_t(rate)) {  // all there was
    s->audio.samples.assign(s->buffer.get(), s->buffer.get() + first * kChannels);
    s->buffer.reset();
    s->buffer_frames = 0;
    return BASS_OK;
  }
  s->ready.store(int64_t(first), std::memory_order_release);
  s->decoded_all.store(false, std::memory_order_relaxed);
  auto* job = new Job{s, device, std::move(source), first};
  int err = pthread_create(&s->decoder, nullptr, &DecoderThread, job);
  if (err != 0) {
    // No thread: finish here, as if it had run.
    SetErrorDetail("starting the background decoder failed (error %d); decoding now", err);
    DecoderThread(job);
    return BASS_OK;
  }
  s->decoder_running = true;
  return BASS_OK;
}

}  // namespace zibo::bass
