// zibo-capture: renders the show offline to a PNG, numbered PNGs, y4m video
// or (through ffmpeg) an .mp4/.mkv with the music. See CaptureUsage().
// Exit status: 0 done, 1 the show or the output failed, 2 bad arguments.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "capture_loop.h"
#include "capture_options.h"
#include "chapters.h"
#include "ffmpeg_pipe.h"
#include "frame_output.h"
#include "frame_pipeline.h"
#include "frame_renderer.h"
#include "pending_file.h"
#include "png_writer.h"
#include "progress_report.h"
#include "show/media_lookup.h"
#include "show/program_version.h"
#include "show/show.h"
#include "show/show_media.h"
#include "y4m_writer.h"
#include "show/heap_reuse.h"

namespace zibo {
namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "zibo-capture: %s\n", message.c_str());
  return 1;
}

int CaptureOneFrame(FrameRenderer& renderer, const CaptureOptions& options) {
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> png;
  std::string error;
  if (!renderer.Render(options.at_ms, &pixels, &error) ||
      !EncodePng(renderer.width(), renderer.height(), pixels.data(), &png, &error) ||
      !WriteWholeFile(options.out, png, &error)) {
    return Fail(error);
  }
  return 0;
}

int CaptureRangeOfFrames(FrameRenderer& renderer, const CaptureOptions& options,
                         const std::string& ffmpeg_path) {
  CaptureRange range;
  range.from_ms = options.from_ms;
  range.rate = options.fps;
  range.frames = FrameCount(options.from_ms, options.to_ms, options.fps);
  const double show_seconds = FramesToSeconds(range.frames, options.fps);
  const std::string header = Y4mStreamHeader(options.width, options.height, options.fps);

  // A file is written under a pending name and put in place at the end
  // (pending_file.h); ffmpeg's file too.
  std::string error;
  std::unique_ptr<PendingFile> video_file;  // outlives ffmpeg, which may still open it
  std::unique_ptr<FrameOutput> output;
  StreamOutput* stream = nullptr;
  FrameEncoding encoding = FrameEncoding::kY4m;
  if (options.format == OutputFormat::kPngFolder) {
    encoding = FrameEncoding::kPng;
    output = CreateFolderOutput(options.out, &error);
  } else if (options.format == OutputFormat::kY4m) {
    std::unique_ptr<StreamOutput> file = options.out == "-"
        ? std::unique_ptr<StreamOutput>(new StreamOutput(STDOUT_FILENO, "standard output"))
        : CreateFileOutput(options.out, &error);
    if (file && !file->WriteHeader(header, &error)) file.reset();
    stream = file.get();
    output = std::move(file);
  } else {
    video_file = PendingFile::Create(options.out, &error);
    if (!video_file) return Fail(error);
    close(video_file->TakeFd());  // ffmpeg writes it anew
    FfmpegVideo video;
    video.music_path = MediaPath(options.media_dir, kSongFile);
    video.music_start_seconds = options.from_ms / 1000.0;
    video.seconds = show_seconds;
    video.preset = options.preset;
    video.crf = options.crf;
    video.out = options.out;
    video.write_to = video_file->pending_path();
    const std::vector<Chapter> chapters =
        CaptureChapters(options.from_ms, options.fps, range.frames);
    video.chapters = !chapters.empty();
    const std::string chapter_text =
        video.chapters ? FfmetadataChapters(chapters, options.fps, range.frames) : "";
    std::unique_ptr<FfmpegOutput> ffmpeg =
        FfmpegOutput::Start(ffmpeg_path, FfmpegVideoArguments(video), chapter_text, &error);
    if (ffmpeg && !ffmpeg->WriteHeader(header, &error)) ffmpeg.reset();
    output = std::move(ffmpeg);
  }
  if (!output) return Fail(error);

  ProgressReport progress(range.frames, show_seconds, stderr, isatty(STDERR_FILENO) == 1);
  FramePipeline pipeline(encoding, options.width, options.height, output.get());
  CaptureCounts counts;
  const bool rendered =
      CaptureFrames(renderer, pipeline, range, /*reuse_pictures=*/true, &progress, &counts, &error);
  std::string write_error;
  const bool written = pipeline.Finish(&write_error);
  if (!rendered) return Fail(error);
  if (!written) return Fail(write_error);
  if (stream && !stream->Commit(&error)) return Fail(error);
  if (video_file && !video_file->Commit(&error)) return Fail(error);
  progress.Finish(counts.submitted);
  return 0;
}

int Run(const CaptureOptions& options) {
  std::string ffmpeg_path;
  if (options.format == OutputFormat::kVideo) {
    ffmpeg_path = FindOnPath("ffmpeg");
    if (ffmpeg_path.empty()) {
      return Fail("ffmpeg was not found on the PATH; .mp4 and .mkv output needs it "
                  "(Debian package \"ffmpeg\"), or capture to .y4m instead");
    }
  }
  if (options.out == "-" && isatty(STDOUT_FILENO) == 1) {
    return Fail("--out - writes video to standard output, which is a terminal here: pipe it "
                "to a program (zibo-capture --out - | ffmpeg -i - ...) or redirect it");
  }
  std::string error;
  Framing framing;
  framing.supersample = options.supersample;
  framing.stretch = options.stretch;
  std::unique_ptr<FrameRenderer> renderer = FrameRenderer::Create(
      options.media_dir, options.width, options.height, options.hold_h, &error, framing);
  if (!renderer) return Fail(error);
  if (options.single_frame) return CaptureOneFrame(*renderer, options);
  return CaptureRangeOfFrames(*renderer, options, ffmpeg_path);
}

}  // namespace
}  // namespace zibo

int main(int argc, char** argv) {
  zibo::KeepFreedMemoryForReuse();
  zibo::CaptureOptions options;
  std::string error;
  switch (zibo::ParseCaptureOptions(argc, argv, &options, &error)) {
    case zibo::ParseOutcome::kHelp:
      std::fputs(zibo::CaptureUsage(), stdout);
      return 0;
    case zibo::ParseOutcome::kVersion:
      std::fputs(zibo::VersionText("zibo-capture").c_str(), stdout);
      return 0;
    case zibo::ParseOutcome::kError:
      std::fprintf(stderr, "zibo-capture: %s\n%s", error.c_str(), zibo::CaptureUsage());
      return 2;
    case zibo::ParseOutcome::kRun:
      break;
  }
  if (!options.media_named) options.media_dir = zibo::LookUpMediaFolder("zibo-capture");
  // A dead ffmpeg or reader of standard output must show up as a write
  // error, not kill the capture; so must a file-size limit.
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  zibo::RemovePendingFilesOnSignals();
  return zibo::Run(options);
}
