// The game program as a process: a second copy hands over to the first, names it and ends with 0
// without a window, a copy on another display is a session of its own, a copy without a script says why it cannot start and ends with 0, SIGTERM ends a
// running game with 0, and what another user plants where the lock lives never stops a start.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/system/instance.h"
#include "shell_fixture.h"
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
    pid_t pid;        // the process's id
    bool ended;       // the process ended by itself
    int exit_code;    // its exit code when it did
    std::string err;  // what it wrote to standard error
};

// True once the process catches SIGTERM (its handler is installed).
bool catches_sigterm(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// Runs the game in dir with the dummy video driver and waits for it to end. terminate: SIGTERM
// as soon as the game catches it (it then starts up in full and ends the ordinary way).
// while_running is called every step meanwhile.
RunResult run_game(const std::string& dir, bool terminate = false,
                   const std::function<void()>& while_running = nullptr) {
    std::string err_path = dir + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    std::string path = game_path();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    RunResult r{0, false, -1, ""};
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return r;
    r.pid = pid;
    int status = 0;
    bool sent = false;
    for (int i = 0; i < kWaitSteps && !r.ended; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            r.ended = true;
            break;
        }
        if (terminate && !sent && catches_sigterm(pid)) sent = kill(pid, SIGTERM) == 0;
        if (while_running) while_running();
        usleep(kStepUs);
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

// Sets an environment variable (null: unsets it) for the life of the object.
struct ScopedEnv {
    std::string name, old;
    bool had;
    ScopedEnv(const char* n, const char* value) : name(n) {
        const char* o = std::getenv(n);
        had = o != nullptr;
        old = o ? o : "";
        set(value);
    }
    void set(const char* value) {
        if (value) setenv(name.c_str(), value, 1);
        else unsetenv(name.c_str());
    }
    ~ScopedEnv() { set(had ? old.c_str() : nullptr); }
};

// The line a later copy prints about the first when this process holds the lock.
std::string running_copy_line() {
    std::string folder = std::filesystem::current_path().string();
    return "poromina: already running in " + folder + " (process " + std::to_string(getpid()) +
           "); asked it to come to the front\n";
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
    // Every copy here shows on one X display, whatever the session running the tests has.
    ScopedEnv x_display{"DISPLAY", ":5"};
    ScopedEnv wayland_display{"WAYLAND_DISPLAY", nullptr};
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
    EXPECT_EQ(r.err, running_copy_line()) << "a second copy opens no window and names the first";
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

// Without XDG_RUNTIME_DIR: the lock and socket go to the game's own folder under TMPDIR, here a
// world-writable sticky folder of the test's own, as /tmp is.
class PrivateFolderTest : public GameProcessTest {
protected:
    void SetUp() override {
        GameProcessTest::SetUp();
        if (IsSkipped()) return;
        unsetenv("XDG_RUNTIME_DIR");
        const char* old = std::getenv("TMPDIR");
        had_tmpdir = old != nullptr;
        saved_tmpdir = old ? old : "";
        ::chmod(tmp.path.c_str(), 01777);
        setenv("TMPDIR", tmp.path.c_str(), 1);
        own = tmp.path + "/poromina-" + std::to_string(geteuid());
        CurrentDirectory cd(game_dir.path);
        GameData::write_game_data();
    }
    void TearDown() override {
        if (had_tmpdir) setenv("TMPDIR", saved_tmpdir.c_str(), 1);
        else unsetenv("TMPDIR");
        GameProcessTest::TearDown();
    }
    // The shell tests' small story: a script and the pointer image.
    struct GameData : ShellTest {
        using ShellTest::write_game_data;
    };
    TempFolder tmp;
    std::string own;  // the folder the game makes for itself
    std::string saved_tmpdir;
    bool had_tmpdir = false;
};

// Something of another user's at path: a file nobody else may use (owned by "nobody" when the
// test runs as root, who could use any mode) or a link, left alone when something is there
// already, and removed afterwards only while it is still the one planted.
struct Planted {
    std::string path;
    ino_t inode = 0;  // of what was planted; 0: nothing was
    ~Planted() {
        struct stat st {};
        if (inode != 0 && ::lstat(path.c_str(), &st) == 0 && st.st_ino == inode) ::unlink(path.c_str());
    }
    void note() {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0) inode = st.st_ino;
    }
};

void plant_foreign_file(Planted* p) {
    int fd = ::open(p->path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return;
    ::close(fd);
    p->note();
    if (geteuid() == 0) {
        EXPECT_EQ(::chown(p->path.c_str(), 65534, 65534), 0);
    } else {
        ::chmod(p->path.c_str(), 0);
    }
}

void plant_link(Planted* p, const std::string& target) {
    if (::symlink(target.c_str(), p->path.c_str()) == 0) p->note();
}

// The game started in full and ended with 0 when told to quit.
void expect_started(const RunResult& r, const char* situation) {
    EXPECT_TRUE(r.ended) << situation;
    EXPECT_EQ(r.exit_code, 0) << situation;
    EXPECT_EQ(r.err.find("起動に失敗しました。"), std::string::npos) << situation << ": " << r.err;
}

// A folder that exists and holds nothing.
bool folder_empty(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec) && std::filesystem::is_empty(path, ec) && !ec;
}

TEST_F(PrivateFolderTest, WhatAnotherUserPlantsNeverStopsTheGameAndIsNeverFollowed) {
    TempFolder elsewhere;  // where planted links point
    const std::string victim = elsewhere.path + "/victim";
    const std::string old_base = "/tmp/" + std::string(kInstanceName) + "-" + std::to_string(geteuid());
    // Where the lock and the socket used to be: a foreign lock file and a link.
    Planted old_lock{old_base + ".lock"}, old_sock{old_base + ".sock"};
    plant_foreign_file(&old_lock);
    plant_link(&old_sock, victim);

    // A link where the game's own folder goes: not followed, the game runs without the guard.
    ASSERT_EQ(::symlink(elsewhere.path.c_str(), own.c_str()), 0);
    RunResult r = run_game(game_dir.path, true);
    expect_started(r, "a link in place of the folder");
    EXPECT_NE(r.err.find("running without it"), std::string::npos) << r.err;
    EXPECT_TRUE(folder_empty(elsewhere.path)) << "nothing was made through the link";
    ::unlink(own.c_str());

    // A folder open to others (and, as root, owned by another user): refused, nothing made in it.
    ASSERT_EQ(::mkdir(own.c_str(), 0777), 0);
    ::chmod(own.c_str(), 0777);
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
    }
    r = run_game(game_dir.path, true);
    expect_started(r, "a foreign folder in place of the folder");
    EXPECT_NE(r.err.find("running without it"), std::string::npos) << r.err;
    EXPECT_TRUE(folder_empty(own)) << "nothing was made in another user's folder";
    ::rmdir(own.c_str());

    // Nothing in the way: the game makes its folder closed to others and keeps the lock there.
    r = run_game(game_dir.path, true);
    expect_started(r, "its own folder");
    // Only what the game says counts (a sanitizer's own closing report may follow it).
    EXPECT_EQ(r.err.find("poromina:"), std::string::npos) << r.err;
    struct stat st {};
    ASSERT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, geteuid());
    EXPECT_EQ(::access((own + "/" + kInstanceName + "@:5.lock").c_str(), F_OK), 0);

    // The old places were left as they were: the link is still there, its target never made.
    if (old_sock.inode != 0) {
        EXPECT_EQ(::lstat(old_sock.path.c_str(), &st), 0) << "the planted link was not removed";
    }
    EXPECT_NE(::access(victim.c_str(), F_OK), 0);
}

