// The sound-server output on a private PulseAudio: what its null sink's
// monitor hears is the song sample for sample, on a clock that never steps
// back outside a seek and holds while paused; a server that dies or stalls
// mid-song leaves the clock running on in silence, said once on stderr.
#include <csignal>

#include "disk_output.h"
#include "pulse_server.h"

// ThreadSanitizer sees libpulse's socket buffers change hands without seeing
// the library's own locking (it is not instrumented): not ours to judge.
extern "C" const char* __tsan_default_suppressions() { return "race:libpulsecommon\n"; }

namespace zibo::testing {
namespace {

std::string Runs(const std::vector<Slice>& slices) {
  std::string text = "; runs (out, song, length):";
  for (const Slice& s : slices) text += " " + std::to_string(s.out) + "," + std::to_string(s.song) + "," + std::to_string(s.length);
  return text;
}

class PulseOutputTest : public DiskOutputTest {
 protected:
  void SetUp() override { unsetenv("SDL_AUDIODRIVER"); }
};

TEST_F(PulseOutputTest, TheServerPlaysTheSongSampleForSampleThroughASeekAndAPause) {
  PulseServer server;
  ASSERT_TRUE(server.answers()) << server.Describe();
  ProgramOptions record;
  record.args = {"--raw", "--format=s16le", "--rate=44100", "--channels=2",
                 std::string("--device=") + PulseServer::kSink + ".monitor"};
  RunningProgram monitor("parec", record);
  ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr)) << bass::LastErrorDetail();
  EXPECT_STREQ(bass::OutputName(), "pulse");
  HSTREAM h = Open(3);
  ASSERT_TRUE(BASS_StreamPlay(h, 1, 0));
  WaitFor(h, 44100 / 2, true);
  const long long seek_to = 44100 * 2;
  ASSERT_TRUE(BASS_ChannelSetPosition(h, QWORD(seek_to) * 4));
  WaitFor(h, seek_to + 44100 / 4);
  ASSERT_TRUE(BASS_ChannelPause(h));
  long long held = -1;  // runs on over what the server already holds, then stops
  for (int i = 0; i < 500 && held != Frames(h); ++i, SleepMs(50)) held = Frames(h);
  SleepMs(300);
  EXPECT_EQ(Frames(h), held) << "no drift while paused";
  ASSERT_TRUE(BASS_ChannelResume(h));
  WaitFor(h, (long long)song_.size() / 2 + 44100 / 2);
  monitor.Signal(SIGTERM);
  ASSERT_TRUE(monitor.Wait(10000));
  ASSERT_TRUE(WriteFileBytes(dir_.Path("out.raw"), monitor.Stdout()));
  const std::vector<Slice> slices = Written();
  ASSERT_FALSE(slices.empty());
  EXPECT_EQ(slices.front().song, 0u);
  EXPECT_EQ(slices.back().song + slices.back().length, song_.size()) << "on to the end";
  bool seeked = false;  // each run goes on from the last (an underrun may skip ahead)
  for (size_t i = 1; i < slices.size(); ++i) {
    const bool seek = slices[i].song == size_t(seek_to) * 2;
    EXPECT_TRUE(slices[i].length > 0 && (seek || slices[i].song >= slices[i - 1].song + slices[i - 1].length))
        << "run " << i << " from sample " << slices[i].song << Runs(slices);
    seeked |= seek;
  }
  EXPECT_TRUE(seeked);
}

TEST_F(PulseOutputTest, AServerThatDiesOrStallsLeavesTheClockRunningInSilence) {
  const struct { const char* sdl_driver; int signal; const char* output; } cases[] = {
      {"", SIGKILL, "pulse"}, {"", SIGSTOP, "pulse"}, {"pulseaudio", SIGKILL, "sdl"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.output << " " << strsignal(c.signal));
    PulseServer server;
    ASSERT_TRUE(server.answers()) << server.Describe();
    if (*c.sdl_driver) setenv("SDL_AUDIODRIVER", c.sdl_driver, 1);
    ASSERT_TRUE(BASS_Init(BASS_DEVICE_DEFAULT, 44100, 0, nullptr)) << bass::LastErrorDetail();
    ASSERT_EQ(bass::OutputName(), std::string(c.output));
    HSTREAM h = Open(1);  // the clock runs on past its end
    ASSERT_TRUE(BASS_StreamPlay(h, 1, 0));
    WaitFor(h, 44100 / 4);
    ::testing::internal::CaptureStderr();
    const auto t0 = std::chrono::steady_clock::now();
    const long long before = Frames(h);
    server.Signal(c.signal);
    for (int i = 0; i < 1000 && bass::OutputName() == std::string(c.output); ++i) WaitFor(h, Frames(h) + 441);
    EXPECT_EQ(bass::OutputName(), std::string(c.output) + " (lost)");
    WaitFor(h, Frames(h) + 44100 / 2);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LE(Frames(h) - before, (long long)(seconds * 44100) + 441) << "never ahead of real time";
    BASS_Free();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("sound output lost"), said.rfind("sound output lost")) << said;
    EXPECT_NE(said.find("sound output lost"), std::string::npos);
    unsetenv("SDL_AUDIODRIVER");
  }
}

}  // namespace
}  // namespace zibo::testing
