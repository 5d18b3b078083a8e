// NSUserDefaults: the application's preferences, a dictionary of property-list values
// (NSString, NSNumber, NSArray, NSDictionary with string keys) that persists between runs.
//
// The values of a domain live in $XDG_CONFIG_HOME/brixdialogs/<domain>.json ($XDG_CONFIG_HOME
// when it is an absolute path, else ~/.config), a JSON object written atomically on every change:
// a temporary file in the same directory, fsync, rename over the old file, fsync of the
// directory, so a crash leaves either the old or the new file, never a torn one. The standard
// domain is named after the process (a bare java launcher writes java.json). A missing file is
// an empty domain; a file that does not read as a JSON object is logged, ignored, and kept
// beside the new one as <domain>.json.corrupt when the domain is next written. Tests point the
// defaults at a directory of their own by setting XDG_CONFIG_HOME and calling
// resetStandardUserDefaults().
//
// Values are copied when set, as Foundation copies them. A value that is not a property list
// (or a number that JSON cannot hold, NaN or infinite) is refused with a log line where
// Foundation would raise. Setting nil removes the key. All methods may be called from any thread.
#pragma once

#include <mutex>
#include <string>

#include "foundation/collections/NSDictionary.h"

class NSUserDefaults : public NSObject {
  NS_OBJECT_CLASS(NSUserDefaults)

  // The shared instance for the process's domain, created (and its file read) on first use.
  static NSUserDefaults* standardUserDefaults();
  // Lets go of the shared instance; the next standardUserDefaults() reads the environment and
  // the file again.
  static void resetStandardUserDefaults();

  // The defaults of a named domain; nil names the process's domain.
  NSUserDefaults* initWithSuiteName(const NSString* suiteName);
  ~NSUserDefaults() override;

  NSObject* objectForKey(const NSString* key) const; // autoreleased, nil when absent
  void setObject(const NSObject* value, const NSString* key);
  void removeObjectForKey(const NSString* key);

  // YES for a number other than 0 and for the strings "YES" and "true" (any case) or one that
  // begins with a non-zero integer; NO otherwise.
  bool boolForKey(const NSString* key) const;
  void setBool(bool value, const NSString* key);
  NSInteger integerForKey(const NSString* key) const;
  void setInteger(NSInteger value, const NSString* key);
  double doubleForKey(const NSString* key) const;
  void setDouble(double value, const NSString* key);
  // The string, or a number's description; nil for anything else.
  NSString* stringForKey(const NSString* key) const;

  // Every key and value of the domain, autoreleased, in the order the keys were first set.
  NSDictionary* dictionaryRepresentation() const;
  // Writes the domain again if the last write failed; true when the file is up to date.
  bool synchronize();

  // The file the domain persists to.
  const std::string& filePath() const { return path_; }

private:
  void load();
  bool persist(const std::unique_lock<std::mutex>& lock); // with mutex_ held
  void store(const NSString* key, NSObject* copiedValue);

  mutable std::mutex mutex_;
  NSMutableDictionary* values_ = nullptr;
  std::string directory_, path_;
  bool upToDate_ = true;
  bool keepCorruptFile_ = false;
};
