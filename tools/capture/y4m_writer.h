// y4m_writer.h - YUV4MPEG2 ("y4m") raw video, the format capture writes to
// a .y4m file and pipes to ffmpeg.
//
// Colour: 8-bit 4:2:0 ("C420jpeg": chroma sited in the middle of each 2x2
// block, the default of ffmpeg and most players), BT.601 studio range
// (Y 16-235, U and V 16-240), marked "XCOLORRANGE=LIMITED" for ffmpeg.
// Chroma is taken from the mean colour of each 2x2 block. Width and height
// must be even. Reentrant; any thread.
#ifndef ZIBO_CAPTURE_Y4M_WRITER_H
#define ZIBO_CAPTURE_Y4M_WRITER_H

#include <cstdint>
#include <string>
#include <vector>

#include "frame_timing.h"

namespace zibo {

// The stream header line, e.g.
// "YUV4MPEG2 W800 H600 F60:1 Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n".
std::string Y4mStreamHeader(int width, int height, FrameRate rate);

// "FRAME\n" followed by the Y, U and V planes of one RGBA picture given
// bottom row first (GL order); the planes are top row first.
void EncodeY4mFrame(int width, int height, const uint8_t* rgba_bottom_up,
                    std::vector<uint8_t>* frame);

// BT.601 studio-range conversions of one colour, used per pixel above.
uint8_t LumaOf(int r, int g, int b);
// r, g and b are sums over the four pixels of a 2x2 block.
uint8_t BlueDifferenceOf4(int r4, int g4, int b4);
uint8_t RedDifferenceOf4(int r4, int g4, int b4);

}  // namespace zibo

#endif
