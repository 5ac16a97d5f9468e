// The program's entry: no arguments are read; the exit code is always 0.
#include "app/app.h"

int main() { return app_main(); }
