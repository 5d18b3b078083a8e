// What the live display asks of the Java VM it shows windows for (the scale its windows draw at,
// the application's name), installed when the library loads, before any window can open the
// display. The display layer knows nothing of Java.
#include "display/DisplayBackend.h"
#include "system/JavaApplicationName.h"
#include "system/JavaScale.h"

namespace {

const bool installed = [] {
  DisplayBackend::setToolkitScale(JavaWindowScale);
  DisplayBackend::setToolkitApplicationName(JavaApplicationName);
  return true;
}();

} // namespace
