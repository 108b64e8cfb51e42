// The show's entry points for the page (zibo_page.js): the page fetches the
// pictures and the noise spectrum table, hands their bytes over, and then
// asks for one frame per animation frame at the music time it has read
// from its audio clock. The drawing is the native show's own (show.h) on
// the GL 1.x subset built on WebGL. Main thread only.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstdlib>

#include <GL/gl.h>
#include <memory>
#include <string>

#include "scenes/scene_schedule.h"
#include "show/gl_state.h"
#include "show/show.h"
#include "show/show_media.h"
#include "textures/texture_upload.h"
#include "textures/tga_reader.h"
#include "web/noise_spectrum_table.h"

namespace zibo {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Bytes {
  uint8_t* data = nullptr;
  int size = 0;
};

struct WebShow {
  Bytes pictures[kImageFileCount];
  NoiseSpectrumTable table;
  std::unique_ptr<TableSpectrum> spectrum;
  std::unique_ptr<Show> show;
  std::string error;
};

WebShow& Web() {
  static WebShow web;
  return web;
}

int PictureIndex(const char* name) {
  for (int i = 0; i < kImageFileCount; ++i) {
    if (std::string(name) == kImageFiles[i]) return i;
  }
  return -1;
}

// Loads a picture from the bytes the page handed over, then frees them.
bool LoadPicture(const char* name, uint32_t* texture, std::string* error) {
  const int index = PictureIndex(name);
  if (index < 0) {
    *error = std::string(name) + ": not one of the show's pictures";
    return false;
  }
  Bytes& bytes = Web().pictures[index];
  TgaImage image;
  const bool ok = bytes.data && ParseTga(bytes.data, size_t(bytes.size), &image, error);
  if (!bytes.data) *error = "not fetched";
  std::free(bytes.data);
  bytes = Bytes();
  if (!ok) {
    *error = std::string(name) + ": " + *error;
    return false;
  }
  *texture = CreateMipmappedTexture(image.width, image.height, image.rgba.get());
  return true;
}

}  // namespace
}  // namespace zibo

using zibo::Web;

extern "C" {

// Makes the WebGL context on the canvas (CSS selector) and sets it up as
// the native show sets up its window's context. 0 when WebGL is missing.
EMSCRIPTEN_KEEPALIVE int zibo_web_start(const char* canvas) {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  // Opaque like a window: the pictures' alpha bytes are 0.
  attributes.alpha = false;
  attributes.depth = false;
  attributes.stencil = false;
  attributes.antialias = false;
  attributes.premultipliedAlpha = false;
  attributes.majorVersion = 1;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
  if (context <= 0) {
    std::fprintf(stderr, "zibo: no WebGL context on %s (error %d)\n", canvas, int(context));
    return 0;
  }
  emscripten_webgl_make_context_current(context);
  zibo::SetInitialGlState(zibo::kWidth, zibo::kHeight);
  return 1;
}

// Hands over picture `index` of the show's nine (kImageFiles order); the
// bytes come from malloc and are freed once loaded.
EMSCRIPTEN_KEEPALIVE void zibo_web_put_picture(int index, uint8_t* data, int size) {
  if (index < 0 || index >= zibo::kImageFileCount) return std::free(data);
  std::free(Web().pictures[index].data);
  Web().pictures[index] = {data, size};
}

EMSCRIPTEN_KEEPALIVE const char* zibo_web_picture_name(int index) {
  return index >= 0 && index < zibo::kImageFileCount ? zibo::kImageFiles[index] : "";
}

// Reads the noise spectrum table (copied; the caller frees `data`), then
// makes every texture. Returns "" or why the show cannot be drawn.
EMSCRIPTEN_KEEPALIVE const char* zibo_web_load(const uint8_t* data, int size) {
  zibo::WebShow& web = Web();
  web.error.clear();
  std::string error;
  if (!zibo::ParseNoiseSpectrumTable(data, size_t(size), &web.table, &error)) {
    web.error = std::string("noise_spectrum.bin: ") + error;
    return web.error.c_str();
  }
  web.spectrum.reset(new zibo::TableSpectrum(web.table));
  web.show = zibo::Show::Load(zibo::LoadPicture, *web.spectrum, &error);
  if (!web.show) web.error = error;
  return web.error.c_str();
}

// Draws the frame for music time t, as the native show does.
EMSCRIPTEN_KEEPALIVE void zibo_web_draw(int t, int h_down) {
  zibo::WebShow& web = Web();
  if (!web.show) return;
  web.spectrum->SetTimeMs(t);
  web.show->DrawFrame(t, h_down != 0);
}

// Waits until the GPU has drawn everything asked so far (by reading one
// pixel back), so that a benchmark times whole frames.
EMSCRIPTEN_KEEPALIVE void zibo_web_finish() {
  uint8_t pixel[4];
  glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

EMSCRIPTEN_KEEPALIVE int zibo_web_past_end(int t) { return zibo::IsPastShowEnd(t) ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE int zibo_web_scene_row(int t) { return zibo::SceneRowAt(t); }

}  // extern "C"
