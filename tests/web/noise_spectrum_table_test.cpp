#include "web/noise_spectrum_table.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

// Two rows of two probes from 94286 ms: written, read back, and probed
// inside, at both edges and outside; then cut short by one byte.
TEST(NoiseSpectrumTable, ReadsBackWhatWasWrittenAnswersOnlyInsideAndRefusesAShortFile) {
  const std::vector<uint8_t> bytes = SerializeNoiseSpectrumTable({94286, {0.11f, 0.45f}, {1.5f, 2.5f, 3.5f, 4.5f}});
  NoiseSpectrumTable table;
  std::string error;
  ASSERT_TRUE(ParseNoiseSpectrumTable(bytes.data(), bytes.size(), &table, &error)) << error;
  TableSpectrum spectrum(table);
  const struct { int32_t ms; float fraction, expected; } probes[] = {
      {94286, 0.11f, 1.5f}, {94286, 0.45f, 2.5f}, {94287, 0.45f, 4.5f},
      {94285, 0.11f, 0.0f}, {94288, 0.11f, 0.0f}, {94286, 0.1f, 0.0f}};
  for (const auto& p : probes) {
    spectrum.SetTimeMs(p.ms);
    EXPECT_EQ(spectrum.SpectrumAt(p.fraction), p.expected) << p.ms << " ms, probe " << p.fraction;
  }
  EXPECT_FALSE(ParseNoiseSpectrumTable(bytes.data(), bytes.size() - 1, &table, &error));
  EXPECT_NE(error.find("does not hold 2 rows of 2 probes"), std::string::npos) << error;
}

}  // namespace
}  // namespace zibo
