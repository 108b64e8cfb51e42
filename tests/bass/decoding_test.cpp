// Decoding real files to the output format, the 512-point spectrum of what
// was decoded, and the background decoder that publishes a long file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include "audio/audio_decoder.h"
#include "bass/bass.h"
#include "audio/spectrum.h"
#include "bass/stream_decoder.h"
#include "support/audio_file.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace zibo {
namespace {

using testing::FileKind;
constexpr double kBin56Hz = 56 * 44100.0 / kFftSize;

class DecodingTest : public ::testing::Test {
 protected:
  std::string Write(FileKind kind, int rate, int channels, const std::vector<float>& samples) {
    EXPECT_TRUE(testing::WriteAudioFile(dir_.Path("a"), kind, rate, channels, samples));
    return dir_.Path("a");
  }
  testing::TempDir dir_;
};

// Noise on 16-bit steps comes back exactly; mono is doubled, stereo averaged.
TEST_F(DecodingTest, SixteenBitFilesDecodeExactlyToEitherChannelCount) {
  std::vector<float> in = testing::Noise(1, 0.9, 1, 5000), doubled, averaged;
  for (float& s : in) s = std::round(s * 32768) / 32768;
  for (size_t f = 0; f < 5000; ++f) doubled.insert(doubled.end(), {in[f], in[f]});
  for (size_t f = 0; f < 2500; ++f) averaged.push_back((in[2 * f] + in[2 * f + 1]) / 2);
  const struct {
    FileKind kind;
    int in, out;
    const std::vector<float>& expected;
  } cases[] = {{FileKind::kWav16, 2, 2, in}, {FileKind::kFlac, 1, 2, doubled},
               {FileKind::kWav16, 2, 1, averaged}};
  for (const auto& c : cases) {
    DecodedAudio audio;
    ASSERT_EQ(DecodeAudioFile(Write(c.kind, 44100, c.in, in).c_str(), 44100, c.out, &audio), 0);
    EXPECT_EQ(audio.rate * 10 + audio.channels, 441000 + c.out);
    EXPECT_EQ(audio.samples, c.expected) << c.in << " -> " << c.out;
  }
}

// One second of bin 56's tone stays one second of it, at half its level in
// the spectrum, whatever the encoder or the file's rate.
TEST_F(DecodingTest, LossyAndResampledFilesKeepLengthPitchAndLevel) {
  const struct {
    FileKind kind;
    int rate;
    double frames_tolerance, level_tolerance;
  } cases[] = {{FileKind::kMp3, 44100, 3000, 0.02}, {FileKind::kOggVorbis, 44100, 3000, 0.02},
               {FileKind::kWav16, 48000, 0, 0.005}, {FileKind::kWav16, 22050, 0, 0.005},
               {FileKind::kWav16, 44101, 0, 0.005}, {FileKind::kWav16, 32000, 0, 0.005}};
  for (const auto& c : cases) {
    const std::string path = Write(c.kind, c.rate, 1, testing::Sine(kBin56Hz, 0.5, c.rate, 1, c.rate));
    DecodedAudio audio;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio), BASS_OK) << c.rate;
    EXPECT_NEAR(double(audio.frames()), 44100.0, c.frames_tolerance) << c.rate;
    float bins[kFftBins];
    ComputeSpectrumAt(audio.samples.data(), audio.frames(), 2, 20000, bins);
    EXPECT_EQ(std::max_element(bins, bins + kFftBins) - bins, 56) << c.rate;
    EXPECT_NEAR(bins[56], 0.25, c.level_tolerance) << c.rate;
  }
}

// Missing, a folder, a pipe without a writer (must not hang), empty, text,
// a cut-off header: each fails with its code and a message naming the file.
TEST_F(DecodingTest, BadFilesFailWithTheirCode) {
  ASSERT_EQ(mkfifo(dir_.Path("pipe").c_str(), 0600), 0);
  const std::pair<std::string, int> cases[] = {
      {"/nothing.mp3", BASS_ERROR_FILEOPEN}, {"/", BASS_ERROR_FILEOPEN},
      {"/pipe", BASS_ERROR_FILEOPEN},        {"", BASS_ERROR_FILEFORM},
      {"not a song\n", BASS_ERROR_FILEFORM}, {std::string("RIFF\x10\0\0\0WAVEfmt ", 16), BASS_ERROR_FILEFORM}};
  for (const auto& [name_or_bytes, code] : cases) {
    std::string path = dir_.path() + name_or_bytes;
    if (code != BASS_ERROR_FILEOPEN) path = dir_.Path("b");
    ASSERT_TRUE(code == BASS_ERROR_FILEOPEN || testing::WriteFileBytes(path, name_or_bytes));
    DecodedAudio audio;
    std::string message;
    EXPECT_EQ(DecodeAudioFile(path.c_str(), 44100, 2, &audio, &message), code) << name_or_bytes.size();
    EXPECT_NE(message.find(path), std::string::npos) << message;
  }
  DecodedAudio audio;
  EXPECT_EQ(DecodeAudioFile(nullptr, 44100, 2, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 0, 2, &audio), BASS_ERROR_ILLPARAM);
  EXPECT_EQ(DecodeAudioFile("x", 44100, 0, &audio), BASS_ERROR_ILLPARAM);
}

