// pictures.h - the show's nine pictures: two dance-floor backgrounds and the
// seven slides in show order.
//
// Each picture is drawn on a fresh square image of `size` pixels (a power of
// two) in the show's 800x600 screen coordinates, so that it looks right
// once the show stretches it over its window. Deterministic: the same size
// always gives the same pixels. Single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_PICTURES_H
#define ZIBO_TOOLS_MEDIA_PICTURES_H

#include <string>
#include <vector>

#include "rgb_image.h"

namespace zibo::media {

struct Picture {
  std::string file_name;  // one of kImageFiles (show_media.h)
  RgbImage image;
};

// All nine, in the order above.
std::vector<Picture> MakePictures(int size);

// The desktop icon: a disco ball over the club's light beams, drawn round on
// a 4:3 strip and centred in a `size` x `size` square (size divisible by 4).
RgbImage MakeIcon(int size);

}  // namespace zibo::media

#endif
