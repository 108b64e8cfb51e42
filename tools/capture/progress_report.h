// progress_report.h - how far a capture is, on standard error.
//
// While a capture runs and standard error is a terminal, one line is
// redrawn in place (at most ten times a second): a bar, the frame count
// and the estimated time left. At the end one summary line is printed
// whether or not it is a terminal: frames, seconds taken and the multiple
// of real time. GL thread only.
#ifndef ZIBO_CAPTURE_PROGRESS_REPORT_H
#define ZIBO_CAPTURE_PROGRESS_REPORT_H

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zibo {

// "1:05" or "1:02:03" for a whole number of seconds.
std::string FormatDuration(int64_t seconds);

// The progress line without the leading carriage return, e.g.
// "[#####-----]   512/7715 frames  ETA 0:31". `width` is the bar's width.
std::string ProgressLine(int64_t done, int64_t total, double elapsed_seconds, int width);

// The summary, e.g. "7715 frames (128.6 s of show) in 23.4 s: 5.49x real
// time".
std::string SummaryLine(int64_t frames, double show_seconds, double elapsed_seconds);

class ProgressReport {
 public:
  // `show_seconds`: how long the captured frames last when played.
  ProgressReport(int64_t total_frames, double show_seconds, std::FILE* stream, bool live);

  void Update(int64_t frames_done);
  // Clears the progress line and prints the summary for `frames_done`.
  void Finish(int64_t frames_done);

 private:
  double Elapsed() const;

  const int64_t total_;
  const double show_seconds_;
  std::FILE* const stream_;
  const bool live_;
  const std::chrono::steady_clock::time_point start_;
  double last_draw_ = -1.0;
};

}  // namespace zibo

#endif
