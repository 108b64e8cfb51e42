// gluBuild2DMipmaps and gluErrorString of GL/glu.h on WebGL: the levels are
// made here the way GLU makes them and each is uploaded with glTexImage2D,
// since WebGL's own mipmap generation filters as the browser likes.
#include <GL/glu.h>

#include <cstdint>
#include <vector>

namespace {

// GLU's choice of power of two for a side: halving down to 1, except that
// a 3 on the way rounds up (so 640 -> 512, 768 -> 1024).
int NearestPower(int value) {
  int power = 1;
  for (;;) {
    if (value == 1) return power;
    if (value == 3) return power * 4;
    value >>= 1;
    power *= 2;
  }
}

// Area-average resampling of RGBA bytes from w x h to nw x nh.
std::vector<uint8_t> Resample(const uint8_t* src, int w, int h, int nw, int nh) {
  std::vector<uint8_t> out(size_t(nw) * size_t(nh) * 4);
  for (int y = 0; y < nh; ++y) {
    const int y0 = int(int64_t(y) * h / nh), y1 = int(int64_t(y + 1) * h / nh);
    for (int x = 0; x < nw; ++x) {
      const int x0 = int(int64_t(x) * w / nw), x1 = int(int64_t(x + 1) * w / nw);
      uint32_t sum[4] = {};
      uint32_t count = 0;
      for (int sy = y0; sy < (y1 > y0 ? y1 : y0 + 1); ++sy) {
        for (int sx = x0; sx < (x1 > x0 ? x1 : x0 + 1); ++sx) {
          const uint8_t* p = src + (size_t(sy) * size_t(w) + size_t(sx)) * 4;
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
          ++count;
        }
      }
      uint8_t* q = out.data() + (size_t(y) * size_t(nw) + size_t(x)) * 4;
      for (int c = 0; c < 4; ++c) q[c] = uint8_t((sum[c] + count / 2) / count);
    }
  }
  return out;
}

// The next level: 2x2 boxes, or pairs once a side is down to 1.
std::vector<uint8_t> Halve(const std::vector<uint8_t>& src, int w, int h) {
  const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
  std::vector<uint8_t> out(size_t(nw) * size_t(nh) * 4);
  const int dx = w > 1 ? 4 : 0;
  const size_t dy = h > 1 ? size_t(w) * 4 : 0;
  for (int y = 0; y < nh; ++y) {
    for (int x = 0; x < nw; ++x) {
      const uint8_t* t = src.data() + (size_t(y) * (h > 1 ? 2 : 1) * size_t(w) + size_t(x) * (w > 1 ? 2 : 1)) * 4;
      uint8_t* s = out.data() + (size_t(y) * size_t(nw) + size_t(x)) * 4;
      for (int c = 0; c < 4; ++c) {
        if (dx != 0 && dy != 0) {
          s[c] = uint8_t((t[c] + t[dx + c] + t[dy + c] + t[dy + dx + c] + 2) / 4);
        } else {
          s[c] = uint8_t((t[c] + t[dx + dy + c] + 1) / 2);
        }
      }
    }
  }
  return out;
}

}  // namespace

extern "C" {

GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei width, GLsizei height, GLenum format,
                        GLenum type, const void* data) {
  if (width <= 0 || height <= 0 || format != GL_RGBA || type != GL_UNSIGNED_BYTE) {
    return GLU_INVALID_VALUE;
  }
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  int w = NearestPower(width), h = NearestPower(height);
  while (max_size > 0 && (w > max_size || h > max_size)) {
    if (w > 1) w /= 2;
    if (h > 1) h /= 2;
  }
  const uint8_t* pixels = static_cast<const uint8_t*>(data);
  std::vector<uint8_t> level;
  if (w == width && h == height) {
    level.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
  } else {
    level = Resample(pixels, width, height, w, h);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (GLint n = 0;; ++n) {
    glTexImage2D(target, n, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
    if (w == 1 && h == 1) break;
    level = Halve(level, w, h);
    w = w > 1 ? w / 2 : 1;
    h = h > 1 ? h / 2 : 1;
  }
  return 0;
}

const GLubyte* gluErrorString(GLenum error) {
  const char* text = error == GLU_INVALID_VALUE    ? "invalid value"
                     : error == GLU_OUT_OF_MEMORY ? "out of memory"
                                                  : "unknown error";
  return reinterpret_cast<const GLubyte*>(text);
}

}  // extern "C"
