// Message boxes drawn by us: the icon is painted shape by shape, the text through FreeType with
// the game's Japanese face, and the box runs as a modal window; a recorder replaces it in tests.
#include "platform/window/message_box.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/system/signals.h"
#include "platform/text/sjis.h"
#include "platform/text/text.h"
#include "platform/window/message_box_native.h"
#include "platform/window/modal.h"
#include "platform/window/sdl_shared.h"

namespace {

constexpr const char* kFace = "MS UI Gothic";  // the face of the system's own dialogs
constexpr int kFontEm = -12;       // an em of 12 pixels: 9 points on a 96 dpi screen
constexpr int kIconSize = 32;      // pixels, square
constexpr int kPad = 22;           // pixels around the icon and the text
constexpr int kIconGap = 12;       // pixels between the icon and the text
constexpr int kLineGap = 4;        // pixels between lines of text
constexpr int kMaxTextWidth = 440; // pixels; longer lines are broken
constexpr int kMinWidth = 260;     // pixels, the narrowest box
constexpr int kStripHeight = 44;   // pixels of the grey strip that holds the button
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kButtonRight = 12;   // pixels between the button and the box's right edge
constexpr uint32_t kWhite = 0xFFFFFFFF, kStrip = 0xFFF0F0F0, kInk = 0xFF000000;
constexpr int kSamples = 4;        // sub-samples a side for the icon's smooth edges

std::vector<MessageRecord>* recorder = nullptr;  // user-interface thread only

// The inside of a box as it is drawn, the OK button aside: white above, a grey strip below.
struct MessagePicture {
    int width = 0;                 // pixels
    int height = 0;                // pixels
    std::vector<uint32_t> pixels;  // width x height, 0xAARRGGBB, opaque
    int button_x = 0, button_y = 0, button_w = 0, button_h = 0;  // where the OK button goes
};

// One character of Shift-JIS text: where it starts and whether it takes two bytes.
int char_length(const unsigned char* p) {
    bool lead = (p[0] >= 0x81 && p[0] <= 0x9F) || (p[0] >= 0xE0 && p[0] <= 0xFC);
    return lead && p[1] != 0 ? 2 : 1;
}

// Characters that never begin a line: the full stop, comma, closing brackets and marks.
bool closes_line(const unsigned char* p, int n) {
    static const unsigned char kClosing[][2] = {{0x81, 0x42}, {0x81, 0x41}, {0x81, 0x76},
                                                {0x81, 0x6A}, {0x81, 0x49}, {0x81, 0x48}};
    if (n == 1) return p[0] == '.' || p[0] == ',' || p[0] == ')' || p[0] == '!' || p[0] == '?';
    for (const auto& c : kClosing)
        if (p[0] == c[0] && p[1] == c[1]) return true;
    return false;
}

struct TextLine {
    std::string bytes;  // Shift-JIS
    int width = 0;      // pixels
};

// Breaks the text into lines at line feeds and where the next character would pass max_width.
std::vector<TextLine> break_lines(TextFont& font, const std::string& text, int max_width) {
    std::vector<TextLine> lines(1);
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    while (*p) {
        if (*p == '\n') {
            lines.emplace_back();
            ++p;
            continue;
        }
        int n = char_length(p), w = 0, h = 0;
        text_measure_char(font, p, n, &w, &h);
        TextLine& line = lines.back();
        if (!line.bytes.empty() && line.width + w > max_width && !closes_line(p, n)) lines.emplace_back();
        lines.back().bytes.append(reinterpret_cast<const char*>(p), n);
        lines.back().width += w;
        p += n;
    }
    return lines;
}

// Blends colour over the pixels of a kIconSize square at (ox, oy) by how much of each pixel the
// shape covers.
void paint_shape(MessagePicture* pic, int ox, int oy, bool (*inside)(double x, double y), uint32_t colour) {
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x) {
            int hits = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx)
                    hits += inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples) ? 1 : 0;
            if (hits == 0) continue;
            uint32_t& dst = pic->pixels[(oy + y) * pic->width + ox + x];
            uint32_t out = 0xFF000000;
            for (int shift = 0; shift <= 16; shift += 8) {
                int a = (colour >> shift) & 0xFF, b = (dst >> shift) & 0xFF;
                int mixed = (a * hits + b * (kSamples * kSamples - hits)) / (kSamples * kSamples);
                out |= static_cast<uint32_t>(mixed) << shift;
            }
            dst = out;
        }
}

