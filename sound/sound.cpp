// The sound player while no audio output exists in this build: sound is unavailable, so every
// operation returns at once, as on a machine without a sound device.
#include "sound/sound.h"

#include "app/flags.h"

int init_sound() {
    sound_available = 0;
    return -1;
}

int play_sound(const char*) { return 0; }
int fade_out_sound() { return 0; }
int stop_sound() { return 0; }
void shutdown_sound() { sound_available = 0; }
