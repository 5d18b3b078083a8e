#include "foundation/strings/NSString.h"

#include <climits>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

#include "foundation/runtime/SmallObjectMemory.h"
#include "foundation/strings/NSStringEncoding.h"
#include "foundation/values/NSData.h"

namespace {

NSString* make(std::u16string_view text) {
  return static_cast<NSString*>(NSString::newWithCharacters(text)->autorelease());
}

// The header before a string holds its block's size. Strings need only 8-byte alignment, so a
// header of 8 bytes keeps the object aligned and costs each title 8 bytes less than 16 would.
constexpr std::size_t kHeaderBytes = sizeof(std::size_t);
static_assert(alignof(NSMutableString) <= kHeaderBytes);

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

namespace {

// What nil and every empty text copy as: one immortal string, so that the many items and controls
// without a title or key equivalent share it without counting.
NSString* theEmptyString() {
  static NSString* const empty =
      static_cast<NSString*>(NSString::newWithCharacters(u"")->makeImmortal());
  return empty;
}

} // namespace

Ref<NSString> copiedStringOrEmpty(const NSString* text) {
  if (!text || text->length() == 0) return Ref<NSString>(theEmptyString());
  // An immutable string is its own copy, as copying one is in Foundation.
  if (text->isMemberOfClass<NSString>()) return Ref<NSString>(const_cast<NSString*>(text));
  return adopted(NSString::newWithCharacters(text->utf16()));
}

Ref<NSString> copiedStringOrEmpty(Ref<NSString>&& text) {
  if (text && text->isMemberOfClass<NSString>()) return std::move(text);
  return copiedStringOrEmpty(text.get());
}

NSString* NSString::newWithCharacters(std::u16string_view text) {
  return newWithLength(text.size(), [&](char16_t* characters) {
    if (!text.empty()) std::memcpy(characters, text.data(), text.size() * sizeof(char16_t));
  });
}

NSString* NSString::newWithRoom(NSUInteger length) {
  auto* string = new (InlineText{length}) NSString();
  string->chars_ = reinterpret_cast<char16_t*>(string + 1);
  string->length_ = length;
  string->enterCensus(classCensus());
  return string;
}

void* NSString::allocateWithHeader(std::size_t size) {
  const std::size_t total = size + kHeaderBytes;
  auto* block = static_cast<char*>(smallObjectAllocate(total));
  *reinterpret_cast<std::size_t*>(block) = total;
  return block + kHeaderBytes;
}

void NSString::freeWithHeader(void* string) noexcept {
  if (!string) return;
  char* block = static_cast<char*>(string) - kHeaderBytes;
  smallObjectFree(block, *reinterpret_cast<std::size_t*>(block));
}

NSString* NSString::stringWithString(const NSString* other) {
  return other ? make(other->utf16()) : nullptr;
}

NSString* NSString::stringWithUTF8String(const char* bytes) {
  return bytes ? stringWithCString(bytes, NSUTF8StringEncoding) : nullptr;
}

NSString* NSString::stringWithCString(const char* bytes, NSStringEncoding encoding) {
  if (!bytes) return nullptr;
  auto text = decode(std::string_view(bytes), encoding);
  return text ? make(*text) : nullptr;
}

NSString* NSString::stringWithCharacters(const unichar* characters, NSUInteger length) {
  if (!characters && length) return nullptr;
  return make(std::u16string_view(characters, length));
}

NSString* NSString::stringWithModifiedUTF8(const char* bytes, std::size_t length) {
  if (!bytes) return nullptr;
  auto text = decodeModifiedUTF8(std::string_view(bytes, length));
  return text ? make(*text) : nullptr;
}

NSString* NSString::initWithUTF16(std::u16string_view text) {
  separateText_.reset();
  if (!text.empty()) {
    separateText_ = std::make_unique_for_overwrite<char16_t[]>(text.size());
    std::memcpy(separateText_.get(), text.data(), text.size() * sizeof(char16_t));
  }
  chars_ = text.empty() ? u"" : separateText_.get();
  length_ = text.size();
  encoded_.reset();
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
  return initWithUTF16(*text);
}

unichar NSString::characterAtIndex(NSUInteger index) const {
  return index < length_ ? chars_[index] : 0;
}

const char* NSString::cStringUsingEncoding(NSStringEncoding encoding) const {
  if (!encoded_) encoded_ = std::make_unique<EncodedTexts>();
  auto found = encoded_->find(encoding);
  if (found != encoded_->end()) return found->second.c_str();
  const std::u16string_view text = utf16();
  std::optional<std::string> bytes;
  switch (encoding) {
  case NSUTF8StringEncoding:
    bytes = encodeUTF8(text, false);
    break;
  case NSASCIIStringEncoding:
    bytes = encodeSingleByte(text, 0x7F);
    break;
  case NSISOLatin1StringEncoding:
    bytes = encodeSingleByte(text, 0xFF);
    break;
  default:
    break;
  }
  if (!bytes) return nullptr;
  return encoded_->emplace(encoding, std::move(*bytes)).first->second.c_str();
}

NSData* NSString::dataUsingEncoding(NSStringEncoding encoding) const {
  if (encoding == NSUTF16StringEncoding)
    return NSData::dataWithBytes(chars_, length_ * sizeof(char16_t));
  const char* bytes = cStringUsingEncoding(encoding);
  if (!bytes) return nullptr;
  return NSData::dataWithBytes(bytes, encoded_->at(encoding).size());
}

std::string NSString::utf8() const {
  return *encodeUTF8(utf16(), true);
}

std::string NSString::modifiedUTF8() const {
  return encodeModifiedUTF8(utf16());
}

bool NSString::isEqualToString(const NSString* other) const {
  return other && other->utf16() == utf16();
}

int NSString::intValue() const {
  const std::u16string_view text = utf16();
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && isScanWhitespace(text[i]))
    ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  while (i < n && isScanWhitespace(text[i]))
    ++i;
  long long value = 0;
  bool overflow = false;
  for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (!overflow) {
      value = value * 10 + (text[i] - u'0');
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
  return string && string->utf16() == utf16();
}

std::size_t NSString::hash() const {
  return std::hash<std::u16string_view>{}(utf16());
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

// The object model's default description lives with the strings it makes, so that the runtime
// needs nothing above it.
NSString* NSObject::description() const {
  return NSString::stringWithFormat("<%s: %p>", className(), static_cast<const void*>(this));
}
