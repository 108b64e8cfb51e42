// pulse_output.h - a playback stream on a desktop sound server (libpulse,
// which PulseAudio and PipeWire's pulse server both speak).
//
// Open connects to the server that PULSE_SERVER (or the client
// configuration) names, never starting one, and waits a bounded time for it
// to answer and accept a 16-bit stereo stream at the asked rate. The server
// asks for sound in its own rhythm; each request is filled by `render` on
// the output's own thread. The clock is the server's: the stream time being
// played now, interpolated on the monotonic clock between the server's
// timing reports, which include the output's own reported latency.
//
// A server that dies, drops the stream, or for 2 s neither answers a timing
// request nor asks for sound is "lost": HeardFrame says so once and the
// stream is given up (the caller keeps time on its own from then on).
//
// Threads: Open and Close on the caller's thread. Everything else is called
// between Lock and Unlock (the threaded main loop's lock, recursive); the
// render function runs on the output's thread with that lock held.
#ifndef ZIBO_BASS_PULSE_OUTPUT_H
#define ZIBO_BASS_PULSE_OUTPUT_H

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace zibo::bass {

// One timing report of the server, in frames and monotonic seconds.
struct ServerTiming {
  int64_t read = 0, written = 0;      // frames the server took, and that we gave
  double transport = 0, latency = 0;  // the report's travel time; the sink's latency
  double reported_at = 0;             // when the report was current
  bool playing = false;               // the server was playing the stream then
};

// The stream frame heard at `now`: what the server took less what waits in
// the sink (its reported latency, an output's own offset included), moved on
// by the time since the report while the stream plays (`running`: not
// corked); never below 0 nor past what was given.
int64_t HeardFrameAt(const ServerTiming& timing, bool running, double now, int rate);

// Smooths the server's readings while it plays: some servers' reports move
// in steps of their period (170 ms at PipeWire's largest quanta), so the
// clock follows them through a second-order loop (1 Hz narrowing to 0.05 Hz
// over its first twenty seconds) that runs with
// the monotonic clock and takes up any rate difference; a reading further
// than 0.25 s from it (a restart), or 10 ms behind it (the sound fell
// behind: an underrun), is taken as it is.
// PipeWire's pulse server counts the period its sink plays as heard and
// stamps what it took at its last period with the time of its answer, so
// its readings run ahead of the sound by between nothing and one period;
// the loop therefore follows the lowest reading of the last four seconds,
// which on an exact server differs from the latest by its jitter. Readings
// are moved on at the nominal rate plus the sink's own drift, as the lowest
// reading itself has moved over the last 16 s (never the loop's estimate,
// which would feed back into its own input): a sink running fast would
// otherwise leave the lowest reading behind by the window times its error.
class ServerClockFilter {
 public:
  void Reset() {
    locked_ = false;
    ForgetReadings();
  }
  // The smoothed frame at `now` for the server's reading `raw`.
  double Follow(double raw, double now, int rate);

 private:
  void ForgetReadings() {
    recent_.clear();
    history_.clear();
    drift_ = 0;
  }
  double Lowest(double raw, double now, int rate);
  // The sink's drift in frames per second, from history_ (0 until known).
  double Drift(int rate) const;

  std::deque<std::pair<double, double>> recent_;   // (time, reading less time * rate), rising
  std::deque<std::pair<double, double>> history_;  // (time, lowest of recent_) every 0.25 s
  double drift_ = 0;                               // Drift() as of the last history_ entry
  bool locked_ = false;
  double frame_ = 0, time_ = 0, ratio_ = 1, locked_at_ = 0;
};

class PulseOutput {
 public:
  // Fills `frames` frames of interleaved 16-bit stereo at `out`.
  using Render = void (*)(void* user, int16_t* out, int frames);

  PulseOutput() = default;
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;
  ~PulseOutput() { Close(); }

  // Returns true when a stream plays (uncorked); false with `why` set when
  // no server answered in time or it refused the stream.
  bool Open(int rate, int block_frames, Render render, void* user, std::string* why);
  void Close();
  bool open() const { return mainloop_ != nullptr; }

  void Lock();
  void Unlock();

  // Under the lock: corks or uncorks the stream (the server's clock stands
  // still while corked).
  void SetRunning(bool running);
  // Under the lock: the stream frame being heard now, at monotonic time
  // `now`. Returns false when the server is lost (`why` says how; the
  // first such call gives the stream up) or has not reported yet
  // (`*frame` left alone, `why` empty).
  bool HeardFrame(double now, int64_t* frame, std::string* why);

 private:
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, size_t bytes, void* self);
  static void OnTiming(pa_stream* stream, void* self);
  // Under the lock: waits up to `seconds` for `ready` to hold, false when
  // `failed` holds first or the time runs out.
  template <typename Ready, typename Failed>
  bool WaitFor(double seconds, Ready ready, Failed failed);
  void GiveUp();

  pa_threaded_mainloop* mainloop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  Render render_ = nullptr;
  void* user_ = nullptr;
  int rate_ = 44100;
  bool running_ = false;
  double asked_at_ = -1;     // when the unanswered timing request went out; -1: none
  double answered_at_ = 0;   // when timing last came in
  double last_request_ = 0;  // when the server last asked for sound
  std::string lost_;            // why the server was lost; "" while it serves
  ServerClockFilter filter_;
};

}  // namespace zibo::bass

#endif
