// rgb_image.cpp - shape filling with supersampled edges.
#include "rgb_image.h"

#include <algorithm>
#include <cmath>

namespace zibo::media {

Rgb Mix(Rgb a, Rgb b, float t) {
  auto lerp = [t](uint8_t u, uint8_t v) {
    return uint8_t(std::lround(float(u) + (float(v) - float(u)) * t));
  };
  return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

Canvas::Canvas(RgbImage* image)
    : image_(image),
      to_pixel_x_(float(image->width) / kLogicalWidth),
      to_pixel_y_(float(image->height) / kLogicalHeight) {}

void Canvas::FillRect(float x, float y, float w, float h, Rgb colour, float opacity) {
  Fill([=](float px, float py) { return px >= x && px < x + w && py >= y && py < y + h; }, x, y,
       x + w, y + h, colour, opacity);
}

void Canvas::FillRoundedRect(float x, float y, float w, float h, float radius, Rgb colour,
                             float opacity) {
  Fill(
      [=](float px, float py) {
        if (px < x || px >= x + w || py < y || py >= y + h) return false;
        const float dx = std::max({x + radius - px, px - (x + w - radius), 0.0f});
        const float dy = std::max({y + radius - py, py - (y + h - radius), 0.0f});
        return dx * dx + dy * dy <= radius * radius;
      },
      x, y, x + w, y + h, colour, opacity);
}

void Canvas::FillEllipse(float cx, float cy, float rx, float ry, Rgb colour, float opacity) {
  Fill(
      [=](float px, float py) {
        const float dx = (px - cx) / rx, dy = (py - cy) / ry;
        return dx * dx + dy * dy <= 1.0f;
      },
      cx - rx, cy - ry, cx + rx, cy + ry, colour, opacity);
}

void Canvas::FillPolygon(const std::vector<Point>& points, Rgb colour, float opacity) {
  if (points.size() < 3) return;
  float x0 = points[0].x, x1 = x0, y0 = points[0].y, y1 = y0;
  for (const Point& p : points) {
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  Fill(
      [&points](float px, float py) {
        bool in = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
          const Point& a = points[i];
          const Point& b = points[j];
          if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x)
            in = !in;
        }
        return in;
      },
      x0, y0, x1, y1, colour, opacity);
}

void Canvas::DrawLine(Point a, Point b, float thickness, Rgb colour, float opacity) {
  const float r = thickness * 0.5f;
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len2 = std::max(dx * dx + dy * dy, 1e-6f);
  Fill(
      [=](float px, float py) {
        const float t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / len2, 0.0f, 1.0f);
        const float ex = a.x + t * dx - px, ey = a.y + t * dy - py;
        return ex * ex + ey * ey <= r * r;
      },
      std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
      std::max(a.y, b.y) + r, colour, opacity);
}

void Canvas::VerticalGradient(Rgb top, Rgb bottom) {
  const int h = image_->height;
  for (int y = 0; y < h; ++y) {
    const Rgb c = Mix(top, bottom, h > 1 ? float(y) / float(h - 1) : 0.0f);
    for (int x = 0; x < image_->width; ++x) image_->at(x, y) = c;
  }
}

}  // namespace zibo::media
