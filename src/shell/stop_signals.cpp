#include "shell/stop_signals.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <signal.h>

namespace zibo {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM};
volatile std::sig_atomic_t stop_requested = 0;

void OnStopSignal(int) { stop_requested = 1; }

}  // namespace

bool InstallStopSignalHandlers() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls resume; the handler is reset after the first
  // signal, so a second one still ends the process.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  bool ok = true;
  for (int signal_number : kStopSignals) {
    if (sigaction(signal_number, &action, nullptr) != 0) {
      std::fprintf(stderr, "zibo: cannot handle signal %d: %s\n", signal_number,
                   std::strerror(errno));
      ok = false;
    }
  }
  return ok;
}

bool StopRequested() { return stop_requested != 0; }

}  // namespace zibo
