#include "preview_options.h"

#include <cerrno>
#include <cstdlib>

#include "preview_keys.h"

namespace zibo {
namespace {

const char kUsage[] =
    "usage: zibo-preview [--media DIR] [--at MS] [--loop FROM:TO] [--windowed|--size WxH]\n"
    "\n"
    "Plays the show with its music in a window you can steer, and reloads any of its\n"
    "media files as soon as it changes on disk.\n"
    "\n"
    "  --media DIR     read the show's media from DIR (default: the first folder\n"
    "                  holding all eleven files, as zibo looks them up)\n"
    "  --at MS         start at music time MS (default 0)\n"
    "  --loop FROM:TO  loop from FROM to TO (milliseconds), looping on\n"
    "  --windowed      an 800x600 window (the default)\n"
    "  --size WxH      a window with a WxH client area; the 4:3 picture is letterboxed\n"
    "  --help          show this text\n"
    "  --version       show the version\n"
    "\n"
    "keys:\n"
    "  P                   pause or resume picture and music together\n"
    "  Left / Right        one beat back / forward (60000/140 ms), onto the beat\n"
    "  Shift+Left / Right  one bar (4 beats)\n"
    "  PageUp / PageDown   eight bars\n"
    "  Home / End          the start / the last second of the show\n"
    "  [ / ]               set the loop's start / end to the time shown\n"
    "  L                   looping on or off\n"
    "  H (held)            the dancer's extra segment, as in the show\n"
    "  Space (held)        the horn, as in the show\n"
    "  Escape              quit\n";

// A whole number in [low, high] that is all of `text`.
bool ParseNumber(const std::string& text, long low, long high, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && *value >= low && *value <= high;
}

// "A<sep>B" with both parts whole numbers in [low, high].
bool ParsePair(const std::string& text, char sep, long low, long high, long* a, long* b) {
  const size_t at = text.find(sep);
  return at != std::string::npos && ParseNumber(text.substr(0, at), low, high, a) &&
         ParseNumber(text.substr(at + 1), low, high, b);
}

}  // namespace

const char* PreviewUsage() { return kUsage; }

PreviewParse ParsePreviewOptions(int argc, const char* const* argv, PreviewOptions* options,
                                 std::string* error) {
  *options = PreviewOptions();
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i], value;
    const size_t equals = name.find('=');
    const bool inline_value = name.compare(0, 2, "--") == 0 && equals != std::string::npos;
    if (inline_value) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    if (!inline_value && (name == "--help" || name == "-h")) return PreviewParse::kHelp;
    if (!inline_value && name == "--version") return PreviewParse::kVersion;
    if (!inline_value && name == "--windowed") continue;
    if (name != "--media" && name != "--at" && name != "--loop" && name != "--size") {
      *error = "unknown option '" + std::string(argv[i]) + "'";
      return PreviewParse::kError;
    }
    if (!inline_value) {
      if (i + 1 >= argc) {
        *error = name + " needs a value";
        return PreviewParse::kError;
      }
      value = argv[++i];
    }
    long a = 0, b = 0;
    const char* expected = nullptr;
    if (name == "--media") {
      options->media_dir = value;
      options->media_named = true;
      if (value.empty()) expected = "a folder";
    } else if (name == "--at") {
      if (!ParseNumber(value, 0, kPreviewEndMs, &a)) expected = "milliseconds from 0 to 128572";
      options->at_ms = int32_t(a);
    } else if (name == "--loop") {
      if (!ParsePair(value, ':', 0, kPreviewEndMs, &a, &b) || a >= b) {
        expected = "FROM:TO in milliseconds, 0 <= FROM < TO <= 128572";
      }
      options->loop = true;
      options->loop_from_ms = int32_t(a);
      options->loop_to_ms = int32_t(b);
    } else {
      if (!ParsePair(value, 'x', 1, 8192, &a, &b)) expected = "WxH with sides from 1 to 8192";
      options->width = int(a);
      options->height = int(b);
    }
    if (expected) {
      *error = "bad value '" + value + "' for " + name + ": expected " + expected;
      return PreviewParse::kError;
    }
  }
  return PreviewParse::kRun;
}

}  // namespace zibo
