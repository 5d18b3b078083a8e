// DisplayAppearance: how the desktop wants applications to look, as a display learns it from the
// desktop's settings: dark or light, the user's accent colour, and how much larger than usual the
// desktop draws its text.
#pragma once

#include <array>
#include <optional>
#include <string>

struct DisplayAppearance {
  bool dark = false;
  // The accent colour, sRGB components in 0...1; empty: the platform's own.
  std::optional<std::array<double, 3>> accent;
  // The desktop's text size against the platform's (1: the same, 1.25: a quarter larger).
  double textScale = 1;
  // How text is smoothed, as the desktop's font settings say; unset: the platform's own.
  std::optional<bool> antialias;
  std::string hintStyle;     // "hintnone", "hintslight", "hintmedium" or "hintfull"
  std::string subpixelOrder; // "none", "rgb", "bgr", "vrgb" or "vbgr"
  bool operator==(const DisplayAppearance&) const = default;
};

// "dark" or "light" from BRIX_APPEARANCE, which wins over the desktop; empty when unset or not
// one of the two.
std::optional<bool> DisplayAppearanceDarkFromEnvironment();
// Whether a GTK theme's name is a dark theme's ("Adwaita-dark", "Yaru-dark", "Arc-Dark", ...).
bool DisplayAppearanceThemeIsDark(const std::string& themeName);
// A text scale within what the platform draws well (0.5...3); 1 for anything else.
double DisplayAppearanceSaneTextScale(double scale);
