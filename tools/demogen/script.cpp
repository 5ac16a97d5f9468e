// Turns the story tables into the scenario script: one scene per page, the balloons with their
// speakers' faces and sizes, the links with transitions and sounds, and the page-corner links.
#include <cstdio>
#include <filesystem>

#include "platform/text/sjis.h"
#include "tools/demogen/sounds.h"
#include "tools/demogen/story.h"

namespace {

constexpr int kMaxAreasPerScene = 10;
constexpr int kMaxPagesPerArea = 10;
constexpr int kMaxRectsPerArea = 40;
constexpr int kMaxBoxes = 4;                 // boxes one anchor may cover
constexpr int kDefaultSize = 33;             // the balloon's size when a page names none
constexpr const char* kBackTransition = "左から表示";

struct Voice {
    const char* face;  // nullptr: no font lines, so the balloon's default face and size
    int size;          // points
};

const char* speaker_name(Speaker who) {
    static const char* const kNames[] = {"ミナ", "ポロ", "ピピ", "おつきさま", "おはなし"};
    return kNames[static_cast<int>(who)];
}

Voice voice_of(Speaker who) {
    switch (who) {
        case Speaker::child: return {"ＭＳ Ｐゴシック", 33};
        case Speaker::cat: return {nullptr, kDefaultSize};
        case Speaker::bird: return {"ＭＳ Ｐ明朝", 32};
        case Speaker::moon: return {"ＭＳ 明朝", 36};
        case Speaker::narrator: return {"ＭＳ 明朝", 30};
    }
    return {nullptr, kDefaultSize};
}

// Extra boxes for things that one rectangle covers badly (a path running diagonally).
struct ExtraBoxes {
    int picture;
    Anchor anchor;
    Box boxes[kMaxBoxes];
    int count;
};

const ExtraBoxes kDiagonalPaths[] = {
    {kCrossroads, Anchor::path, {{150, 362, 200, 392}, {200, 392, 260, 425}, {255, 425, 330, 460}}, 3},
    {kCrossroads, Anchor::path2, {{600, 362, 650, 392}, {540, 392, 600, 425}, {470, 425, 545, 460}}, 3},
};

int boxes_for(int picture, Anchor anchor, Box* out) {
    for (const ExtraBoxes& e : kDiagonalPaths) {
        if (e.picture == picture && e.anchor == anchor) {
            for (int i = 0; i < e.count; ++i) out[i] = e.boxes[i];
            return e.count;
        }
    }
    return picture_anchor(picture, anchor, out) ? 1 : 0;
}

const char* anchor_name(Anchor a) {
    static const char* const kNames[] = {"child", "cat", "bird", "moon", "door", "window", "water", "tree",
                                         "path", "path2", "sign", "rock", "bed", "sky", "next", "back"};
    return kNames[static_cast<int>(a)];
}

void line(std::string* out, const std::string& text) {
    out->append(text);
    out->append("\r\n");
}

// Writes one balloon's font and page lines; the size line appears only where it changes.
bool write_pages(std::string* out, const Item& item, std::string* error, int scene) {
    if (item.pages.empty() || item.pages.size() > kMaxPagesPerArea) {
        *error = "scene " + std::to_string(scene) + ": a balloon needs 1 to 10 pages";
        return false;
    }
    Voice v = voice_of(item.who);
    if (v.face) {
        line(out, std::string("fukidasi_fnt_nm=") + v.face);
        line(out, "fukidasi_fnt_sz=" + std::to_string(v.size));
    }
    int current = v.size;
    for (const char* page : item.pages) {
        std::string text = page;
        int size = v.size;
        if (text.size() > 2 && text[0] == '{') {  // "{N}" sets this page's size
            size_t close = text.find('}');
            size = std::stoi(text.substr(1, close - 1));
            text = text.substr(close + 1);
        }
        if (size != current) {
            line(out, "fukidasi_fnt_sz=" + std::to_string(size));
            current = size;
        }
        for (char& c : text) {
            if (c == '\n') c = '\\';  // the balloon breaks its line at a one-byte backslash
        }
        line(out, "fukidasi=" + text);
    }
    return true;
}

bool write_scene(std::string* out, int index, const SceneDef& scene, int last, std::string* error) {
    std::vector<Item> items = scene.items;
    bool has_next = false, has_back = false;
    for (const Item& it : items) {
        has_next = has_next || it.where == Anchor::next;
        has_back = has_back || it.where == Anchor::back;
    }
    if (!has_next && index < last) {
        const char* anime = scene.next_anime ? scene.next_anime : kTransitionNames[index % 12];
        items.push_back(go(Anchor::next, index + 1, anime, scene.next_sound, "つぎの ページ"));
    }
    if (!has_back && index > 0) items.push_back(go(Anchor::back, index - 1, kBackTransition, -1, "まえの ページ"));
    if (items.size() > kMaxAreasPerScene) {
        *error = "scene " + std::to_string(index) + ": more than 10 areas";
        return false;
    }
    const PictureRecipe& picture = picture_recipe(scene.picture);
    line(out, ";------------------------------------------------------------");
    line(out, "; " + std::to_string(index) + "  " + scene.title);
    line(out, "seq=" + std::to_string(index));
    line(out, std::string("img_nm=") + picture.name);
    for (const Item& item : items) {
        Box boxes[kMaxBoxes];
        int count = boxes_for(scene.picture, item.where, boxes);
        if (count == 0 || count > kMaxRectsPerArea) {
            *error = "scene " + std::to_string(index) + ": picture " + picture.name + " has no " +
                     anchor_name(item.where);
            return false;
        }
        if (item.note) line(out, std::string("; ") + item.note);
        if (item.to < 0) line(out, std::string("; ") + speaker_name(item.who));
        for (int b = 0; b < count; ++b) {
            line(out, "rect=" + std::to_string(boxes[b].left) + "," + std::to_string(boxes[b].top) + "," +
                          std::to_string(boxes[b].right) + "," + std::to_string(boxes[b].bottom));
        }
        if (item.to < 0) {
            if (!write_pages(out, item, error, index)) return false;
            line(out, "next_seq=" + std::to_string(index));
            continue;
        }
        if (item.to > last) {
            *error = "scene " + std::to_string(index) + ": a link leads past the last scene";
            return false;
        }
        // A link's sound and transition may stand before or after its next_seq= line; odd
        // scenes put them after, to keep both orders in use.
        std::string extras;
        if (item.anime) line(&extras, std::string("anime_nm=") + item.anime);
        if (item.sound >= 0) line(&extras, std::string("snd_nm=") + demo_sound(item.sound).name);
        if (index % 2 == 0) out->append(extras);
        line(out, "next_seq=" + std::to_string(item.to));
        if (index % 2 == 1) out->append(extras);
    }
    line(out, "");
    return true;
}

}  // namespace

