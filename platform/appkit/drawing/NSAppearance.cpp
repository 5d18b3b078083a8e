#include "appkit/drawing/NSAppearance.h"

#include <array>
#include <atomic>

namespace {

struct KnownAppearance {
  NSAppearanceName name;
  bool vibrant;
  bool dark;
};

constexpr std::array kKnownAppearances{
    KnownAppearance{NSAppearanceNameAqua, false, false},
    KnownAppearance{NSAppearanceNameDarkAqua, false, true},
    KnownAppearance{NSAppearanceNameVibrantLight, true, false},
    KnownAppearance{NSAppearanceNameVibrantDark, true, true},
    KnownAppearance{NSAppearanceNameLightContent, false, false},
    KnownAppearance{NSAppearanceNameAccessibilityHighContrastAqua, false, false},
    KnownAppearance{NSAppearanceNameAccessibilityHighContrastDarkAqua, false, true},
    KnownAppearance{NSAppearanceNameAccessibilityHighContrastVibrantLight, true, false},
    KnownAppearance{NSAppearanceNameAccessibilityHighContrastVibrantDark, true, true},
};

// Appearances are immortal, so pointers to them may be shared between threads freely.
std::atomic<NSAppearance*> desktopAppearance{nullptr};
thread_local NSAppearance* drawingAppearance = nullptr;

} // namespace

NSAppearance* NSAppearance::appearanceNamed(std::string_view name) {
  // One immortal instance per name, made on first request; the table is built once, so lookups
  // from any thread see the same objects.
  static const auto shared = [] {
    std::array<NSAppearance*, kKnownAppearances.size()> appearances{};
    for (std::size_t i = 0; i < kKnownAppearances.size(); ++i) {
      NSAppearance* appearance = alloc();
      appearance->name_ =
          NSString::alloc()->initWithUTF16(NSUTF8ToUTF16(kKnownAppearances[i].name));
      appearance->vibrant_ = kKnownAppearances[i].vibrant;
      appearance->dark_ = kKnownAppearances[i].dark;
      appearances[i] = appearance;
    }
    return appearances;
  }();
  for (std::size_t i = 0; i < kKnownAppearances.size(); ++i)
    if (name == kKnownAppearances[i].name) return shared[i];
  return nullptr;
}

NSAppearance* NSAppearance::appearanceNamed(const NSString* name) {
  if (!name) return nullptr;
  return appearanceNamed(name->utf8());
}

NSString* NSAppearance::description() const {
  return NSString::stringWithFormat("<%s: %p> %@", className(), static_cast<const void*>(this),
                                    name_);
}

NSAppearance* NSAppearance::systemAppearance() {
  NSAppearance* appearance = desktopAppearance.load(std::memory_order_acquire);
  return appearance ? appearance : appearanceNamed(NSAppearanceNameAqua);
}

void NSAppearance::setSystemAppearance(NSAppearance* appearance) {
  desktopAppearance.store(appearance, std::memory_order_release);
}

NSAppearance* NSAppearance::currentDrawingAppearance() {
  return drawingAppearance ? drawingAppearance : systemAppearance();
}

NSAppearanceDrawingScope::NSAppearanceDrawingScope(NSAppearance* appearance)
    : previous_(drawingAppearance) {
  if (appearance) drawingAppearance = appearance;
}

NSAppearanceDrawingScope::~NSAppearanceDrawingScope() {
  drawingAppearance = previous_;
}
