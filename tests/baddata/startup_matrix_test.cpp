// The real game program started on damaged files read at start-up (the script and the pointer
// image): it says "起動に失敗しました。" and ends with 0, or plays what it could read, and never
// crashes nor trips a sanitizer. Each run is a child process with the dummy video driver.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "baddata_cases.h"
#include "support/scenario_fixtures.h"

extern char** environ;

namespace {

constexpr int kStepMs = 10;
constexpr int kSettleMs = 5000;    // a start-up that fails has normally failed by then
constexpr int kQuitMs = 30000;     // how long a told-to-quit game may take to end
const char kStartupFailed[] = "起動に失敗しました。";

std::string game_path() {
    const char* dir = std::getenv("POROMINA_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/poromina";
}

struct GameRun {
    bool spawned = false;
    bool ended_alone = false;  // ended before it was told to quit
    bool ended = false;        // ended at all (alone or told)
    bool signalled = false;    // killed by a signal (a crash, or our SIGKILL)
    int exit_code = -1;
    std::string err;           // standard error
};

// Waits up to ms for pid to end; true when it did (status filled).
bool wait_for(pid_t pid, int ms, int* status) {
    for (int waited = 0; waited <= ms; waited += kStepMs) {
        if (waitpid(pid, status, WNOHANG) == pid) return true;
        usleep(kStepMs * 1000);
    }
    return false;
}

// Runs the game in dir with its own runtime folder (so no other copy counts as the first one).
// A game still running after kSettleMs is asked to quit as the desktop would (SIGTERM).
GameRun run_game(const std::string& dir) {
    GameRun r;
    const std::string err_path = dir + "/stderr.txt";
    const std::string runtime = dir + "/runtime";
    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("XDG_RUNTIME_DIR=", 0) == 0 || v.rfind("SDL_VIDEODRIVER=", 0) == 0 ||
            v.rfind("SDL_AUDIODRIVER=", 0) == 0)
            continue;
        env_text.push_back(v);
    }
    env_text.push_back("XDG_RUNTIME_DIR=" + runtime);
    env_text.push_back("SDL_VIDEODRIVER=dummy");
    env_text.push_back("SDL_AUDIODRIVER=dummy");
    std::vector<char*> env;
    for (std::string& v : env_text) env.push_back(v.data());
    env.push_back(nullptr);
    write_file(runtime + "/.keep", "");
    ::chmod(runtime.c_str(), 0700);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    std::string path = game_path();
    char* argv[] = {path.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    r.spawned = true;
    int status = 0;
    r.ended_alone = wait_for(pid, kSettleMs, &status);
    r.ended = r.ended_alone;
    if (!r.ended) {
        kill(pid, SIGTERM);
        r.ended = wait_for(pid, kQuitMs, &status);
        if (!r.ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    r.signalled = WIFSIGNALED(status);
    if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
    r.err = read_file(err_path);
    return r;
}

bool sanitizer_report(const std::string& err) {
    return err.find("Sanitizer") != std::string::npos || err.find("runtime error") != std::string::npos;
}

enum class Outcome { Refused, Plays, Either };

const char* describe(Outcome o) {
    switch (o) {
        case Outcome::Refused: return "start-up message, exit 0";
        case Outcome::Plays: return "starts and plays";
        case Outcome::Either: return "start-up message or plays what it read";
    }
    return "";
}

// Runs one damaged version and judges it.
MatrixRow run_case(GameFile file, const char* file_name, const FileVersion& v, Outcome expected) {
    TempFolder dir;
    write_game_folder(dir.path, file, v);
    GameRun r = run_game(dir.path);
    const bool said_failed = r.err.find(kStartupFailed) != std::string::npos;
    // Every refusal says why on a line of its own before the box's copy.
    const size_t why = r.err.find("poromina: start-up failed: ");
    if (said_failed) {
        EXPECT_TRUE(why != std::string::npos && why < r.err.find(kStartupFailed))
            << file_name << ", " << v.defect << ": no cause before the message\n" << r.err;
    }
    std::string observed;
    if (!r.spawned) observed = "could not start the program";
    else if (r.signalled) observed = "killed by a signal";
    else if (!r.ended) observed = "hung";
    else if (sanitizer_report(r.err)) observed = "sanitizer report";
    else if (r.exit_code != 0) observed = "exit " + std::to_string(r.exit_code);
    else if (said_failed) observed = "start-up message, exit 0";
    else if (!r.ended_alone) observed = "started; ran until told to quit, exit 0";
    else observed = "ended by itself without a message";
    // A slow start-up (a loaded machine, a sanitizer build) may be told to quit before it has
    // failed; its message still comes, so the message decides.
    bool ok = r.spawned && r.ended && !r.signalled && r.exit_code == 0 && !sanitizer_report(r.err) &&
              (said_failed || !r.ended_alone);
    if (expected == Outcome::Refused) ok = ok && said_failed;
    if (expected == Outcome::Plays) ok = ok && !said_failed;
    EXPECT_TRUE(ok) << file_name << ", " << v.defect << ": " << observed << "\n" << r.err;
    return MatrixRow{file_name, v.defect, describe(expected), observed, ok};
}

class StartupMatrix : public testing::Test {
protected:
    void SetUp() override {
        if (access(game_path().c_str(), X_OK) != 0) GTEST_SKIP() << "the game program is not built";
    }
};

TEST_F(StartupMatrix, GoodFolderStartsAndQuitsCleanly) {
    TempFolder dir;
    write_good_game_folder(dir.path);
    GameRun r = run_game(dir.path);
    ASSERT_TRUE(r.ended);
    EXPECT_FALSE(r.ended_alone) << "the good game runs until it is told to quit: " << r.err;
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_FALSE(sanitizer_report(r.err)) << r.err;
}

TEST_F(StartupMatrix, DamagedScript) {
    std::vector<MatrixRow> rows;
    for (const FileVersion& v : bad_versions(GameFile::Script)) {
        // The file-level refusals (missing, empty, too large), the failing lines and a script
        // that defines no scene (random bytes) must stop the start; a cut script may be playable.
        Outcome expected = Outcome::Refused;
        if (v.defect == "cut in the middle") expected = Outcome::Either;
        if (v.defect.find("2 MiB line") != std::string::npos) expected = Outcome::Plays;
        rows.push_back(run_case(GameFile::Script, "script", v, expected));
    }
    publish_matrix("startup-script", rows);
}

TEST_F(StartupMatrix, DamagedPointerImage) {
    std::vector<MatrixRow> rows;
    for (const FileVersion& v : bad_versions(GameFile::Pointer))
        rows.push_back(run_case(GameFile::Pointer, "pointer image", v, Outcome::Refused));
    publish_matrix("startup-pointer", rows);
}

}  // namespace
