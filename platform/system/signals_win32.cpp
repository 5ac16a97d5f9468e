// Termination requests on Windows: the console's close, log-off and shut-down events (and
// Ctrl+C, Ctrl+Break) through the console control handler, and the end of the session through
// the window's WM_QUERYENDSESSION / WM_ENDSESSION, which SDL hands to its message hook first.
#include "platform/system/signals.h"

#include <SDL.h>
#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> requested{false};  // set by the handlers (any thread), read by the event loops
bool installed = false;              // user-interface thread only

constexpr DWORD kCloseWaitMs = 4500;  // the system ends the process 5 s after such an event

BOOL WINAPI note_console_event(DWORD event) {
    requested.store(true, std::memory_order_relaxed);
    // The process ends once this handler returns from a close, log-off or shut-down event: it
    // waits, so that the game's own shutdown runs first (its end ends this thread too).
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(kCloseWaitMs);
    return TRUE;
}

void SDLCALL note_window_message(void*, void*, unsigned int message, Uint64 wparam, Sint64) {
    if (message == WM_ENDSESSION && wparam) requested.store(true, std::memory_order_relaxed);
}

}  // namespace

void signals_install() {
    if (installed) return;
    installed = true;
    SetConsoleCtrlHandler(note_console_event, TRUE);
    SDL_SetWindowsMessageHook(note_window_message, nullptr);
}

bool termination_requested() { return requested.load(std::memory_order_relaxed); }

void termination_set(bool value) { requested.store(value, std::memory_order_relaxed); }
