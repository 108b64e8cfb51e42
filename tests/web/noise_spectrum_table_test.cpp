#include "web/noise_spectrum_table.h"

#include <gtest/gtest.h>

namespace zibo {
namespace {

NoiseSpectrumTable TwoRows() {
  NoiseSpectrumTable table;
  table.first_ms = 94286;
  table.fractions = {0.11f, 0.45f};
  table.magnitudes = {1.5f, 2.5f, 3.5f, 4.5f};
  return table;
}

TEST(NoiseSpectrumTable, ReadsBackWhatWasWrittenAndAnswersOnlyInsideIt) {
  const std::vector<uint8_t> bytes = SerializeNoiseSpectrumTable(TwoRows());
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
}

TEST(NoiseSpectrumTable, RefusesFilesThatAreNotWholeTables) {
  const std::vector<uint8_t> good = SerializeNoiseSpectrumTable(TwoRows());
  std::vector<uint8_t> bad_magic = good;
  bad_magic[0] = 'X';
  const std::vector<uint8_t> cases[] = {
      {}, bad_magic, {good.begin(), good.end() - 1}, {good.begin(), good.begin() + 16}};
  for (const std::vector<uint8_t>& bytes : cases) {
    NoiseSpectrumTable table;
    std::string error;
    EXPECT_FALSE(ParseNoiseSpectrumTable(bytes.data(), bytes.size(), &table, &error)) << bytes.size();
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace zibo
