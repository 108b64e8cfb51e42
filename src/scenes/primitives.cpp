// Placeholder: the primitives are being written.
#include "scenes/primitives.h"
namespace zibo {
void DrawFullscreenQuad(uint32_t) {}
NoiseOffsets NoiseOffsetsForPhase(int32_t) { return {0, 0}; }
void DrawNoiseLayer(uint32_t, int32_t) {}
float ProgressBarFillEnd(float) { return 0; }
void DrawProgressBar(float) {}
}
