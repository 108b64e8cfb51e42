// viewer_question.h - the question the show asks before it starts.
//
// A Yes/No/Cancel message box captioned "Do you like...", text "...cars?"
// (Return chooses Yes, Escape Cancel). Without a display that can show a
// box, the same question on the terminal, one line from standard input:
// "y"/"yes" is Yes, "n"/"no" is No, anything else or end of input Cancel.
// Main thread only; call before any window exists.
#ifndef ZIBO_SHELL_VIEWER_QUESTION_H
#define ZIBO_SHELL_VIEWER_QUESTION_H

#include <cstdio>

namespace zibo {

enum class ViewerAnswer { kYes, kNo, kCancel };

ViewerAnswer AskViewer();
// The terminal form, reading one line from `in` after writing to `out`.
ViewerAnswer AskViewerOnTerminal(FILE* in, FILE* out);

}  // namespace zibo

#endif
