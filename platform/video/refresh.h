// Presentation at most once per display refresh, for presents that do not wait for the retrace
// themselves (SDL's software renderer, OpenGL with sync off). Pure arithmetic over nanosecond
// times handed in by the caller, so that tests can clock it by hand.
//
// Frames fall on a steady grid of refresh periods: a frame ready early waits for its grid point,
// a frame a little late is shown at once and the grid kept (no drift), and a frame that misses
// its refresh by more than half a period is shown at once and the grid starts again from it (no
// catching up on frames lost, so frames do not bunch). Whether the presents wait by themselves is measured, not
// assumed: now and then one frame is presented without waiting (a probe); when three probes in a
// row find that the present still took a whole refresh, and spent it waiting rather than working
// (a software rasterizer can take as long drawing), the display paces the frames and no wait is
// added. While the display paces, a present that comes back early means sync went away, and
// the grid takes over again.
#pragma once
#include <cstdint>

constexpr int kDefaultRefreshHz = 60;          // when the display reports no refresh rate
constexpr int kProbeVotesToTrust = 3;          // probes in a row that must find the present waiting
constexpr int kPresentsBetweenProbes = 300;    // a probe about every 5 s of frames at 60 Hz
constexpr int kPresentsToConfirmProbe = 2;     // a probe that found waiting is soon tried again
constexpr int kWaitingWindow = 8;              // presents looked at while the display paces

struct RefreshPacer {
    int64_t period_ns = 0;         // one refresh of the display the window is on
    int display = -1;              // that display's index
    int64_t next_ns = 0;           // grid point of the next present; 0 before the first
    int64_t last_return_ns = 0;    // when the last present came back; 0 before the first
    bool display_waits = false;    // the presents themselves wait for the retrace
    bool probing = false;          // the present being made is a probe
    int presents_to_probe = 0;     // presents until the next probe
    int probe_votes = 0;           // probes in a row that found the present waiting
    bool waited[kWaitingWindow] = {};  // while the display paces: whether each of the recent
    int waited_count = 0;              // presents of frames ready early waited for a refresh
    int waited_next = 0;
    int probes = 0;                // probes made (statistics)
    int switches = 0;              // changes of who paces (statistics)
};

// Starts over for a display's refresh rate (Hz; 0 or implausible: kDefaultRefreshHz).
void pacer_reset(RefreshPacer* p, int refresh_hz, int display);
// Tells the pacer which display the window is on and its rate; a change starts the measuring
// over (another display may pace differently).
void pacer_set_display(RefreshPacer* p, int refresh_hz, int display, int64_t now_ns);
// Before a present: the time to sleep until (now_ns or earlier: present at once).
int64_t pacer_wait_until(RefreshPacer* p, int64_t now_ns);
// After a present: when it was asked for, when it came back, and the CPU time the process spent
// meanwhile (all its threads).
void pacer_presented(RefreshPacer* p, int64_t asked_ns, int64_t returned_ns, int64_t cpu_ns);
// The period a refresh rate gives, in nanoseconds.
int64_t refresh_period_ns(int refresh_hz);
