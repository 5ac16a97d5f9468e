// The program's entry: no arguments are read; the exit code is always 0.
#include "app/app.h"
#include "platform/system/signals.h"

int main() {
    // SIGTERM and SIGINT end the game the ordinary way (exit code 0), also from a box or a dialog.
    signals_install();
    return app_main();
}
