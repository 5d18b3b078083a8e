// The scale Java's windows draw at, for the live display: the Java VM's sun.java2d.uiScale
// system property, read as Java reads it ("2", "2x", "200%", "192dpi"), unless
// sun.java2d.uiScale.enabled is false. The display layer knows nothing of Java:
// JavaDisplayHooks.cpp installs this, and the display asks once, as it opens.
#include "system/JavaScale.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bridge/JavaVm.h"

double JavaScaleFromProperty(const std::string& value) {
  std::string number = value;
  double unit = 1;
  auto strip = [&](const char* suffix, double suffixUnit) {
    const std::size_t length = std::strlen(suffix);
    if (number.size() <= length || number.compare(number.size() - length, length, suffix) != 0)
      return false;
    number.resize(number.size() - length);
    unit = suffixUnit;
    return true;
  };
  strip("x", 1) || strip("dpi", 96) || strip("%", 100);
  if (number.empty()) return 0;
  char* end = nullptr;
  const double scale = std::strtod(number.c_str(), &end);
  if (!end || *end != '\0' || !std::isfinite(scale) || scale <= 0) return 0;
  return scale / unit;
}

double JavaWindowScale() {
  if (brix::javaSystemProperty("sun.java2d.uiScale.enabled") == "false") return 0;
  return JavaScaleFromProperty(brix::javaSystemProperty("sun.java2d.uiScale"));
}
