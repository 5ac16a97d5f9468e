// poromina-demogen OUTDIR: writes the demo story as a plain (unscrambled) data folder: the
// scenario script, the pointer image, the pictures and the sounds, all made by this program.
#include <chrono>
#include <cstdio>
#include <string>

#include "tools/demogen/demo_folder.h"

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs("usage: poromina-demogen OUTDIR\n"
                   "Writes the demo story (script GAME42297263, pointer GAME39651497, pictures and\n"
                   "sounds) as plain files into OUTDIR; \"poromina-tool pack\" makes a data folder of it.\n",
                   stderr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    DemoSummary summary;
    std::string error;
    if (!make_demo_folder(argv[1], &summary, &error)) {
        std::fprintf(stderr, "poromina-demogen: %s\n", error.c_str());
        return 1;
    }
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("poromina-demogen: %d scenes, %d files, %.1f MB in %s (%.0f ms)\n", summary.scenes,
                summary.files, static_cast<double>(summary.bytes) / 1e6, argv[1], ms);
    return 0;
}
