// The sound player: one sound at a time streamed through a looping two-second buffer,
// descrambled as it is copied, with a 100 ms fade-out. Called from the user-interface thread.
#pragma once

// Opens the audio device. 0, or -1 (the game then runs silent).
int init_sound();
// Stops any sound and starts "data\\<name>". 0 when started or when sound is unavailable,
// -1 when the sound cannot be played (everything it made is released).
int play_sound(const char* name);
// Fades the sound out: writes the ramp and the silence after it and ends the sound there (short:
// no waiting), then starts the worker that stops it once the ramp has been played; returns at
// once. 0, or -1 when the worker cannot start (the sound still fades; stop_sound stops it).
int fade_out_sound();
// Waits for a running fade, stops and releases the sound. 0.
int stop_sound();
// Fades out, stops and closes the audio device.
void shutdown_sound();
// The name given to the play_sound that loaded the sound now streaming; "" when none is loaded
// (for the replay harness and tests).
const char* loaded_sound_name();
// Test seam: while on, fade workers wait at their start (a worker that runs late).
void hold_fade_thread(bool hold);
