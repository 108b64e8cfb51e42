#include "web/noise_spectrum_table.h"

#include <cstring>

namespace zibo {
namespace {

constexpr char kMagic[4] = {'Z', 'N', 'S', '1'};

void Put(std::vector<uint8_t>& out, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);  // both ends are little-endian
}

}  // namespace

std::vector<uint8_t> SerializeNoiseSpectrumTable(const NoiseSpectrumTable& table) {
  std::vector<uint8_t> out;
  const int32_t header[3] = {table.first_ms, table.count(), int32_t(table.fractions.size())};
  Put(out, kMagic, sizeof kMagic);
  Put(out, header, sizeof header);
  Put(out, table.fractions.data(), table.fractions.size() * sizeof(float));
  Put(out, table.magnitudes.data(), table.magnitudes.size() * sizeof(float));
  return out;
}

bool ParseNoiseSpectrumTable(const uint8_t* data, size_t size, NoiseSpectrumTable* table,
                             std::string* error) {
  int32_t header[3];
  if (size < sizeof kMagic + sizeof header || std::memcmp(data, kMagic, sizeof kMagic) != 0) {
    *error = "not a noise spectrum table (no ZNS1 header)";
    return false;
  }
  std::memcpy(header, data + sizeof kMagic, sizeof header);
  const int32_t count = header[1], probes = header[2];
  const size_t floats = size_t(probes) * (1 + size_t(count));
  if (count < 0 || probes <= 0 || probes > 256 ||
      size != sizeof kMagic + sizeof header + floats * sizeof(float)) {
    *error = "noise spectrum table of " + std::to_string(size) + " bytes does not hold " +
             std::to_string(count) + " rows of " + std::to_string(probes) + " probes";
    return false;
  }
  const uint8_t* body = data + sizeof kMagic + sizeof header;
  table->first_ms = header[0];
  table->fractions.resize(size_t(probes));
  table->magnitudes.resize(size_t(probes) * size_t(count));
  std::memcpy(table->fractions.data(), body, size_t(probes) * sizeof(float));
  std::memcpy(table->magnitudes.data(), body + size_t(probes) * sizeof(float),
              table->magnitudes.size() * sizeof(float));
  return true;
}

float TableSpectrum::SpectrumAt(float fraction) {
  const int64_t row = int64_t(ms_) - table_.first_ms;
  if (row < 0 || row >= table_.count()) return 0.0f;
  const size_t probes = table_.fractions.size();
  for (size_t p = 0; p < probes; ++p) {
    if (table_.fractions[p] == fraction) return table_.magnitudes[size_t(row) * probes + p];
  }
  return 0.0f;
}

}  // namespace zibo
