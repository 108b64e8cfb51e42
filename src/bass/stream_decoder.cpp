#include "bass/stream_decoder.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <new>
#include <thread>
#include <utility>

#include "audio/audio_source.h"
#include "bass/bass.h"
#include "bass/bass_error.h"

namespace zibo::bass {
namespace {

constexpr size_t kChannels = Mixer::kChannels;
// Frames decoded between two looks at the play position (about a third of a second).
constexpr int64_t kPieceFrames = 16384;
// How long an idle decoder sleeps before it looks again, unless woken.
constexpr auto kIdle = std::chrono::milliseconds(10);

struct Job {
  Stream* stream;
  OutputDevice* device;
  std::unique_ptr<AudioSource> source;
  int64_t source_at;  // the frame the file reads next
};

bool Stopped(const Stream* s) { return s->stop_decoding.load(std::memory_order_relaxed); }

// What the decoder does next: decode `frames` frames from `first` into the
// slots at `base`, into the window or, with `pending`, as a seek's pending
// window; no frames: nothing to do now.
struct Step {
  int64_t first = 0, frames = 0, base = 0;
  bool pending = false;
};

// Under the device lock and `buffer_mutex`, with `heard` the play position.
// Frames from `keep_behind` before the position (and before a seek's
// target) stay. A target out of reach gets a pending window in slots freed
// at the window's far end; a play position outside the window empties it
// there; otherwise the window's oldest frames make room for the next piece.
Step PlanStep(Stream* s, int64_t heard) {
  const int64_t pinned = s->pinned.load(std::memory_order_relaxed);
  const int64_t w = s->window_frames;
  const int64_t piece = std::min(kPieceFrames, w / 2);
  const int64_t seek_frames = std::min<int64_t>(s->audio.rate / 4, w / 2);  // what a seek waits for
  if (pinned >= 0 && s->pending_begin == pinned) {  // the seek's frames, a piece at a time
    const int64_t pending_end = s->end.load(std::memory_order_relaxed);
    const int64_t left = pinned + seek_frames - s->pending_ready;
    if (left <= 0 || (pending_end >= 0 && s->pending_ready >= pending_end)) return {};
    return {s->pending_ready, std::min(piece, left), s->pending_base, true};
  }
  int64_t b = s->begin.load(std::memory_order_relaxed);
  int64_t r = s->ready.load(std::memory_order_relaxed);
  int64_t end = s->end.load(std::memory_order_relaxed);
  if (end < 0 && r >= int64_t(kMaxDecodedFrames)) {
    end = r;  // as far as a stream goes
    s->end.store(end, std::memory_order_release);
  }
  heard = std::max<int64_t>(heard, 0);
  int64_t at = pinned >= 0 ? pinned : heard;
  if (end >= 0) at = std::min(at, end);
  auto keep_from = [&] { return std::max(b, std::min(std::min(at, heard) - s->keep_behind, r)); };
  if (pinned >= 0 && (at < b || at + seek_frames > keep_from() + w)) {
    const int64_t keep_to = std::min(r, b + w - std::max(piece, seek_frames));
    s->ready.store(keep_to, std::memory_order_release);
    s->pending_begin = s->pending_ready = at;
    s->pending_base = at - (keep_to - s->base);  // its first slot follows the window's last
    return {at, std::min(piece, seek_frames), s->pending_base, true};
  }
  if (at < b || (at > r && pinned < 0)) {
    s->begin.store(at, std::memory_order_relaxed);
    s->ready.store(at, std::memory_order_release);
    s->base = b = r = at;
  }
  const int64_t frames = std::min({piece, keep_from() + w - r,
                                   (end >= 0 ? end : int64_t(kMaxDecodedFrames)) - r});
  if (frames <= 0) return {};
  if (r + frames - w > b) s->begin.store(r + frames - w, std::memory_order_relaxed);
  return {r, frames, s->base, false};
}

// Reads up to `frames` frames from the file into the ring slots of frames
// `first` on at `base`; returns the frames read (fewer at the file's end).
int64_t ReadSlots(Job* job, int64_t first, int64_t frames, int64_t base) {
  Stream* s = job->stream;
  int64_t done = 0;
  while (done < frames) {
    const int64_t slot = s->SlotOf(first + done, base);
    const int64_t want = std::min(frames - done, s->window_frames - slot);
    const int64_t got = int64_t(job->source->Read(s->window.get() + size_t(slot) * kChannels,
                                                  size_t(want)));
    done += got;
    if (got < want) break;
  }
  return done;
}

// Moves the file to `frame`. A file that cannot seek there is read from its
// start into the free slots the step will fill. Returns where the file now
// is: before `frame` if it ended there.
int64_t PositionSource(Job* job, const Step& step) {
  const int64_t frame = step.first;
  if (job->source_at == frame || job->source->Seek(frame)) return job->source_at = frame;
  job->source_at = 0;
  if (!job->source->Seek(0)) return 0;
  while (job->source_at < frame && !Stopped(job->stream)) {
    int64_t got = ReadSlots(job, frame, std::min(step.frames, frame - job->source_at), step.base);
    if (got == 0) break;
    job->source_at += got;
  }
  return job->source_at;
}

// Decodes a planned step and publishes what it got.
void DecodeStep(Job* job, const Step& step) {
  Stream* s = job->stream;
  const int64_t reached = PositionSource(job, step);
  int64_t got = 0;
  if (reached == step.first) {
    got = ReadSlots(job, step.first, step.frames, step.base);
    job->source_at += got;
  }
  if (!step.pending && reached == step.first) {
    s->ready.store(step.first + got, std::memory_order_release);  // only more frames: no lock
  } else {
    job->device->Lock();
    {
      std::lock_guard<std::mutex> guard(s->buffer_mutex);
      if (!step.pending) {  // the file ends before the window
        s->begin.store(reached, std::memory_order_relaxed);
        s->ready.store(reached, std::memory_order_release);
        s->base = reached;
      } else if (s->pending_begin >= 0 && s->pending_ready == step.first) {
        s->pending_ready = step.first + got;
      }
    }
    job->device->Unlock();
  }
  if (got < step.frames && !Stopped(s)) s->end.store(reached + got, std::memory_order_release);
}

void* DecoderThread(void* arg) {
  std::unique_ptr<Job> job(static_cast<Job*>(arg));
  Stream* s = job->stream;
  // A seek into a part of an MP3 not yet seen scans up to there (tens of
  // ms); one scan to the end now keeps every later seek quick.
  job->source->Seek(job->source->frames_hint());
  job->source_at = -1;  // repositioned by the first step
  while (!Stopped(s)) {
    Step step;
    job->device->Lock();
    {
      std::lock_guard<std::mutex> guard(s->buffer_mutex);
      step = PlanStep(s, StreamFrameHeard(*s, job->device->HeardFrame()));
    }
    job->device->Unlock();
    if (step.frames > 0) {
      DecodeStep(job.get(), step);
    } else {
      std::unique_lock<std::mutex> lock(s->wake_mutex);
      if (!Stopped(s)) s->wake.wait_for(lock, kIdle);
    }
  }
  return nullptr;  // `job` closes the file
}

int DecodeWhole(const char* path, int rate, Stream* s, std::string* message) {
  s->window.reset();
  s->window_frames = 0;
  return DecodeAudioFile(path, rate, int(kChannels), &s->audio, message);
}

}  // namespace

int DecodeStream(const char* path, OutputDevice* device, Stream* s, std::string* message,
                 int64_t window_frames) {
  const int rate = device->rate();
  auto source = std::make_unique<AudioSource>();
  int code = source->Open(path, int(kChannels), message);
  if (code != BASS_OK) return code;
  const int64_t hint = source->frames_hint();
  if (source->rate() != rate || hint <= rate || size_t(hint) > kMaxDecodedFrames / 2) {
    source.reset();
    return DecodeWhole(path, rate, s, message);
  }
  // A file shorter than the window gets room for its estimate plus a quarter
  // and a second (an MP3's header count is usually exact or close).
  int64_t frames = window_frames ? window_frames
                                 : std::min(int64_t(kWindowSeconds) * rate, hint + hint / 4 + rate);
  frames = std::max<int64_t>(frames, rate);
  s->window.reset(new (std::nothrow) float[size_t(frames) * kChannels]);  // not zeroed: see stream.h
  if (!s->window) {
    source.reset();
    return DecodeWhole(path, rate, s, message);
  }
  s->window_frames = frames;
  s->keep_behind = frames / 6;
  s->audio.rate = rate;
  s->audio.channels = int(kChannels);
  const size_t first = source->Read(s->window.get(), size_t(rate));
  if (first < size_t(rate)) {  // all there was
    s->audio.samples.assign(s->window.get(), s->window.get() + first * kChannels);
    s->window.reset();
    s->window_frames = 0;
    return BASS_OK;
  }
  s->ready.store(int64_t(first), std::memory_order_release);
  auto* job = new Job{s, device, std::move(source), int64_t(first)};
  int err = pthread_create(&s->decoder, nullptr, &DecoderThread, job);
  if (err != 0) {
    delete job;
    SetErrorDetail("starting the background decoder failed (error %d); decoding now", err);
    return DecodeWhole(path, rate, s, message);
  }
  s->decoder_running = true;
  return BASS_OK;
}

bool SeekStream(Stream* s, int64_t frame, OutputDevice* device,
                const std::function<void()>& commit) {
  if (s->window) {
    const int64_t want = frame + std::min<int64_t>(device->rate() / 4, s->window_frames / 2);
    {
      std::lock_guard<std::mutex> guard(s->buffer_mutex);  // before the decoder's next step
      s->pinned.store(frame, std::memory_order_relaxed);
    }
    s->WakeDecoder();
    for (;;) {
      const int64_t end = s->end.load(std::memory_order_acquire);
      if ((end >= 0 && frame > end) || Stopped(s)) break;
      const int64_t need = end >= 0 ? std::min(want, end) : want;
      {
        std::lock_guard<std::mutex> guard(s->buffer_mutex);
        if (s->pending_begin == frame ? s->pending_ready >= need
                                      : frame >= s->begin.load(std::memory_order_relaxed) &&
                                            s->ready.load(std::memory_order_acquire) >= need) {
          break;
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  const int64_t end = s->window ? s->end.load(std::memory_order_acquire) : s->ReadyFrames();
  const bool past_end = end >= 0 && frame > end;
  device->Lock();
  {
    std::lock_guard<std::mutex> guard(s->buffer_mutex);
    if (!past_end) {
      commit();
      if (s->pending_begin == frame) {  // the pending window replaces the old one
        s->begin.store(frame, std::memory_order_relaxed);
        s->ready.store(s->pending_ready, std::memory_order_release);
        s->base = s->pending_base;
      }
    }
    s->pending_begin = -1;
    s->pinned.store(-1, std::memory_order_relaxed);
  }
  device->Unlock();
  s->WakeDecoder();  // on from the new position at once
  return !past_end;
}

}  // namespace zibo::bass
