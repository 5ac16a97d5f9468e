// Single instance (the named mutex's stand-in): a lock held for the life of the process and a
// local socket on which the first copy hears later copies ask it to raise its window. The guard
// belongs to one desktop session: the lock and the socket are named after the display the game
// shows on ($WAYLAND_DISPLAY, else $DISPLAY without its screen number), so copies on two displays
// of one user do not meet. The first copy writes its process id and game folder into the lock
// file for later copies to name. Both live in a folder no other user can reach: $XDG_RUNTIME_DIR
// when it is a folder of this user closed to others, else the game's own folder
// $TMPDIR/poromina-<uid> (/tmp without TMPDIR), made with mode 0700 and used only while it is a
// real folder of this user closed to others.
#pragma once

enum class InstanceRole {
    First,   // no other copy runs: the lock is held, or could not be kept (see below)
    Second,  // another copy runs and was asked to raise its window
    Failed,  // the process is out of file descriptors or memory
};

// The copy that holds the lock, as it wrote itself into the lock file.
struct RunningCopy {
    long pid;           // its process id; 0 when unknown
    char folder[4096];  // its game folder (current directory); "" when unknown
};

// Takes the lock named after name and the display. When no private folder or lock file can be
// had (something another user left in the way, a full or read-only disk), the game runs without
// the guard: the result is First and a line on standard error says why.
InstanceRole instance_acquire(const char* name);
// After instance_acquire said Second: the copy that holds the lock; zeroed otherwise.
const RunningCopy& instance_running_copy();
// First copy: true when a later copy asked for the window since the last call. Never blocks. A
// connection that has sent nothing after kInstanceSilentMs is dropped.
bool instance_raise_requested();
// Lets the lock and the socket go. Null-safe; the process's end does the same.
void instance_release();

constexpr int kInstanceSilentMs = 500;  // how long a connection may stay silent
