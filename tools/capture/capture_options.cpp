#include "capture_options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace zibo {
namespace {

constexpr int kMaxSide = 8192;

const char kUsage[] =
    "usage: zibo-capture --at MS --out FILE.png\n"
    "       zibo-capture [--fps N|N/D] [--from MS] [--to MS] --out FILE\n"
    "\n"
    "Renders the show offline, without a display or sound card.\n"
    "\n"
    "  --at MS         one frame at music time MS (milliseconds)\n"
    "  --fps N|N/D     frame rate, a whole number or a fraction such as 60000/1001\n"
    "                  (default 60, at most 1000)\n"
    "  --from MS       first music time (default 0)\n"
    "  --to MS         end of the capture, not included (default and at most 128572,\n"
    "                  the show's end)\n"
    "  --out FILE      FILE.png (with --at), DIR/ (numbered PNG frames),\n"
    "                  FILE.y4m (raw YUV 4:2:0 video), FILE.mp4 or FILE.mkv\n"
    "                  (H.264 and AAC with the music, made by ffmpeg, with a\n"
    "                  chapter per scene), or - (y4m on standard output, for a\n"
    "                  pipe); a file is replaced only once it is complete\n"
    "  --media DIR     read the show's media from DIR (default: the first folder\n"
    "                  holding all eleven files, as zibo looks them up)\n"
    "  --size WxH      picture size (default 800x600); the 640x480 screen is\n"
    "                  scaled to it, with black bars where the sides are not\n"
    "                  4:3; video formats need even sides\n"
    "  --stretch       fill the whole --size, stretching the 4:3 picture\n"
    "  --supersample N draw at N times the width and height and average each\n"
    "                  NxN block into one pixel (smooth edges), N from 1 to 4\n"
    "                  (default 1)\n"
    "  --hold KEYS     draw as if these keys were held: h, space or h,space\n"
    "  --preset NAME   x264 speed preset for .mp4/.mkv, ultrafast ... veryslow\n"
    "                  (default superfast)\n"
    "  --crf N         x264 quality for .mp4/.mkv, 0 (lossless) to 51 (default 16)\n"
    "  --help, -h      show this text and exit\n"
    "  --version       show the program's version and exit\n";

bool ParseWhole(const std::string& text, int64_t low, int64_t high, int64_t* value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  if (!std::isdigit(static_cast<unsigned char>(begin[0])) && begin[0] != '-') return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(begin, &end, 10);
  if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

bool ParseFrameRate(const std::string& text, FrameRate* rate) {
  const size_t slash = text.find('/');
  int64_t num = 0, den = 1;
  if (!ParseWhole(text.substr(0, slash), 1, kMaxFrameRateTerm, &num)) return false;
  if (slash != std::string::npos &&
      !ParseWhole(text.substr(slash + 1), 1, kMaxFrameRateTerm, &den)) {
    return false;
  }
  if (num > kMaxFramesPerSecond * den) return false;
  *rate = ReducedFrameRate(FrameRate{num, den});
  return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  int64_t w = 0, h = 0;
  if (!ParseWhole(text.substr(0, x), 1, kMaxSide, &w) ||
      !ParseWhole(text.substr(x + 1), 1, kMaxSide, &h)) {
    return false;
  }
  *width = int(w);
  *height = int(h);
  return true;
}

bool ParseHold(const std::string& text, bool* h, bool* space) {
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    std::string key = text.substr(start, comma == std::string::npos ? std::string::npos
                                                                    : comma - start);
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (key == "h") {
      *h = true;
    } else if (key == "space") {
      *space = true;
    } else {
      return false;
    }
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

bool EndsWith(const std::string& text, const char* ending) {
  const size_t n = std::strlen(ending);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != ending[i]) {
      return false;
    }
  }
  return true;
}

bool FormatOf(const std::string& out, OutputFormat* format) {
  if (out.back() == '/') {
    *format = OutputFormat::kPngFolder;
  } else if (EndsWith(out, ".png")) {
    *format = OutputFormat::kPng;
  } else if (EndsWith(out, ".y4m") || out == "-") {
    *format = OutputFormat::kY4m;
  } else if (EndsWith(out, ".mp4") || EndsWith(out, ".mkv")) {
    *format = OutputFormat::kVideo;
  } else {
    return false;
  }
  return true;
}

}  // namespace

const char* CaptureUsage() { return kUsage; }

