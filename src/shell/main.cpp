// zibo: the show. `zibo --help` and `zibo --version` print and exit 0
// without opening anything; any other argument is ignored.
#include <cstdio>
#include <cstring>

#include "shell/run_show.h"
#include "show/heap_reuse.h"
#include "show/program_version.h"

namespace {

const char kUsage[] =
    "usage: zibo [--help | --version]\n"
    "\n"
    "A small self-running audiovisual disco show. It asks \"...cars?\": Yes plays it\n"
    "fullscreen at 800x600, No in an 800x600 window, Cancel quits. Without a display\n"
    "the question is asked on the terminal (y or n).\n"
    "\n"
    "WARNING: the last scene (from 111.4 s to the end) flashes the whole screen,\n"
    "inverting it ten times a second. People sensitive to flashing light should\n"
    "not watch it.\n"
    "\n"
    "keys:\n"
    "  Escape        end the show\n"
    "  Space (held)  honk\n"
    "  H (held)      the dancer's extra segment\n"
    "\n"
    "media: all eleven files (disco.mp3, s.ogg, bg.tga, bg2.tga, s1.tga ... s7.tga)\n"
    "come from the first of these folders that holds all of them: the current\n"
    "folder, $XDG_DATA_HOME/zibo (~/.local/share/zibo), each $XDG_DATA_DIRS entry's\n"
    "zibo/ (/usr/local/share/zibo, /usr/share/zibo), the installed media folder.\n"
    "\n"
    "exit status: 0 when the show ended (by itself, Escape, a window close, SIGINT\n"
    "or SIGTERM) or the question was cancelled; 1 when it could not start, with\n"
    "the reason on standard error.\n"
    "\n"
    "  --help, -h    show this text and exit\n"
    "  --version     show the program's version and licence and exit\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::fputs(zibo::VersionText("zibo").c_str(), stdout);
      return 0;
    }
  }
  zibo::KeepFreedMemoryForReuse();
  return zibo::RunShow();
}
