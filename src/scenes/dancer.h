// dancer.h - the dancing stick figure.
//
// Every pose is a pure function of the music time: joint angles swing on
// single-precision sines of music_ms. Drawn in screen space; leaves the
// modelview matrix as it found it, texturing off and the colour blue.
#ifndef ZIBO_SCENES_DANCER_H
#define ZIBO_SCENES_DANCER_H

#include <cstdint>

namespace zibo {

// Joint angles in degrees, each rounded to single precision.
struct DancerPose {
  float root;        // R
  float arm;         // A, both upper arms
  float forearm;     // B, both forearms
  float left_hip;
  float right_hip;
  float left_knee;
  float right_knee;
  float left_ankle;
  float right_ankle;
  float neck;        // N, also head and pendant
  float flip_scale;  // X, horizontal scale of the hanging figure
};
DancerPose DancerPoseAt(int32_t music_ms);

// Upright at (320, 140) when flipped == 0; hanging from (320, 240) and
// scaled by (X, -1) otherwise. `h_down` adds the pendant segment.
void DrawDancer(int32_t music_ms, int flipped, bool h_down);

}  // namespace zibo

#endif
