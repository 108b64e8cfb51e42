// ffmpeg_pipe.h - making .mp4 and .mkv files by piping y4m video to
// ffmpeg, which adds the music's matching range as AAC.
//
// ffmpeg (Debian's package) must be on the PATH. It runs as a child with
// the pipe as its standard input and the caller's standard error; its
// exit status decides success. Owned and used by one thread at a time.
#ifndef ZIBO_CAPTURE_FFMPEG_PIPE_H
#define ZIBO_CAPTURE_FFMPEG_PIPE_H

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "frame_output.h"

namespace zibo {

// The full path of `program` in a folder of $PATH, or "" if none.
std::string FindOnPath(const char* program);

// What ffmpeg makes: y4m video from its standard input plus `seconds` of
// `music_path` from `music_start_seconds`, encoded as H.264 (yuv420p,
// x264's `preset` and `crf`) and AAC into `write_to`, in the container
// that the name `out` ends in (.mp4 or .mkv); with `chapters`, the
// chapters of an ffmpeg metadata file read from descriptor 3.
struct FfmpegVideo {
  std::string music_path;
  double music_start_seconds = 0;
  double seconds = 0;
  std::string preset;
  int crf = 0;
  std::string out;
  std::string write_to;
  bool chapters = false;
};

// ffmpeg's arguments (without the program name) for `video`.
std::vector<std::string> FfmpegVideoArguments(const FfmpegVideo& video);

// A FrameOutput whose stream is ffmpeg's standard input. Finish closes the
// pipe and waits for ffmpeg; destroying an unfinished one also waits.
class FfmpegOutput : public FrameOutput {
 public:
  // Starts `ffmpeg_path` with `arguments`; a non-empty `fd3_text` (at
  // most a pipe's 64 KB) is what it reads from descriptor 3. Null with
  // `error` on failure.
  static std::unique_ptr<FfmpegOutput> Start(const std::string& ffmpeg_path,
                                             const std::vector<std::string>& arguments,
                                             const std::string& fd3_text, std::string* error);
  ~FfmpegOutput() override;

  bool WriteHeader(const std::string& header, std::string* error) {
    return stream_->WriteHeader(header, error);
  }
  bool WriteFrame(int64_t index, const std::vector<uint8_t>& bytes, std::string* error) override;
  bool Finish(std::string* error) override;

 private:
  FfmpegOutput(pid_t child, int fd);
  bool Wait(std::string* error);

  pid_t child_;
  std::unique_ptr<StreamOutput> stream_;
};

}  // namespace zibo

#endif
