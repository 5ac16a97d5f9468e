// The refresh pacer: a steady grid of display refreshes, and the measuring of whether the
// presents already keep to it.
#include "platform/video/refresh.h"

#include <algorithm>

namespace {

constexpr int kLowestRefreshHz = 20;     // below: not a rate a display really runs at
constexpr int kHighestRefreshHz = 1000;

// A present that came back at least three quarters of a period after the last one, having spent
// most of its own time idle, waited for a refresh.
bool waited_for_refresh(const RefreshPacer* p, int64_t interval_ns, int64_t present_ns, int64_t cpu_ns) {
    return interval_ns * 4 >= p->period_ns * 3 && cpu_ns * 2 < present_ns;
}

// The frame was drawn and asked to be shown well within one period of the last present, so how
// long its present took to come back says whether it waited for the retrace.
bool ready_early(const RefreshPacer* p, int64_t asked_ns) {
    return p->last_return_ns != 0 && (asked_ns - p->last_return_ns) * 2 < p->period_ns;
}

void start_grid(RefreshPacer* p, int64_t now_ns) { p->next_ns = now_ns + p->period_ns; }

}  // namespace

int64_t refresh_period_ns(int refresh_hz) {
    if (refresh_hz < kLowestRefreshHz || refresh_hz > kHighestRefreshHz) refresh_hz = kDefaultRefreshHz;
    return 1000000000LL / refresh_hz;
}

void pacer_reset(RefreshPacer* p, int refresh_hz, int display) {
    *p = RefreshPacer{};
    p->period_ns = refresh_period_ns(refresh_hz);
    p->display = display;
    p->presents_to_probe = kPresentsToConfirmProbe;
}

void pacer_set_display(RefreshPacer* p, int refresh_hz, int display, int64_t now_ns) {
    const int64_t period = refresh_period_ns(refresh_hz);
    if (period == p->period_ns && display == p->display) return;
    const int64_t last = p->last_return_ns;
    pacer_reset(p, refresh_hz, display);
    p->last_return_ns = last;
    start_grid(p, now_ns);
}

int64_t pacer_wait_until(RefreshPacer* p, int64_t now_ns) {
    p->probing = false;
    if (p->display_waits) return now_ns;
    if (p->presents_to_probe <= 0 && ready_early(p, now_ns)) {
        p->probing = true;
        return now_ns;
    }
    if (p->next_ns == 0 || (now_ns - p->next_ns) * 2 > p->period_ns) {
        // The first frame, or one that missed its refresh by more than half: shown at once, and
        // the grid starts again from it.
        p->next_ns = now_ns;
        return now_ns;
    }
    // A frame a little late (the thread woke late) is shown at once and the grid kept, so that a
    // busy machine does not stretch the animations.
    return p->next_ns;
}

void pacer_presented(RefreshPacer* p, int64_t asked_ns, int64_t returned_ns, int64_t cpu_ns) {
    const int64_t interval = returned_ns - p->last_return_ns;
    const bool waited = waited_for_refresh(p, interval, returned_ns - asked_ns, cpu_ns);
    const bool measurable = ready_early(p, asked_ns);
    p->last_return_ns = returned_ns;
    if (p->display_waits) {
        if (!measurable) return;
        p->waited[p->waited_next] = waited;
        p->waited_next = (p->waited_next + 1) % kWaitingWindow;
        p->waited_count = std::min(p->waited_count + 1, kWaitingWindow);
        if (p->waited_count < kWaitingWindow) return;
        int waits = 0;
        for (int i = 0; i < kWaitingWindow; ++i) waits += p->waited[i];
        if (waits * 2 >= kWaitingWindow) return;
        // Most presents came back early: the display no longer paces the frames.
        p->display_waits = false;
        p->waited_count = p->waited_next = 0;
        p->probe_votes = 0;
        p->presents_to_probe = kPresentsBetweenProbes;
        ++p->switches;
        start_grid(p, returned_ns);
        return;
    }
    if (p->probing) {
        p->probing = false;
        ++p->probes;
        if (measurable && waited) {
            ++p->probe_votes;
            p->presents_to_probe = kPresentsToConfirmProbe;
            if (p->probe_votes >= kProbeVotesToTrust) {
                p->display_waits = true;
                p->waited_count = p->waited_next = 0;
                ++p->switches;
            }
        } else {
            p->probe_votes = 0;
            p->presents_to_probe = kPresentsBetweenProbes;
        }
        // The probe's own grid point stays taken: the next frame keeps to the grid after it.
        p->next_ns += p->period_ns;
        return;
    }
    --p->presents_to_probe;
    p->next_ns += p->period_ns;
}
