// Makes the whole demo story as a plain data folder; the pictures are painted by two workers.
#include "tools/demogen/demo_folder.h"

#include <filesystem>
#include <thread>

#include "platform/image/image_write.h"
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

bool write_pointer(const std::string& outdir, long* bytes, std::string* error) {
    Canvas c = paint_pointer();
    std::filesystem::path path = std::filesystem::path(outdir) / "GAME39651497";
    if (!write_png(path.string(), c.pixels.data(), c.width, c.height, false)) {
        *error = "cannot write " + path.string();
        return false;
    }
    std::error_code ec;
    *bytes = static_cast<long>(std::filesystem::file_size(path, ec));
    return true;
}

}  // namespace

bool make_demo_folder(const std::string& outdir, DemoSummary* summary, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(outdir, ec);
    long pointer_bytes = 0;
    if (!write_script(outdir, error) || !write_pointer(outdir, &pointer_bytes, error)) return false;
    Totals a, b;
    std::thread second(make_files, 1, outdir, &b);
    make_files(0, outdir, &a);
    second.join();
    for (const Totals* t : {&a, &b}) {
        if (!t->error.empty()) {
            *error = t->error;
            return false;
        }
    }
    summary->scenes = static_cast<int>(story_scenes().size());
    summary->files = 2 + a.files + b.files;
    summary->bytes = static_cast<long>(std::filesystem::file_size(std::filesystem::path(outdir) / "GAME42297263", ec)) +
                     pointer_bytes + a.bytes + b.bytes;
    return true;
}
