// Decoding of the image formats the platform reads, for NSImage and NSBitmapImageRep: PNG with
// Cairo, ICNS with libicns. Every surface returned is a premultiplied ARGB32 Cairo image
// surface owned by the caller; failures give nullptr or an empty list, never a crash.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

enum class NSImageFormat { Unknown, PNG, ICNS, PDF };

// The format by its leading bytes.
NSImageFormat NSSniffImageFormat(std::span<const uint8_t> bytes);

cairo_surface_t* NSDecodePNG(std::span<const uint8_t> bytes);
// Pixels per point of a PNG by its resolution (pHYs chunk): 2 for a 144-dpi image; 1 when it
// states none. Resolutions near a multiple of 72 dpi count as that multiple, since they are
// stored in whole pixels per metre.
double NSPNGPixelsPerPoint(std::span<const uint8_t> bytes);
// Every image representation in an icon family, largest first.
std::vector<cairo_surface_t*> NSDecodeICNS(std::span<const uint8_t> bytes);
// A copy of any Cairo image surface as ARGB32; nullptr if it has another format we cannot read.
cairo_surface_t* NSCopyAsARGB32(cairo_surface_t* surface);
