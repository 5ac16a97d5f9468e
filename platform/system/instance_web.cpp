// Single instance in the browser build: every page is a copy of its own, so it is always the
// first and nobody asks it to come to the front.
#include "platform/system/instance.h"

InstanceRole instance_acquire(const char*) { return InstanceRole::First; }
bool instance_raise_requested() { return false; }
void instance_release() {}
const RunningCopy& instance_running_copy() {
    static const RunningCopy none{};
    return none;
}