// A sine at a bin centre reads half its amplitude there and a quarter in each
// neighbour (Hann window); DC reads its level; channels are averaged; frames
// outside the data are silence.
TEST(SpectrumTest, ScaleWindowChannelsAndEdges) {
  auto tone = testing::Sine(kBin56Hz, 0.8, 44100, 2, 2000);
  float out[kFftBins];
  ComputeSpectrumAt(tone.data(), 2000, 2, 100, out);
  EXPECT_NEAR(out[56], 0.4, 1e-3);
  EXPECT_NEAR(out[55] + out[57], 0.4, 1e-3);
  EXPECT_LT(*std::max_element(out + 59, out + kFftBins), 1e-4);
  const std::vector<float> dc(kFftSize, 0.5f);
  ComputeSpectrum512(dc.data(), out);
  EXPECT_NEAR(out[0], 0.5, 1e-4);
  for (size_t f = 0; f < 2000; ++f) tone[2 * f + 1] = -tone[2 * f];
  for (long long first : {100LL, 2000LL, -512LL}) {
    ComputeSpectrumAt(tone.data(), 2000, 2, first, out);
    EXPECT_EQ(*std::max_element(out, out + kFftBins), 0.0f) << first;
  }
  ComputeSpectrumAt(testing::Sine(kBin56Hz, 1, 44100, 1, 1000).data(), 1000, 1, 1000 - 256, out);
  EXPECT_GT(out[56], 0.1);
  EXPECT_LT(out[56], 0.5);
}

// The first frame at a clock reading reads back as that reading, the frame
// before it as the reading before, with the clock's truncation to whole ms.
TEST(SpectrumTest, FirstFrameAtMsMatchesTheShowsClock) {
  auto ms_of_frame = [](long long frame) { return (long long)(double(frame) / 44100.0 * 1000.0); };
  for (long long ms = 1; ms < 200000; ms += 7) {
    ASSERT_EQ(ms_of_frame(FirstFrameAtMs(ms, 44100)), ms) << ms;
    ASSERT_EQ(ms_of_frame(FirstFrameAtMs(ms, 44100) - 1), ms - 1) << ms;
  }
}

// The stream decoder on the no-sound device hands out exactly what the whole
// file decodes: at opening, when stopped, and read in order as the position
// moves along from each start, across its window's wrap and after seeks back
// and forth, at output rates where a quarter second is more than a piece.
TEST_F(DecodingTest, StreamsPublishExactlyWhatTheWholeFileDecodes) {
  const struct {
    FileKind kind;
    int seconds, rate, window_seconds;
    bool background, stop;
    std::vector<double> reads_from;  // seconds
    int out_rate = 44100;
  } cases[] = {{FileKind::kWav16, 10, 44100, 0, true, false, {0}},
               {FileKind::kMp3, 6, 44100, 2, true, false, {0, 4.5, 1.2}},
               {FileKind::kWav16, 9, 44100, 3, true, false, {2.5, 0.2, 8.9}},
               {FileKind::kWav16, 60, 44100, 0, true, true, {}},
               {FileKind::kWav16, 1, 44100, 0, false, false, {0}},
               {FileKind::kWav16, 5, 48000, 0, false, false, {0.3}},
               {FileKind::kWav16, 30, 96000, 0, true, false, {25, 2}, 96000},
               {FileKind::kWav16, 5, 192000, 2, true, false, {3.8, 1}, 192000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.seconds);
    bass::StreamTable table;
    bass::OutputDevice device;
    ASSERT_EQ(device.Open(BASS_DEVICE_NOSOUND, c.out_rate, &table), BASS_OK);
    const std::string path = Write(c.kind, c.rate, 2, testing::Noise(5, 0.6, 2, c.seconds * c.rate));
    DecodedAudio whole;
    ASSERT_EQ(DecodeAudioFile(path.c_str(), c.out_rate, 2, &whole), BASS_OK);
    bass::Stream s;
    ASSERT_EQ(bass::DecodeStream(path.c_str(), &device, &s, nullptr, c.window_seconds * c.out_rate), BASS_OK);
    EXPECT_EQ(s.decoder_running, c.background);
    if (c.stop) s.StopDecoding();
    const int64_t total = int64_t(whole.frames()), held = s.ReadyFrames(), chunk = 5000;
    EXPECT_TRUE(held >= std::min<int64_t>(c.out_rate, total) && held <= total);
    std::vector<float> got(size_t(held) * 2), want(chunk * 2);
    { std::lock_guard<std::mutex> guard(s.buffer_mutex); s.CopyFrames(0, held, got.data()); }
    EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.samples.begin()));
    got.resize(chunk * 2);
    for (double from : c.reads_from) {
      for (int64_t f = int64_t(from * c.out_rate); f < total; f += chunk) {
        ASSERT_TRUE(bass::SeekStream(&s, f, &device, [&] { s.start_frame = f; })) << f;
        std::lock_guard<std::mutex> guard(s.buffer_mutex);
        s.CopyFrames(f, chunk, got.data());
        std::fill(want.begin(), want.end(), 0.0f);
        std::copy(&whole.samples[size_t(f) * 2], &whole.samples[0] + 2 * std::min(f + chunk, total),
                  want.begin());
        ASSERT_EQ(got, want) << from << " s, read at frame " << f;
      }
    }
    if (!c.stop) { EXPECT_FALSE(bass::SeekStream(&s, total + 1, &device, [] {})); }
    s.StopDecoding();
    device.Close();
  }
}

}  // namespace
}  // namespace zibo
