// The screen's scale on the desktop and in the page: always 100 % (see display_scale.cpp).
#include "platform/window/display_scale.h"

int display_dpi() { return 96; }
