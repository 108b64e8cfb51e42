// show_outcome.h - starting the real show on a case directory and judging
// how it ended, shared by the bad-media and no-device tests.
//
// The show answers the terminal question ("n": windowed) on SDL's
// offscreen video driver unless told otherwise, and writes its audio
// through SDL's "disk" driver into the case directory, so the tests can
// tell when the music has really started. Test thread only.
#ifndef ZIBO_TESTS_SHOW_OUTCOME_H
#define ZIBO_TESTS_SHOW_OUTCOME_H

#include <string>

#include "show_process.h"

namespace zibo {

// Bounds for a show's start-up and end (generous: the same tests run in the
// sanitizer build on a shared machine).
constexpr int kStartTimeoutMs = 60000;
constexpr int kEndTimeoutMs = 20000;

// Where the disk audio driver writes, inside the case directory.
std::string AudioOutputPath(const std::string& directory);

// The usual options for a case directory: terminal answer "n", offscreen
// video, disk audio, no display.
ShowOptions HeadlessShowOptions(const std::string& directory);

// Waits until the music is audible in the disk output, the show ends, or
// the start timeout passes. Returns "" once the music plays, else why not.
std::string WaitForMusic(ShowProcess& show, const std::string& directory);

// The show must end by itself with exit status 1, having written `line` as
// a whole line to standard error, before any music was heard, and leave no
// process behind. Returns "" or what went wrong.
std::string ExpectStartFailure(ShowProcess& show, const std::string& directory,
                               const std::string& line);

// The show must reach its music, keep running for `run_ms`, report no
// failure, and then end with exit status 0 on `signal_number`, leaving no
// process behind. Returns "" or what went wrong.
std::string ExpectRunsUntilSignal(ShowProcess& show, const std::string& directory, int run_ms,
                                  int signal_number);

bool HasLine(const std::string& text, const std::string& line);

}  // namespace zibo

#endif
