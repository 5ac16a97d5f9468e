// Single instance over flock and a unix socket in a private folder, one pair per display: the
// first copy holds the lock, writes its process id and folder into it and listens; a later copy
// finds the lock taken, sends "raise", reads who holds the lock and ends. Nothing is
// followed through a symbolic link, and the folder and the lock file are checked by their open
// descriptors, so what another user plants can at worst cost the guard, never the start.
#include "platform/system/instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxPending = 4;              // connections accepted but not yet read
constexpr int kConnectTries = 100;          // a later copy's attempts to reach the first
constexpr long kConnectWaitNs = 20000000L;  // 20 ms between attempts: two seconds in all
constexpr char kRaiseMessage[] = "raise\n";
constexpr size_t kMaxDisplayKey = 48;       // characters of the display in the file names

struct PendingConnection {
    int fd = -1;           // accepted, message not read yet
    int64_t since_ms = 0;  // monotonic milliseconds of its acceptance
};

struct InstanceState {
    int folder_fd = -1;       // the checked private folder, held open for the life of the lock
    int lock_fd = -1;         // the held lock file
    int listen_fd = -1;       // first copy's socket
    std::string socket_name;  // within the folder
    std::string socket_path;  // what bind and connect take: through the folder's descriptor
    PendingConnection pending[kMaxPending];
};

InstanceState is;  // user-interface thread only
RunningCopy running;  // filled by a later copy; user-interface thread only

int64_t now_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool out_of_resources(int err) { return err == EMFILE || err == ENFILE || err == ENOMEM; }

// A folder of this user that no one else may enter or change.
bool private_folder(int fd, std::string* why) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
        *why = "not a folder";
        return false;
    }
    if (st.st_uid != geteuid()) {
        *why = "owned by another user";
        return false;
    }
    if ((st.st_mode & 077) != 0) {
        *why = "open to other users";
        return false;
    }
    return true;
}

// Opens the folder for the lock and the socket; -1 with *path and *why saying what was wrong,
// *err the error number when a call failed.
int open_private_folder(std::string* path, std::string* why, int* err) {
    *err = 0;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        int fd = open(runtime, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && private_folder(fd, why)) {
            *path = runtime;
            return fd;
        }
        if (fd < 0 && out_of_resources(errno)) {
            *err = errno;
            return -1;
        }
        if (fd >= 0) close(fd);  // not a safe place: the game's own folder instead
    }
    const char* tmp = std::getenv("TMPDIR");
    *path = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/poromina-" +
            std::to_string(static_cast<long>(geteuid()));
    if (mkdir(path->c_str(), 0700) != 0 && errno != EEXIST) {
        *err = errno;
        *why = std::strerror(errno);
        return -1;
    }
    int fd = open(path->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        *why = errno == ELOOP ? "a symbolic link" : errno == ENOTDIR ? "not a folder" : std::strerror(errno);
        return -1;
    }
    if (!private_folder(fd, why)) {
        close(fd);
        return -1;
    }
    return fd;
}

// The folder's descriptor as a path, so that bind and connect reach the checked folder itself
// whatever happens to its name; its plain path where /proc is missing.
std::string path_in_folder(int folder_fd, const std::string& folder, const std::string& name) {
    std::string via_fd = "/proc/self/fd/" + std::to_string(folder_fd);
    struct stat a {}, b {};
    if (stat(via_fd.c_str(), &a) == 0 && fstat(folder_fd, &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino)
        return via_fd + "/" + name;
    return folder + "/" + name;
}

bool make_address(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof addr->sun_path) return false;
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

void listen_for_later_copies() {
    sockaddr_un addr;
    if (!make_address(is.socket_path, &addr)) return;
    // Left by a copy that did not end cleanly; the lock is ours. A link goes, not its target.
    unlinkat(is.folder_fd, is.socket_name.c_str(), 0);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, kMaxPending) != 0) {
        close(fd);
        return;
    }
    is.listen_fd = fd;
}

// Tells the first copy to raise its window. It may still be setting up its socket, or its
// queue may be full for a moment: the attempts never block and end after two seconds.
void ask_first_copy_to_raise() {
    sockaddr_un addr;
    if (!make_address(is.socket_path, &addr)) return;
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) return;
        if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            ssize_t n = send(fd, kRaiseMessage, sizeof kRaiseMessage - 1, MSG_NOSIGNAL);
            (void)n;
            close(fd);
            return;
        }
        close(fd);
        timespec wait{0, kConnectWaitNs};
        nanosleep(&wait, nullptr);
    }
}

// Reads a pending connection: 1 raise asked, 0 nothing yet, -1 done without a request.
int read_request(int fd) {
    char buf[16];
    ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    if (n <= 0) return -1;
    return std::strncmp(buf, "raise", 5) == 0 && n >= 5 ? 1 : -1;
}

