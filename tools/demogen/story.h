// The demo story "ミナと ポロと おつきさま" as data: one page per scene, each with its picture,
// its balloons and its links; and the writer that turns it into the scenario script.
#pragma once
#include <string>
#include <vector>

#include "tools/demogen/pictures.h"

// Whose words a balloon holds; each speaker has a face and a size.
enum class Speaker { child, cat, bird, moon, narrator };

// One clickable area: a balloon (to < 0) or a link to scene `to`.
struct Item {
    Anchor where;                     // what the area covers in the picture
    int to;                           // scene a link leads to; -1 for a balloon
    const char* anime;                // link: transition name (UTF-8); nullptr for none
    int sound;                        // link: SoundId, or -1 for none
    Speaker who;                      // balloon: the speaker
    std::vector<const char*> pages;   // balloon: 1..10 pages (UTF-8); '\n' breaks a line; a
                                      // leading "{N}" sets the size of that page to N points
    const char* note;                 // comment written above the area; nullptr for none
};

struct SceneDef {
    int picture;                      // PictureId
    const char* title;                // comment written above the scene
    std::vector<Item> items;          // areas in order (area 0 first)
    int next_sound;                   // sound of the automatic "next page" link, or -1
    const char* next_anime;           // its transition; nullptr picks one in turn
};

// Builders that keep the story tables short.
Item say(Anchor where, Speaker who, std::vector<const char*> pages);
Item go(Anchor where, int to, const char* anime, int sound, const char* note);

// The twelve transition names, in the game's order.
extern const char* const kTransitionNames[12];
// A transition name the game does not know (the change is instant).
extern const char* const kUnknownTransition;

// The story's pages; scene i of the script is element i.
const std::vector<SceneDef>& story_scenes();
void add_story_part_one(std::vector<SceneDef>* scenes);  // scenes 0..53
void add_story_part_two(std::vector<SceneDef>* scenes);  // scenes 54..107

// The scenario script in UTF-8 with CR LF line ends; false with *error when a page names a
// thing its picture lacks or breaks a limit of the script.
bool build_script(std::string* utf8, std::string* error);
// Writes the script, converted to Shift-JIS, as outdir/GAME42297263.
bool write_script(const std::string& outdir, std::string* error);
