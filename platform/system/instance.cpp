// Single instance over flock and a unix socket: the first copy holds the lock and listens; a
// later copy finds the lock taken, sends "raise" and ends.
#include "platform/system/instance.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kMaxPending = 4;        // connections accepted but not yet read
constexpr int kConnectTries = 50;     // a second copy's attempts to reach the first
constexpr long kConnectWaitNs = 20000000L;  // 20 ms between attempts
constexpr char kRaiseMessage[] = "raise\n";

struct InstanceState {
    int lock_fd = -1;      // the held lock file
    int listen_fd = -1;    // first copy's socket
    std::string socket_path;
    int pending[kMaxPending] = {-1, -1, -1, -1};  // accepted, message not read yet
};

InstanceState is;  // user-interface thread only

std::string base_path(const char* name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    std::string base = (dir && *dir) ? dir : "/tmp";
    return base + "/" + name + "-" + std::to_string(static_cast<long>(getuid()));
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
    unlink(is.socket_path.c_str());  // left by a copy that did not end cleanly; the lock is ours
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, kMaxPending) != 0) {
        close(fd);
        return;
    }
    is.listen_fd = fd;
}

// Tells the first copy to raise its window; it may still be setting up its socket.
void ask_first_copy_to_raise() {
    sockaddr_un addr;
    if (!make_address(is.socket_path, &addr)) return;
    for (int attempt = 0; attempt < kConnectTries; ++attempt) {
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

// Reads a pending connection: 1 raise asked, 0 not yet complete, -1 done without a request.
int read_request(int fd) {
    char buf[16];
    ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
    if (n <= 0) return -1;
    return std::strncmp(buf, "raise", 5) == 0 && n >= 5 ? 1 : -1;
}

}  // namespace

InstanceRole instance_acquire(const char* name) {
    instance_release();
    std::string base = base_path(name ? name : "poromina");
    is.socket_path = base + ".sock";
    is.lock_fd = open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (is.lock_fd < 0) return InstanceRole::Failed;
    if (flock(is.lock_fd, LOCK_EX | LOCK_NB) == 0) {
        listen_for_later_copies();
        return InstanceRole::First;
    }
    int err = errno;
    close(is.lock_fd);
    is.lock_fd = -1;
    if (err != EWOULDBLOCK) return InstanceRole::Failed;
    ask_first_copy_to_raise();
    return InstanceRole::Second;
}

bool instance_raise_requested() {
    if (is.listen_fd < 0) return false;
    bool raise = false;
    for (;;) {
        int slot = -1;
        for (int i = 0; i < kMaxPending; ++i)
            if (is.pending[i] < 0) slot = i;
        if (slot < 0) break;
        int fd = accept4(is.listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) break;
        is.pending[slot] = fd;
    }
    for (int& fd : is.pending) {
        if (fd < 0) continue;
        int r = read_request(fd);
        if (r == 0) continue;
        raise = raise || r == 1;
        close(fd);
        fd = -1;
    }
    return raise;
}

void instance_release() {
    for (int& fd : is.pending) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    if (is.listen_fd >= 0) {
        close(is.listen_fd);
        unlink(is.socket_path.c_str());
        is.listen_fd = -1;
    }
    if (is.lock_fd >= 0) close(is.lock_fd);
    is.lock_fd = -1;
}
