// stop_signals.h - SIGINT and SIGTERM as a request to end the show.
//
// Once installed, the first SIGINT or SIGTERM only records the request, so
// the show can close its window the normal way and put the desktop's
// display mode back; a second one ends the process at once (the default
// action). The frame loop polls StopRequested on the main thread; the
// handler itself only writes a sig_atomic_t.
#ifndef ZIBO_SHELL_STOP_SIGNALS_H
#define ZIBO_SHELL_STOP_SIGNALS_H

namespace zibo {

// Returns false (and tells stderr why) if a handler could not be set.
bool InstallStopSignalHandlers();
bool StopRequested();

}  // namespace zibo

#endif
