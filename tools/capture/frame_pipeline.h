// frame_pipeline.h - encoding and writing frames on threads of their own
// while the GL thread renders the next ones.
//
// The GL thread takes a pixel buffer, renders into it and submits it. The
// encoder thread encodes it (PNG or y4m) and hands the buffer back at once;
// the writer thread writes the encoded frames to the FrameOutput in order.
// Rendering therefore waits neither for the disk nor for the long runs of
// repeated frames that the writer works through: encoded frames may wait
// for it up to a bound in bytes, and repeats hold no bytes of their own. A
// frame submitted with a non-zero picture key has its encoded bytes kept,
// so a later frame with the same key is submitted as a repeat and written
// from them without rendering or encoding again; they are let go once the
// frame submitted as the key's last use is written. A few buffers are in
// flight at most; TakeBuffer blocks until one is free. After an encoding or
// write error the remaining frames are dropped; Failed() tells the GL
// thread to stop, and Finish reports the error.
#ifndef ZIBO_CAPTURE_FRAME_PIPELINE_H
#define ZIBO_CAPTURE_FRAME_PIPELINE_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "frame_output.h"

namespace zibo {

enum class FrameEncoding { kPng, kY4m };

// Encodes one RGBA picture, bottom row first, into `bytes`.
bool EncodeFrame(FrameEncoding encoding, int width, int height, const uint8_t* rgba_bottom_up,
                 std::vector<uint8_t>* bytes, std::string* error);

class FramePipeline {
 public:
  // Encoded bytes that may wait for the writer by default: about 180 y4m
  // frames at 800x600. The whole show at that size never had more than
  // 50 MB waiting. The encoder stops when the bound is reached, so memory
  // stays within it plus one frame, plus the pictures kept for repeats:
  // capture keeps one at a time, two while the strobe runs.
  static constexpr size_t kMaxBytesAhead = size_t(128) << 20;

  // `output` is borrowed and used only by the writer thread until Finish.
  FramePipeline(FrameEncoding encoding, int width, int height, FrameOutput* output,
                size_t max_bytes_ahead = kMaxBytesAhead);
  ~FramePipeline();  // finishes if Finish was not called
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // GL thread: a free buffer to render the next frame into.
  std::vector<uint8_t> TakeBuffer();
  // GL thread: frame `index` rendered into `pixels` (from TakeBuffer).
  // `used_again`: a later frame repeats its non-zero `key`.
  void SubmitRendered(int64_t index, uint32_t key, std::vector<uint8_t> pixels,
                      bool used_again = true);
  // GL thread: frame `index` shows the picture of an earlier frame with
  // the same non-zero `key`.
  void SubmitRepeat(int64_t index, uint32_t key, bool used_again = true);

  bool Failed();
  // The most encoded pictures that were kept for repeats at one time.
  size_t MostPicturesKept();
  // Waits until every submitted frame is written, then finishes the
  // output. False with the first error if anything failed.
  bool Finish(std::string* error);

 private:
  using Bytes = std::shared_ptr<std::vector<uint8_t>>;
  // Written frames' storage kept for the next encodings; the rest is freed
  // once a long wait for the writer is over.
  static constexpr size_t kSpareBytes = 4;
  static constexpr int kPixelBuffers = 3;
  struct Job {
    int64_t index = 0;
    uint32_t key = 0;
    bool repeat = false;
    bool used_again = true;  // the key's picture is kept after this frame
    bool last = false;
    bool ready = false;  // encoded (or nothing to encode): the writer may take it
    std::vector<uint8_t> pixels;
    Bytes bytes;
  };
  using JobPtr = std::shared_ptr<Job>;

  void Submit(JobPtr job);
  void Fail(const std::string& error);
  void EncoderLoop();
  void WriterLoop();

  const FrameEncoding encoding_;
  const int width_;
  const int height_;
  FrameOutput* const output_;
  const size_t max_bytes_ahead_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<JobPtr> to_encode_;  // rendered frames, in order
  std::deque<JobPtr> to_write_;   // every frame, in order
  size_t bytes_ahead_ = 0;        // encoded and not yet written
  std::vector<std::vector<uint8_t>> free_buffers_;
  std::vector<std::vector<uint8_t>> spare_bytes_;  // encoded frames' storage, for reuse
  std::map<uint32_t, Bytes> encoded_by_key_;  // the writer's, for repeats
  size_t most_kept_ = 0;
  bool failed_ = false;
  std::string error_;
  bool finished_ = false;

  std::thread encoder_;
  std::thread writer_;
};

}  // namespace zibo

#endif
