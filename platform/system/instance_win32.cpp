// Single instance on Windows: the named mutex itself, in the session's own namespace, and a
// named event beside it that a later copy sets to ask the first one to come to the front.
#include "platform/system/instance.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Instance {
    HANDLE mutex = nullptr;  // held from acquire to release
    HANDLE raise = nullptr;  // auto-reset: set by a later copy, taken by instance_raise_requested
};
Instance inst;  // user-interface thread only

std::wstring session_name(const char* name, const wchar_t* suffix) {
    std::wstring w = L"Local\\";
    for (const char* p = name ? name : ""; *p; ++p) w += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return w + suffix;
}

}  // namespace

InstanceRole instance_acquire(const char* name) {
    instance_release();
    HANDLE mutex = CreateMutexW(nullptr, TRUE, session_name(name, L"").c_str());
    if (!mutex) return InstanceRole::Failed;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // The first copy brings its window forward itself; the foreground is this process's
        // (the one the player just started) to hand on.
        AllowSetForegroundWindow(ASFW_ANY);
        if (HANDLE raise = OpenEventW(EVENT_MODIFY_STATE, FALSE, session_name(name, L"-raise").c_str())) {
            SetEvent(raise);
            CloseHandle(raise);
        }
        CloseHandle(mutex);
        return InstanceRole::Second;
    }
    inst.mutex = mutex;
    inst.raise = CreateEventW(nullptr, FALSE, FALSE, session_name(name, L"-raise").c_str());
    if (!inst.raise) std::fprintf(stderr, "poromina: a later copy cannot ask this one to come to the front\n");
    return InstanceRole::First;
}

bool instance_raise_requested() { return inst.raise && WaitForSingleObject(inst.raise, 0) == WAIT_OBJECT_0; }

void instance_release() {
    if (inst.raise) CloseHandle(inst.raise);
    inst.raise = nullptr;
    if (inst.mutex) {
        ReleaseMutex(inst.mutex);
        CloseHandle(inst.mutex);
    }
    inst.mutex = nullptr;
}

// A later copy knows the first only by its mutex: no process id or folder to name.
const RunningCopy& instance_running_copy() {
    static const RunningCopy none{};
    return none;
}
