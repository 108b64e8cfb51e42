// Placeholder: the question is being written.
#include "shell/viewer_question.h"
namespace zibo {
ViewerAnswer AskViewer() { return ViewerAnswer::kCancel; }
ViewerAnswer AskViewerOnTerminal(FILE*, FILE*) { return ViewerAnswer::kCancel; }
}
