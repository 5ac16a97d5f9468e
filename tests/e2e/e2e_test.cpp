// The tour end to end: poromina-replay derives it from the script and plays it from start-up
// through every transition, a ten-page balloon, the overlay menu, the shortcut, the staff roll and
// the restart. Over a story made here, and over the demo story of the build.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/replay_fixtures.h"
#include "support/scenario_fixtures.h"
#include "tour_check.h"

namespace {

void report(const char* story, const TourFigures& f) {
    std::printf("%s: %d frames, %d clicks, %d scene changes, replay %.1f s (%.2f ms a frame)\n", story, f.frames,
                f.clicks, f.scene_changes, f.seconds, f.frames ? 1000.0 * f.seconds / f.frames : 0.0);
}

}  // namespace

TEST(EndToEnd, StateLinesReadBack) {
    FrameState s;
    ASSERT_TRUE(parse_state_line(
        "frame=7 scene=3 tr_kind=9 tr_counter=120 tr_active=1 bl_open=0 bl_anim=0 bl_page=0 bl_pages=0 menu_open=0 "
        "menu_anim=0 menu_counter=-1 cr_mode=0 cr_state=0 windowed=1 clock=1036 sound=snd\\a b.wav",
        &s));
    EXPECT_EQ(s.frame, 7);
    EXPECT_EQ(s.tr_counter, 120);
    EXPECT_EQ(s.menu_counter, -1);
    EXPECT_EQ(s.clock, 1036u);
    EXPECT_EQ(s.sound, "snd\\a b.wav") << "the sound is the rest of the line";
    EXPECT_FALSE(parse_state_line("frame=1 scene=0 sound=-", &s));
}

TEST(EndToEnd, TourOfAMadeUpStory) {
    TempFolder game, work;
    write_tour_story(game.path);
    report("made-up story", check_tour(game.path, work.path));
}

TEST(EndToEnd, TourOfTheDemoStory) {
#ifdef POROMINA_DEMO_DIR
    const std::string demo = POROMINA_DEMO_DIR;
    ASSERT_TRUE(std::filesystem::exists(demo + "/data/GAME42297263")) << "the demo story is built with the tests";
    TempFolder work;
    report("demo story", check_tour(demo, work.path));
#else
    GTEST_SKIP() << "the demo story is not part of this build";
#endif
}
