#include "show/letterbox.h"

#include <algorithm>
#include <cstdint>

namespace zibo {

Viewport Letterbox(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  Viewport v;
  if (int64_t(width) * 3 >= int64_t(height) * 4) {  // wider than 4:3: bars left and right
    v.height = height;
    v.width = std::max(1, int((int64_t(height) * 4 + 1) / 3));
  } else {
    v.width = width;
    v.height = std::max(1, int((int64_t(width) * 3 + 2) / 4));
  }
  v.width = std::min(v.width, width);
  v.height = std::min(v.height, height);
  v.x = (width - v.width) / 2;
  v.y = (height - v.height) / 2;
  return v;
}

}  // namespace zibo
