// The tour planner over small scripts: where it clicks, what it cannot reach, how it times.
#include <gtest/gtest.h>

#include "replay/replay_tour.h"
#include "support/scenario_fixtures.h"
#include "support/scene_fixtures.h"

namespace {

TourGeometry geometry() {
    TourGeometry g{};
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 3; ++col) g.labels[row][col] = TourLabel{100 + 200 * col, 280, 120, 40};
    g.scroll_end = 1000;
    return g;
}

std::vector<ReplayEvent> lefts(const TourPlan& plan) {
    std::vector<ReplayEvent> out;
    for (const ReplayEvent& e : plan.events)
        if (e.kind == ReplayKind::Left) out.push_back(e);
    return out;
}

}  // namespace

TEST(TourPlan, ClicksWhereNoEarlierAreaCoversAndSkipsAreasItCannotHit) {
    // Scene 0: a balloon over the left half comes first, then a link over the whole canvas.
    // Scene 1: its only link lies wholly under a balloon: the story ends there.
    ASSERT_EQ(load_test_script("seq=0\nimg_nm=a.bmp\n"
                               "rect=0,0,399,599\nfukidasi=left\nnext_seq=0\n"
                               "rect=0,0,799,599\nanime_nm=" + sjis("混合色表示") + "\nnext_seq=1\n"
                               "seq=1\nimg_nm=b.bmp\n"
                               "rect=0,0,799,599\nfukidasi=all\nnext_seq=1\n"
                               "rect=10,10,20,20\nnext_seq=0\n"),
              0);
    TourPlan plan = plan_tour(scene_table, geometry(), false);
    auto clicks = lefts(plan);
    ASSERT_FALSE(clicks.empty());
    // The menu's clicks come first (on the labels); the one scene change goes right of the balloon.
    int changes = 0;
    for (const ReplayEvent& e : clicks) {
        EXPECT_FALSE(e.x >= 10 && e.x <= 20 && e.y >= 10 && e.y <= 20) << "the hidden link is never clicked";
        if (e.note.find("-> scene 1") != std::string::npos) {
            ++changes;
            EXPECT_GE(e.x, 400) << "the balloon would take a click further left";
        }
    }
    EXPECT_EQ(changes, 1);
    std::string missing;
    for (const std::string& m : plan.missing) missing += m + "; ";
    EXPECT_NE(missing.find("a balloon of 10 pages"), std::string::npos) << missing;
    EXPECT_NE(missing.find("transition kind 0"), std::string::npos) << missing;
    EXPECT_EQ(missing.find("transition kind 9"), std::string::npos) << "the cross-fade was found: " << missing;
    EXPECT_NE(missing.find("a way to scene 86"), std::string::npos) << missing;
    for (size_t i = 1; i < plan.events.size(); ++i) ASSERT_LE(plan.events[i - 1].frame, plan.events[i].frame);
}

TEST(TourPlan, WaitsForEachAnimationBeforeTheNextClick) {
    // Scene 0 reads a ten-page balloon, goes to scene 1 instantly, back with a wipe from the top
    // and to scene 1 again with a wipe from the bottom.
    std::string script = "seq=0\nimg_nm=a.bmp\nrect=0,0,99,99\n";
    for (int i = 0; i < 10; ++i) script += "fukidasi=p\n";
    script += "next_seq=0\nrect=700,0,799,99\nnext_seq=1\n"
              "rect=700,200,799,299\nanime_nm=" + sjis("下から表示") + "\nnext_seq=1\n"
              "seq=1\nimg_nm=b.bmp\nrect=700,0,799,99\nanime_nm=" + sjis("上から表示") + "\nnext_seq=0\n";
    ASSERT_EQ(load_test_script(script), 0);
    TourPlan plan = plan_tour(scene_table, geometry(), false);
    auto clicks = lefts(plan);
    int balloon_first = -1, pages = 0, instant = -1, wipe = -1, after_wipe = -1;
    for (size_t i = 0; i < clicks.size(); ++i) {
        const ReplayEvent& e = clicks[i];
        if (e.x < 100 && e.y < 100) {
            if (balloon_first < 0) balloon_first = e.frame;
            else {
                ++pages;
                EXPECT_GE(e.frame - clicks[i - 1].frame, 2) << "one page click a frame at most";
            }
        } else if (e.note.find("-> scene 1") != std::string::npos && instant < 0) {
            instant = e.frame;
        } else if (e.note.find("-> scene 0 (transition 1") != std::string::npos && wipe < 0) {
            wipe = e.frame;
        } else if (wipe >= 0 && after_wipe < 0) {
            after_wipe = e.frame;
        }
    }
    ASSERT_GE(balloon_first, 0);
    EXPECT_EQ(pages, 10) << "nine page turns and the click that closes";
    ASSERT_GE(instant, 0);
    ASSERT_GE(wipe, 0);
    EXPECT_GE(wipe - instant, 2) << "an instant change is over in two frames";
    EXPECT_LT(wipe - instant, 20);
    ASSERT_GE(after_wipe, 0);
    EXPECT_GT(after_wipe - wipe, 600 / 4 + 1) << "the wipe from the top runs 151 frames";
}

