// The real show against spoilt media (one fresh folder per case), without a
// sound card or a display, and stopped by SIGTERM or SIGINT: every case ends
// exactly as promised (its message and exit 1 before the music starts, or
// running until the signal ends it with exit 0), never crashing, hanging or
// leaving a process behind.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "show/show_media.h"
#include "support/audio_file.h"
#include "support/file_bytes.h"
#include "support/run_program.h"

namespace zibo {
namespace {

using namespace testing;  // the tests' support library

constexpr int kStartMs = 60000, kEndMs = 20000;  // generous: sanitizer builds on busy cores

// A folder of links to the build's media.
struct CaseFolder : TempDir {
  CaseFolder() {
    for (const char* name : kMediaFiles)
      symlink((std::string(ZIBO_MEDIA_DIR) + "/" + name).c_str(), Path(name).c_str());
  }
};

enum Spoil { kMissing, kEmpty, k17Bytes, kHuge, kFolder, kCutOff, kZeroWide, kZeroHigh, kRandom, kHalf, kOgg, kWav, kLong };

bool SpoilFile(const CaseFolder& dir, const std::string& name, Spoil spoil) {
  std::string bytes = ReadFileBytes(std::string(ZIBO_MEDIA_DIR) + "/" + name);
  const size_t pixel_bytes = bytes.size() - 18;
  std::mt19937 random(20261206);
  switch (spoil) {
    case kEmpty: bytes.clear(); break;
    case k17Bytes: bytes.resize(17); break;
    case kHuge: bytes.replace(12, 4, "\xff\xff\xff\xff"); break;
    case kCutOff: bytes.resize(18 + pixel_bytes / 6 * 3 + 1); break;  // mid-pixel, half-way
    case kZeroWide: bytes.replace(12, 2, 2, '\0'); break;
    case kZeroHigh: bytes.replace(14, 2, 2, '\0'); break;
    case kRandom: for (char& c : bytes.assign(65536, '\0')) c = char(random()); break;
    case kHalf: bytes.resize(bytes.size() / 2); break;
    case kOgg: bytes = ReadFileBytes(std::string(ZIBO_MEDIA_DIR) + "/" + kEffectFile); break;
    default: break;
  }
  if (unlink(dir.Path(name).c_str()) != 0) return false;
  if (spoil == kMissing) return true;
  if (spoil == kFolder) return mkdir(dir.Path(name).c_str(), 0755) == 0;
  if (spoil == kLong)  // a WAV header of 33 minutes of 16-bit mono at 384 kHz, then a sparse hole of silence
    return WriteFileBytes(dir.Path(name), std::string("RIFF$ \xa3ZWAVEfmt \x10\0\0\0\x01\0\x01\0\0\xdc\x05\0\0\xb8\x0b\0\x02\0\x10\0" "data\0 \xa3Z", 44)) &&
           truncate(dir.Path(name).c_str(), 44 + 1520640000) == 0;
  if (spoil == kWav)
    return WriteAudioFile(dir.Path(name), FileKind::kWav16, 44100, 2, Sine(440, 0.4, 44100, 2, 22050));
  return WriteFileBytes(dir.Path(name), bytes);
}

// No media folder but the case's own, even where zibo is installed.
ProgramOptions Headless(const std::string& dir) {
  return {{}, {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir + "/.audio", "DISPLAY",
               "WAYLAND_DISPLAY", "XDG_DATA_HOME=/nonexistent", "XDG_DATA_DIRS=/nonexistent"}, dir, "n\n"};
}

bool Audible(const std::string& dir) { return ReadFileBytes(dir + "/.audio").find_first_not_of('\0') != std::string::npos; }

bool HasLine(const std::string& text, const std::string& line) { return ("\n" + text + "\n").find("\n" + line + "\n") != std::string::npos; }

// "" when the show ended as promised, else what went wrong with its status and output.
std::string Outcome(RunningProgram& show, const std::string& dir, const std::string& failure, int signal_number) {
  if (!failure.empty()) {
    if (!show.Wait(kStartMs) || show.Status() != "exit 1" || !HasLine(show.Stderr(), failure))
      return "wanted exit 1 and " + failure + "\n" + show.Describe();
    if (Audible(dir)) return "the music started before the failure";
  } else {
    for (int waited = 0; !Audible(dir); waited += 100) {
      if (show.Wait(0) || waited > kStartMs) return "no music\n" + show.Describe();
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    show.Signal(signal_number);
    const std::string err = show.Stderr();
    if (!show.Wait(kEndMs) || show.Status() != "exit 0" || err.find("Damn") != err.npos ||
        err.find("Error") != err.npos || err.find("runtime error") != err.npos)
      return "wanted exit 0 on the signal, no failure reported\n" + show.Describe();
  }
  for (int i = 0; i < 50 && show.GroupAlive(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return show.GroupAlive() ? "left a process behind" : "";
}

// `failure`: the stderr line of a failing case; "" when the show runs until `signal_number`.
struct MediaCase { std::string name, file; Spoil spoil; std::string failure; int signal_number; };
void PrintTo(const MediaCase& c, std::ostream* os) { *os << c.name; }

std::vector<MediaCase> Cases() {
  std::vector<MediaCase> cases;
  // Every picture is checked by name; one of them meets every kind of damage.
  for (std::string image : kImageFiles)
    cases.push_back({"missing_" + image.substr(0, image.find('.')), image, kMissing, "Damn: " + image + ": No such file or directory", 0});
  const std::string s3 = kSlideFiles[2], damn = "Damn: " + s3 + ": ", song = "vel Error!: Unable to load song.: ";
  const std::vector<MediaCase> others = {
      {"s3_empty", s3, kEmpty, damn + "file is shorter than its 18-byte header", 0},
      {"s3_17_bytes", s3, k17Bytes, damn + "file is shorter than its 18-byte header", 0},
      {"s3_65535x65535", s3, kHuge, damn + "image too large: 65535x65535 pixels do not fit in memory", 0},
      {"s3_folder", s3, kFolder, damn + "Is a directory", 0},
      {"s3_cut_off", s3, kCutOff, "", SIGTERM},  // drawn as far as there is picture
      {"s3_0_wide", s3, kZeroWide, "", SIGTERM},
      {"s3_0_high", s3, kZeroHigh, "", SIGTERM},
      {"song_missing", kSongFile, kMissing, song + "2", 0},
      {"song_empty", kSongFile, kEmpty, song + "41", 0},
      {"song_random", kSongFile, kRandom, song + "41", 0},
      {"song_first_half", kSongFile, kHalf, "", SIGTERM},
      {"song_is_ogg", kSongFile, kOgg, "", SIGTERM},
      {"song_wav_half_second", kSongFile, kWav, "", SIGTERM},
      {"song_33_minutes_at_384khz", kSongFile, kLong, song + "1", 0},  // within a memory cap
      {"effect_missing", kEffectFile, kMissing, "", SIGINT},  // a spoilt effect is no error
      {"effect_empty", kEffectFile, kEmpty, "", SIGINT},
      {"effect_random", kEffectFile, kRandom, "", SIGINT}};
  cases.insert(cases.end(), others.begin(), others.end());
  return cases;
}

class BadMedia : public ::testing::TestWithParam<MediaCase> {};

TEST_P(BadMedia, EndsAsPromised) {
  const MediaCase& c = GetParam();
  CaseFolder dir;
  ASSERT_TRUE(SpoilFile(dir, c.file, c.spoil)) << "could not spoil " << c.file;
  ProgramOptions options = Headless(dir.path());
#ifndef __SANITIZE_ADDRESS__  // whose shadow memory no address-space cap allows
  if (c.spoil == kLong) options.args = {"--as=3000000000", "--", ZIBO_SHOW_BINARY};
#endif
  RunningProgram show(options.args.empty() ? ZIBO_SHOW_BINARY : "/usr/bin/prlimit", options);
  EXPECT_EQ(Outcome(show, dir.path(), c.failure, c.signal_number), "");
}

INSTANTIATE_TEST_SUITE_P(Show, BadMedia, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<MediaCase>& info) { return info.param.name; });

// No display and no video driver named: the question goes to the terminal;
// an unclear answer or none cancels, a clear one meets the window's start-up
// failing with a clear message, never a hang; so does a display not there.
TEST(Devices, WithoutADisplayTheShowAsksOnTheTerminal) {
  const struct { std::string answer, display, status, message; } cases[] = {
      {"n\n", "DISPLAY", "exit 1", "Damn: RegisterClass\n"},
      {"y\n", "DISPLAY", "exit 1", "Damn: RegisterClass\n"},
      {"maybe\n", "DISPLAY", "exit 0", ""},
      {"", "DISPLAY", "exit 0", ""},
      {"n\n", "DISPLAY=:999", "exit 1", "cannot open X display \":999\""}};
  for (const auto& c : cases) {
    CaseFolder dir;
    RunningProgram show(ZIBO_SHOW_BINARY,
                        {{}, {"SDL_AUDIODRIVER=dummy", c.display, "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, dir.path(), c.answer});
    EXPECT_TRUE(show.Wait(kStartMs) && show.Status() == c.status && show.Stdout().find("...cars?") != std::string::npos &&
                show.Stderr().find(c.message) != std::string::npos)
        << c.answer << show.Describe();
  }
}

}  // namespace
}  // namespace zibo
