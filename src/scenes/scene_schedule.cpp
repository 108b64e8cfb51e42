#include "scenes/scene_schedule.h"

#include <GL/gl.h>

#include "scenes/dancer.h"
#include "scenes/primitives.h"

namespace zibo {
namespace {

// A whole number of beats at 140 BPM, in single-precision milliseconds.
constexpr float BeatMs(int beats) { return float(beats * 60000.0 / 140.0); }

constexpr int kRows = kScheduleRowCount;

constexpr float kBarFillEndMs = BeatMs(40);
constexpr float kBarEmptyMs = BeatMs(10);

// One of the noise scene's additive layers: its tint, where its alpha comes
// from in the spectrum, and how fast its pattern jumps.
struct NoiseLayer {
  float r, g, b;
  float probe;       // fraction of the 512-point spectrum
  double scale;      // alpha = offset + scale * magnitude
  double offset;
  int32_t phase_per_ms;
};
constexpr NoiseLayer kNoiseLayers[kNoiseLayerCount] = {
    {1, 0, 0, 0.11f, 100.0, 0.0, 1},
    {0, 1, 0, 0.45f, 100.0, 0.0, 2},
    {0, 0, 1, 0.1f, -1000.0, 1.0, 4},
    {1, 1, 0, 0.4f, 100.0, 0.0, 6},
    {0, 1, 0, 0.35f, -40000.0, 1.0, 8},
};

// The dancer over a background that switches every `period` ms: odd
// quotients show bg, even ones bg2.
void DrawDancerScene(const ShowTextures& textures, int32_t t, int32_t period, int flipped,
                     bool h_down) {
  DrawFullscreenQuad((t / period) % 2 ? textures.bg_texture : textures.bg2_texture);
  DrawDancer(t, flipped, h_down);
}

}  // namespace

void NoiseLayerAlphas(SpectrumSource& spectrum, float alphas[kNoiseLayerCount]) {
  for (int i = 0; i < kNoiseLayerCount; ++i) {
    const NoiseLayer& layer = kNoiseLayers[i];
    const float m = spectrum.SpectrumAt(layer.probe);
    alphas[i] = float(layer.offset + layer.scale * double(m));
  }
}

constexpr ScheduleRow kScheduleRows[kRows] = {
    {BeatMs(0), BeatMs(40), Scene::kLoadingBar, Motion::kBarSteps, -1, 0, 0, "loading bar"},
    {BeatMs(40), BeatMs(50), Scene::kEmptyingBar, Motion::kMoving, -1, 0, 0, "bar emptying"},
    {BeatMs(50), BeatMs(70), Scene::kSlide, Motion::kStill, 0, 0, 0, "slide s1"},
    {BeatMs(70), BeatMs(90), Scene::kSlide, Motion::kStill, 1, 0, 0, "slide s2"},
    {BeatMs(90), BeatMs(110), Scene::kSlide, Motion::kStill, 2, 0, 0, "slide s3"},
    {BeatMs(110), BeatMs(130), Scene::kSlide, Motion::kStill, 3, 0, 0, "slide s4"},
    {BeatMs(130), BeatMs(170), Scene::kDancer, Motion::kMoving, -1, 1071, 0, "upright dancer"},
    {BeatMs(170), BeatMs(190), Scene::kSlide, Motion::kStill, 4, 0, 0, "slide s5"},
    {BeatMs(190), BeatMs(210), Scene::kDancer, Motion::kMoving, -1, 535, 1, "hanging dancer"},
    {BeatMs(210), BeatMs(220), Scene::kSlide, Motion::kStill, 5, 0, 0, "slide s6"},
    {BeatMs(220), BeatMs(260), Scene::kSpectrumNoise, Motion::kMoving, -1, 0, 0, "spectrum noise"},
    {BeatMs(260), BeatMs(300), Scene::kStrobedSlide, Motion::kStrobing, 6, 0, 0, "strobe s7"},
};
static_assert(kScheduleRows[kRows - 1].until_ms == kShowEndMs, "the last row ends with the show");

int SceneRowAt(int32_t t) {
  const double tf = float(t);
  for (int row = 1; row <= kRows; ++row) {
    const ScheduleRow& r = kScheduleRows[row - 1];
    if (tf > double(r.after_ms) && tf <= double(r.until_ms)) return row;
  }
  return 0;
}

bool StrobeInverted(int32_t t) { return t % 100 < 50; }

bool IsPastShowEnd(int32_t t) { return double(float(t)) > double(kShowEndMs); }

int LoadingBarStep(int32_t t) {
  return int(double(float(t)) / double(kBarFillEndMs) * 16.0);
}

float LoadingBarFill(int32_t t) { return float(LoadingBarStep(t) * 0.0625); }

float EmptyingBarFill(int32_t t) {
  return float(1.0 - (double(float(t)) - double(kBarFillEndMs)) / double(kBarEmptyMs));
}

void SceneSchedule::Draw(int32_t t, bool h_down) {
  const int row = SceneRowAt(t);
  if (row == 0) return;  // before the first beat or after the last: the cleared frame
  const ScheduleRow& r = kScheduleRows[row - 1];
  switch (r.scene) {
    case Scene::kLoadingBar:
      DrawProgressBar(LoadingBarFill(t));
      break;
    case Scene::kEmptyingBar:
      DrawProgressBar(EmptyingBarFill(t));
      break;
    case Scene::kSlide:
      DrawFullscreenQuad(textures_.slide_textures[r.slide]);
      break;
    case Scene::kDancer:
      DrawDancerScene(textures_, t, r.period_ms, r.flipped, h_down);
      break;
    case Scene::kSpectrumNoise: {
      // Five layers added onto the cleared frame, each weighted by its alpha.
      float alphas[kNoiseLayerCount];
      NoiseLayerAlphas(spectrum_, alphas);
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      for (int i = 0; i < kNoiseLayerCount; ++i) {
        if (alphas[i] <= 0.0f && !draw_invisible_layers_) continue;
        const NoiseLayer& layer = kNoiseLayers[i];
        glColor4f(layer.r, layer.g, layer.b, alphas[i]);
        DrawNoiseLayer(textures_.noise_texture, layer.phase_per_ms * t);
      }
      glDisable(GL_BLEND);
      break;
    }
    case Scene::kStrobedSlide:
      glDisable(GL_BLEND);
      DrawFullscreenQuad(textures_.slide_textures[r.slide]);
      // Inverted: white source, factors (1 - dst) and (1 - src) give
      // 1 - dst in every channel.
      if (StrobeInverted(t)) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ONE_MINUS_SRC_COLOR);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        DrawFullscreenQuad(0);
        glDisable(GL_BLEND);
      }
      break;
  }
}

}  // namespace zibo
