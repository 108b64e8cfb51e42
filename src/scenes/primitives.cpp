#include "scenes/primitives.h"

#include <cmath>

#include <GL/gl.h>

namespace zibo {
namespace {

// One full-screen quad whose texture coordinates are the plain mapping
// (row 0 of the texture along the top edge) shifted by (u, v).
void ScreenQuad(float u, float v) {
  glBegin(GL_QUADS);
  glTexCoord2f(u, v + 1.0f);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(u + 1.0f, v + 1.0f);
  glVertex2f(640.0f, 0.0f);
  glTexCoord2f(u + 1.0f, v);
  glVertex2f(640.0f, 480.0f);
  glTexCoord2f(u, v);
  glVertex2f(0.0f, 480.0f);
  glEnd();
}

void Rectangle(float left, float bottom, float right, float top) {
  glBegin(GL_QUADS);
  glVertex2f(left, bottom);
  glVertex2f(left, top);
  glVertex2f(right, top);
  glVertex2f(right, bottom);
  glEnd();
}

// Fractional part with the sign of x, of a single-precision value.
float Frac(float x) { return float(std::fmod(double(x), 1.0)); }

}  // namespace

void DrawFullscreenQuad(uint32_t texture) {
  if (texture != 0) {
    glColor3f(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
  } else {
    glDisable(GL_TEXTURE_2D);
  }
  ScreenQuad(0.0f, 0.0f);
}

NoiseOffsets NoiseOffsetsForPhase(int32_t phase) {
  const int32_t r = phase % 303;
  return {Frac(float(r * 313.37)), Frac(float(r * 647.38))};
}

void DrawNoiseLayer(uint32_t texture, int32_t phase) {
  const NoiseOffsets offsets = NoiseOffsetsForPhase(phase);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture);
  ScreenQuad(offsets.u, offsets.v);
}

float ProgressBarFillEnd(float fill_fraction) {
  return float(double(fill_fraction) * 540.0 + 50.0);
}

void DrawProgressBar(float fill_fraction) {
  glDisable(GL_TEXTURE_2D);
  glColor3f(1.0f, 1.0f, 1.0f);
  Rectangle(40.0f, 220.0f, 600.0f, 260.0f);
  glColor3f(0.0f, 0.0f, 0.0f);
  Rectangle(45.0f, 225.0f, 595.0f, 255.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  Rectangle(50.0f, 230.0f, ProgressBarFillEnd(fill_fraction), 250.0f);
}

}  // namespace zibo
