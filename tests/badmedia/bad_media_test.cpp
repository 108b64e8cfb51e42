// The real show against each spoilt media file, one case per directory:
// every case must end exactly as promised (the right message and exit 1
// before the music starts, or the show running until SIGTERM ends it with
// exit 0), never crash, hang or leave a process behind.
#include <signal.h>
#include <sndfile.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "show_media.h"
#include "show_outcome.h"

namespace zibo {
namespace {

// How long a running case keeps running after its music started.
constexpr int kRunMs = 1500;

using Spoil = std::function<bool(CaseDirectory&, const std::string& file)>;

struct MediaCase {
  std::string name;     // test name
  std::string file;     // the spoilt file
  Spoil spoil;
  std::string failure;  // the stderr line of a failing case; "" when the show runs
};

void PrintTo(const MediaCase& c, std::ostream* os) { *os << c.name; }

std::string RandomBytes(size_t count) {
  std::mt19937 random(20261206);
  std::string bytes(count, '\0');
  for (char& c : bytes) c = char(random() & 0xFF);
  return bytes;
}

std::string WithSize(std::string tga, int width, int height) {
  tga[12] = char(width & 0xFF);
  tga[13] = char(width >> 8);
  tga[14] = char(height & 0xFF);
  tga[15] = char(height >> 8);
  return tga;
}

int Le16(const std::string& b, size_t at) { return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8; }

std::vector<MediaCase> Cases() {
  std::vector<MediaCase> cases;
  for (const char* image : kImageFiles) {
    const std::string f = image;
    std::string id = f.substr(0, f.find('.'));
    auto add = [&](const std::string& what, Spoil spoil, const std::string& failure) {
      cases.push_back({id + "_" + what, f, spoil, failure.empty() ? "" : "Damn: " + f + ": " + failure});
    };
    add("missing", [](CaseDirectory& d, const std::string& n) { return d.Remove(n); },
        "No such file or directory");
    add("empty", [](CaseDirectory& d, const std::string& n) { return d.Write(n, ""); },
        "file is shorter than its 18-byte header");
    add("17_bytes",
        [](CaseDirectory& d, const std::string& n) { return d.Write(n, d.GoodBytes(n).substr(0, 17)); },
        "file is shorter than its 18-byte header");
    // Ends in the middle of a pixel, half-way through the pixel data.
    add("truncated",
        [](CaseDirectory& d, const std::string& n) {
          const std::string good = d.GoodBytes(n);
          const size_t pixels = size_t(Le16(good, 12)) * Le16(good, 14);
          return good.size() > 18 + 3 && d.Write(n, good.substr(0, 18 + pixels / 2 * 3 + 1));
        },
        "");
    add("65535x65535",
        [](CaseDirectory& d, const std::string& n) { return d.Write(n, WithSize(d.GoodBytes(n), 65535, 65535)); },
        "image too large: 65535x65535 pixels do not fit in memory");
    add("width_0",
        [](CaseDirectory& d, const std::string& n) {
          const std::string good = d.GoodBytes(n);
          return d.Write(n, WithSize(good, 0, Le16(good, 14)));
        },
        "");
    add("height_0",
        [](CaseDirectory& d, const std::string& n) {
          const std::string good = d.GoodBytes(n);
          return d.Write(n, WithSize(good, Le16(good, 12), 0));
        },
        "");
    add("directory", [](CaseDirectory& d, const std::string& n) { return d.MakeDirectory(n); },
        "Is a directory");
  }

  const std::string song = kSongFile;
  auto add_song = [&](const std::string& what, Spoil spoil, const std::string& failure) {
    cases.push_back({"song_" + what, song, spoil, failure});
  };
  add_song("missing", [](CaseDirectory& d, const std::string& n) { return d.Remove(n); },
           "vel Error!: Unable to load song.: 2");
  add_song("empty", [](CaseDirectory& d, const std::string& n) { return d.Write(n, ""); },
           "vel Error!: Unable to load song.: 41");
  add_song("random_bytes", [](CaseDirectory& d, const std::string& n) { return d.Write(n, RandomBytes(65536)); },
           "vel Error!: Unable to load song.: 41");
  add_song("first_half",
           [](CaseDirectory& d, const std::string& n) {
             const std::string good = d.GoodBytes(n);
             return d.Write(n, good.substr(0, good.size() / 2));
           },
           "");
  add_song("ogg_file",
           [](CaseDirectory& d, const std::string& n) { return d.Write(n, d.GoodBytes(kEffectFile)); }, "");
  add_song("wav_half_second",
           [](CaseDirectory& d, const std::string& n) {
             std::string error;
             return d.Remove(n) && WriteToneFile(d.File(n), 0.5, SF_FORMAT_WAV | SF_FORMAT_PCM_16, &error);
           },
           "");

  const std::string effect = kEffectFile;
  auto add_effect = [&](const std::string& what, Spoil spoil) {
    cases.push_back({"effect_" + what, effect, spoil, ""});
  };
  add_effect("missing", [](CaseDirectory& d, const std::string& n) { return d.Remove(n); });
  add_effect("empty", [](CaseDirectory& d, const std::string& n) { return d.Write(n, ""); });
  add_effect("random_bytes", [](CaseDirectory& d, const std::string& n) { return d.Write(n, RandomBytes(65536)); });
  return cases;
}

class BadMedia : public ::testing::TestWithParam<MediaCase> {};

TEST_P(BadMedia, EndsAsPromised) {
  const MediaCase& c = GetParam();
  std::string error;
  const std::string good = GoodMediaDir(&error);
  ASSERT_FALSE(good.empty()) << error;
  CaseDirectory dir;
  ASSERT_TRUE(dir.Create(good, &error)) << error;
  ASSERT_TRUE(c.spoil(dir, c.file)) << "could not spoil " << c.file;

  ShowProcess show;
  ASSERT_TRUE(show.Start(ZIBO_SHOW_BINARY, HeadlessShowOptions(dir.path()), &error)) << error;
  if (c.failure.empty()) {
    EXPECT_EQ(ExpectRunsUntilSignal(show, dir.path(), kRunMs, SIGTERM), "");
  } else {
    EXPECT_EQ(ExpectStartFailure(show, dir.path(), c.failure), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Show, BadMedia, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<MediaCase>& info) { return info.param.name; });

}  // namespace
}  // namespace zibo
