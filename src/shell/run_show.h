// run_show.h - the whole show: question, start-up, frame loop, shutdown.
// Returns the process exit status. Main thread only.
#ifndef ZIBO_SHELL_RUN_SHOW_H
#define ZIBO_SHELL_RUN_SHOW_H

namespace zibo {

int RunShow();

}  // namespace zibo

#endif
