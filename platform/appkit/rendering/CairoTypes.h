// The Cairo types that the drawing classes hand around, declared without <cairo.h>, so that the
// public AppKit headers do not make every user of a colour or a path compile against Cairo.
#pragma once

extern "C" {
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;
typedef struct _cairo_pattern cairo_pattern_t;
}
