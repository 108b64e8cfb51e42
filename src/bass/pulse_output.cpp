#include "bass/pulse_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

#include <time.h>

#include "bass/output_clock.h"

namespace zibo::bass {
namespace {

constexpr int kFrameBytes = 4;  // 16-bit stereo
// How long a server may take to accept the connection, then the stream.
constexpr double kAnswerSeconds = 2.0;
// The clock asks the server for fresh timing this often: a server whose
// readings move in whole periods is then answered at every phase of its
// period within the lowest-reading window, so that the lowest reading is
// the one taken just before a period ends, when it is exact. Neither an
// answer nor a request for sound for kStallSeconds, with a question
// pending, means the server has stalled. (Either alone is no sign: a sink
// that renders ahead asks for no sound for seconds, and a busy server
// answers late.)
constexpr double kAskSeconds = 0.01;
constexpr double kStallSeconds = 2.0;
// Blocks of buffer asked for: enough that a server period of 8192 frames
// does not starve the stream, little enough to keep the latency short.
constexpr int kTargetBlocks = 4;
// How long the clock remembers the lowest reading: several answers at
// every phase of the largest server period.
constexpr double kLowestSeconds = 4.0;
// Readings are kept at most this often (the clock is read every frame).
constexpr double kKeepSeconds = 0.005;
// The sink's drift is measured from the lowest reading, taken this often
// over this long, and believed up to kMaxDrift of the rate.
constexpr double kHistoryStep = 0.25;
constexpr double kHistorySeconds = 16.0;
constexpr double kMaxDrift = 0.001;
// A reading this far above the lowest one is a jump, taken at once.
constexpr double kJumpSeconds = 0.25;
// The server's readings lie at or above what is heard (less its jitter), so
// a lowest reading this far below the clock means the sound fell behind (an
// underrun, a stall): it is taken at once, the rate kept.
constexpr double kBehindSeconds = 0.01;

std::string ContextError(pa_context* context) {
  return pa_strerror(pa_context_errno(context));
}

}  // namespace

int64_t HeardFrameAt(const ServerTiming& timing, bool running, double now, int rate) {
  double seconds = timing.transport - timing.latency;
  if (timing.playing && running) seconds += std::max(0.0, now - timing.reported_at);
  // Reports come in whole microseconds: a hair more keeps a whole frame whole.
  const int64_t heard = timing.read + int64_t(std::floor(seconds * rate + 1e-6));
  return std::clamp(heard, int64_t(0), timing.written);
}

double ServerClockFilter::Lowest(double raw, double now, int rate) {
  const double offset = raw - now * rate;
  if (!recent_.empty() && offset - recent_.front().second > kJumpSeconds * rate) ForgetReadings();
  // Readings closer together than kKeepSeconds keep one place, the lower.
  const bool crowded = !recent_.empty() && now - recent_.back().first < kKeepSeconds;
  if (!crowded || offset < recent_.back().second) {
    while (!recent_.empty() && recent_.back().second >= offset) recent_.pop_back();
    recent_.emplace_back(now, offset);
  }
  while (recent_.front().first < now - kLowestSeconds) recent_.pop_front();
  if (history_.empty() || now - history_.back().first >= kHistoryStep) {
    history_.emplace_back(now, recent_.front().second);
    while (history_.front().first < now - kHistorySeconds) history_.pop_front();
    drift_ = Drift(rate);
  }
  if (drift_ == 0) return recent_.front().second + now * rate;
  // Each kept reading is the lowest of all that came after it at the
  // nominal rate, so at any faster one the lowest is among them.
  double lowest = std::numeric_limits<double>::infinity();
  for (const auto& [time, kept] : recent_) lowest = std::min(lowest, kept + (now - time) * drift_);
  return lowest + now * rate;
}

double ServerClockFilter::Drift(int rate) const {
  if (history_.size() < 2 || history_.back().first - history_.front().first < kHistorySeconds / 2) return 0;
  double mean_t = 0, mean_v = 0;
  for (const auto& [t, v] : history_) mean_t += t, mean_v += v;
  mean_t /= double(history_.size()), mean_v /= double(history_.size());
  double tt = 0, tv = 0;
  for (const auto& [t, v] : history_) tt += (t - mean_t) * (t - mean_t), tv += (t - mean_t) * (v - mean_v);
  // Only a sink that runs fast leaves the lowest reading behind; real ones
  // are within a few hundred ppm of their rate.
  return std::clamp(tv / tt, 0.0, kMaxDrift * rate);
}

double ServerClockFilter::Follow(double reading, double now, int rate) {
  const double raw = Lowest(reading, now, rate);
  // Wide at first, to take up the server's rate and latency quickly, then
  // narrowing so that its steps are averaged away.
  const double omega = 2 * 3.14159265358979323846 * std::max(0.05, 1.0 / (1.0 + now - locked_at_));
  const double predicted = frame_ + (now - time_) * rate * ratio_;
  if (!locked_ || std::fabs(raw - predicted) > kJumpSeconds * rate) {
    locked_ = true;
    locked_at_ = now;
    frame_ = raw;
    ratio_ = 1;
  } else if (predicted - raw > kBehindSeconds * rate) {
    frame_ = raw;
  } else {
    const double dt = std::min(now - time_, 0.5);
    const double error = raw - predicted;
    frame_ = predicted + std::min(1.0, std::sqrt(2.0) * omega * dt) * error;
    ratio_ = std::clamp(ratio_ + omega * omega * dt * error / rate, 0.99, 1.01);
  }
  time_ = now;
  return frame_;
}

template <typename Ready, typename Failed>
bool PulseOutput::WaitFor(double seconds, Ready ready, Failed failed) {
  const double deadline = MonotonicSeconds() + seconds;
  while (!ready()) {
    if (failed() || MonotonicSeconds() > deadline) return false;
    Unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    Lock();
  }
  return true;
}

bool PulseOutput::Open(int rate, int block_frames, Render render, void* user, std::string* why) {
  Close();
  rate_ = rate;
  render_ = render;
  user_ = user;
  lost_.clear();
  mainloop_ = pa_threaded_mainloop_new();
  if (!mainloop_) {
    *why = "pa_threaded_mainloop_new failed";
    return false;
  }
  context_ = pa_context_new(pa_threaded_mainloop_get_api(mainloop_), "zibo");
  if (!context_) {
    *why = "pa_context_new failed";
    Close();
    return false;
  }
  pa_context_set_state_callback(context_, &PulseOutput::OnContextState, this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    *why = "connecting to the sound server failed: " + ContextError(context_);
    Close();
    return false;
  }
  if (pa_threaded_mainloop_start(mainloop_) < 0) {
    *why = "pa_threaded_mainloop_start failed";
    Close();
    return false;
  }
  Lock();
  const bool connected = WaitFor(
      kAnswerSeconds, [&] { return pa_context_get_state(context_) == PA_CONTEXT_READY; },
      [&] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)); });
  if (!connected) {
    *why = "the sound server did not answer: " +
           (PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))
                ? "no reply within " + std::to_string(int(kAnswerSeconds)) + " s"
                : ContextError(context_));
    Unlock();
    Close();
    return false;
  }
  const pa_sample_spec spec = {PA_SAMPLE_S16LE, uint32_t(rate), 2};
  stream_ = pa_stream_new(context_, "zibo", &spec, nullptr);
  if (!stream_) {
    *why = "the sound server refused a stream at " + std::to_string(rate) +
           " Hz, 16-bit stereo: " + ContextError(context_);
    Unlock();
    Close();
    return false;
  }
  pa_stream_set_state_callback(stream_, &PulseOutput::OnStreamState, this);
  pa_stream_set_write_callback(stream_, &PulseOutput::OnWrite, this);
  pa_stream_set_latency_update_callback(stream_, &PulseOutput::OnTiming, this);
  pa_buffer_attr attr;
  attr.maxlength = uint32_t(-1);
  attr.tlength = uint32_t(kTargetBlocks * block_frames * kFrameBytes);
  // Playback starts (and after an underrun, goes on) once a block is there.
  attr.prebuf = uint32_t(block_frames * kFrameBytes);
  attr.minreq = uint32_t(block_frames * kFrameBytes);
  attr.fragsize = uint32_t(-1);
  const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                       PA_STREAM_ADJUST_LATENCY);
  running_ = true;
  asked_at_ = -1;
  answered_at_ = last_request_ = MonotonicSeconds();
  bool playing =
      pa_stream_connect_playback(stream_, nullptr, &attr, flags, nullptr, nullptr) >= 0 &&
      WaitFor(
          kAnswerSeconds, [&] { return pa_stream_get_state(stream_) == PA_STREAM_READY; },
          [&] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)); });
  if (!playing) {
    *why = "the sound server refused a playback stream at " + std::to_string(rate) +
           " Hz, 16-bit stereo: " +
           (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) ? "no reply in time"
                                                            : ContextError(context_));
    Unlock();
    Close();
    return false;
  }
  Unlock();
  return true;
}

