// PNG encoding of Cairo image surfaces, tuned for snapshots: fast compression, because a scale-2
// screen snapshot is millions of pixels and tests take many of them.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

// The surface (ARGB32 or RGB24) as PNG bytes, non-premultiplied RGBA; empty on failure.
std::vector<uint8_t> encodeSurfaceAsPNG(cairo_surface_t* surface);
