// The program's entry: the command line (story folder, start entry, author keys, plain folder),
// then the game. Without arguments it starts as always: the data folder of the current directory.
#include "app/app.h"
#include "platform/system/signals.h"

int main(int argc, char** argv) {
    // SIGTERM and SIGINT end the game the ordinary way (exit code 0), also from a box or a dialog.
    signals_install();
    const int refused = parse_command_line(argc, argv);
    if (refused >= 0) return refused;
    return app_main();
}
