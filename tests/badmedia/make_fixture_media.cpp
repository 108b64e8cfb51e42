// Writes the stand-in media into the folder given as the only argument, for
// test runs where the build's own generated media are not there.
#include <cstdio>
#include <string>

#include "support/stand_in_media.h"

int main(int argc, char** argv) {
  std::string error;
  if (argc != 2 || !zibo::testing::WriteStandInMedia(argv[1], &error)) {
    std::fprintf(stderr, "make_fixture_media <folder>: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