const char* const kTransitionNames[12] = {
    "即時表示", "上から表示", "下から表示", "左から表示", "右から表示", "中央から左右へ表示",
    "左右から中央へ表示", "中央から端へ表示", "端から中央へ表示", "混合色表示",
    "白色混合色から白色そして表示", "白色から表示",
};
const char* const kUnknownTransition = "ぐるぐる表示";

Item say(Anchor where, Speaker who, std::vector<const char*> pages) {
    return {where, -1, nullptr, -1, who, std::move(pages), nullptr};
}

Item go(Anchor where, int to, const char* anime, int sound, const char* note) {
    return {where, to, anime, sound, Speaker::narrator, {}, note};
}

const std::vector<SceneDef>& story_scenes() {
    static const std::vector<SceneDef> scenes = [] {
        std::vector<SceneDef> s;
        add_story_part_one(&s);
        add_story_part_two(&s);
        return s;
    }();
    return scenes;
}

bool build_script(std::string* utf8, std::string* error) {
    const std::vector<SceneDef>& scenes = story_scenes();
    std::string out;
    line(&out, "; ぽろみな デモ 「ミナと ポロと おつきさま」");
    line(&out, "; poromina-demogen が つくった シナリオです。えも おとも プログラムで かきました。");
    line(&out, "; 26 ばんの ひだりの みちは、86 ばん (おかの てっぺん) に ついた あと そこへの ちかみちに なります。");
    line(&out, "; 103 ばんの おつきさま (エリア 0) を おすと スタッフロールが はじまります。");
    line(&out, std::string("opening_snd_nm=") + demo_sound(kOpening).name);
    line(&out, "");
    const int last = static_cast<int>(scenes.size()) - 1;
    for (int i = 0; i <= last; ++i) {
        if (!write_scene(&out, i, scenes[i], last, error)) return false;
    }
    line(&out, "; スタッフロールの おんがく");
    line(&out, std::string("ending_snd_nm=") + demo_sound(kEnding).name);
    *utf8 = std::move(out);
    return true;
}

bool write_script(const std::string& outdir, std::string* error) {
    std::string utf8, sjis;
    if (!build_script(&utf8, error)) return false;
    if (!utf8_to_sjis(utf8, &sjis)) {
        *error = "the script has a character without a Shift-JIS form";
        return false;
    }
    std::filesystem::path path = std::filesystem::path(outdir) / "GAME42297263";
    FILE* f = std::fopen(path.string().c_str(), "wb");
    bool ok = f && std::fwrite(sjis.data(), 1, sjis.size(), f) == sjis.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) *error = "cannot write " + path.string();
    return ok;
}
