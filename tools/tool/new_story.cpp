// poromina-tool new: a small story to start from, drawn and written by our own code: a pointer,
// three scenes with a link each way and a balloon, and the staff roll's balloon in entry 103.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/image/image_write.h"
#include "tools/demogen/raster.h"
#include "tools/tool/tool.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 800;   // scene pictures, pixels
constexpr int kHeight = 600;
constexpr int kPointerSide = 24;
constexpr uint32_t kPointerKey = 0xFF0000FF;  // pure blue: see-through in the game
constexpr int kChimeRate = 22050;             // samples per second

// The script, UTF-8 with LF line ends: "pack --utf8" stores it as the game reads it.
std::string story_script() {
    std::string s =
        "; A poromina story to start from, made by \"poromina-tool new\".\n"
        "; Edit this file (UTF-8) and the pictures in plain/, then, in the story folder:\n"
        ";   poromina-tool pack --utf8 --clean plain data\n"
        ";   poromina-tool check .\n"
        "; Entries count by their order: the first seq= line is entry 0, the next entry 1, and so\n"
        "; on; write seq=0, seq=1, ... in order. A link's next_seq= names the entry it leads to.\n"
        "opening_snd_nm=chime.wav\n"
        "ending_snd_nm=chime.wav\n"
        "\n"
        "; entry 0: the meadow\n"
        "seq=0\n"
        "img_nm=meadow.png\n"
        "; the sun: a balloon of two pages\n"
        "rect=560,40,740,220\n"
        "fukidasi=おはよう！\n"
        "fukidasi=右の道を行ってみよう。\\クリックすると次のページ。\n"
        "next_seq=0\n"
        "; the path on the right: on to the forest\n"
        "rect=620,380,799,599\n"
        "anime_nm=左から表示\n"
        "snd_nm=chime.wav\n"
        "next_seq=1\n"
        "\n"
        "; entry 1: the forest\n"
        "seq=1\n"
        "img_nm=forest.png\n"
        "rect=0,380,179,599\n"
        "anime_nm=右から表示\n"
        "next_seq=0\n"
        "rect=620,380,799,599\n"
        "anime_nm=混合色表示\n"
        "next_seq=2\n"
        "\n"
        "; entry 2: the lake at dusk; its boat ends the story\n"
        "seq=2\n"
        "img_nm=lake.png\n"
        "rect=0,380,179,599\n"
        "anime_nm=中央から端へ表示\n"
        "next_seq=1\n"
        "rect=330,330,480,430\n"
        "anime_nm=白色から表示\n"
        "next_seq=103\n"
        "\n"
        "; entries 3 to 102: room for the scenes to come (each needs its seq= line, in order)\n";
    for (int e = 3; e <= 102; ++e) s += "seq=" + std::to_string(e) + "\nimg_nm=meadow.png\n";
    s += "\n"
         "; entry 103: the end. A click on its area 0, which must be a balloon, starts the staff\n"
         "; roll; after it the story starts again at entry 0.\n"
         "seq=103\n"
         "img_nm=night.png\n"
         "rect=0,0,799,599\n"
         "fukidasi=おしまい\n"
         "next_seq=0\n";
    return s;
}

// A soft white ring where an area is, so that a new author sees where to click.
void mark_area(Canvas& c, float cx, float cy, float r) {
    fill_glow(c, cx, cy, r * 1.6f, 0x60FFFFFF);
    for (int i = 0; i < 48; ++i) {
        const float a0 = 6.2831853f * i / 48, a1 = 6.2831853f * (i + 1) / 48;
        stroke_line(c, {cx + r * std::cos(a0), cy + r * std::sin(a0)}, {cx + r * std::cos(a1), cy + r * std::sin(a1)},
                    3.0f, 0xC0FFFFFF);
    }
}

void arrow(Canvas& c, float x, float y, bool right) {
    const float d = right ? 1.0f : -1.0f;
    const Point head[] = {{x + d * 40, y}, {x, y - 28}, {x, y + 28}};
    stroke_line(c, {x - d * 40, y}, {x, y}, 14.0f, 0xE0FFFFFF);
    fill_polygon(c, head, 3, 0xE0FFFFFF);
}

