// What the benchmark cases share: the game folder they play in, the game brought up on the
// offscreen renderer, the pictures, and the figures the closing table reads.
#pragma once
#include <benchmark/benchmark.h>

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr int kRepetitions = 5;  // every case; the table takes the median

// A temporary game folder (data/pic.png, data/pic.jpg, the pointer image), made once per run.
// It becomes the current directory; "" when it could not be made.
const std::string& bench_folder();
// The same 800x600 picture in the clear, as PNG and as JPEG file bytes.
const std::vector<unsigned char>& bench_png();
const std::vector<unsigned char>& bench_jpeg();

// A full balloon page: four lines of Japanese text in a 33-point gothic face (Shift-JIS).
struct BenchPage {
    std::string face;
    int32_t points;
    std::string text;
};
const BenchPage& bench_balloon_page();

// The game as start-up leaves it, on the offscreen software renderer, in the bench folder: the
// scene, balloon, overlay and staff-roll textures, the pointer, the PNG picture shown (the JPEG
// one outgoing), everything at rest, the pointer over the canvas. false (the case is skipped
// with the reason) when something could not be made.
bool bench_game_ready(benchmark::State& state);
// Puts the pictures back after a case drew the staff roll into the scene textures.
void bench_game_show_pictures();

// Something the build made: POROMINA_BINARY_DIR/relative, or relative in the build folder above
// this program's, when the path inside it exists there; "" otherwise.
std::string build_output(const char* relative, const char* inside = "");
// The demo story's game folder (POROMINA_BINARY_DIR/demo, or ../demo beside this program), or
// "" when it has not been built.
std::string demo_folder();

// The child-process side of the start-up case: runs the real start-up in the demo folder, walks
// the story and prints its figures. Returns the process exit code.
int startup_child_main(const char* folder);
constexpr const char* kStartupChildFlag = "--startup-child";

// The child-process side of the X-session cases: the demo story on the display given by DISPLAY,
// the first scene at rest, then cross-fade frames; prints its figures. server: the X server's pid.
int xsession_child_main(const char* folder, const char* server);
constexpr const char* kXSessionChildFlag = "--xsession-child";

// The child's way into the game: enters the demo game folder, loads the window names and puts
// the shared flags at their start values, windowed. False (with a line on stderr) when the
// folder cannot be entered.
bool enter_demo_game(const char* folder);

// A child process with one of its output streams on a pipe.
struct PipedChild {
    pid_t pid = 0;
    int fd = -1;  // the pipe's reading end, owned by the caller
};
// Starts program with the arguments given and the environment less every variable that starts
// with one of drop, plus those in add ("NAME=value"); its output stream `stream` (STDOUT_FILENO or
// STDERR_FILENO) goes to the pipe, the other one stays this program's. False (with *why) when it
// could not be started.
bool spawn_piped(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& drop, const std::vector<std::string>& add, int stream,
                 PipedChild* out, std::string* why);
// Starts Xvfb with one screen of the given WxHxD on a display it picks itself; its pid (0 when it
// could not be started) and the display name.
pid_t start_xvfb(const char* screen_size, std::string* display);
// Runs this program again as a child (see spawn_piped) and reads its standard output into *out.
// The child's wait status, or -1 (with *why) when it could not be started.
int run_bench_child(const std::string& self, const std::vector<std::string>& args,
                    const std::vector<std::string>& drop, const std::vector<std::string>& add, std::string* out,
                    std::string* why);
