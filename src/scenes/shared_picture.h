// shared_picture.h - which music times are known to draw the same picture.
//
// Capture renders a picture once and repeats it for every later frame with
// the same key; the show's loop presents a change of such a picture at its
// time. A key is given only where the scene's inputs guarantee the
// same pixels: nothing drawn (at or before 0, past the end), one step of the
// filling loading bar, a still slide, and the two states of the strobed
// slide. The emptying bar, the dancer rows (the only ones the H key
// changes) and the noise row change every millisecond and get no key.
// Pure code.
#ifndef ZIBO_SCENES_SHARED_PICTURE_H
#define ZIBO_SCENES_SHARED_PICTURE_H

#include <cstdint>

namespace zibo {

// 0: the picture of t may be unique. Otherwise every time with this key
// draws exactly the same picture (for the same size and held keys).
uint32_t SharedPictureKey(int32_t t);

// Where the picture of t has a key: the first time in (t, t + horizon] whose
// picture differs from it. -1 when the picture of t has no key or stays the
// same through the horizon.
int32_t NextPictureChange(int32_t t, int32_t horizon);

}  // namespace zibo

#endif