Canvas paint_meadow() {
    Canvas c = make_canvas(kWidth, kHeight, 0xFF9FD3F0);
    const uint32_t sky[] = {0xFF6FB7E8, 0xFFB8E0F5, 0xFFE8F4F0};
    fill_gradient_rows(c, 0, 380, sky, 3);
    fill_glow(c, 650, 130, 170, 0x90FFF0A0);
    fill_circle(c, 650, 130, 70, 0xFFFFD84A);
    fill_ellipse(c, 300, 640, 620, 300, 0xFF7CC160);
    fill_ellipse(c, 700, 660, 420, 250, 0xFF5EA84A);
    const Point path[] = {{520, 600}, {690, 600}, {800, 470}, {800, 430}};
    fill_polygon(c, path, 4, 0xFFE2C58F);
    mark_area(c, 650, 130, 88);
    arrow(c, 710, 500, true);
    apply_paper(c, 11, 0.5f);
    return c;
}

Canvas paint_forest() {
    Canvas c = make_canvas(kWidth, kHeight, 0xFF2F6A3A);
    const uint32_t sky[] = {0xFFA8D8C0, 0xFF6FA87C, 0xFF2F6A3A};
    fill_gradient_rows(c, 0, 600, sky, 3);
    Rng rng{7};
    for (int i = 0; i < 14; ++i) {
        const float x = rng.uniform(0, 800), h = rng.uniform(220, 380), w = h * 0.35f;
        const Point tree[] = {{x, 460 - h}, {x - w, 470}, {x + w, 470}};
        stroke_line(c, {x, 460}, {x, 520}, 16, 0xFF5A3A22);
        fill_polygon(c, tree, 3, mix(0xFF1E5A2A, 0xFF3F8A4A, rng.uniform(0, 1)));
    }
    fill_ellipse(c, 400, 640, 520, 150, 0xFF4E8A3E);
    arrow(c, 90, 500, false);
    arrow(c, 710, 500, true);
    apply_paper(c, 12, 0.5f);
    return c;
}

Canvas paint_lake() {
    Canvas c = make_canvas(kWidth, kHeight, 0xFF30406A);
    const uint32_t sky[] = {0xFF3A3F7A, 0xFFE88A6A, 0xFFF6C27A};
    fill_gradient_rows(c, 0, 330, sky, 3);
    const uint32_t water[] = {0xFFB07A6A, 0xFF3A4A7A, 0xFF1E2A4A};
    fill_gradient_rows(c, 330, 600, water, 3);
    fill_circle(c, 400, 330, 60, 0xFFFFB060);
    const Point boat[] = {{340, 385}, {460, 385}, {440, 410}, {360, 410}};
    fill_polygon(c, boat, 4, 0xFF4A2A1A);
    stroke_line(c, {400, 385}, {400, 340}, 4, 0xFF4A2A1A);
    mark_area(c, 405, 380, 70);
    arrow(c, 90, 500, false);
    apply_paper(c, 13, 0.5f);
    return c;
}

Canvas paint_night() {
    Canvas c = make_canvas(kWidth, kHeight, 0xFF0A1030);
    const uint32_t sky[] = {0xFF050A20, 0xFF1A2A5A, 0xFF2A3A6A};
    fill_gradient_rows(c, 0, 600, sky, 3);
    Rng rng{3};
    for (int i = 0; i < 120; ++i) fill_circle(c, rng.uniform(0, 800), rng.uniform(0, 450), rng.uniform(0.8f, 2.2f), 0xFFFFFFE0);
    fill_glow(c, 580, 150, 140, 0x70FFF6D0);
    fill_circle(c, 580, 150, 60, 0xFFFFF6D0);
    fill_circle(c, 605, 135, 55, 0xFF14204A);
    fill_ellipse(c, 400, 680, 600, 200, 0xFF101828);
    apply_paper(c, 14, 0.3f);
    return c;
}