ParseOutcome ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions* options,
                                 std::string* error) {
  *options = CaptureOptions();
  std::set<std::string> seen;
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    std::string value;
    bool has_value = false;
    const size_t equals = name.find('=');
    if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      has_value = true;
    }
    if (name == "--help" || name == "-h" || name == "--version") {
      if (has_value) {
        *error = name + " takes no value";
        return ParseOutcome::kError;
      }
      return name == "--version" ? ParseOutcome::kVersion : ParseOutcome::kHelp;
    }
    static const char* const kNames[] = {"--at",   "--fps",  "--from",   "--to",  "--out",
                                         "--media", "--size", "--hold", "--preset", "--crf",
                                         "--supersample", "--stretch"};
    bool known = false;
    for (const char* known_name : kNames) known = known || name == known_name;
    if (!known) {
      *error = "unknown option '" + name + "'";
      return ParseOutcome::kError;
    }
    if (!seen.insert(name).second) {
      *error = name + " is given more than once";
      return ParseOutcome::kError;
    }
    if (name == "--stretch") {  // the one option without a value
      if (has_value) {
        *error = name + " takes no value";
        return ParseOutcome::kError;
      }
      options->stretch = true;
      continue;
    }
    if (!has_value) {
      if (i + 1 >= argc) {
        *error = name + " needs a value";
        return ParseOutcome::kError;
      }
      value = argv[++i];
    }

    int64_t number = 0;
    bool ok = true;
    const char* expected = "";
    if (name == "--at") {
      ok = ParseWhole(value, INT32_MIN, INT32_MAX, &number);
      options->single_frame = true;
      options->at_ms = int32_t(number);
      expected = "a whole number of milliseconds";
    } else if (name == "--fps") {
      ok = ParseFrameRate(value, &options->fps);
      expected = "N or N/D with whole N and D from 1 to 1000000, at most 1000 frames a second";
    } else if (name == "--from") {
      ok = ParseWhole(value, 0, kShowEndWholeMs - 1, &number);
      options->from_ms = int32_t(number);
      expected = "milliseconds from 0 to 128571";
    } else if (name == "--to") {
      ok = ParseWhole(value, 1, kShowEndWholeMs, &number);
      options->to_ms = int32_t(number);
      expected = "milliseconds from 1 to 128572";
    } else if (name == "--out") {
      ok = !value.empty() && FormatOf(value, &options->format);
      options->out = value;
      expected = "a name ending in .png, .y4m, .mp4, .mkv, a folder name ending in / or -";
    } else if (name == "--media") {
      ok = !value.empty();
      options->media_dir = value;
      options->media_named = true;
      expected = "a folder";
    } else if (name == "--size") {
      ok = ParseSize(value, &options->width, &options->height);
      expected = "WxH with sides from 1 to 8192";
    } else if (name == "--hold") {
      ok = ParseHold(value, &options->hold_h, &options->hold_space);
      expected = "h, space or h,space";
    } else if (name == "--preset") {
      static const std::set<std::string> kPresets = {
          "ultrafast", "superfast", "veryfast", "faster", "fast",
          "medium",    "slow",      "slower",   "veryslow"};
      ok = kPresets.count(value) == 1;
      options->preset = value;
      expected = "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower or veryslow";
    } else if (name == "--supersample") {
      ok = ParseWhole(value, 1, 4, &number);
      options->supersample = int(number);
      expected = "a whole number from 1 to 4";
    } else if (name == "--crf") {
      ok = ParseWhole(value, 0, 51, &number);
      options->crf = int(number);
      expected = "a whole number from 0 to 51";
    }
    if (!ok) {
      *error = "bad value '" + value + "' for " + name + ": expected " + expected;
      return ParseOutcome::kError;
    }
  }

  if (options->out.empty()) {
    *error = "--out is required";
    return ParseOutcome::kError;
  }
  if ((seen.count("--preset") || seen.count("--crf")) && options->format != OutputFormat::kVideo) {
    *error = "--preset and --crf set the H.264 encoding: --out must end in .mp4 or .mkv";
    return ParseOutcome::kError;
  }
  if (options->single_frame) {
    if (seen.count("--fps") || seen.count("--from") || seen.count("--to")) {
      *error = "--at captures one frame and takes no --fps, --from or --to";
      return ParseOutcome::kError;
    }
    if (options->format != OutputFormat::kPng) {
      *error = "--at writes one picture: --out must end in .png";
      return ParseOutcome::kError;
    }
    return ParseOutcome::kRun;
  }
  if (options->format == OutputFormat::kPng) {
    *error = "a .png holds one frame: give --at MS, or --out DIR/ for numbered frames";
    return ParseOutcome::kError;
  }
  if (options->from_ms >= options->to_ms) {
    *error = "--from (" + std::to_string(options->from_ms) + ") must be before --to (" +
             std::to_string(options->to_ms) + ")";
    return ParseOutcome::kError;
  }
  const bool video = options->format == OutputFormat::kY4m ||
                     options->format == OutputFormat::kVideo;
  if (video && (options->width % 2 != 0 || options->height % 2 != 0)) {
    *error = "video needs an even width and height, got " + std::to_string(options->width) +
             "x" + std::to_string(options->height);
    return ParseOutcome::kError;
  }
  return ParseOutcome::kRun;
}

}  // namespace zibo
