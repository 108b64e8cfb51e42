#include "ffmpeg_pipe.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace zibo {
namespace {

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  return text;
}

}  // namespace

std::string FindOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (!path) return "";
  std::string folders = path;
  size_t start = 0;
  while (start <= folders.size()) {
    size_t colon = folders.find(':', start);
    if (colon == std::string::npos) colon = folders.size();
    std::string folder = folders.substr(start, colon - start);
    if (folder.empty()) folder = ".";
    const std::string candidate = folder + "/" + program;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = colon + 1;
  }
  return "";
}

std::vector<std::string> FfmpegVideoArguments(const FfmpegVideo& video) {
  const size_t n = video.out.size();
  const bool mp4 = n >= 4 && (video.out.compare(n - 4, 4, ".mp4") == 0 ||
                              video.out.compare(n - 4, 4, ".MP4") == 0);
  std::vector<std::string> args = {
      "-hide_banner", "-loglevel", "error", "-y",
      "-f", "yuv4mpegpipe", "-i", "pipe:0",
      "-ss", Seconds(video.music_start_seconds), "-t", Seconds(video.seconds),
      "-i", "file:" + video.music_path};
  if (video.chapters) {
    for (const char* arg : {"-f", "ffmetadata", "-i", "pipe:3", "-map_chapters", "2"}) {
      args.push_back(arg);
    }
  }
  for (const std::string& arg :
       {std::string("-map"), std::string("0:v:0"), std::string("-map"), std::string("1:a:0"),
        std::string("-c:v"), std::string("libx264"), std::string("-preset"), video.preset,
        std::string("-crf"), std::to_string(video.crf), std::string("-pix_fmt"),
        std::string("yuv420p"), std::string("-c:a"), std::string("aac"), std::string("-b:a"),
        std::string("192k"), std::string("-f"), std::string(mp4 ? "mp4" : "matroska")}) {
    args.push_back(arg);
  }
  if (mp4) {
    args.push_back("-movflags");
    args.push_back("+faststart");
  } else {
    // Matroska has no edit list: the AAC encoder's priming samples go before
    // 0, so that the pictures and the chapters start at 0 with the music.
    args.push_back("-avoid_negative_ts");
    args.push_back("disabled");
  }
  args.push_back("file:" + video.write_to);
  return args;
}

FfmpegOutput::FfmpegOutput(pid_t child, int fd)
    : child_(child), stream_(new StreamOutput(fd, "the pipe to ffmpeg")) {}

std::unique_ptr<FfmpegOutput> FfmpegOutput::Start(const std::string& ffmpeg_path,
                                                  const std::vector<std::string>& arguments,
                                                  const std::string& fd3_text,
                                                  std::string* error) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    *error = std::string("pipe for ffmpeg: ") + std::strerror(errno);
    return nullptr;
  }
  // The text for descriptor 3 fits in a pipe's buffer: written whole and
  // closed before ffmpeg starts, it reads as a short file.
  int side[2] = {-1, -1};
  if (!fd3_text.empty()) {
    const bool made = pipe2(side, O_CLOEXEC) == 0;
    const bool written = made && WriteAll(side[1], reinterpret_cast<const uint8_t*>(fd3_text.data()),
                                          fd3_text.size());
    const int write_errno = errno;
    if (made) close(side[1]);
    if (!written) {
      if (made) close(side[0]);
      close(fds[0]);
      close(fds[1]);
      *error = std::string("pipe of chapters for ffmpeg: ") + std::strerror(write_errno);
      return nullptr;
    }
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("ffmpeg"));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // The child reads the pipe as its standard input; the write end closes
  // in it by O_CLOEXEC. It gets the default SIGPIPE back, since capture
  // itself ignores SIGPIPE to see a dead ffmpeg as a write error.
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  int status = posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  if (status == 0 && side[0] >= 0) status = posix_spawn_file_actions_adddup2(&actions, side[0], 3);
  if (status == 0) status = posix_spawnattr_setsigdefault(&attributes, &defaults);
  if (status == 0) status = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  pid_t child = -1;
  if (status == 0) {
    status = posix_spawn(&child, ffmpeg_path.c_str(), &actions, &attributes, argv.data(), environ);
  }
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(fds[0]);
  if (side[0] >= 0) close(side[0]);
  if (status != 0) {
    close(fds[1]);
    *error = "starting " + ffmpeg_path + ": " + std::strerror(status);
    return nullptr;
  }
  return std::unique_ptr<FfmpegOutput>(new FfmpegOutput(child, fds[1]));
}

FfmpegOutput::~FfmpegOutput() {
  std::string ignored;
  if (child_ > 0) {
    stream_->Finish(&ignored);
    Wait(&ignored);
  }
}

bool FfmpegOutput::WriteFrame(int64_t index, const std::vector<uint8_t>& bytes,
                              std::string* error) {
  if (stream_->WriteFrame(index, bytes, error)) return true;
  *error += " (ffmpeg stopped reading; see its messages above)";
  return false;
}

bool FfmpegOutput::Wait(std::string* error) {
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(child_, &status, 0);
  } while (waited < 0 && errno == EINTR);
  child_ = -1;
  if (waited < 0) {
    *error = std::string("waiting for ffmpeg: ") + std::strerror(errno);
    return false;
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status)) {
    *error = "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    *error = "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
  } else {
    *error = "ffmpeg ended abnormally";
  }
  return false;
}

bool FfmpegOutput::Finish(std::string* error) {
  if (child_ <= 0) return true;
  std::string close_error;
  const bool closed = stream_->Finish(&close_error);
  if (!Wait(error)) return false;
  if (!closed) *error = close_error;
  return closed;
}

}  // namespace zibo
