#include "chapters.h"

#include "scenes/scene_schedule.h"

namespace zibo {

std::vector<Chapter> CaptureChapters(int32_t from_ms, FrameRate rate, int64_t frames) {
  std::vector<Chapter> chapters;
  int previous = 0;
  for (int64_t i = 0; i < frames; ++i) {
    const int row = SceneRowAt(FrameTimeMs(from_ms, rate, i));
    if (row != 0 && row != previous) {
      chapters.push_back(Chapter{chapters.empty() ? 0 : i, kScheduleRows[row - 1].name});
    }
    previous = row;
  }
  return chapters;
}

std::string FfmetadataChapters(const std::vector<Chapter>& chapters, FrameRate rate,
                               int64_t frames) {
  std::string text = ";FFMETADATA1\n";
  for (size_t i = 0; i < chapters.size(); ++i) {
    const int64_t end = i + 1 < chapters.size() ? chapters[i + 1].first_frame : frames;
    text += "[CHAPTER]\nTIMEBASE=" + std::to_string(rate.den) + "/" + std::to_string(rate.num) +
            "\nSTART=" + std::to_string(chapters[i].first_frame) + "\nEND=" +
            std::to_string(end) + "\ntitle=";
    for (const char* c = chapters[i].title; *c; ++c) {
      if (*c == '=' || *c == ';' || *c == '#' || *c == '\\' || *c == '\n') text += '\\';
      text += *c;
    }
    text += '\n';
  }
  return text;
}

}  // namespace zibo
