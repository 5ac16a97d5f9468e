// pack and unpack: a folder of plain files to the stored (scrambled) data folder and back, with
// the game's own descramble().
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "scenario/data_file.h"
#include "scenario/script_text.h"
#include "tools/tool/tool.h"

namespace fs = std::filesystem;

namespace {

bool read_whole(const fs::path& path, std::vector<unsigned char>* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool write_whole(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out.good();
}

// True when inner is outer or lies somewhere below it.
bool is_within(const fs::path& inner, const fs::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty()) continue;  // the trailing "" of a path that ends in a separator
        if (i == inner.end() || *i != *o) return false;
    }
    return true;
}

// Scrambles or unscrambles one file's bytes in place; the same call does both. Returns the
// reason when the file cannot be stored so that unpack gives it back.
const char* transform(std::vector<unsigned char>* bytes, bool pack, bool* is_wave) {
    size_t offset = 0, length = 0;
    WaveKind kind = find_wave_payload(bytes->data(), bytes->size(), &offset, &length);
    *is_wave = kind != WaveKind::not_wave;
    if (kind == WaveKind::wave) {
        descramble(bytes->data() + offset, length);  // key index 0 at the first sample byte
        return nullptr;
    }
    if (kind == WaveKind::no_data) return nullptr;  // nothing to scramble: stored as it is
    descramble(bytes->data(), bytes->size());
    // A stored file is told from a WAVE by its first bytes; one whose stored form would read as
    // a WAVE could not be unpacked again.
    if (pack && find_wave_payload(bytes->data(), bytes->size(), &offset, &length) != WaveKind::not_wave)
        return "its scrambled form would read as a WAVE file; it cannot be stored";
    return nullptr;
}

// Files of the stored folder dst that no file of the plain folder src stands for any more: each
// is named on err, and removed when clean is set. Returns how many there were.
int stale_files(const fs::path& src, const fs::path& dst, bool clean, FILE* err, int* failures) {
    std::error_code ec;
    std::vector<fs::path> stale;
    for (fs::recursive_directory_iterator it(dst, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code entry_ec;
        if (!it->is_regular_file(entry_ec)) continue;
        if (!fs::exists(src / it->path().lexically_relative(dst), entry_ec)) stale.push_back(it->path());
    }
    for (const fs::path& p : stale) {
        if (!clean) {
            std::fprintf(err, "%s: warning: no plain file in %s stands for it any more (\"pack --clean\" removes it)\n",
                         p.c_str(), src.c_str());
        } else if (fs::remove(p, ec)) {
            std::fprintf(err, "%s: removed: no plain file stands for it any more\n", p.c_str());
        } else {
            std::fprintf(err, "%s: cannot remove (%s)\n", p.c_str(), ec.message().c_str());
            ++*failures;
        }
    }
    return static_cast<int>(stale.size());
}

}  // namespace

