// noise_spectrum_table.h - the noise scene's spectrum probes, precomputed.
//
// The browser cannot read the decoded music sample-exactly the way the
// native audio library does, so the build takes the noise scene's probes
// from the decoded music for every millisecond of the scene (as capture
// does) and ships them in one file, which the page reads back here.
// File layout, little-endian: "ZNS1", int32 first_ms, int32 count, int32
// probes, float32 fractions[probes], then float32 magnitudes[count][probes]
// (row i is music time first_ms + i). Pure code, no GL; one thread.
#ifndef ZIBO_WEB_NOISE_SPECTRUM_TABLE_H
#define ZIBO_WEB_NOISE_SPECTRUM_TABLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scenes/scene_schedule.h"

namespace zibo {

struct NoiseSpectrumTable {
  int32_t first_ms = 0;
  std::vector<float> fractions;   // the probes, in the order the scene asks
  std::vector<float> magnitudes;  // count * fractions.size()

  int32_t count() const {
    return fractions.empty() ? 0 : int32_t(magnitudes.size() / fractions.size());
  }
};

std::vector<uint8_t> SerializeNoiseSpectrumTable(const NoiseSpectrumTable& table);
// False with `error` set for a file that is not a whole table.
bool ParseNoiseSpectrumTable(const uint8_t* data, size_t size, NoiseSpectrumTable* table,
                             std::string* error);

// The scene's spectrum read from a table: a probe the table holds, at a time
// it covers, gives the stored magnitude; anything else gives 0.
class TableSpectrum : public SpectrumSource {
 public:
  explicit TableSpectrum(const NoiseSpectrumTable& table) : table_(table) {}
  void SetTimeMs(int32_t ms) { ms_ = ms; }
  float SpectrumAt(float fraction) override;

 private:
  const NoiseSpectrumTable& table_;
  int32_t ms_ = 0;
};

}  // namespace zibo

#endif
