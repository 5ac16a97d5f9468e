// The process-wide flags shared by the window procedure, the frame step and the presentation.
// All belong to the user-interface thread. 0/1 integers unless said otherwise.
#pragma once

extern int windowed_mode;          // 1 windowed, 0 full-screen; 1 at start
extern unsigned char device_lost;  // 1 after Present or Reset reported the device lost
extern int fatal_error;            // 1 when the device could not be brought back

extern int left_click_pending;     // a left press waits for the next frame step
extern int right_click_pending;    // a right press waits for the next frame step
extern int click_x;                // canvas x of the last press, pixels
extern int click_y;                // canvas y of the last press, pixels
extern int cursor_in_client;       // the system pointer is over the canvas

extern int menu_open;              // overlay open or opening
extern int menu_animating;         // overlay open/close animation runs
extern int menu_anim_counter;      // overlay animation countdown, -1 at rest

extern int transition_active;      // a scene transition runs
extern int balloon_open;           // speech balloon opening or open
extern int balloon_animating;      // speech balloon open/close animation runs

extern int credits_start_pending;  // enter the staff roll at the start of the next frame
extern int credits_mode;           // the staff roll is drawn instead of the scene
extern int clear_to_black;         // clear the frame to black instead of white

extern int sound_available;        // the sound device is up; every sound operation checks it

// Puts every flag back to its start value (tests and the replay harness use it between runs).
void reset_shared_flags();
