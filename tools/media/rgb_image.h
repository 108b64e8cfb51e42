// rgb_image.h - an in-memory 24-bit picture and its drawing surface.
//
// RgbImage owns width x height pixels, row 0 at the top, each row left to
// right. Canvas draws onto an RgbImage in the show's screen coordinates: a
// logical 800x600 area (x to the right, y downwards from the top-left corner)
// that is stretched over the whole image, exactly as the show stretches a
// picture over its 800x600 window. So a circle drawn on the canvas looks round
// on screen even though the image itself is square. Shape edges are
// antialiased by supersampling. Single-threaded; the canvas borrows the image.
#ifndef ZIBO_TOOLS_MEDIA_RGB_IMAGE_H
#define ZIBO_TOOLS_MEDIA_RGB_IMAGE_H

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <vector>

namespace zibo::media {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Linear blend: `t` = 0 gives `a`, 1 gives `b`.
Rgb Mix(Rgb a, Rgb b, float t);

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // row 0 (top) first

  RgbImage(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
  Rgb& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  const Rgb& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct Point {
  float x = 0, y = 0;
};

class Canvas {
 public:
  static constexpr float kLogicalWidth = 800.0f;
  static constexpr float kLogicalHeight = 600.0f;

  explicit Canvas(RgbImage* image);

  // Fills the shape whose logical bounding box is given, with `colour` at
  // the given opacity (0..1); edge pixels are blended by coverage.
  // `inside(x, y)` tells whether a logical point lies inside the shape.
  template <typename Inside>
  void Fill(const Inside& inside, float x0, float y0, float x1, float y1, Rgb colour,
            float opacity = 1.0f);

  void FillRect(float x, float y, float w, float h, Rgb colour, float opacity = 1.0f);
  void FillRoundedRect(float x, float y, float w, float h, float radius, Rgb colour,
                       float opacity = 1.0f);
  void FillEllipse(float cx, float cy, float rx, float ry, Rgb colour, float opacity = 1.0f);
  void FillCircle(float cx, float cy, float r, Rgb colour, float opacity = 1.0f) {
    FillEllipse(cx, cy, r, r, colour, opacity);
  }
  // Any simple or self-intersecting polygon (even-odd rule).
  void FillPolygon(const std::vector<Point>& points, Rgb colour, float opacity = 1.0f);
  // A thick line segment with round ends.
  void DrawLine(Point a, Point b, float thickness, Rgb colour, float opacity = 1.0f);
  // The whole picture, from `top` at the top edge to `bottom` at the bottom.
  void VerticalGradient(Rgb top, Rgb bottom);

  RgbImage& image() { return *image_; }

 private:
  RgbImage* image_;
  float to_pixel_x_, to_pixel_y_;  // logical unit -> image pixels
};

template <typename Inside>
void Canvas::Fill(const Inside& inside, float x0, float y0, float x1, float y1, Rgb colour,
                  float opacity) {
  const int px0 = std::max(0, int(std::floor(x0 * to_pixel_x_)) - 1);
  const int py0 = std::max(0, int(std::floor(y0 * to_pixel_y_)) - 1);
  const int px1 = std::min(image_->width - 1, int(std::ceil(x1 * to_pixel_x_)) + 1);
  const int py1 = std::min(image_->height - 1, int(std::ceil(y1 * to_pixel_y_)) + 1);
  const float ux = 1.0f / to_pixel_x_, uy = 1.0f / to_pixel_y_;  // one pixel, logical
  constexpr int kSub = 4;
  for (int py = py0; py <= py1; ++py) {
    const float ly = float(py) * uy;
    bool top_left = inside(float(px0) * ux, ly), bottom_left = inside(float(px0) * ux, ly + uy);
    for (int px = px0; px <= px1; ++px) {
      const float lx = float(px) * ux;
      const bool top_right = inside(lx + ux, ly), bottom_right = inside(lx + ux, ly + uy);
      const bool centre = inside(lx + 0.5f * ux, ly + 0.5f * uy);
      float coverage;
      // Corners and centre agree: the pixel is wholly inside or outside.
      if (top_left == centre && bottom_left == centre && top_right == centre &&
          bottom_right == centre) {
        coverage = centre ? 1.0f : 0.0f;
      } else {
        int hits = 0;
        for (int sy = 0; sy < kSub; ++sy)
          for (int sx = 0; sx < kSub; ++sx)
            hits += inside(lx + (float(sx) + 0.5f) * ux / kSub, ly + (float(sy) + 0.5f) * uy / kSub);
        coverage = float(hits) / (kSub * kSub);
      }
      if (coverage > 0.0f) {
        Rgb& p = image_->at(px, py);
        p = Mix(p, colour, coverage * opacity);
      }
      top_left = top_right;
      bottom_left = bottom_right;
    }
  }
}

}  // namespace zibo::media

#endif
