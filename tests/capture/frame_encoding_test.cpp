// The y4m and PNG encodings of captured frames, checked by decoding them
// again with libpng and with ffmpeg.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frame_output.h"
#include "png_writer.h"
#include "y4m_writer.h"

namespace zibo {
namespace {

// An RGBA picture in GL order: row 0 is the bottom row.
struct Picture {
  int width, height;
  std::vector<uint8_t> rgba;
  Picture(int w, int h) : width(w), height(h), rgba(size_t(w) * h * 4, 0) {}
  // (x, y) with y counted from the top, as the picture is seen.
  void Set(int x, int y_from_top, int r, int g, int b) {
    uint8_t* p = rgba.data() + (size_t(height - 1 - y_from_top) * width + x) * 4;
    p[0] = uint8_t(r);
    p[1] = uint8_t(g);
    p[2] = uint8_t(b);
    p[3] = 255;
  }
  void Fill(int r, int g, int b) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Set(x, y, r, g, b);
  }
};

struct Planes {
  std::vector<uint8_t> y, u, v;
};

Planes Encode(const Picture& picture) {
  std::vector<uint8_t> frame;
  EncodeY4mFrame(picture.width, picture.height, picture.rgba.data(), &frame);
  const size_t luma = size_t(picture.width) * picture.height;
  EXPECT_EQ(frame.size(), 6 + luma + luma / 2);
  EXPECT_EQ(std::string(frame.begin(), frame.begin() + 6), "FRAME\n");
  Planes planes;
  planes.y.assign(frame.begin() + 6, frame.begin() + 6 + luma);
  planes.u.assign(frame.begin() + 6 + luma, frame.begin() + 6 + luma + luma / 4);
  planes.v.assign(frame.begin() + 6 + luma + luma / 4, frame.end());
  return planes;
}

TEST(Y4m, HeaderNamesSizeRateAndColour) {
  EXPECT_EQ(Y4mStreamHeader(800, 600, FrameRate{60, 1}),
            "YUV4MPEG2 W800 H600 F60:1 Ip A1:1 C420jpeg XYSCSS=420JPEG XCOLORRANGE=LIMITED\n");
  EXPECT_EQ(Y4mStreamHeader(160, 120, FrameRate{60000, 1001}).substr(0, 32),
            "YUV4MPEG2 W160 H120 F60000:1001 ");
}

TEST(Y4m, StudioRangeColours) {
  struct Case {
    int r, g, b, y, u, v;
  };
  const Case cases[] = {
      {0, 0, 0, 16, 128, 128},     {255, 255, 255, 235, 128, 128},
      {255, 0, 0, 81, 90, 240},    {0, 255, 0, 145, 54, 34},
      {0, 0, 255, 41, 240, 110},   {128, 128, 128, 126, 128, 128},
  };
  for (const Case& c : cases) {
    Picture picture(4, 2);
    picture.Fill(c.r, c.g, c.b);
    const Planes planes = Encode(picture);
    EXPECT_EQ(planes.y[0], c.y) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(planes.u[0], c.u) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(planes.v[0], c.v) << c.r << "," << c.g << "," << c.b;
  }
}

TEST(Y4m, PlanesAreTopRowFirstAndChromaIsTheBlockMean) {
  Picture picture(4, 4);
  picture.Set(0, 0, 255, 255, 255);  // the top-left pixel only
  for (int x = 2; x < 4; ++x)
    for (int y = 2; y < 4; ++y) picture.Set(x, y, 255, 0, 0);  // bottom-right block red
  const Planes planes = Encode(picture);
  EXPECT_EQ(planes.y[0], 235);
  EXPECT_EQ(planes.y[1], 16);
  EXPECT_EQ(planes.y[4], 16);
  EXPECT_EQ(planes.y[15], 81);
  // Chroma of the top-left block: one white and three black pixels, grey.
  EXPECT_EQ(planes.u[0], 128);
  EXPECT_EQ(planes.v[0], 128);
  EXPECT_EQ(planes.v[3], 240);  // bottom-right block
  EXPECT_EQ(planes.v[1], 128);
}

TEST(Png, RoundTripsThroughLibpngTopRowFirst) {
  Picture picture(5, 3);
  picture.Fill(10, 20, 30);
  picture.Set(0, 0, 255, 0, 0);
  picture.Set(4, 2, 0, 0, 255);
  std::vector<uint8_t> png;
  std::string error;
  ASSERT_TRUE(EncodePng(5, 3, picture.rgba.data(), &png, &error)) << error;

  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
  EXPECT_EQ(image.width, 5u);
  EXPECT_EQ(image.height, 3u);
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);  // RGB, no alpha
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
  EXPECT_EQ(rgb[0], 255);  // top-left red
  EXPECT_EQ(rgb[1], 0);
  EXPECT_EQ(rgb[3], 10);
  EXPECT_EQ(rgb[4], 20);
  EXPECT_EQ(rgb[5], 30);
  EXPECT_EQ(rgb[(2 * 5 + 4) * 3 + 2], 255);  // bottom-right blue
}

TEST(Png, WritingToAMissingFolderNamesThePath) {
  std::string error;
  EXPECT_FALSE(WriteWholeFile("/nonexistent-folder/x.png", {1, 2, 3}, &error));
  EXPECT_EQ(error, "/nonexistent-folder/x.png: No such file or directory");
}

std::string TempPath(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/zibo-capture-" + std::to_string(getpid()) + "-" +
         name;
}

// ffmpeg must read our y4m back to the colours that went in (within the
// rounding of studio range and 4:2:0).
TEST(Y4m, FfmpegReadsItBack) {
  const int w = 16, h = 8;
  const int colours[][3] = {{0, 0, 0}, {255, 255, 255}, {200, 40, 90}, {20, 160, 220}};
  const std::string y4m = TempPath("read.y4m");
  const std::string rgb = TempPath("read.rgb");
  {
    std::string error;
    std::unique_ptr<StreamOutput> out = CreateFileOutput(y4m, &error);
    ASSERT_TRUE(out) << error;
    ASSERT_TRUE(out->WriteHeader(Y4mStreamHeader(w, h, FrameRate{25, 1}), &error)) << error;
    for (int i = 0; i < 4; ++i) {
      Picture picture(w, h);
      picture.Fill(colours[i][0], colours[i][1], colours[i][2]);
      std::vector<uint8_t> frame;
      EncodeY4mFrame(w, h, picture.rgba.data(), &frame);
      ASSERT_TRUE(out->WriteFrame(i, frame, &error)) << error;
    }
    ASSERT_TRUE(out->Finish(&error)) << error;
  }
  const std::string command = "ffmpeg -hide_banner -loglevel error -y -i '" + y4m +
                              "' -f rawvideo -pix_fmt rgb24 '" + rgb + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream file(rgb, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), size_t(4 * w * h * 3));
  for (int i = 0; i < 4; ++i) {
    const uint8_t* pixel = bytes.data() + size_t(i) * w * h * 3 + (3 * w + 5) * 3;
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(pixel[c], colours[i][c], 3) << "frame " << i << " channel " << c;
    }
  }
  std::remove(y4m.c_str());
  std::remove(rgb.c_str());
}

}  // namespace
}  // namespace zibo
