// Storage of the process-wide flags and their start values.
#include "common/flags.h"

int windowed_mode = 1;
unsigned char device_lost = 0;
int fatal_error = 0;
int left_click_pending = 0;
int right_click_pending = 0;
int click_x = 0;
int click_y = 0;
int cursor_in_client = 0;
int menu_open = 0;
int menu_animating = 0;
int menu_anim_counter = -1;
int transition_active = 0;
int balloon_open = 0;
int balloon_animating = 0;
int credits_start_pending = 0;
int credits_mode = 0;
int clear_to_black = 0;
int sound_available = 0;

void reset_shared_flags() {
    windowed_mode = 1;
    device_lost = 0;
    fatal_error = 0;
    left_click_pending = right_click_pending = 0;
    click_x = click_y = 0;
    cursor_in_client = 0;
    menu_open = menu_animating = 0;
    menu_anim_counter = -1;
    transition_active = 0;
    balloon_open = balloon_animating = 0;
    credits_start_pending = credits_mode = clear_to_black = 0;
    sound_available = 0;
}
