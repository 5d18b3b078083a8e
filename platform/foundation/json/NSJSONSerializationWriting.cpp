// Writing JSON: a walk over the object tree, bounded to the same nesting depth that reading
// accepts, so a deep or cyclic tree is an error rather than a stack overflow.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "foundation/json/JSONStringEscaping.h"
#include "foundation/json/NSJSONSerialization.h"
#include "foundation/values/NSNumber.h"

namespace {

class Writer {
public:
  explicit Writer(NSUInteger options)
      : pretty_(options & NSJSONWritingPrettyPrinted), sorted_(options & NSJSONWritingSortedKeys),
        escapeSlashes_(!(options & NSJSONWritingWithoutEscapingSlashes)) {}

  // False with failure() set when the tree cannot be written.
  bool write(const NSObject* object, std::size_t depth) {
    if (auto* string = ns_cast<NSString>(object)) {
      writeString(string);
    } else if (auto* number = ns_cast<NSNumber>(object)) {
      return writeNumber(number);
    } else if (ns_cast<NSNull>(object)) {
      out_ += "null";
    } else if (auto* array = ns_cast<NSArray>(object)) {
      return writeArray(array, depth + 1);
    } else if (auto* dictionary = ns_cast<NSDictionary>(object)) {
      return writeDictionary(dictionary, depth + 1);
    } else {
      return fail(std::string("Invalid type in JSON write (") +
                  (object ? object->className() : "nil") + ").");
    }
    return true;
  }

  std::string& text() { return out_; }
  const std::string& failure() const { return failure_; }

private:
  bool fail(std::string reason) {
    failure_ = std::move(reason);
    return false;
  }

  bool enter(std::size_t depth) {
    if (depth <= NSJSONSerialization::kMaximumNestingDepth) return true;
    return fail("Too many nested arrays or dictionaries (or a container that contains itself).");
  }

  void newline(std::size_t depth) {
    if (!pretty_) return;
    out_ += '\n';
    out_.append(2 * depth, ' ');
  }

  bool writeArray(const NSArray* array, std::size_t depth) {
    if (!enter(depth)) return false;
    out_ += '[';
    bool first = true;
    for (NSObject* element : *array) {
      if (!first) out_ += ',';
      first = false;
      newline(depth);
      if (!write(element, depth)) return false;
    }
    // Foundation prints an empty container, pretty printed, as an empty line between the marks.
    if (pretty_ && first) out_ += '\n';
    newline(depth - 1);
    out_ += ']';
    return true;
  }

  bool writeDictionary(const NSDictionary* dictionary, std::size_t depth) {
    if (!enter(depth)) return false;
    std::vector<const NSDictionary::Entry*> entries;
    for (const auto& entry : dictionary->entries()) {
      if (!ns_cast<NSString>(entry.key))
        return fail(std::string("Invalid (non-string) key in JSON dictionary (") +
                    entry.key->className() + ").");
      entries.push_back(&entry);
    }
    if (sorted_) {
      std::stable_sort(entries.begin(), entries.end(), [](auto* a, auto* b) {
        return static_cast<NSString*>(a->key)->utf16() < static_cast<NSString*>(b->key)->utf16();
      });
    }
    out_ += '{';
    bool first = true;
    for (const auto* entry : entries) {
      if (!first) out_ += ',';
      first = false;
      newline(depth);
      writeString(static_cast<NSString*>(entry->key));
      out_ += pretty_ ? " : " : ":";
      if (!write(entry->value, depth)) return false;
    }
    if (pretty_ && first) out_ += '\n';
    newline(depth - 1);
    out_ += '}';
    return true;
  }

  void writeString(const NSString* string) {
    appendJSONString(out_, string->utf16(), {.escapeSlash = escapeSlashes_});
  }

  bool writeNumber(const NSNumber* number) {
    char buffer[64];
    std::to_chars_result written{};
    switch (number->kind()) {
    case NSNumber::Kind::Bool:
      out_ += number->boolValue() ? "true" : "false";
      return true;
    case NSNumber::Kind::Int:
      written = std::to_chars(buffer, buffer + sizeof buffer, number->longLongValue());
      break;
    case NSNumber::Kind::UInt:
      written = std::to_chars(buffer, buffer + sizeof buffer,
                              static_cast<unsigned long long>(number->longLongValue()));
      break;
    case NSNumber::Kind::Double: {
      const double value = number->doubleValue();
      if (!std::isfinite(value))
        return fail(std::isnan(value) ? "Invalid number value (NaN) in JSON write."
                                      : "Invalid number value (infinite) in JSON write.");
      // The shortest text that reads back as the same double; integral values print without a
      // fraction, as Foundation prints them.
      written = std::to_chars(buffer, buffer + sizeof buffer, value);
      break;
    }
    }
    out_.append(buffer, written.ptr);
    return true;
  }

  bool pretty_, sorted_, escapeSlashes_;
  std::string out_;
  std::string failure_;
};

bool topLevelAllowed(const NSObject* object, NSUInteger options) {
  return (options & NSJSONWritingFragmentsAllowed) || ns_cast<NSArray>(object) ||
         ns_cast<NSDictionary>(object);
}

} // namespace

NSData* NSJSONSerialization::dataWithJSONObject(const NSObject* object, NSUInteger options,
                                                NSError** error) {
  if (!topLevelAllowed(object, options)) {
    NSSetError(error, NSCocoaErrorDomain, NSPropertyListWriteInvalidError,
               NSSTR("Invalid top-level type in JSON write."));
    return nullptr;
  }
  Writer writer(options);
  if (!writer.write(object, 0)) {
    NSSetError(error, NSCocoaErrorDomain, NSPropertyListWriteInvalidError, NSSTR(writer.failure()));
    return nullptr;
  }
  std::string& text = writer.text();
  return NSData::dataWithBytes(text.data(), text.size());
}

bool NSJSONSerialization::isValidJSONObject(const NSObject* object) {
  if (!ns_cast<NSArray>(object) && !ns_cast<NSDictionary>(object)) return false;
  Writer writer(0);
  return writer.write(object, 0);
}
