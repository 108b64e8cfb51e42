// box_filter.h - shrinking a supersampled picture: each n x n block of
// pixels becomes one pixel, the rounded mean of its 8-bit values per
// channel. Pure code; any thread.
#ifndef ZIBO_CAPTURE_BOX_FILTER_H
#define ZIBO_CAPTURE_BOX_FILTER_H

#include <cstdint>
#include <vector>

namespace zibo {

// `rgba` is (width * n) x (height * n) RGBA pixels, rows in either order;
// `out` becomes width x height RGBA pixels in the same row order.
void BoxReduce(const uint8_t* rgba, int width, int height, int n, std::vector<uint8_t>* out);

}  // namespace zibo

#endif
