#include "frame_pipeline.h"

#include <algorithm>

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
                             size_t max_bytes_ahead)
    : encoding_(encoding),
      width_(width),
      height_(height),
      output_(output),
      max_bytes_ahead_(max_bytes_ahead) {
  const size_t size = size_t(width) * size_t(height) * 4;
  for (int i = 0; i < kPixelBuffers; ++i) free_buffers_.emplace_back(size);
  encoder_ = std::thread(&FramePipeline::EncoderLoop, this);
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

void FramePipeline::Submit(JobPtr job) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!job->ready) to_encode_.push_back(job);
    to_write_.push_back(std::move(job));
  }
  changed_.notify_all();
}

void FramePipeline::SubmitRendered(int64_t index, uint32_t key, std::vector<uint8_t> pixels,
                                   bool used_again) {
  JobPtr job = std::make_shared<Job>();
  job->index = index;
  job->key = key;
  job->used_again = used_again;
  job->pixels = std::move(pixels);
  Submit(std::move(job));
}

void FramePipeline::SubmitRepeat(int64_t index, uint32_t key, bool used_again) {
  JobPtr job = std::make_shared<Job>();
  job->index = index;
  job->key = key;
  job->used_again = used_again;
  job->repeat = true;
  job->ready = true;
  Submit(std::move(job));
}

bool FramePipeline::Failed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return failed_;
}

size_t FramePipeline::MostPicturesKept() {
  std::lock_guard<std::mutex> lock(mutex_);
  return most_kept_;
}

// Caller holds mutex_.
void FramePipeline::Fail(const std::string& error) {
  if (failed_) return;
  failed_ = true;
  error_ = error;
}

void FramePipeline::EncoderLoop() {
  while (true) {
    JobPtr job;
    Bytes bytes;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] {
        return !to_encode_.empty() && (to_encode_.front()->last || bytes_ahead_ < max_bytes_ahead_);
      });
      job = std::move(to_encode_.front());
      to_encode_.pop_front();
      if (job->last) {
        job->ready = true;
        break;
      }
      bytes = std::make_shared<std::vector<uint8_t>>();
      if (!spare_bytes_.empty()) {
        *bytes = std::move(spare_bytes_.back());
        spare_bytes_.pop_back();
      }
    }
    std::string error;
    const bool encoded =
        Failed() || EncodeFrame(encoding_, width_, height_, job->pixels.data(), bytes.get(), &error);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!encoded) Fail(error);
      bytes_ahead_ += bytes->size();
      job->bytes = std::move(bytes);
      job->ready = true;
      free_buffers_.push_back(std::move(job->pixels));
    }
    changed_.notify_all();
  }
  changed_.notify_all();
}

void FramePipeline::WriterLoop() {
  while (true) {
    JobPtr job;
    Bytes bytes;
    bool skip = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return !to_write_.empty() && to_write_.front()->ready; });
      job = std::move(to_write_.front());
      to_write_.pop_front();
      if (job->last) break;
      if (job->repeat) {
        auto found = encoded_by_key_.find(job->key);
        if (found != encoded_by_key_.end()) {
          bytes = found->second;
        } else {
          Fail("internal error: frame " + std::to_string(job->index) +
               " repeats a picture that was never rendered");
        }
      } else {
        bytes = std::move(job->bytes);
      }
      skip = failed_;
    }
    std::string error;
    const bool written = skip || output_->WriteFrame(job->index, *bytes, &error);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!written) Fail(error);
      // Kept for repeats while the key is used again, else spare storage.
      const bool keep = job->key != 0 && job->used_again;
      if (!job->repeat) bytes_ahead_ -= bytes->size();
      if (keep && !job->repeat) encoded_by_key_[job->key] = bytes;
      if (!keep && job->key != 0) encoded_by_key_.erase(job->key);
      most_kept_ = std::max(most_kept_, encoded_by_key_.size());
      if (!keep && bytes.use_count() == 1 && spare_bytes_.size() < kSpareBytes) {
        spare_bytes_.push_back(std::move(*bytes));
      }
    }
    changed_.notify_all();
  }
}

bool FramePipeline::Finish(std::string* error) {
  if (!finished_) {
    finished_ = true;
    JobPtr last = std::make_shared<Job>();
    last->last = true;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      to_encode_.push_back(last);
      to_write_.push_back(std::move(last));
    }
    changed_.notify_all();
    encoder_.join();
    writer_.join();
    std::string finish_error;
    const bool finished = output_->Finish(&finish_error);
    std::lock_guard<std::mutex> lock(mutex_);
    if (!finished) Fail(finish_error);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (failed_) *error = error_;
  return !failed_;
}

}  // namespace zibo
