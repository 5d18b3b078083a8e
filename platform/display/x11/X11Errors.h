// X11Errors: what the server says went wrong with a request. Errors of requests nobody waits on
// arrive in the event loop; errors of requests whose replies are read come with the reply. Both
// are logged, so that a request the server refused does not fail in silence.
#pragma once

#include <xcb/xcb.h>

// Logs the error with the names of the error and of the request it answers, and the resource
// (window, atom, ...) it concerns.
void X11LogError(const xcb_generic_error_t* error);
