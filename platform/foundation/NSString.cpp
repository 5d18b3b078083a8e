#include "foundation/NSString.h"

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "foundation/NSData.h"
#include "foundation/NSStringEncoding.h"

namespace {

NSString* make(std::u16string text) {
  auto* s = NSString::alloc()->initWithUTF16(std::move(text));
  return static_cast<NSString*>(s->autorelease());
}

std::optional<std::u16string> decode(std::string_view bytes, NSStringEncoding encoding) {
  switch (encoding) {
  case NSUTF8StringEncoding:
    return decodeUTF8Strict(bytes);
  case NSASCIIStringEncoding: // bytes above 0x7F read as Latin-1, as Foundation reads them
  case NSISOLatin1StringEncoding:
    return decodeLatin1(bytes);
  case NSUTF16StringEncoding: {
    if (bytes.size() % 2) return std::nullopt;
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), bytes.size());
    return out;
  }
  default:
    return std::nullopt;
  }
}

// CF's idea of whitespace when scanning numbers.
bool isScanWhitespace(char16_t c) {
  return c < 0x21 || (c >= 0x7F && c <= 0xA0) || (c >= 0x2000 && c <= 0x200B) || c == 0x3000;
}

} // namespace

NSString* NSString::string() {
  return make({});
}

Ref<NSString> copiedStringOrEmpty(const NSString* text) {
  // An immutable string is its own copy, as copying one is in Foundation.
  if (text && text->isMemberOfClass<NSString>()) return Ref<NSString>(const_cast<NSString*>(text));
  return adopted(NSString::alloc()->initWithUTF16(text ? text->utf16() : u""));
}

NSString* NSString::stringWithString(const NSString* other) {
  return other ? make(other->text_) : nullptr;
}

NSString* NSString::stringWithUTF8String(const char* bytes) {
  return bytes ? stringWithCString(bytes, NSUTF8StringEncoding) : nullptr;
}

NSString* NSString::stringWithCString(const char* bytes, NSStringEncoding encoding) {
  if (!bytes) return nullptr;
  auto text = decode(std::string_view(bytes), encoding);
  return text ? make(std::move(*text)) : nullptr;
}

NSString* NSString::stringWithCharacters(const unichar* characters, NSUInteger length) {
  if (!characters && length) return nullptr;
  return make(std::u16string(characters, length));
}

NSString* NSString::stringWithModifiedUTF8(const char* bytes, std::size_t length) {
  if (!bytes) return nullptr;
  auto text = decodeModifiedUTF8(std::string_view(bytes, length));
  return text ? make(std::move(*text)) : nullptr;
}

NSString* NSString::initWithUTF16(std::u16string text) {
  text_ = std::move(text);
  return this;
}

NSString* NSString::initWithData(const NSData* data, NSStringEncoding encoding) {
  if (!data) {
    release();
    return nullptr;
  }
  return initWithBytes(data->bytes(), data->length(), encoding);
}

NSString* NSString::initWithBytes(const void* bytes, NSUInteger length, NSStringEncoding encoding) {
  std::string_view view(static_cast<const char*>(bytes), length);
  // A leading byte-order mark is not part of the text.
  if (encoding == NSUTF8StringEncoding && view.substr(0, 3) == "\xEF\xBB\xBF")
    view.remove_prefix(3);
  auto text = decode(view, encoding);
  if (!text) {
    release();
    return nullptr;
  }
  text_ = std::move(*text);
  return this;
}

unichar NSString::characterAtIndex(NSUInteger index) const {
  return index < text_.size() ? text_[index] : 0;
}

const char* NSString::cStringUsingEncoding(NSStringEncoding encoding) const {
  auto found = encoded_.find(encoding);
  if (found != encoded_.end()) return found->second.c_str();
  std::optional<std::string> bytes;
  switch (encoding) {
  case NSUTF8StringEncoding:
    bytes = encodeUTF8(text_, false);
    break;
  case NSASCIIStringEncoding:
    bytes = encodeSingleByte(text_, 0x7F);
    break;
  case NSISOLatin1StringEncoding:
    bytes = encodeSingleByte(text_, 0xFF);
    break;
  default:
    break;
  }
  if (!bytes) return nullptr;
  return encoded_.emplace(encoding, std::move(*bytes)).first->second.c_str();
}

NSData* NSString::dataUsingEncoding(NSStringEncoding encoding) const {
  if (encoding == NSUTF16StringEncoding)
    return NSData::dataWithBytes(text_.data(), text_.size() * sizeof(char16_t));
  const char* bytes = cStringUsingEncoding(encoding);
  if (!bytes) return nullptr;
  return NSData::dataWithBytes(bytes, encoded_.at(encoding).size());
}

std::string NSString::utf8() const {
  return *encodeUTF8(text_, true);
}

std::string NSString::modifiedUTF8() const {
  return encodeModifiedUTF8(text_);
}

bool NSString::isEqualToString(const NSString* other) const {
  return other && other->text_ == text_;
}

int NSString::intValue() const {
  std::size_t i = 0;
  const std::size_t n = text_.size();
  while (i < n && isScanWhitespace(text_[i]))
    ++i;
  bool negative = false;
  if (i < n && (text_[i] == u'+' || text_[i] == u'-')) negative = text_[i++] == u'-';
  while (i < n && isScanWhitespace(text_[i]))
    ++i;
  long long value = 0;
  bool overflow = false;
  for (; i < n && text_[i] >= u'0' && text_[i] <= u'9'; ++i) {
    if (!overflow) {
      value = value * 10 + (text_[i] - u'0');
      if (value > static_cast<long long>(INT_MAX) + 1) overflow = true;
    }
  }
  if (negative) {
    return (overflow || value > static_cast<long long>(INT_MAX) + 1) ? INT_MIN
                                                                     : static_cast<int>(-value);
  }
  return (overflow || value > INT_MAX) ? INT_MAX : static_cast<int>(value);
}

double NSString::doubleValue() const {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string bytes = utf8();
  return strtod_l(bytes.c_str(), nullptr, cLocale);
}

NSString* NSString::description() const {
  return const_cast<NSString*>(this);
}

bool NSString::isEqual(const NSObject* other) const {
  auto* string = ns_cast<NSString>(other);
  return string && string->text_ == text_;
}

std::size_t NSString::hash() const {
  return std::hash<std::u16string>{}(text_);
}

NSString* NSSTR(std::string_view utf8) {
  return make(decodeUTF8Strict(utf8).value_or(std::u16string()));
}

std::u16string NSUTF8ToUTF16(std::string_view utf8) {
  return decodeUTF8Strict(utf8).value_or(std::u16string());
}

std::string NSUTF16ToUTF8(std::u16string_view utf16) {
  return *encodeUTF8(utf16, true);
}