int pack_folder(const std::string& src, const std::string& dst, bool pack, FILE* out, FILE* err, bool utf8_script,
                bool clean) {
    const char* command = pack ? "pack" : "unpack";
    std::error_code ec;
    if (!fs::is_directory(src, ec)) {
        std::fprintf(err, "poromina-tool %s: %s: not a folder\n", command, src.c_str());
        return kToolBadUsage;
    }
    if (fs::exists(dst, ec) && !fs::is_directory(dst, ec)) {
        std::fprintf(err, "poromina-tool %s: %s: exists and is not a folder\n", command, dst.c_str());
        return kToolBadUsage;
    }
    fs::path src_full = fs::weakly_canonical(src, ec);
    fs::path dst_full = fs::weakly_canonical(dst, ec);
    if (ec || is_within(dst_full, src_full)) {
        std::fprintf(err, "poromina-tool %s: %s: must not be %s or lie inside it\n", command,
                     dst.c_str(), src.c_str());
        return kToolBadUsage;
    }
    if (!fs::create_directories(dst, ec) && ec) {
        std::fprintf(err, "poromina-tool %s: %s: cannot make the folder (%s)\n", command,
                     dst.c_str(), ec.message().c_str());
        return kToolBadUsage;
    }

    int files = 0, waves = 0, failures = 0;
    fs::recursive_directory_iterator it(src, ec), end;
    if (ec) {
        std::fprintf(err, "poromina-tool %s: %s: cannot read the folder (%s)\n", command,
                     src.c_str(), ec.message().c_str());
        return kToolBadUsage;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        fs::path relative = it->path().lexically_relative(src);
        fs::path target = fs::path(dst) / relative;
        std::error_code entry_ec;
        if (it->is_directory(entry_ec)) {
            fs::create_directories(target, entry_ec);
            if (entry_ec) {
                std::fprintf(err, "%s: cannot make the folder\n", target.c_str());
                ++failures;
            }
            continue;
        }
        if (!it->is_regular_file(entry_ec)) {
            std::fprintf(err, "%s: skipped (not a regular file)\n", it->path().c_str());
            continue;
        }
        std::vector<unsigned char> bytes;
        if (!read_whole(it->path(), &bytes)) {
            std::fprintf(err, "%s: cannot read\n", it->path().c_str());
            ++failures;
            continue;
        }
        const bool script = utf8_script && it->path().filename() == kScriptFileName;
        if (script && pack) {
            // The author's UTF-8 text becomes the Shift-JIS CR LF text the game reads.
            std::string sjis, why;
            std::vector<std::string> notes;
            if (!script_utf8_to_sjis(std::string(bytes.begin(), bytes.end()), &sjis, &why, &notes)) {
                std::fprintf(err, "%s: %s\n", it->path().c_str(), why.c_str());
                ++failures;
                continue;
            }
            for (const std::string& note : notes) std::fprintf(err, "%s: note: %s\n", it->path().c_str(), note.c_str());
            bytes.assign(sjis.begin(), sjis.end());
            if (sjis.size() > static_cast<size_t>(kDataBufferBytes))
                std::fprintf(err, "%s: warning: %zu bytes once stored as Shift-JIS with CR LF (the plain file %s "
                                  "has %zu): over 2,097,152 bytes; the game cannot read it\n",
                             target.c_str(), sjis.size(), it->path().c_str(), static_cast<size_t>(fs::file_size(it->path(), entry_ec)));
        }
        bool is_wave = false;
        if (const char* why = transform(&bytes, pack, &is_wave)) {
            std::fprintf(err, "%s: %s\n", it->path().c_str(), why);
            ++failures;
            continue;
        }
        if (script && !pack) {
            int bad_line = 0;
            std::string utf8 = script_sjis_to_utf8(std::string(bytes.begin(), bytes.end()), &bad_line);
            if (bad_line > 0)
                std::fprintf(err, "%s: warning: line %d (and maybe others) holds bytes that are not Shift-JIS; "
                                  "they read as U+FFFD\n", it->path().c_str(), bad_line);
            bytes.assign(utf8.begin(), utf8.end());
        }
        if (!write_whole(target, bytes)) {
            std::fprintf(err, "%s: cannot write\n", target.c_str());
            ++failures;
            continue;
        }
        ++files;
        if (is_wave) ++waves;
        if (pack && !is_wave && !script && bytes.size() > static_cast<size_t>(kDataBufferBytes))
            std::fprintf(err, "%s: warning: over 2,097,152 bytes; the game cannot read it\n",
                         it->path().c_str());
    }
    if (ec) {
        std::fprintf(err, "poromina-tool %s: %s: cannot read the folder (%s)\n", command,
                     src.c_str(), ec.message().c_str());
        ++failures;
    }
    int stale = 0;
    if (pack && !ec) stale = stale_files(src, dst, clean, err, &failures);
    std::fprintf(out, "%s: %d file%s written to %s (%d WAVE), %d failed", command, files, files == 1 ? "" : "s",
                 dst.c_str(), waves, failures);
    if (stale > 0) std::fprintf(out, ", %d without a plain file%s", stale, clean ? " removed" : "");
    std::fprintf(out, "\n");
    return failures ? kToolFailed : kToolOk;
}
