// NSError: a domain, a code and a dictionary of further information, as Foundation reports
// recoverable failures through an NSError** argument instead of raising.
#pragma once

#include "foundation/collections/NSDictionary.h"

extern NSString* const NSCocoaErrorDomain;
extern NSString* const NSPOSIXErrorDomain;

// userInfo keys.
extern NSString* const NSLocalizedDescriptionKey;
extern NSString* const NSDebugDescriptionErrorKey;
extern NSString* const NSUnderlyingErrorKey;
extern NSString* const NSFilePathErrorKey;

// Codes of the Cocoa domain that the platform reports.
enum : NSInteger {
  NSFileNoSuchFileError = 4,
  NSFileReadCorruptFileError = 259,
  NSFileWriteUnknownError = 512,
  NSPropertyListReadCorruptError = 3840,
  NSPropertyListWriteInvalidError = 3852,
};

class NSError : public NSObject {
  NS_OBJECT_CLASS(NSError)

  // Autoreleased. A nil domain is replaced by the empty string; a nil userInfo by an empty one.
  static NSError* errorWithDomain(NSString* domain, NSInteger code, NSDictionary* userInfo);
  NSError* initWithDomain(NSString* domain, NSInteger code, NSDictionary* userInfo);
  ~NSError() override;

  NSString* domain() const { return domain_; }
  NSInteger code() const { return code_; }
  NSDictionary* userInfo() const { return userInfo_; }
  // userInfo's NSLocalizedDescriptionKey when present; otherwise Foundation's text for a known
  // Cocoa code, or "The operation couldn’t be completed. (<domain> error <code>.)".
  NSString* localizedDescription() const;

  // "Error Domain=<domain> Code=<code> "<localized description>" UserInfo={key=value, ...}"
  NSString* description() const override;

private:
  NSString* domain_ = nullptr;
  NSInteger code_ = 0;
  NSDictionary* userInfo_ = nullptr;
};

// Stores a new autoreleased error in *error when the caller asked for one (error not null), as
// every Foundation method with an NSError** argument does. The debug description is optional.
void NSSetError(NSError** error, NSString* domain, NSInteger code, NSString* debugDescription);
