// The look of the visual effect view: its material, drawn as the tint AppKit lays over the blur.
#pragma once

#include "foundation/values/NSGeometry.h"

class NSVisualEffectView;

// Fills the dirty part of the view's bounds with its material (current context).
void NSDrawVisualEffectMaterial(const NSVisualEffectView* view, NSRect dirtyRect);