// The display this copy shows on, as part of a file name: $WAYLAND_DISPLAY's socket name, else
// $DISPLAY without its screen number (":0.0" and ":0" are one display, and so are "unix:0" and
// "localhost:0"); "" with neither. Characters a file name should not carry become '_'.
std::string display_key() {
    std::string key;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x = std::getenv("DISPLAY");
    if (wayland && wayland[0]) {
        key = wayland;
        const size_t slash = key.rfind('/');  // an absolute socket path names the same socket
        if (slash != std::string::npos) key.erase(0, slash + 1);
    } else if (x && x[0]) {
        key = x;
        const size_t colon = key.rfind(':');
        if (colon != std::string::npos) {
            const size_t dot = key.find('.', colon);
            if (dot != std::string::npos) key.erase(dot);
            const std::string host = key.substr(0, colon);
            if (host == "unix" || host == "localhost") key.erase(0, colon);
        }
    }
    if (key.size() > kMaxDisplayKey) key.resize(kMaxDisplayKey);
    for (char& c : key) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == ':' || c == '_';
        if (!plain) c = '_';
    }
    return key;
}

// Writes this copy's process id and game folder into the held lock file, for later copies.
void write_running_copy() {
    std::string text = std::to_string(static_cast<long>(getpid())) + "\n";
    char folder[sizeof running.folder];
    if (getcwd(folder, sizeof folder)) text += folder;
    if (ftruncate(is.lock_fd, 0) != 0) return;  // the line of a later copy then lacks them
    ssize_t n = pwrite(is.lock_fd, text.data(), text.size(), 0);
    (void)n;
}

// Reads what the first copy wrote into the lock file of descriptor fd.
void read_running_copy(int fd) {
    char text[sizeof running.folder + 32];
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    if (n <= 0) return;
    text[n] = '\0';
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    if (end == text || *end != '\n' || pid <= 0) return;
    running.pid = pid;
    std::snprintf(running.folder, sizeof running.folder, "%s", end + 1);
}

void say_unguarded(const std::string& where, const std::string& why) {
    std::fprintf(stderr, "poromina: no single-instance lock in %s (%s); running without it\n", where.c_str(),
                 why.c_str());
}

}  // namespace

InstanceRole instance_acquire(const char* name) {
    instance_release();
    running = RunningCopy{};
    std::string base = name ? name : "poromina";
    const std::string display = display_key();
    if (!display.empty()) base += "@" + display;
    std::string folder, why;
    int err = 0;
    is.folder_fd = open_private_folder(&folder, &why, &err);
    if (is.folder_fd < 0) {
        if (out_of_resources(err)) return InstanceRole::Failed;
        say_unguarded(folder, why);
        return InstanceRole::First;
    }
    is.socket_name = base + ".sock";
    is.socket_path = path_in_folder(is.folder_fd, folder, is.socket_name);
    const std::string lock_name = base + ".lock";
    is.lock_fd = openat(is.folder_fd, lock_name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    struct stat st {};
    const bool is_lock_missing = is.lock_fd < 0;
    if (is_lock_missing || fstat(is.lock_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        int e = errno;
        instance_release();
        if (out_of_resources(e)) return InstanceRole::Failed;
        say_unguarded(folder + "/" + lock_name, is_lock_missing ? (e == ELOOP ? "a symbolic link" : std::strerror(e))
                                                                : "not a file of this user");
        return InstanceRole::First;
    }
    if (flock(is.lock_fd, LOCK_EX | LOCK_NB) == 0) {
        write_running_copy();  // before the socket: a later copy that got through reads it whole
        listen_for_later_copies();
        return InstanceRole::First;
    }
    int e = errno;
    if (e != EWOULDBLOCK) {
        instance_release();
        say_unguarded(folder + "/" + lock_name, std::strerror(e));
        return InstanceRole::First;
    }
    ask_first_copy_to_raise();
    read_running_copy(is.lock_fd);
    instance_release();
    return InstanceRole::Second;
}

const RunningCopy& instance_running_copy() { return running; }

bool instance_raise_requested() {
    if (is.listen_fd < 0) return false;
    const int64_t now = now_ms();
    for (PendingConnection& p : is.pending) {
        if (p.fd >= 0) continue;
        p.fd = accept4(is.listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (p.fd < 0) break;
        p.since_ms = now;
    }
    bool raise = false;
    for (PendingConnection& p : is.pending) {
        if (p.fd < 0) continue;
        int r = read_request(p.fd);
        if (r == 0 && now - p.since_ms < kInstanceSilentMs) continue;
        raise = raise || r == 1;
        close(p.fd);  // answered, or silent too long: its slot goes to the next caller
        p.fd = -1;
    }
    return raise;
}

void instance_release() {
    for (PendingConnection& p : is.pending) {
        if (p.fd >= 0) close(p.fd);
        p.fd = -1;
    }
    if (is.listen_fd >= 0) {
        close(is.listen_fd);
        unlinkat(is.folder_fd, is.socket_name.c_str(), 0);
        is.listen_fd = -1;
    }
    if (is.lock_fd >= 0) close(is.lock_fd);
    is.lock_fd = -1;
    if (is.folder_fd >= 0) close(is.folder_fd);
    is.folder_fd = -1;
}
