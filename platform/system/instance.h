// Single instance (the named mutex's stand-in): a lock held for the life of the process and a
// local socket on which the first copy hears later copies ask it to raise its window.
#pragma once

enum class InstanceRole {
    First,   // the only copy: the lock is held and later copies can reach it
    Second,  // another copy runs and was asked to raise its window
    Failed,  // the lock could not be made
};

// Takes the lock named after name, in $XDG_RUNTIME_DIR (or /tmp when unset).
InstanceRole instance_acquire(const char* name);
// First copy: true when a later copy asked for the window since the last call. Never blocks.
bool instance_raise_requested();
// Lets the lock and the socket go. Null-safe; the process's end does the same.
void instance_release();
