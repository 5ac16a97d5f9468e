// The game program as a process: a second copy hands over to the first and ends with 0 without
// a window, and a copy without a script says why it cannot start and ends with 0.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/system/instance.h"
#include "support/scenario_fixtures.h"

extern char** environ;

namespace {

constexpr int kWaitSteps = 1000;      // 10 ms each: ten seconds before a copy counts as hung
constexpr useconds_t kStepUs = 10000;

std::string game_path() {
    const char* dir = std::getenv("POROMINA_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/poromina";
}

struct RunResult {
    bool ended;       // the process ended by itself
    int exit_code;    // its exit code when it did
    std::string err;  // what it wrote to standard error
};

// Runs the game in dir with the dummy video driver and waits for it to end.
RunResult run_game(const std::string& dir) {
    std::string err_path = dir + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    std::string path = game_path();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    RunResult r{false, -1, ""};
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    int status = 0;
    for (int i = 0; i < kWaitSteps && !r.ended; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) r.ended = true;
        else usleep(kStepUs);
    }
    if (!r.ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    } else if (WIFEXITED(status)) {
        r.exit_code = WEXITSTATUS(status);
    }
    r.err = read_file(err_path);
    return r;
}

class GameProcessTest : public testing::Test {
protected:
    void SetUp() override {
        if (access(game_path().c_str(), X_OK) != 0) GTEST_SKIP() << "the game program is not built";
        // The lock and socket live in a folder of the test's own, away from a real game.
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        saved_runtime = old ? old : "";
        had_runtime = old != nullptr;
        setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
    }
    void TearDown() override {
        instance_release();
        if (had_runtime) setenv("XDG_RUNTIME_DIR", saved_runtime.c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");
    }
    TempFolder runtime;
    TempFolder game_dir;
    std::string saved_runtime;
    bool had_runtime = false;
};

TEST_F(GameProcessTest, SecondCopyRaisesTheFirstAndEndsWithZero) {
    ASSERT_EQ(instance_acquire(kInstanceName), InstanceRole::First);
    EXPECT_FALSE(instance_raise_requested()) << "nobody asked yet";
    // No script in its folder: had it started for itself it would have said so.
    RunResult r = run_game(game_dir.path);
    ASSERT_TRUE(r.ended) << "the second copy must end by itself";
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "") << "a second copy opens no window and shows nothing";
    bool raised = false;
    for (int i = 0; i < kWaitSteps && !raised; ++i) {
        raised = instance_raise_requested();
        if (!raised) usleep(kStepUs);
    }
    EXPECT_TRUE(raised) << "the first copy heard the request";
    EXPECT_FALSE(instance_raise_requested()) << "one request raises once";
}

TEST_F(GameProcessTest, WithoutAScriptTheGameSaysStartUpFailedAndEndsWithZero) {
    RunResult r = run_game(game_dir.path);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_NE(r.err.find("起動に失敗しました。"), std::string::npos) << r.err;
    // The lock went with it: this process is now the first copy.
    EXPECT_EQ(instance_acquire(kInstanceName), InstanceRole::First);
}

}  // namespace
