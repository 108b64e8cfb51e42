#include "frame_pipeline.h"

#include "png_writer.h"
#include "y4m_writer.h"

namespace zibo {

bool EncodeFrame(FrameEncoding encoding, int width, int height, const uint8_t* rgba_bottom_up,
                 std::vector<uint8_t>* bytes, std::string* error) {
  if (encoding == FrameEncoding::kPng) {
    return EncodePng(width, height, rgba_bottom_up, bytes, error);
  }
  EncodeY4mFrame(width, height, rgba_bottom_up, bytes);
  return true;
}

FramePipeline::FramePipeline(FrameEncoding encoding, int width, int height, FrameOutput* output,
                             int buffers)
    : encoding_(encoding), width_(width), height_(height), output_(output) {
  const size_t size = size_t(width) * size_t(height) * 4;
  for (int i = 0; i < buffers; ++i) free_buffers_.emplace_back(size);
  writer_ = std::thread(&FramePipeline::WriterLoop, this);
}

FramePipeline::~FramePipeline() {
  std::string ignored;
  Finish(&ignored);
}

std::vector<uint8_t> FramePipeline::TakeBuffer() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !free_buffers_.empty(); });
  std::vector<uint8_t> buffer = std::move(free_buffers_.back());
  free_buffers_.pop_back();
  return buffer;
}

void FramePipeline::Submit(Job job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  changed_.notify_all();
}

void FramePipeline::SubmitRendered(int64_t index, uint32_t key, std::vector<uint8_t> pixels) {
  Job job;
  job.index = index;
  job.key = key;
  job.pixels = std::move(pixels);
  Submit(std::move(job));
}

void FramePipeline::SubmitRepeat(int64_t index, uint32_t key) {
  Job job;
  job.index = index;
  job.key = key;
  job.repeat = true;
  Submit(std::move(job));
}

bool FramePipeline::Failed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return failed_;
}

bool FramePipeline::WriteJob(Job* job, std::string* error) {
  if (job->repeat) {
    auto found = encoded_by_key_.find(job->key);
    if (found == encoded_by_key_.end()) {
      *error = "internal error: frame " + std::to_string(job->index) +
               " repeats a picture that was never rendered";
      return false;
    }
    return output_->WriteFrame(job->index, found->second, error);
  }
  std::vector<uint8_t>& bytes = job->key ? encoded_by_key_[job->key] : scratch_;
  if (!EncodeFrame(encoding_, width_, height_, job->pixels.data(), &bytes, error)) return false;
  return output_->WriteFrame(job->index, bytes, error);
}

void FramePipeline::WriterLoop() {
  bool ok = true;
  while (true) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return !jobs_.empty(); });
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    if (job.last) break;
    std::string error;
    if (ok && !WriteJob(&job, &error)) ok = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!ok && !failed_) {
        failed_ = true;
        error_ = error;
      }
      if (!job.repeat) free_buffers_.push_back(std::move(job.pixels));
    }
    changed_.notify_all();
  }
}

bool FramePipeline::Finish(std::string* error) {
  if (!finished_) {
    finished_ = true;
    Job last;
    last.last = true;
    Submit(std::move(last));
    writer_.join();
    std::string finish_error;
    if (!output_->Finish(&finish_error) && !failed_) {
      failed_ = true;
      error_ = finish_error;
    }
  }
  if (failed_) *error = error_;
  return !failed_;
}

}  // namespace zibo