// The game's pointer: an arrow on pure blue, which the game makes see-through.
Canvas paint_pointer() {
    Canvas c = make_canvas(kPointerSide, kPointerSide, kPointerKey);
    const Point outline[] = {{3, 2}, {3, 20}, {8, 15}, {12, 22}, {15, 21}, {11, 14}, {18, 14}};
    for (int y = 0; y < kPointerSide; ++y)
        for (int x = 0; x < kPointerSide; ++x) {
            // Inside test by the even-odd rule; no blending, so the blue stays exact.
            bool inside = false;
            for (int i = 0, j = 6; i < 7; j = i++) {
                const Point& a = outline[i];
                const Point& b = outline[j];
                const float px = x + 0.5f, py = y + 0.5f;
                if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) inside = !inside;
            }
            if (inside) c.pixels[static_cast<size_t>(y) * kPointerSide + x] = 0xFFFFFFFF;
        }
    // A dark edge: every blue pixel next to white becomes black.
    std::vector<uint32_t> p = c.pixels;
    for (int y = 0; y < kPointerSide; ++y)
        for (int x = 0; x < kPointerSide; ++x) {
            if (p[static_cast<size_t>(y) * kPointerSide + x] != kPointerKey) continue;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < kPointerSide && ny < kPointerSide &&
                        p[static_cast<size_t>(ny) * kPointerSide + nx] == 0xFFFFFFFF)
                        c.pixels[static_cast<size_t>(y) * kPointerSide + x] = 0xFF101010;
                }
        }
    return c;
}

// A short two-note chime, 16-bit mono PCM WAVE.
std::string chime_wave() {
    const int frames = kChimeRate * 6 / 5;
    std::string samples;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kChimeRate;
        const double f = t < 0.25 ? 880.0 : 1318.5;
        const double start = t < 0.25 ? 0.0 : 0.25;
        const double v = 0.35 * std::sin(6.283185307 * f * t) * std::exp(-4.0 * (t - start));
        const int16_t s = static_cast<int16_t>(std::lround(v * 32767));
        samples += static_cast<char>(s & 0xFF);
        samples += static_cast<char>((s >> 8) & 0xFF);
    }
    auto le32 = [](uint32_t v) {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i) b[i] = static_cast<char>(v >> (8 * i));
        return b;
    };
    const std::string fmt = std::string("\x01\x00\x01\x00", 4) + le32(kChimeRate) + le32(kChimeRate * 2) +
                            std::string("\x02\x00\x10\x00", 4);
    const std::string body = "WAVEfmt " + le32(16) + fmt + "data" + le32(static_cast<uint32_t>(samples.size())) + samples;
    return "RIFF" + le32(static_cast<uint32_t>(body.size())) + body;
}

bool write_text(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return out.good();
}

}  // namespace

int new_story(const std::string& folder, FILE* out, FILE* err) {
    std::error_code ec;
    if (fs::exists(folder, ec) && !(fs::is_directory(folder, ec) && fs::is_empty(folder, ec))) {
        std::fprintf(err, "poromina-tool new: %s: exists and is not an empty folder; nothing written\n", folder.c_str());
        return kToolBadUsage;
    }
    const fs::path plain = fs::path(folder) / "plain";
    if (!fs::create_directories(plain, ec) && ec) {
        std::fprintf(err, "poromina-tool new: %s: cannot make the folder (%s)\n", plain.c_str(), ec.message().c_str());
        return kToolBadUsage;
    }
    struct Picture {
        const char* name;
        Canvas (*paint)();
    } pictures[] = {{"meadow.png", paint_meadow}, {"forest.png", paint_forest}, {"lake.png", paint_lake},
                    {"night.png", paint_night}, {"GAME39651497", paint_pointer}};
    bool ok = write_text(plain / "GAME42297263", story_script()) && write_text(plain / "chime.wav", chime_wave());
    for (const Picture& p : pictures) {
        if (!ok) break;
        const Canvas c = p.paint();
        ok = write_png((plain / p.name).string(), c.pixels.data(), c.width, c.height, false);
    }
    if (!ok) {
        std::fprintf(err, "poromina-tool new: cannot write the files in %s\n", plain.c_str());
        return kToolFailed;
    }
    const int packed = pack_folder(plain.string(), (fs::path(folder) / "data").string(), true, out, err, true);
    if (packed != kToolOk) return packed;
    std::fprintf(out,
                 "new: a story in %s: plain/ holds what you edit (the script GAME42297263 as UTF-8, the pictures,\n"
                 "the pointer GAME39651497 and a sound), data/ what the game reads. Start the game in %s;\n"
                 "after a change run \"poromina-tool pack --utf8 --clean plain data\" and \"poromina-tool check .\" there.\n",
                 folder.c_str(), folder.c_str());
    return kToolOk;
}
