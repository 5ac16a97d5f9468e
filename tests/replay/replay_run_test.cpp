// The harness run in this process over the tour story: input reaches the game through the
// window's event queue, every frame gets its state line, named frames land as PNG files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "replay/replay.h"
#include "platform/image/image.h"
#include "platform/video/renderer.h"
#include "support/replay_fixtures.h"
#include "support/scenario_fixtures.h"

namespace {

using State = std::map<std::string, std::string>;

std::string read_all(FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) s.append(buf, n);
    return s;
}

std::vector<State> states_of(const std::string& text) {
    std::vector<State> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        State s;
        std::istringstream words(line);
        for (std::string w; words >> w;) {
            size_t eq = w.find('=');
            if (eq != std::string::npos) s[w.substr(0, eq)] = w.substr(eq + 1);
        }
        out.push_back(s);
    }
    return out;
}

// Pixel (x, y) of a PNG written by the harness, 0x00RRGGBB; 1 (never a pixel) when unreadable.
uint32_t png_pixel(const std::string& path, int x, int y) {
    std::string bytes = read_file(path);
    Texture* t = nullptr;
    if (bytes.empty() || failed(decode_image_to_texture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                                             kBackBufferWidth, kBackBufferHeight, PixelFormat::X8R8G8B8, 0, &t)))
        return 1;
    uint32_t p = t->pixels[y * t->pitch / 4 + x] & 0xFFFFFF;
    texture_release(t);
    return p;
}

struct Output {
    int result;
    std::string out, err;
};

Output run(const std::string& text, ReplayOptions options) {
    std::vector<ReplayEvent> events;
    std::string error;
    EXPECT_TRUE(parse_replay(text, &events, &error)) << error;
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    Output o{run_replay(events, options, out, err), read_all(out), read_all(err)};
    std::fclose(out);
    std::fclose(err);
    return o;
}

}  // namespace

TEST(ReplayRun, InputGoesThroughTheWindowAndEveryFrameIsReported) {
    TempFolder folder;
    write_tour_story(folder.path);
    CurrentDirectory cd(folder.path);
    ReplayOptions options;
    options.frames_after = 5;
    options.out_dir = "shots";
    options.contact_sheet = "shots/sheet.png";
    Output o = run(
        "0 shot first\n"
        "0 shot start\n"     // two shots of one frame: both are written
        "5 left 760 40\n"   // scene 0 -> 1, instant, chime
        "6 shot\n"
        "10 right 400 300\n"
        "30 esc\n"
        "50 altenter\n"
        "60 left 760 40\n"  // full screen now: the press is mapped through the letterbox
        "70 clock 5000\n",
        options);
    ASSERT_EQ(o.result, 0) << o.err;
    auto s = states_of(o.out);
    ASSERT_EQ(s.size(), 76u) << "frames 0..70 and five more";
    for (size_t i = 0; i < s.size(); ++i) ASSERT_EQ(s[i]["frame"], std::to_string(i));
    EXPECT_EQ(s[0]["scene"], "0");
    EXPECT_EQ(s[0]["sound"], "opening.wav");
    EXPECT_EQ(s[4]["scene"], "0");
    EXPECT_EQ(s[5]["scene"], "1") << "the press of frame 5 is handled in frame 5";
    EXPECT_EQ(s[5]["sound"], "chime.wav");
    EXPECT_EQ(s[10]["menu_open"], "1");
    EXPECT_EQ(s[10]["menu_anim"], "1");
    EXPECT_EQ(s[29]["menu_anim"], "0") << "opened in 13 frames";
    EXPECT_EQ(s[30]["menu_open"], "0") << "Esc closes the open overlay";
    EXPECT_EQ(s[49]["windowed"], "1");
    EXPECT_EQ(s[50]["windowed"], "0");
    EXPECT_EQ(s[60]["scene"], "2");
    EXPECT_EQ(s[60]["tr_kind"], "1");
    EXPECT_EQ(s[60]["tr_active"], "1");
    EXPECT_EQ(s[60]["sound"], "-") << "a silent link leaves the scene silent";
    EXPECT_EQ(std::stoul(s[70]["clock"]) - std::stoul(s[69]["clock"]), 5000u) << "no pacing in full screen";
    EXPECT_EQ(std::stoul(s[2]["clock"]) - std::stoul(s[1]["clock"]), 4u) << "windowed frames are paced";

    EXPECT_EQ(png_pixel(folder.path + "/shots/first.png", 400, 300), kTourStoryColours[0]);
    EXPECT_EQ(png_pixel(folder.path + "/shots/start.png", 400, 300), kTourStoryColours[0]) << "the second shot of frame 0";
    EXPECT_EQ(png_pixel(folder.path + "/shots/frame-000006.png", 400, 300), kTourStoryColours[1]);
    std::error_code ec;
    EXPECT_GT(std::filesystem::file_size(folder.path + "/shots/sheet.png", ec), 0u);
}

TEST(ReplayRun, TheGameQuittingEndsTheRunEarly) {
    TempFolder folder;
    write_tour_story(folder.path);
    CurrentDirectory cd(folder.path);
    ReplayOptions options;
    options.quiet = true;
    options.frames_after = 100;
    // The quit label is the overlay's third, at the right of its middle row.
    Output o = run("1 esc\n30 left 620 300\n", options);
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.out.empty()) << "quiet";
    EXPECT_NE(o.err.find("the game ended after frame 30"), std::string::npos) << o.err;
}

TEST(ReplayRun, AFailedStartUpIsReportedWithItsMessage) {
    TempFolder folder;
    CurrentDirectory cd(folder.path);
    Output o = run("1 esc\n", ReplayOptions{});
    EXPECT_EQ(o.result, 2);
    EXPECT_NE(o.err.find("could not start"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("message box: 起動に失敗しました。"), std::string::npos) << o.err;
    EXPECT_TRUE(o.out.empty());
}

TEST(ReplayRun, AShotThatCannotBeWrittenFailsTheRun) {
    TempFolder folder;
    write_tour_story(folder.path);
    CurrentDirectory cd(folder.path);
    write_file("blocked", "a file where the folder should be");
    ReplayOptions options;
    options.out_dir = "blocked";
    options.quiet = true;
    options.frames_after = 0;
    Output o = run("2 shot\n", options);
    EXPECT_EQ(o.result, 1);
    EXPECT_NE(o.err.find("cannot write"), std::string::npos) << o.err;
}
