// Single instance (the named mutex's stand-in): a lock held for the life of the process and a
// local socket on which the first copy hears later copies ask it to raise its window. Both live
// in a folder no other user can reach: $XDG_RUNTIME_DIR when it is a folder of this user closed
// to others, else the game's own folder $TMPDIR/poromina-<uid> (/tmp without TMPDIR), made with
// mode 0700 and used only while it is a real folder of this user closed to others.
#pragma once

enum class InstanceRole {
    First,   // no other copy runs: the lock is held, or could not be kept (see below)
    Second,  // another copy runs and was asked to raise its window
    Failed,  // the process is out of file descriptors or memory
};

// Takes the lock named after name. When no private folder or lock file can be had (something
// another user left in the way, a full or read-only disk), the game runs without the guard: the
// result is First and a line on standard error says why.
InstanceRole instance_acquire(const char* name);
// First copy: true when a later copy asked for the window since the last call. Never blocks. A
// connection that has sent nothing after kInstanceSilentMs is dropped.
bool instance_raise_requested();
// Lets the lock and the socket go. Null-safe; the process's end does the same.
void instance_release();

constexpr int kInstanceSilentMs = 500;  // how long a connection may stay silent
