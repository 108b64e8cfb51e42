#include "progress_report.h"

#include <algorithm>

namespace zibo {

std::string FormatDuration(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", (long long)(seconds / 3600),
                  (long long)(seconds / 60 % 60), (long long)(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", (long long)(seconds / 60),
                  (long long)(seconds % 60));
  }
  return text;
}

std::string ProgressLine(int64_t done, int64_t total, double elapsed_seconds, int width) {
  const int64_t clamped = std::min(std::max<int64_t>(done, 0), total);
  const int filled = total > 0 ? int(clamped * width / total) : width;
  std::string line = "[" + std::string(size_t(filled), '#') +
                     std::string(size_t(width - filled), '-') + "] ";
  char counts[64];
  const int digits = int(std::to_string(total).size());
  std::snprintf(counts, sizeof counts, "%*lld/%lld frames", digits, (long long)clamped,
                (long long)total);
  line += counts;
  line += "  ETA ";
  if (clamped > 0) {
    const double left = elapsed_seconds * double(total - clamped) / double(clamped);
    line += FormatDuration(int64_t(left + 0.5));
  } else {
    line += "-:--";
  }
  return line;
}

std::string SummaryLine(int64_t frames, double show_seconds, double elapsed_seconds) {
  char text[160];
  const double speed = elapsed_seconds > 0 ? show_seconds / elapsed_seconds : 0.0;
  std::snprintf(text, sizeof text, "%lld frame%s (%.1f s of show) in %.1f s: %.2fx real time",
                (long long)frames, frames == 1 ? "" : "s", show_seconds, elapsed_seconds, speed);
  return text;
}

ProgressReport::ProgressReport(int64_t total_frames, double show_seconds, std::FILE* stream,
                               bool live)
    : total_(total_frames),
      show_seconds_(show_seconds),
      stream_(stream),
      live_(live),
      start_(std::chrono::steady_clock::now()) {}

double ProgressReport::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressReport::Update(int64_t frames_done) {
  if (!live_) return;
  const double now = Elapsed();
  if (last_draw_ >= 0 && now - last_draw_ < 0.1 && frames_done < total_) return;
  last_draw_ = now;
  std::fprintf(stream_, "\r%s", ProgressLine(frames_done, total_, now, 30).c_str());
  std::fflush(stream_);
}

void ProgressReport::Finish(int64_t frames_done) {
  const double elapsed = Elapsed();
  if (live_) std::fprintf(stream_, "\r\033[K");
  const double show_seconds =
      total_ > 0 ? show_seconds_ * double(frames_done) / double(total_) : 0.0;
  std::fprintf(stream_, "zibo-capture: %s\n",
               SummaryLine(frames_done, show_seconds, elapsed).c_str());
  std::fflush(stream_);
}

}  // namespace zibo
