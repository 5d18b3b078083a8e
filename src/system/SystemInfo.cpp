// Named questions about the system: the highlight colour and the Application Support directory.
#include "appkit/drawing/NSColor.h"
#include "bridge/Bridge.h"
#include "bridge/NativeScope.h"
#include "foundation/system/NSPathUtilities.h"
#include "system/System.h"

namespace {

// {"R":r,"G":g,"B":b,"A":a} of the selection highlight colour in calibrated RGB, each with six
// decimals and a full stop; nil when the colour has no RGB form.
NSString* highlightColourText() {
  NSColor* colour =
      NSColor::selectedControlColor()->colorUsingColorSpaceName(NSCalibratedRGBColorSpace);
  if (colour == nullptr) return nullptr;
  return NSString::stringWithFormat("{\"R\":%f,\"G\":%f,\"B\":%f,\"A\":%f}", colour->redComponent(),
                                    colour->greenComponent(), colour->blueComponent(),
                                    colour->alphaComponent());
}

NSString* applicationSupportDirectory() {
  NSArray* paths =
      NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory, NSUserDomainMask, true);
  return ns_cast<NSString>(paths->lastObject());
}

// The answer for a key, exact and case-sensitive; nil for any other key.
NSString* miscInfo(const NSString* key) {
  if (key == nullptr) return nullptr;
  if (key->isEqualToString(NSSTR("HIGHLIGHTCOLOUR"))) return highlightColourText();
  if (key->isEqualToString(NSSTR("APPLICATIONSUPPORTDIRECTORY")))
    return applicationSupportDirectory();
  return nullptr;
}

} // namespace

// static String IxaDialogs.getMiscMacInfo(String key)
extern "C" JNIEXPORT jstring JNICALL Java_ixa_IxaDialogs_getMiscMacInfo(JNIEnv* env, jclass,
                                                                        jstring key) noexcept {
  return brix::nativeMethod(
      env, "getMiscMacInfo", jstring{nullptr},
      [&] { return nstringToJString(env, miscInfo(jstringToNSString(env, key))); },
      brix::ThreadRule::CallingThread);
}
