#!/usr/bin/env bash
# Builds the show for web browsers into build/web/: index.html, the page's
# script, zibo.js + zibo.wasm (the show's own drawing code compiled to
# WebAssembly with emscripten), the eleven media files and the noise
# scene's spectrum table, ready for any static file server:
#   python3 -m http.server -d build/web
# Uses the native build in build/ for the media and the table (configured
# here when it is missing). Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zibo_web_data

out=build/web
mkdir -p "$out"
# Debian's emscripten finds its JavaScript optimiser's parser (acorn)
# among Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
sources=(
  src/scenes/primitives.cpp src/scenes/dancer.cpp src/scenes/scene_schedule.cpp
  src/textures/tga_reader.cpp src/textures/noise_texture.cpp src/textures/texture_upload.cpp
  src/show/show.cpp src/show/show_frame.cpp src/show/gl_state.cpp
  src/web/web_show.cpp src/web/noise_spectrum_table.cpp
  src/web/gl1/gl1_on_webgl.cpp src/web/gl1/glu_mipmaps.cpp
)
# src/web/gl1 comes first: its GL/gl.h and GL/glu.h stand in for the
# system's, so that the show's GL 1.x calls land on WebGL.
emcc -std=c++17 -O2 -Wall -Wextra -Werror -Isrc/web/gl1 -Isrc "${sources[@]}" \
  -o "$out/zibo.js" \
  -sENVIRONMENT=web -sFILESYSTEM=0 -sMODULARIZE=1 -sEXPORT_NAME=createZibo \
  -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_FUNCTIONS=_malloc,_free \
  -sEXPORTED_RUNTIME_METHODS=UTF8ToString
cp src/web/page/index.html src/web/page/zibo_page.js "$out/"
cp build/media/* build/web-data/noise_spectrum.bin "$out/"
echo "build/web: $(du -cb "$out/zibo.js" "$out/zibo.wasm" "$out/zibo_page.js" "$out/index.html" | tail -1 | cut -f1) bytes of page code"