TEST_F(PrivateFolderTest, SilentConnectionsAreDroppedSoALaterCopyStillRaisesTheFirst) {
    ASSERT_EQ(instance_acquire(kInstanceName), InstanceRole::First);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string socket_path = own + "/" + kInstanceName + "@:5.sock";
    ASSERT_LT(socket_path.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, socket_path.c_str(), socket_path.size() + 1);
    // Connections that never send anything take every pending slot and the queue behind them.
    std::vector<int> silent;
    for (int i = 0; i < 32; ++i) {
        int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            ::close(fd);
            break;
        }
        silent.push_back(fd);
        EXPECT_FALSE(instance_raise_requested());  // takes them into its slots
    }
    ASSERT_GT(silent.size(), 4u) << "the slots and the queue filled up";

    bool raised = false;
    RunResult r = run_game(game_dir.path, false, [&] { raised = instance_raise_requested() || raised; });
    ASSERT_TRUE(r.ended) << "a later copy does not hang on a full queue";
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, running_copy_line());
    for (int i = 0; i < kWaitSteps && !raised; ++i) {
        raised = instance_raise_requested();
        if (!raised) usleep(kStepUs);
    }
    EXPECT_TRUE(raised) << "the request got through once the silent connections were dropped";
    char c = 0;
    EXPECT_EQ(::recv(silent[0], &c, 1, MSG_DONTWAIT), 0) << "a silent connection was closed by the first copy";
    for (int fd : silent) ::close(fd);
}

// The guard belongs to a desktop session: one display, however it is written, is one session; a
// copy on another X display or on a Wayland display starts beside the first and takes a lock of
// its own.
TEST_F(PrivateFolderTest, ACopyOnAnotherDisplayStartsAndOneOnTheSameDisplayNamesTheFirst) {
    x_display.set(":5.0");
    ASSERT_EQ(instance_acquire(kInstanceName), InstanceRole::First);
    for (const char* same : {":5", ":5.1", "unix:5.0"}) {
        x_display.set(same);
        RunResult r = run_game(game_dir.path);
        ASSERT_TRUE(r.ended) << same;
        EXPECT_EQ(r.exit_code, 0) << same;
        EXPECT_EQ(r.err, running_copy_line()) << "DISPLAY " << same << " is the first copy's display";
    }
    // What a copy that took its lock wrote there: its process id and its folder.
    auto expect_own_lock = [&](const RunResult& r, const std::string& lock, const char* situation) {
        EXPECT_EQ(r.err.find("already running"), std::string::npos) << situation << ": " << r.err;
        EXPECT_EQ(read_file(own + "/" + lock), std::to_string(r.pid) + "\n" + game_dir.path)
            << situation << ": the copy took a lock of its own";
    };
    x_display.set(":6");
    RunResult r = run_game(game_dir.path, true);
    expect_started(r, "another X display");
    expect_own_lock(r, std::string(kInstanceName) + "@:6.lock", "another X display");

    x_display.set(":5");
    wayland_display.set("wayland-1");
    r = run_game(game_dir.path, true);
    expect_started(r, "a Wayland display");
    expect_own_lock(r, std::string(kInstanceName) + "@wayland-1.lock", "a Wayland display");
}

}  // namespace
