// frame_pipeline.h - encoding and writing frames on a thread of its own
// while the GL thread renders the next ones.
//
// The GL thread takes a pixel buffer, renders into it and submits it; the
// writer thread encodes it (PNG or y4m), writes it to the FrameOutput and
// hands the buffer back. A frame submitted with a non-zero picture key has
// its encoded bytes kept, so a later frame with the same key is submitted
// as a repeat and written from them without rendering or encoding again.
// A few buffers are in flight at most; TakeBuffer blocks until one is free.
// After a write error the writer drops the remaining frames; Failed()
// tells the GL thread to stop, and Finish reports the error.
#ifndef ZIBO_CAPTURE_FRAME_PIPELINE_H
#define ZIBO_CAPTURE_FRAME_PIPELINE_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
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
  // `output` is borrowed and used only by the writer thread until Finish.
  FramePipeline(FrameEncoding encoding, int width, int height, FrameOutput* output,
                int buffers = 3);
  ~FramePipeline();  // finishes if Finish was not called
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // GL thread: a free buffer to render the next frame into.
  std::vector<uint8_t> TakeBuffer();
  // GL thread: frame `index` rendered into `pixels` (from TakeBuffer).
  void SubmitRendered(int64_t index, uint32_t key, std::vector<uint8_t> pixels);
  // GL thread: frame `index` shows the picture of an earlier frame with
  // the same non-zero `key`.
  void SubmitRepeat(int64_t index, uint32_t key);

  bool Failed();
  // Waits until every submitted frame is written, then finishes the
  // output. False with the first error if anything failed.
  bool Finish(std::string* error);

 private:
  struct Job {
    int64_t index = 0;
    uint32_t key = 0;
    bool repeat = false;
    bool last = false;
    std::vector<uint8_t> pixels;
  };

  void Submit(Job job);
  void WriterLoop();
  bool WriteJob(Job* job, std::string* error);

  const FrameEncoding encoding_;
  const int width_;
  const int height_;
  FrameOutput* const output_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  std::vector<std::vector<uint8_t>> free_buffers_;
  bool failed_ = false;
  std::string error_;
  bool finished_ = false;

  // Writer thread only.
  std::map<uint32_t, std::vector<uint8_t>> encoded_by_key_;
  std::vector<uint8_t> scratch_;

  std::thread writer_;
};

}  // namespace zibo

#endif