// The icons' shapes in a 32-pixel square.
bool disc(double x, double y) { return (x - 16) * (x - 16) + (y - 16) * (y - 16) <= 15.5 * 15.5; }
bool cross(double x, double y) {
    double dx = x - 16, dy = y - 16;
    if (std::max(std::abs(dx), std::abs(dy)) > 6.5) return false;
    return std::abs(dx - dy) <= 2.4 || std::abs(dx + dy) <= 2.4;
}
bool triangle(double x, double y) { return y >= 2 && y <= 30 && std::abs(x - 16) <= (y - 2) * 15.5 / 28; }
bool exclamation(double x, double y) {
    if (std::abs(x - 16) <= 1.7 && y >= 10 && y <= 21.5) return true;
    return (x - 16) * (x - 16) + (y - 25.5) * (y - 25.5) <= 2.1 * 2.1;
}
bool letter_i(double x, double y) {
    if (std::abs(x - 16) <= 1.8 && y >= 13.5 && y <= 24.5) return true;
    return (x - 16) * (x - 16) + (y - 9) * (y - 9) <= 2.2 * 2.2;
}

void paint_icon(MessagePicture* pic, int ox, int oy, MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            paint_shape(pic, ox, oy, disc, 0xFFE0323C);
            paint_shape(pic, ox, oy, cross, kWhite);
            break;
        case MessageIcon::Warning:
            paint_shape(pic, ox, oy, triangle, 0xFFFFB900);
            paint_shape(pic, ox, oy, exclamation, kInk);
            break;
        case MessageIcon::Information:
            paint_shape(pic, ox, oy, disc, 0xFF0078D7);
            paint_shape(pic, ox, oy, letter_i, kWhite);
            break;
    }
}

// Draws text in one colour into pixels at (x, y), the top left of its cell.
void draw_line(TextFont& font, const std::string& text, int x, int y, uint32_t* pixels, int width, int height,
               uint32_t colour) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
    while (*p) {
        int n = char_length(p), w = 0, h = 0;
        text_measure_char(font, p, n, &w, &h);
        text_draw_char(font, p, n, x, y, pixels, width, height, width * 4, colour);
        x += w;
        p += n;
    }
}

int text_width(TextFont& font, const std::string& text) {
    int total = 0;
    for (const TextLine& line : break_lines(font, text, 1 << 20)) total = std::max(total, line.width);
    return total;
}

// A running display can show a box: not SDL's dummy or offscreen driver, and video comes up.
bool display_available() {
    const char* env = std::getenv("SDL_VIDEODRIVER");
    auto headless = [](const char* name) {
        return name && (SDL_strcasecmp(name, "dummy") == 0 || SDL_strcasecmp(name, "offscreen") == 0);
    };
    if (headless(env) || !sdl_video_up()) return false;
    return !headless(SDL_GetCurrentVideoDriver());
}

// The box's picture as a texture on the modal window's renderer.
struct BoxTextures {
    SDL_Texture* inside = nullptr;
    ~BoxTextures() {
        if (inside) SDL_DestroyTexture(inside);
    }
};

