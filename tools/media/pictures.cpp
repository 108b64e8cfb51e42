// pictures.cpp - drawing of the backgrounds and slides.
#include "pictures.h"

#include <cmath>

#include "bitmap_font.h"
#include "show/show_media.h"

namespace zibo::media {
namespace {

constexpr float kPi = 3.14159265358979f;

constexpr Rgb kNight{18, 6, 40};
constexpr Rgb kPurple{70, 20, 120};
constexpr Rgb kMagenta{255, 40, 170};
constexpr Rgb kCyan{40, 225, 255};
constexpr Rgb kYellow{255, 215, 40};
constexpr Rgb kOrange{255, 120, 20};
constexpr Rgb kGreen{60, 240, 90};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{230, 30, 40};

// A floor of tiles seen in perspective below `horizon`, each tile coloured
// by `colour(column, row)`; rows count from the viewer into the distance.
template <typename TileColour>
void PerspectiveFloor(Canvas& c, float horizon, int columns, TileColour colour) {
  constexpr float kEye = 300.0f, kNear = 1.0f;
  const float depth_of_bottom = kNear;
  auto project = [&](float x, float z) {
    return Point{400.0f + x * kEye / z, horizon + (600.0f - horizon) * depth_of_bottom / z};
  };
  const float zs[] = {1.0f, 1.35f, 1.85f, 2.6f, 3.7f, 5.4f, 8.0f, 12.0f, 18.0f, 30.0f};
  for (int row = 0; row + 1 < int(sizeof zs / sizeof zs[0]); ++row) {
    for (int col = -columns; col < columns; ++col) {
      const float x0 = float(col) * 0.9f, x1 = x0 + 0.9f;
      const float z0 = zs[row], z1 = zs[row + 1];
      std::vector<Point> quad = {project(x0, z0), project(x1, z0), project(x1, z1), project(x0, z1)};
      c.FillPolygon(quad, colour(col, row));
      // A dark grout line along the near edge of each tile.
      c.DrawLine(quad[0], quad[1], 3.0f / z0, kBlack, 0.6f);
      c.DrawLine(quad[0], quad[3], 3.0f / z0, kBlack, 0.6f);
    }
  }
}

void DiscoBall(Canvas& c, float cx, float cy, float r) {
  c.DrawLine({cx, 0}, {cx, cy - r}, 3, {160, 160, 170});
  c.FillCircle(cx, cy, r, {150, 150, 170});
  // Facets: a grid of small squares, brighter towards the upper left.
  for (float y = cy - r; y < cy + r; y += r / 5) {
    for (float x = cx - r; x < cx + r; x += r / 5) {
      const float dx = x + r / 10 - cx, dy = y + r / 10 - cy;
      if (dx * dx + dy * dy > r * r * 0.85f) continue;
      const float light = 0.5f + 0.5f * std::cos(std::atan2(dy + r * 0.4f, dx + r * 0.4f) * 3.0f);
      c.FillRect(x + 1, y + 1, r / 5 - 2, r / 5 - 2, Mix({90, 90, 120}, kWhite, light));
    }
  }
  c.FillCircle(cx - r * 0.35f, cy - r * 0.35f, r * 0.18f, kWhite, 0.8f);
}

void Sparkle(Canvas& c, float x, float y, float size, Rgb colour) {
  c.FillPolygon({{x, y - size}, {x + size * 0.2f, y - size * 0.2f}, {x + size, y},
                 {x + size * 0.2f, y + size * 0.2f}, {x, y + size}, {x - size * 0.2f, y + size * 0.2f},
                 {x - size, y}, {x - size * 0.2f, y - size * 0.2f}},
                colour);
}

// Light beams fanning out from (x, y) towards the bottom edge.
void Beams(Canvas& c, float x, float y, int count, float spread, const Rgb* colours, int ncolours,
           float opacity) {
  for (int i = 0; i < count; ++i) {
    const float a = -spread / 2 + spread * float(i) / float(count - 1);
    const float w = 0.04f;
    const float len = 900.0f;
    c.FillPolygon({{x, y},
                   {x + len * std::sin(a - w), y + len * std::cos(a - w)},
                   {x + len * std::sin(a + w), y + len * std::cos(a + w)}},
                  colours[i % ncolours], opacity);
  }
}

// The cool blue-violet club with a tiled, multicoloured floor.
void DrawBackground1(Canvas& c) {
  c.VerticalGradient({10, 0, 35}, {60, 10, 110});
  const Rgb beam_colours[] = {kCyan, kMagenta, kYellow, kGreen};
  Beams(c, 400, 70, 9, 2.2f, beam_colours, 4, 0.18f);
  const Rgb tiles[] = {kMagenta, kCyan, kYellow, kGreen, {120, 60, 255}};
  PerspectiveFloor(c, 330.0f, 9, [&](int col, int row) {
    const int k = ((col * 7 + row * 3) % 5 + 5) % 5;
    return Mix(tiles[k], kNight, float(row) * 0.08f);
  });
  DiscoBall(c, 400, 70, 55);
  for (int i = 0; i < 14; ++i)
    Sparkle(c, 40.0f + float((i * 157) % 720), 20.0f + float((i * 89) % 280), 6 + float(i % 3) * 3,
            i % 2 ? kWhite : kCyan);
}

// The warm orange-red stage with a sunburst and a black-and-yellow floor.
void DrawBackground2(Canvas& c) {
  c.VerticalGradient({255, 200, 40}, {200, 20, 40});
  for (int i = 0; i < 24; i += 2) {
    const float a0 = 2 * kPi * float(i) / 24, a1 = 2 * kPi * float(i + 1) / 24;
    c.FillPolygon({{400, 260},
                   {400 + 1200 * std::cos(a0), 260 + 1200 * std::sin(a0)},
                   {400 + 1200 * std::cos(a1), 260 + 1200 * std::sin(a1)}},
                  {255, 90, 10}, 0.45f);
  }
  c.FillCircle(400, 260, 120, {255, 240, 150});
  c.FillCircle(400, 260, 95, {255, 255, 220});
  PerspectiveFloor(c, 360.0f, 8, [&](int col, int row) {
    return ((col + row) & 1) ? Mix(kYellow, {120, 40, 0}, float(row) * 0.07f) : Rgb{25, 5, 10};
  });
  // Speaker stacks left and right.
  for (float x : {20.0f, 680.0f}) {
    c.FillRect(x, 230, 100, 150, {30, 20, 25});
    c.FillCircle(x + 50, 270, 30, {80, 70, 80});
    c.FillCircle(x + 50, 270, 12, {20, 10, 15});
    c.FillCircle(x + 50, 340, 26, {80, 70, 80});
    c.FillCircle(x + 50, 340, 10, {20, 10, 15});
  }
}

void DrawTitleSlide(Canvas& c) {
  const Rgb top{25, 0, 60}, bottom{200, 20, 120};
  c.VerticalGradient(top, bottom);
  // A striped retro sun behind the title.
  c.FillCircle(400, 270, 185, kOrange);
  c.FillCircle(400, 250, 150, {255, 160, 30}, 0.6f);
  for (int i = 0; i < 5; ++i) {
    const float y = 330.0f + float(i) * 27.0f;
    c.FillRect(200, y, 400, 5.0f + float(i) * 3.0f, Mix(top, bottom, y / 600.0f));
  }
  DrawCentredText(c, "ZIBO", 110, 30, kWhite, kMagenta, 0.25f);
  DrawCentredText(c, "a disco demo", 500, 9, kCyan, kNight, 0.3f);
  for (int i = 0; i < 10; ++i)
    Sparkle(c, 60.0f + float((i * 211) % 680), 20.0f + float((i * 97) % 80), 8, kWhite);
}

void DrawQuestionSlide(Canvas& c) {
  c.VerticalGradient({0, 40, 90}, {0, 140, 160});
  for (int i = 0; i < 12; ++i)
    c.FillCircle(float(i * 70 + 20), 80.0f + float((i * 53) % 60), 18, kWhite, 0.12f);
  DrawCentredText(c, "Do you", 150, 17, kYellow, kNight, 0.3f);
  DrawCentredText(c, "like...", 330, 17, kYellow, kNight, 0.3f);
}

void DrawCarsQuestionSlide(Canvas& c) {
  c.VerticalGradient({120, 0, 60}, {255, 80, 60});
  DrawCentredText(c, "...cars?", 230, 15, kWhite, {60, 0, 30}, 0.3f);
}

void DrawCar(Canvas& c, float x, float y, float scale, Rgb body) {
  auto P = [&](float px, float py) { return Point{x + px * scale, y + py * scale}; };
  // Shadow, body, cabin, windows, wheels, lights.
  c.FillEllipse(x + 200 * scale, y + 150 * scale, 230 * scale, 18 * scale, kBlack, 0.35f);
  c.FillRoundedRect(x, y + 60 * scale, 400 * scale, 80 * scale, 28 * scale, body);
  c.FillPolygon({P(80, 62), P(130, 5), P(290, 5), P(345, 62)}, body);
  c.FillPolygon({P(100, 58), P(140, 16), P(205, 16), P(205, 58)}, {170, 230, 255});
  c.FillPolygon({P(215, 58), P(215, 16), P(282, 16), P(325, 58)}, {170, 230, 255});
  c.FillRect(x + 20 * scale, y + 95 * scale, 360 * scale, 6 * scale, kWhite, 0.6f);
  for (float wx : {95.0f, 310.0f}) {
    c.FillCircle(x + wx * scale, y + 140 * scale, 42 * scale, {25, 25, 30});
    c.FillCircle(x + wx * scale, y + 140 * scale, 22 * scale, {200, 200, 210});
    c.FillCircle(x + wx * scale, y + 140 * scale, 8 * scale, {90, 90, 100});
  }
  c.FillRoundedRect(x + 380 * scale, y + 75 * scale, 20 * scale, 20 * scale, 6 * scale, kYellow);
  c.FillRoundedRect(x, y + 75 * scale, 14 * scale, 18 * scale, 5 * scale, kRed);
}

void DrawCarSlide(Canvas& c) {
  c.VerticalGradient({90, 180, 255}, {200, 235, 255});
  c.FillCircle(670, 110, 60, {255, 240, 120});
  // Hills, road with a dashed centre line.
  c.FillEllipse(180, 420, 320, 120, {70, 170, 80});
  c.FillEllipse(620, 430, 300, 100, {50, 150, 70});
  c.FillRect(0, 420, 800, 180, {60, 60, 70});
  for (float x = 0; x < 800; x += 120) c.FillRect(x + 20, 530, 70, 10, kWhite);
  DrawCar(c, 170, 255, 1.15f, kRed);
  DrawCentredText(c, "VROOM!", 40, 12, kWhite, {30, 60, 120}, 0.3f);
}

void DrawDanceFloorSlide(Canvas& c) {
  c.VerticalGradient(kNight, kPurple);
  const Rgb beam_colours[] = {kMagenta, kCyan, kYellow};
  Beams(c, 400, 60, 7, 1.8f, beam_colours, 3, 0.25f);
  const Rgb tiles[] = {kMagenta, kCyan, kYellow, kGreen};
  PerspectiveFloor(c, 380.0f, 10, [&](int col, int row) {
    return Mix(tiles[((col + row) % 4 + 4) % 4], kNight, float(row) * 0.09f);
  });
  DiscoBall(c, 400, 60, 45);
  DrawCentredText(c, "DANCE!", 150, 22, kYellow, kMagenta, 0.25f);
}

void DrawKey(Canvas& c, float x, float y, float w, float h, const std::string& label, float cell) {
  c.FillRoundedRect(x + 6, y + 10, w, h, 18, {10, 10, 20}, 0.6f);
  c.FillRoundedRect(x, y, w, h, 18, {225, 225, 235});
  c.FillRoundedRect(x + 10, y + 8, w - 20, h - 24, 12, kWhite);
  DrawText(c, label, x + (w - TextWidth(label, cell)) * 0.5f, y + (h - 16 - 7 * cell) * 0.5f, cell,
           {30, 30, 50});
}

void DrawKeysSlide(Canvas& c) {
  c.VerticalGradient({10, 60, 30}, {20, 20, 70});
  DrawCentredText(c, "Hold", 40, 13, kWhite, kBlack, 0.3f);
  DrawKey(c, 80, 170, 150, 150, "H", 14);
  DrawText(c, "+", 255, 205, 12, kYellow);
  DrawKey(c, 360, 185, 360, 120, "SPACE", 10);
  DrawCentredText(c, "H: a longer dancer", 395, 6, kCyan);
  DrawCentredText(c, "Space: honk!", 470, 8, kYellow);
}

void DrawCreditsSlide(Canvas& c) {
  c.VerticalGradient({40, 0, 50}, {0, 0, 0});
  for (int i = 0; i < 30; ++i)
    c.FillCircle(float((i * 263) % 800), float((i * 151) % 600), 2.0f + float(i % 3), kWhite,
                 0.7f);
  DrawCentredText(c, "THE END", 50, 16, kMagenta, kBlack, 0.3f);
  DrawCentredText(c, "zibo", 200, 10, kYellow);
  DrawCentredText(c, "made from code by", 300, 6, kCyan);
  DrawCentredText(c, "the zibo crew", 360, 7, kWhite);
  DrawCentredText(c, "thanks for dancing!", 470, 6, kGreen);
}

Picture Draw(const char* name, int size, void (*draw)(Canvas&)) {
  Picture p{name, RgbImage(size, size)};
  Canvas canvas(&p.image);
  draw(canvas);
  return p;
}

}  // namespace

std::vector<Picture> MakePictures(int size) {
  std::vector<Picture> out;
  out.push_back(Draw(kBackgroundFile, size, DrawBackground1));
  out.push_back(Draw(kBackground2File, size, DrawBackground2));
  out.push_back(Draw(kSlideFiles[0], size, DrawTitleSlide));
  out.push_back(Draw(kSlideFiles[1], size, DrawQuestionSlide));
  out.push_back(Draw(kSlideFiles[2], size, DrawCarsQuestionSlide));
  out.push_back(Draw(kSlideFiles[3], size, DrawCarSlide));
  out.push_back(Draw(kSlideFiles[4], size, DrawDanceFloorSlide));
  out.push_back(Draw(kSlideFiles[5], size, DrawKeysSlide));
  out.push_back(Draw(kSlideFiles[6], size, DrawCreditsSlide));
  return out;
}

RgbImage MakeIcon(int size) {
  const Rgb top{10, 0, 35}, bottom{60, 10, 110};
  RgbImage strip(size, size * 3 / 4);
  Canvas c(&strip);
  c.VerticalGradient(top, bottom);
  const Rgb beam_colours[] = {kCyan, kMagenta, kYellow, kGreen};
  Beams(c, 400, 300, 12, 2 * kPi, beam_colours, 4, 0.35f);
  DiscoBall(c, 400, 300, 200);
  Sparkle(c, 130, 110, 60, kWhite);
  Sparkle(c, 670, 480, 45, kCyan);

  // The bands above and below the strip continue its gradient's ends.
  RgbImage icon(size, size, top);
  const int offset = (size - strip.height) / 2;
  for (int y = offset + strip.height; y < size; ++y)
    for (int x = 0; x < size; ++x) icon.at(x, y) = bottom;
  for (int y = 0; y < strip.height; ++y)
    for (int x = 0; x < size; ++x) icon.at(x, y + offset) = strip.at(x, y);
  return icon;
}

}  // namespace zibo::media
