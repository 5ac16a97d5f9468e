// Termination requests (SIGTERM, SIGINT): a handler notes them, and the game's event loops and
// modal windows read the note and end the program the ordinary way, with exit code 0.
#pragma once

// Installs the handlers for SIGTERM and SIGINT (once; later calls do nothing). Interrupted
// system calls are restarted, so threads blocked in them go on as before.
void signals_install();
// True once SIGTERM or SIGINT arrived after signals_install. Any thread; never blocks.
bool termination_requested();
// Test seam: notes a request as the handler does (true) or forgets one (false).
void termination_set(bool requested);
