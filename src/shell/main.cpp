#include "shell/run_show.h"

int main() { return zibo::RunShow(); }
