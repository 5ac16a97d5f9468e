// poromina-demogen OUTDIR: writes the demo story as a plain (unscrambled) data folder: the
// scenario script, the pointer image, the pictures and the sounds, all made by this program.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/image_write.h"
#include "tools/demogen/pictures.h"
#include "tools/demogen/sounds.h"
#include "tools/demogen/story.h"

namespace {

constexpr long kMaxPictureBytes = 2097152;  // the game reads no bigger picture

struct Totals {
    int files = 0;
    long bytes = 0;
    std::string error;  // first failure; empty when all went well
};

// Paints and writes every second picture starting at `first`; the worker that starts at 0
// then writes the sounds too.
void make_files(int first, const std::string& outdir, Totals* t) {
    for (int id = first; id < kPictureCount && t->error.empty(); id += 2) {
        long size = write_picture(id, outdir, &t->error);
        if (size > kMaxPictureBytes) t->error = std::string(picture_recipe(id).name) + " is over 2 MiB";
        t->files += 1;
        t->bytes += size;
    }
    for (int id = first == 0 ? 0 : kSoundCount; id < kSoundCount && t->error.empty(); ++id) {
        t->files += 1;
        t->bytes += write_sound(id, outdir, &t->error);
    }
}

bool write_pointer(const std::string& outdir, std::string* error) {
    Canvas c = paint_pointer();
    std::string path = (std::filesystem::path(outdir) / "GAME39651497").string();
    if (!write_png(path, c.pixels.data(), c.width, c.height, false)) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs("usage: poromina-demogen OUTDIR\n"
                   "Writes the demo story (script GAME42297263, pointer GAME39651497, pictures and\n"
                   "sounds) as plain files into OUTDIR; \"poromina-tool pack\" makes a data folder of it.\n",
                   stderr);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const std::string outdir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    std::string error;
    if (!write_script(outdir, &error) || !write_pointer(outdir, &error)) {
        std::fprintf(stderr, "poromina-demogen: %s\n", error.c_str());
        return 1;
    }
    // Two workers: the pictures split between them, the sounds on the first.
    Totals a, b;
    std::thread second(make_files, 1, outdir, &b);
    make_files(0, outdir, &a);
    second.join();
    for (const Totals* t : {&a, &b}) {
        if (!t->error.empty()) {
            std::fprintf(stderr, "poromina-demogen: %s\n", t->error.c_str());
            return 1;
        }
    }
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("poromina-demogen: %zu scenes, %d pictures, %d sounds, %.1f MB in %s (%.0f ms)\n",
                story_scenes().size(), static_cast<int>(kPictureCount), static_cast<int>(kSoundCount),
                static_cast<double>(a.bytes + b.bytes) / 1e6, outdir.c_str(), ms);
    return 0;
}
