// primitives.h - the flat shapes every scene is made of.
//
// All coordinates are in the 640x480 screen space set up by
// BeginScreenSpace (x right, y up, origin bottom-left). Need a current GL
// context; keep no state; never change a matrix.
#ifndef ZIBO_SCENES_PRIMITIVES_H
#define ZIBO_SCENES_PRIMITIVES_H

#include <cstdint>

namespace zibo {

// The whole texture stretched over the screen, its row 0 along the top
// edge, in opaque white. Texture 0: an untextured quad in the caller's
// colour (texturing disabled on return).
void DrawFullscreenQuad(uint32_t texture);

// Texture offsets of a noise layer: r = phase % 303 (truncating),
// u = fmod(float(r * 313.37), 1), v = fmod(float(r * 647.38), 1).
struct NoiseOffsets {
  float u;
  float v;
};
NoiseOffsets NoiseOffsetsForPhase(int32_t phase);

// The noise texture over the whole screen, shifted by the phase's offsets.
// Sets neither colour nor blending.
void DrawNoiseLayer(uint32_t texture, int32_t phase);

// Right end of the bar's fill: float(fill_fraction * 540.0 + 50.0).
float ProgressBarFillEnd(float fill_fraction);

// White frame, black track, white fill from x = 50 to ProgressBarFillEnd.
// Not clamped. Leaves texturing off and the colour white.
void DrawProgressBar(float fill_fraction);

}  // namespace zibo

#endif
