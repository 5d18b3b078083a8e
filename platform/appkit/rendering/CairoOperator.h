// Cairo's operator for an AppKit compositing operation; for the drawing code only.
#pragma once

#include <cairo.h>

#include "appkit/drawing/NSGraphics.h"

cairo_operator_t NSCairoOperator(NSCompositingOperation operation);