TEST(TourPlan, ShortTourLooksAtABalloonTheMenuAndAFewChanges) {
    ASSERT_EQ(load_test_script("seq=0\nimg_nm=a.bmp\nrect=0,0,99,99\nfukidasi=hello\nnext_seq=0\n"
                               "rect=700,0,799,99\nnext_seq=1\n"
                               "seq=1\nimg_nm=b.bmp\nrect=700,0,799,99\nnext_seq=0\n"),
              0);
    TourPlan plan = plan_tour(scene_table, geometry(), true);
    EXPECT_TRUE(plan.missing.empty());
    std::vector<std::string> shots;
    for (const ReplayEvent& e : plan.events)
        if (e.kind == ReplayKind::Shot) shots.push_back(e.name);
    for (const char* name : {"start", "balloon-open", "menu-open", "change-1", "scene-1", "scene-0"})
        EXPECT_NE(std::find(shots.begin(), shots.end(), name), shots.end()) << name;
    EXPECT_LT(plan.events.back().frame, 1000) << "a first look";
}

TEST(TourPlan, ComesBackThroughTheStaffRollForKindsAndScenesBehindTheEnd) {
    // Scene 0 leads on to a chain of scenes 1..103 whose end is the staff roll; scene 0's second
    // link (a cross-fade) and scene 26 can only be reached again through the roll's restart.
    std::string text = "seq=0\nimg_nm=a.bmp\nrect=0,0,99,99\nanime_nm=" + sjis("上から表示") +
                       "\nnext_seq=1\nrect=100,0,199,99\nanime_nm=" + sjis("混合色表示") + "\nnext_seq=104\n";
    for (int e = 1; e <= 104; ++e) {
        text += "seq=" + std::to_string(e) + "\nimg_nm=a.bmp\nrect=0,0,99,99\n";
        if (e == 103) text += "fukidasi=the end\nnext_seq=0\n";
        else text += "next_seq=" + std::to_string(e == 104 ? 0 : e + 1) + "\n";
    }
    ASSERT_EQ(load_test_script(text), 0);
    TourPlan plan = plan_tour(scene_table, geometry(), false);
    std::string missing;
    for (const std::string& m : plan.missing) missing += m + "; ";
    EXPECT_EQ(missing.find("transition kind 1;"), std::string::npos) << missing;
    EXPECT_EQ(missing.find("transition kind 9;"), std::string::npos) << "behind the roll: " << missing;
    EXPECT_EQ(missing.find("a way to scene 26"), std::string::npos) << missing;
    EXPECT_EQ(missing.find("entry 103"), std::string::npos) << missing;
    EXPECT_NE(missing.find("transition kind 2;"), std::string::npos) << "the story has no such link: " << missing;
    int rolls = 0;
    for (const ReplayEvent& e : plan.events)
        if (e.kind == ReplayKind::Left && e.note.find("the staff roll") != std::string::npos) ++rolls;
    EXPECT_GE(rolls, 2) << "once on the way, once for its pictures";
}
