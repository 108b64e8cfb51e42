// bench_monitor_log SINK SOUND LOG: records SINK's monitor on the sound
// server PULSE_SERVER names, as mono float32 at 44100 Hz, into SOUND until
// SIGINT or SIGTERM, and writes to LOG:
//   "P wall-clock seconds, frames recorded before the piece, the record
//    stream's latency in microseconds" for every piece it is handed (the
//    latency is signed: a monitor reports the sink's as a negative one);
//   "S wall-clock seconds, the sink's latency in microseconds" for every
//    answer to a question about the sink, asked whenever a piece arrives
//    and no question is pending, so the latency is taken at delivery.
// A piece's last frame was delivered at the latest when the piece arrived;
// it is heard the sink's latency later. The record stream's own latency is
// what ffmpeg's pulse input stamps with, and pipewire-pulse reports it
// inconsistently at large quanta; it is logged for comparison.
#include <pulse/pulseaudio.h>
#include <time.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

volatile std::sig_atomic_t stop = 0;
void Stop(int) { stop = 1; }

struct Recording {
  FILE* sound = nullptr;
  FILE* log = nullptr;
  const char* sink = nullptr;
  pa_context* context = nullptr;
  bool asking = false;
  unsigned long long frames = 0;
  bool failed = false;
};

double WallSeconds() {
  timespec wall;
  clock_gettime(CLOCK_REALTIME, &wall);
  return double(wall.tv_sec) + wall.tv_nsec / 1e9;
}

void OnSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* data) {
  auto* r = static_cast<Recording*>(data);
  if (info != nullptr) std::fprintf(r->log, "S %.6f %llu\n", WallSeconds(), (unsigned long long)info->latency);
  if (eol != 0) r->asking = false;
}

void OnRead(pa_stream* stream, size_t, void* data) {
  auto* r = static_cast<Recording*>(data);
  const void* bytes = nullptr;
  size_t length = 0;
  while (pa_stream_readable_size(stream) > 0) {
    if (pa_stream_peek(stream, &bytes, &length) < 0 || length == 0) return;
    const double at = WallSeconds();
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &latency, &negative) == 0) {
      std::fprintf(r->log, "P %.6f %llu %lld\n", at, r->frames,
                   negative ? -(long long)latency : (long long)latency);
    }
    // Null is a hole in the stream: its frames are written as silence, so
    // that frame counts keep matching the time they were played.
    static const char kSilence[4096] = {};
    for (size_t done = 0; done < length;) {
      const size_t n = bytes ? length : std::min(length - done, sizeof kSilence);
      if (std::fwrite(bytes ? bytes : kSilence, 1, n, r->sound) != n) r->failed = true;
      done += n;
    }
    r->frames += length / sizeof(float);
    pa_stream_drop(stream);
  }
  if (!r->asking) {
    pa_operation* asked = pa_context_get_sink_info_by_name(r->context, r->sink, OnSinkInfo, r);
    if (asked != nullptr) r->asking = true, pa_operation_unref(asked);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: bench_monitor_log SINK SOUND LOG\n");
    return 2;
  }
  Recording r;
  r.sink = argv[1];
  const std::string monitor = std::string(argv[1]) + ".monitor";
  r.sound = std::fopen(argv[2], "wb");
  r.log = std::fopen(argv[3], "w");
  if (!r.sound || !r.log) {
    std::perror("bench_monitor_log: output");
    return 1;
  }
  std::signal(SIGINT, Stop);
  std::signal(SIGTERM, Stop);
  pa_mainloop* loop = pa_mainloop_new();
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "zibo monitor log");
  r.context = context;
  if (pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0) {
    std::fprintf(stderr, "bench_monitor_log: no sound server: %s\n",
                 pa_strerror(pa_context_errno(context)));
    return 1;
  }
  pa_stream* stream = nullptr;
  int status = 0;
  while (!stop && status == 0) {
    if (pa_mainloop_iterate(loop, 1, nullptr) < 0 && !stop) status = 1;
    const pa_context_state_t state = pa_context_get_state(context);
    if (!PA_CONTEXT_IS_GOOD(state)) status = 1;
    if (state == PA_CONTEXT_READY && stream == nullptr) {
      const pa_sample_spec spec = {PA_SAMPLE_FLOAT32LE, 44100, 1};
      stream = pa_stream_new(context, "monitor", &spec, nullptr);
      pa_stream_set_read_callback(stream, OnRead, &r);
      pa_buffer_attr attr;
      std::memset(&attr, 0xff, sizeof attr);
      attr.fragsize = pa_usec_to_bytes(2000, &spec);  // small pieces: arrival times stay sharp
      if (pa_stream_connect_record(stream, monitor.c_str(), &attr,
                                   pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING |
                                                     PA_STREAM_AUTO_TIMING_UPDATE |
                                                     PA_STREAM_ADJUST_LATENCY)) < 0) {
        status = 1;
      }
    }
    if (stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) status = 1;
  }
  if (status != 0)
    std::fprintf(stderr, "bench_monitor_log: %s\n", pa_strerror(pa_context_errno(context)));
  if (stream) pa_stream_unref(stream);
  pa_context_disconnect(context);
  pa_context_unref(context);
  pa_mainloop_free(loop);
  const bool closed = std::fclose(r.sound) == 0 && std::fclose(r.log) == 0;
  return status != 0 || r.failed || !closed ? 1 : 0;
}