void PulseOutput::Close() {
  if (!mainloop_) return;
  pa_threaded_mainloop_stop(mainloop_);  // no callback runs after this
  if (stream_) {
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  pa_threaded_mainloop_free(mainloop_);
  mainloop_ = nullptr;
}

void PulseOutput::Lock() { pa_threaded_mainloop_lock(mainloop_); }

void PulseOutput::Unlock() { pa_threaded_mainloop_unlock(mainloop_); }

void PulseOutput::SetRunning(bool running) {
  if (!stream_ || running == running_) return;
  running_ = running;
  if (pa_operation* op = pa_stream_cork(stream_, running ? 0 : 1, nullptr, nullptr)) {
    pa_operation_unref(op);
  }
}

bool PulseOutput::HeardFrame(double now, int64_t* frame, std::string* why) {
  why->clear();
  if (!stream_) {
    *why = lost_.empty() ? "the sound server is gone" : lost_;
    return false;
  }
  if (lost_.empty() && asked_at_ >= 0 && now - asked_at_ > kStallSeconds &&
      now - last_request_ > kStallSeconds) {
    lost_ = "the sound server stopped answering";
  }
  if (!lost_.empty()) {
    *why = lost_;
    GiveUp();
    return false;
  }
  if (asked_at_ < 0 && now - answered_at_ > kAskSeconds) {
    if (pa_operation* op = pa_stream_update_timing_info(stream_, nullptr, nullptr)) {
      pa_operation_unref(op);
      asked_at_ = now;
    }
  }
  // Not pa_stream_get_time: it interpolates from the start, before the
  // server plays anything, and on through underruns.
  const pa_timing_info* info = pa_stream_get_timing_info(stream_);
  if (!info || info->read_index_corrupt || info->write_index_corrupt) return false;
  ServerTiming timing;
  timing.read = info->read_index / kFrameBytes;
  timing.written = info->write_index / kFrameBytes;
  timing.transport = double(info->transport_usec) / 1e6;
  timing.latency = double(info->sink_usec) / 1e6;
  // Reports are stamped on the wall clock: how long ago, on the monotonic one.
  timespec wall;
  clock_gettime(CLOCK_REALTIME, &wall);
  timing.reported_at = now - (double(wall.tv_sec - info->timestamp.tv_sec) +
                              (wall.tv_nsec / 1e3 - double(info->timestamp.tv_usec)) / 1e6);
  timing.playing = info->playing != 0;
  *frame = HeardFrameAt(timing, running_, now, rate_);
  if (!timing.playing || !running_) {
    filter_.Reset();  // until it plays again: the reading as it is
  } else {
    const double smooth = filter_.Follow(double(*frame), now, rate_);
    *frame = std::clamp(int64_t(std::floor(smooth)), int64_t(0), timing.written);
  }
  return true;
}

void PulseOutput::GiveUp() {
  if (!stream_) return;
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_latency_update_callback(stream_, nullptr, nullptr);
  if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void PulseOutput::OnContextState(pa_context* context, void* self_ptr) {
  auto* self = static_cast<PulseOutput*>(self_ptr);
  const pa_context_state_t state = pa_context_get_state(context);
  if (!PA_CONTEXT_IS_GOOD(state) && self->stream_ && self->lost_.empty()) {
    self->lost_ = "the connection to the sound server ended: " + ContextError(context);
  }
}

void PulseOutput::OnStreamState(pa_stream* stream, void* self_ptr) {
  auto* self = static_cast<PulseOutput*>(self_ptr);
  if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) && self->lost_.empty()) {
    self->lost_ = "the sound server dropped the stream: " +
                  ContextError(pa_stream_get_context(stream));
  }
}

void PulseOutput::OnWrite(pa_stream* stream, size_t bytes, void* self_ptr) {
  auto* self = static_cast<PulseOutput*>(self_ptr);
  self->last_request_ = MonotonicSeconds();
  while (bytes >= size_t(kFrameBytes)) {
    void* data = nullptr;
    size_t size = bytes;
    if (pa_stream_begin_write(stream, &data, &size) < 0 || !data) {
      self->lost_ = "pa_stream_begin_write failed: " + ContextError(pa_stream_get_context(stream));
      return;
    }
    size = std::min(size, bytes) / kFrameBytes * kFrameBytes;
    if (size == 0) {
      pa_stream_cancel_write(stream);
      return;
    }
    self->render_(self->user_, static_cast<int16_t*>(data), int(size / kFrameBytes));
    if (pa_stream_write(stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
      self->lost_ = "pa_stream_write failed: " + ContextError(pa_stream_get_context(stream));
      return;
    }
    bytes -= size;
  }
}

void PulseOutput::OnTiming(pa_stream* /*stream*/, void* self_ptr) {
  auto* self = static_cast<PulseOutput*>(self_ptr);
  self->answered_at_ = MonotonicSeconds();
  self->asked_at_ = -1;
}

}  // namespace zibo::bass
