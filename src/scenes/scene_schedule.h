// scene_schedule.h - the show's script: which scene belongs to a music time.
//
// Twelve rows on the 140 BPM grid, each an interval (lower bound excluded,
// upper included) of single-precision milliseconds, held as one table
// (kScheduleRows) that drawing and capture's picture reuse both read.
// Draw(t) draws the one row containing float(t), or nothing at or below 0
// and past the end. Keeps no state between frames. Needs a current GL
// context for Draw; the table and the time functions are pure.
#ifndef ZIBO_SCENES_SCENE_SCHEDULE_H
#define ZIBO_SCENES_SCENE_SCHEDULE_H

#include <cstdint>

namespace zibo {

// The show's end: 300 beats, 128571.43 ms in single precision.
constexpr float kShowEndMs = 128571.4296875f;

// Where the noise scene gets its spectrum: the magnitude of the bin that
// `fraction` (0 <= fraction < 0.5) of 512 falls in, for the music now.
class SpectrumSource {
 public:
  virtual ~SpectrumSource() = default;
  virtual float SpectrumAt(float fraction) = 0;
};

struct ShowTextures {
  uint32_t bg_texture = 0;
  uint32_t bg2_texture = 0;
  uint32_t slide_textures[7] = {};
  uint32_t noise_texture = 0;
};

// What a row draws.
enum class Scene { kLoadingBar, kEmptyingBar, kSlide, kDancer, kSpectrumNoise, kStrobedSlide };

// How a row's picture changes with time (for the same size and held keys):
// not at all, in the loading bar's sixteen steps, between the strobe's two
// states, or every millisecond.
enum class Motion { kStill, kBarSteps, kStrobing, kMoving };

struct ScheduleRow {
  float after_ms;   // lower bound, excluded
  float until_ms;   // upper bound, included
  Scene scene;
  Motion motion;
  int slide;          // slide_textures index for the slide rows, else -1
  int32_t period_ms;  // dancer rows: the background switches every period
  int flipped;        // dancer rows: 1 hangs the dancer upside down
  const char* name;   // for reports
};

constexpr int kScheduleRowCount = 12;
// Row r (1..12) is kScheduleRows[r - 1].
extern const ScheduleRow kScheduleRows[kScheduleRowCount];

// 1..12 for the row whose interval contains float(t), 0 for none.
int SceneRowAt(int32_t t);

// Row 12's strobe: the slide is drawn inverted for the first 50 ms of
// every 100.
bool StrobeInverted(int32_t t);

// True when float(t) is past the show's end.
bool IsPastShowEnd(int32_t t);

// The loading bar of row 1: step int(float(t) / 40 beats * 16) at double
// precision (0..15 within the row), drawn step / 16 full.
int LoadingBarStep(int32_t t);
float LoadingBarFill(int32_t t);
// The bar of row 2: 1 - (float(t) - 40 beats) / 10 beats, emptying smoothly.
float EmptyingBarFill(int32_t t);

// The noise scene's five layer alphas for the music now, in drawing order,
// each from a fresh spectrum probe. Colour clamping makes a layer of alpha
// 0 or less add nothing to the picture, so Draw skips it.
constexpr int kNoiseLayerCount = 5;
void NoiseLayerAlphas(SpectrumSource& spectrum, float alphas[kNoiseLayerCount]);

class SceneSchedule {
 public:
  // Both are borrowed and must outlive the schedule.
  SceneSchedule(const ShowTextures& textures, SpectrumSource& spectrum)
      : textures_(textures), spectrum_(spectrum) {}

  // Draws the scene for music time t. `h_down` is whether H is held now.
  void Draw(int32_t t, bool h_down);

  // Draws the noise layers that add nothing too (for checking that skipping
  // them changes no pixel).
  void set_draw_invisible_layers(bool draw) { draw_invisible_layers_ = draw; }

 private:
  const ShowTextures& textures_;
  SpectrumSource& spectrum_;
  bool draw_invisible_layers_ = false;
};

}  // namespace zibo

#endif
