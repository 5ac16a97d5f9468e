// The demo story's pictures: one recipe per picture (place, time of day, moon, characters),
// painted procedurally and written as PNG, JPEG or BMP; and where things stand in each, for
// the hot-spots of the script.
#pragma once
#include <cstdint>
#include <string>

#include "tools/demogen/raster.h"
#include "tools/demogen/scenery.h"

enum class Place { garden, room, village, meadow, crossroads, forest, river, bridge, lake, hill,
                   hilltop, dream };
enum class Who { none, child, cat, bird };
enum class ImageKind { png, jpeg, bmp };

// One character in a picture. For the child `variant` is the pose (0 standing, 1 pointing,
// 2 waving, 3 asleep in bed); for the cat 1 faces left (3 curled up asleep); for the bird 1 flies.
struct Figure {
    Who who;
    float x, y;       // feet (bird: body centre), canvas pixels
    float scale;      // 1 = a child about 190 pixels tall
    int variant;
};

struct PictureRecipe {
    const char* name;      // file name in the script: UTF-8, '\' between folders
    ImageKind kind;
    int width, height;     // pixels
    Place place;
    TimeOfDay time;
    MoonPhase moon;
    float moon_x, moon_y, moon_r;  // canvas pixels
    bool moon_face;        // the moon smiles
    Figure figures[3];     // Who::none for unused slots
    uint32_t seed;         // varies clouds, stars and trees
};

// Pictures by name, in the order of the recipe table.
enum PictureId {
    kHomeDusk, kRoomNight, kRoomBed, kHomeMorning, kGardenDay, kVillageDay, kVillageSquare,
    kMeadowDay, kMeadowRest, kCrossroads, kForestDay, kForestDeep, kRiver, kBridge, kBridgeBird,
    kMeadowEvening, kLakeDusk, kLakeDuskBird, kForestDusk, kForestNight, kLakeNight, kDream,
    kHillNight, kHillPanorama, kHilltop, kHilltopCrescent, kHilltopMoon, kVillageNight,
    kHomeNight, kRoomMoon, kHomeHalf, kHomeFull, kPictureCount
};

// Things a hot-spot can cover.
enum class Anchor { child, cat, bird, moon, door, window, water, tree, path, path2, sign, rock,
                    bed, sky, next, back };

struct Box {
    int left, top, right, bottom;  // canvas pixels, inclusive, within 800x600
};

const PictureRecipe& picture_recipe(int id);
// Where `anchor` stands in picture `id`; false when the picture has no such thing.
bool picture_anchor(int id, Anchor anchor, Box* out);

// Paints the picture (its own width and height).
Canvas paint_picture(const PictureRecipe& recipe);
// Paints the place's scenery (everything but sky lights, figures and finish).
void paint_place(Canvas& c, const PictureRecipe& recipe, const Palette& pal);
// Where the place puts its fixed things (door, window, tree...); false when it has none.
bool place_anchor(Place place, Anchor anchor, Box* out);

// Paints and writes picture `id` under outdir (its name with '\' as '/'); returns the file's
// size in bytes, or -1 with *error set.
long write_picture(int id, const std::string& outdir, std::string* error);

// The pointer image: 24x24, the arrow's tip at the centre, opaque pure blue around it.
Canvas paint_pointer();
