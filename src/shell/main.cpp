#include "shell/run_show.h"
#include "show/heap_reuse.h"

int main() {
  zibo::KeepFreedMemoryForReuse();
  return zibo::RunShow();
}
