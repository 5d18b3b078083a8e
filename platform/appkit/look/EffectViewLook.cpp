// The look of the visual effect view: a translucent material over whatever lies behind the
// window. The headless display has nothing behind windows to blur, so the material is drawn as
// the tint AppKit lays over the blur: light and mostly opaque for the light and vibrant light
// appearances, dark for the dark ones.
#include "appkit/look/EffectViewLook.h"

#include "appkit/drawing/NSGraphics.h"
#include "appkit/views/NSVisualEffectView.h"

namespace {

struct Tint {
  CGFloat white;
  CGFloat alpha;
};

// AppKit's light window material shows about 96% white over a blurred backdrop.
constexpr Tint kLightMaterial{0.965, 0.86};
constexpr Tint kDarkMaterial{0.16, 0.84};

Tint tintFor(const NSVisualEffectView* view) {
  switch (view->material()) {
  case NSVisualEffectMaterialLight:
    return kLightMaterial;
  case NSVisualEffectMaterialDark:
  case NSVisualEffectMaterialHUDWindow:
    return kDarkMaterial;
  default: {
    NSAppearance* appearance = view->effectiveAppearance();
    return appearance && appearance->isDark() ? kDarkMaterial : kLightMaterial;
  }
  }
}

} // namespace

void NSDrawVisualEffectMaterial(const NSVisualEffectView* view, NSRect dirtyRect) {
  const Tint tint = tintFor(view);
  NSColor::colorWithCalibratedWhite(tint.white, tint.alpha)->set();
  NSRectFillUsingOperation(NSIntersectionRect(dirtyRect, view->bounds()),
                           NSCompositingOperationSourceOver);
}
