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

// ffmpeg's arguments (without the program name) for y4m video on standard
// input plus `seconds` of `music_path` from `music_start_seconds`, encoded
// as H.264 (yuv420p, x264's `preset` and `crf`) and AAC into `out`.
std::vector<std::string> FfmpegVideoArguments(const std::string& music_path,
                                              double music_start_seconds, double seconds,
                                              const std::string& preset, int crf,
                                              const std::string& out);

// A FrameOutput whose stream is ffmpeg's standard input. Finish closes the
// pipe and waits for ffmpeg; destroying an unfinished one also waits.
class FfmpegOutput : public FrameOutput {
 public:
  // Starts `ffmpeg_path` with `arguments`. Null with `error` on failure.
  static std::unique_ptr<FfmpegOutput> Start(const std::string& ffmpeg_path,
                                             const std::vector<std::string>& arguments,
                                             std::string* error);
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
