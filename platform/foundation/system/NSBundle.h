// NSBundle: a directory with the layout of an application bundle. The main bundle is the
// directory named by the environment variable BRIX_MAIN_BUNDLE, or else the current directory;
// its resources are the files in <bundle>/Contents/Resources.
#pragma once

#include "foundation/strings/NSString.h"

class NSBundle : public NSObject {
  NS_OBJECT_CLASS(NSBundle)

  // The main bundle; the same object for as long as BRIX_MAIN_BUNDLE and the working directory
  // name the same path. Bundles handed out stay alive for the life of the process.
  static NSBundle* mainBundle();
  // An autoreleased bundle for a directory, or nil when path is nil, empty or not a directory.
  static NSBundle* bundleWithPath(const NSString* path);
  NSBundle* initWithPath(const NSString* path);

  // Absolute, without a trailing slash.
  NSString* bundlePath() const { return bundlePath_; }
  NSString* resourcePath() const;
  // <resourcePath>/<name>.<type> when that file exists, else nil. A nil or empty type looks for
  // name as it stands; a nil or empty name gives the first resource (by name) with that type.
  NSString* pathForResource(const NSString* name, const NSString* type) const;

private:
  Ref<NSString> bundlePath_;
};
