// The application's icon for alerts, from the main bundle's resources.
#pragma once

#include "bridge/Export.h"

class NSImage;

extern "C" {
// A new image of the resource Ixa.icns, or nil when it cannot be found or read.
BRIX_EXPORT NSImage* getIcon();
}
