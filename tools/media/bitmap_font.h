// bitmap_font.h - the generator's own 5x7 pixel font, drawn onto a Canvas.
//
// Covers A-Z, a-z, 0-9, space and . , ! ? ' : - + & / ( ) " * #; any other
// character draws as a hollow box so that a missing glyph is obvious.
// Text is drawn in logical screen units: `cell` is the size of one font
// pixel, so a glyph is 5 x 7 cells and a character advances 6 cells.
// Pure drawing code; single-threaded.
#ifndef ZIBO_TOOLS_MEDIA_BITMAP_FONT_H
#define ZIBO_TOOLS_MEDIA_BITMAP_FONT_H

#include <string>

#include "rgb_image.h"

namespace zibo::media {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;

// Whether font pixel (col, row) of `c` is set; row 0 is the top.
bool GlyphPixel(char c, int col, int row);

// Width of `text` in logical units (no trailing gap).
float TextWidth(const std::string& text, float cell);

// Draws `text` with its top-left corner at (x, y).
void DrawText(Canvas& canvas, const std::string& text, float x, float y, float cell, Rgb colour);

// Draws `text` centred horizontally on the 800-unit screen, with a drop
// shadow offset by `shadow` cells (0 for none).
void DrawCentredText(Canvas& canvas, const std::string& text, float y, float cell, Rgb colour,
                     Rgb shadow_colour = {}, float shadow = 0.0f);

}  // namespace zibo::media

#endif
