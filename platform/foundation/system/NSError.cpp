#include "foundation/system/NSError.h"

namespace {

// The constants live for the life of the process.
NSString* constantString(const char16_t* text) {
  return NSString::alloc()->initWithUTF16(text);
}

const char* cocoaErrorText(NSInteger code) {
  switch (code) {
  case NSFileNoSuchFileError:
    return "The file doesn’t exist.";
  case NSFileReadCorruptFileError:
    return "The file couldn’t be opened because it isn’t in the correct format.";
  case NSFileWriteUnknownError:
    return "The file couldn’t be saved.";
  case NSPropertyListReadCorruptError:
    return "The data couldn’t be read because it isn’t in the correct format.";
  case NSPropertyListWriteInvalidError:
    return "The data couldn’t be written because it isn’t in the correct format.";
  default:
    return nullptr;
  }
}

} // namespace

NSString* const NSCocoaErrorDomain = constantString(u"NSCocoaErrorDomain");
NSString* const NSPOSIXErrorDomain = constantString(u"NSPOSIXErrorDomain");
NSString* const NSLocalizedDescriptionKey = constantString(u"NSLocalizedDescription");
NSString* const NSDebugDescriptionErrorKey = constantString(u"NSDebugDescription");
NSString* const NSUnderlyingErrorKey = constantString(u"NSUnderlyingError");
NSString* const NSFilePathErrorKey = constantString(u"NSFilePath");

NSError* NSError::errorWithDomain(NSString* domain, NSInteger code, NSDictionary* userInfo) {
  return static_cast<NSError*>(alloc()->initWithDomain(domain, code, userInfo)->autorelease());
}

NSError* NSError::initWithDomain(NSString* domain, NSInteger code, NSDictionary* userInfo) {
  domain_ = domain ? domain : NSString::alloc()->init();
  if (domain) domain_->retain();
  code_ = code;
  userInfo_ = userInfo ? userInfo : NSDictionary::alloc()->init();
  if (userInfo) userInfo_->retain();
  return this;
}

NSError::~NSError() {
  if (domain_) domain_->release();
  if (userInfo_) userInfo_->release();
}

NSString* NSError::localizedDescription() const {
  if (auto* given = ns_cast<NSString>(userInfo_->objectForKey(NSLocalizedDescriptionKey)))
    return given;
  if (domain_->isEqualToString(NSCocoaErrorDomain))
    if (const char* text = cocoaErrorText(code_)) return NSSTR(text);
  return NSString::stringWithFormat("The operation couldn’t be completed. (%@ error %ld.)", domain_,
                                    code_);
}

NSString* NSError::description() const {
  auto* text = NSMutableString::string();
  text->appendFormat("Error Domain=%@ Code=%ld \"%@\" UserInfo={", domain_, code_,
                     localizedDescription());
  bool first = true;
  for (const auto& entry : userInfo_->entries()) {
    text->appendFormat(first ? "%@=%@" : ", %@=%@", entry.key, entry.value);
    first = false;
  }
  text->appendString(NSSTR("}"));
  return text;
}

void NSSetError(NSError** error, NSString* domain, NSInteger code, NSString* debugDescription) {
  if (!error) return;
  auto* info = NSMutableDictionary::dictionary();
  if (debugDescription) info->setObject(debugDescription, NSDebugDescriptionErrorKey);
  *error = NSError::errorWithDomain(domain, code, info);
}
