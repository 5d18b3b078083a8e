// NSAppearance: a named look for windows and views. appearanceNamed gives one shared object per
// known name and nil for names it does not know. A window or view without an appearance of its
// own inherits the nearest one set above it (view, superview, window, NSApp), else Aqua.
#pragma once

#include <string_view>

#include "foundation/strings/NSString.h"

using NSAppearanceName = const char*;
// The names are their own constant names, as AppKit spells them.
constexpr NSAppearanceName NSAppearanceNameAqua = "NSAppearanceNameAqua";
constexpr NSAppearanceName NSAppearanceNameDarkAqua = "NSAppearanceNameDarkAqua";
constexpr NSAppearanceName NSAppearanceNameVibrantLight = "NSAppearanceNameVibrantLight";
constexpr NSAppearanceName NSAppearanceNameVibrantDark = "NSAppearanceNameVibrantDark";
constexpr NSAppearanceName NSAppearanceNameLightContent = "NSAppearanceNameLightContent";
constexpr NSAppearanceName NSAppearanceNameAccessibilityHighContrastAqua =
    "NSAppearanceNameAccessibilityHighContrastAqua";
constexpr NSAppearanceName NSAppearanceNameAccessibilityHighContrastDarkAqua =
    "NSAppearanceNameAccessibilityHighContrastDarkAqua";
constexpr NSAppearanceName NSAppearanceNameAccessibilityHighContrastVibrantLight =
    "NSAppearanceNameAccessibilityHighContrastVibrantLight";
constexpr NSAppearanceName NSAppearanceNameAccessibilityHighContrastVibrantDark =
    "NSAppearanceNameAccessibilityHighContrastVibrantDark";

class NSAppearance : public NSObject {
  NS_OBJECT_CLASS(NSAppearance)

  // The shared appearance of that name, or nil for an unknown name or nil.
  static NSAppearance* appearanceNamed(std::string_view name);
  static NSAppearance* appearanceNamed(const NSString* name);

  // The appearance drawing uses now: during a view's drawRect the view's effective appearance,
  // elsewhere the system's. Catalogue colours (NSColor labelColor, ...) resolve against it.
  static NSAppearance* currentDrawingAppearance();
  // The appearance the desktop asks for (Aqua or DarkAqua), which windows without an appearance
  // of their own inherit through NSApp; Aqua until the display says otherwise. Any thread.
  static NSAppearance* systemAppearance();
  static void setSystemAppearance(NSAppearance* appearance);

  NSString* name() const { return name_; }
  bool allowsVibrancy() const { return vibrant_; }
  bool isDark() const { return dark_; }

  NSString* description() const override;

private:
  NSString* name_ = nullptr; // immortal, like the appearance itself
  bool vibrant_ = false;
  bool dark_ = false;
};

// Makes an appearance the current drawing appearance of this thread for the scope's life (a
// view's drawing pass); nil leaves the current one as it is.
class NSAppearanceDrawingScope {
public:
  explicit NSAppearanceDrawingScope(NSAppearance* appearance);
  ~NSAppearanceDrawingScope();
  NSAppearanceDrawingScope(const NSAppearanceDrawingScope&) = delete;
  NSAppearanceDrawingScope& operator=(const NSAppearanceDrawingScope&) = delete;

private:
  NSAppearance* previous_;
};
