#include "box_filter.h"

#include <algorithm>

namespace zibo {

void BoxReduce(const uint8_t* rgba, int width, int height, int n, std::vector<uint8_t>* out) {
  const size_t out_row = size_t(width) * 4;
  const size_t in_row = out_row * size_t(n);
  out->resize(out_row * size_t(height));
  const uint32_t count = uint32_t(n) * uint32_t(n);
  std::vector<uint32_t> sums(out_row);
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), count / 2);  // rounds the mean to nearest
    for (int dy = 0; dy < n; ++dy) {
      const uint8_t* in = rgba + (size_t(y) * size_t(n) + size_t(dy)) * in_row;
      for (size_t x = 0; x < out_row; x += 4) {
        for (int dx = 0; dx < n; ++dx, in += 4) {
          sums[x] += in[0];
          sums[x + 1] += in[1];
          sums[x + 2] += in[2];
          sums[x + 3] += in[3];
        }
      }
    }
    uint8_t* row = out->data() + size_t(y) * out_row;
    for (size_t i = 0; i < out_row; ++i) row[i] = uint8_t(sums[i] / count);
  }
}

}  // namespace zibo