SDL_Texture* make_texture(SDL_Renderer* r, const uint32_t* pixels, int w, int h, bool blend) {
    SDL_Texture* t = SDL_CreateTexture(r, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, w, h);
    if (!t) return nullptr;
    SDL_UpdateTexture(t, nullptr, pixels, w * 4);
    SDL_SetTextureBlendMode(t, blend ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
    return t;
}

void paint(ModalWindow* m, bool pressed, void* context) {
    const BoxTextures& b = *static_cast<const BoxTextures*>(context);
    SDL_RenderCopy(m->renderer, b.inside, nullptr, nullptr);
    modal_paint_button(m, pressed);
    SDL_RenderPresent(m->renderer);
}

// Lays out and draws a box's inside: the icon at the left, the text beside it, broken into
// lines no wider than the box allows. False when no Japanese face can be had.
bool message_box_picture(const char* text_sjis, MessageIcon icon, MessagePicture* out) {
    TextFontHandle font = text_font_create(kFace, kFontEm);
    if (!font) return false;
    const TextMetrics metrics = text_font_metrics(*font);
    std::vector<TextLine> lines = break_lines(*font, text_sjis ? text_sjis : "", kMaxTextWidth);
    int text_w = 0;
    for (const TextLine& line : lines) text_w = std::max(text_w, line.width);
    const int text_h = static_cast<int>(lines.size()) * (metrics.height + kLineGap) - kLineGap;
    const int body_h = std::max(kIconSize, text_h);
    const int text_x = kPad + kIconSize + kIconGap;
    out->width = std::max(kMinWidth, text_x + text_w + kPad);
    out->height = 2 * kPad + body_h + kStripHeight;
    out->pixels.assign(static_cast<size_t>(out->width) * out->height, kWhite);
    std::fill(out->pixels.begin() + static_cast<size_t>(out->width) * (out->height - kStripHeight), out->pixels.end(),
              kStrip);
    paint_icon(out, kPad, kPad + (body_h - kIconSize) / 2, icon);
    int y = kPad + (body_h - text_h) / 2;
    for (const TextLine& line : lines) {
        draw_line(*font, line.bytes, text_x, y, out->pixels.data(), out->width, out->height, kInk);
        y += metrics.height + kLineGap;
    }
    out->button_w = kButtonWidth;
    out->button_h = kButtonHeight;
    out->button_x = out->width - kButtonRight - kButtonWidth;
    out->button_y = out->height - kStripHeight + (kStripHeight - kButtonHeight) / 2;
    return true;
}

// Shows the box in a modal window; false when it cannot be made.
bool run_box(const std::string& caption_utf8, const MessagePicture& pic) {
    ModalWindow m;
    if (!modal_open(&m, caption_utf8.c_str(), pic.width, pic.height)) return false;
    m.button = {pic.button_x, pic.button_y, pic.button_w, pic.button_h};
    BoxTextures b;
    b.inside = make_texture(m.renderer, pic.pixels.data(), pic.width, pic.height, false);
    if (!b.inside) return false;
    // The button's text: glyphs opaque white, the rest clear (the button tints it black).
    TextFontHandle font = text_font_create(kFace, kFontEm);
    if (font) {
        static const char kOk[] = "OK";
        m.ok_w = text_width(*font, kOk);
        m.ok_h = text_font_metrics(*font).height;
        std::vector<uint32_t> label(static_cast<size_t>(m.ok_w) * m.ok_h, 0);
        draw_line(*font, kOk, 0, 0, label.data(), m.ok_w, m.ok_h, kWhite);
        m.ok = make_texture(m.renderer, label.data(), m.ok_w, m.ok_h, true);
    }
    modal_run(&m, paint, &b, DialogHooks{nullptr, nullptr});
    return true;
}

}  // namespace

void message_box_record_to(std::vector<MessageRecord>* log) { recorder = log; }

void message_box(const char* caption_sjis, const char* text_sjis, MessageIcon icon) {
    std::string caption = caption_sjis ? caption_sjis : "";
    std::string text = text_sjis ? text_sjis : "";
    if (recorder) {
        recorder->push_back({caption, text, icon});
        return;
    }
    // The copy on standard error comes first: it stays even where no box can be shown.
    std::string caption_utf8 = sjis_to_utf8(caption), text_utf8 = sjis_to_utf8(text);
    std::fprintf(stderr, "%s: %s\n", caption_utf8.c_str(), text_utf8.c_str());
    std::fflush(stderr);
    if (termination_requested()) return;
    if (message_box_native(caption_utf8, text_utf8, icon)) return;
    if (!display_available()) return;
    MessagePicture pic;
    if (!message_box_picture(text.c_str(), icon, &pic)) return;
    run_box(caption_utf8, pic);
}
