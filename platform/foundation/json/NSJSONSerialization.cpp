// Reading JSON: JSONDocument parses and validates the text (encodings, tolerated forms, nesting),
// then one iterative walk over its document builds the Foundation objects, so no input can
// exhaust the stack.
#include "foundation/json/NSJSONSerialization.h"

#include <simdjson.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/json/JSONDocument.h"
#include "foundation/values/NSNumber.h"

NSString* const NSJSONSerializationErrorIndex =
    NSString::alloc()->initWithUTF16(u"NSJSONSerializationErrorIndex");

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

void reportFailure(NSError** error, const std::string& reason, std::size_t index) {
  if (!error) return;
  auto* info = NSMutableDictionary::dictionary();
  info->setObject(NSSTR(reason), NSDebugDescriptionErrorKey);
  if (index != std::string_view::npos)
    info->setObject(NSNumber::numberWithUnsignedLongLong(index), NSJSONSerializationErrorIndex);
  *error = NSError::errorWithDomain(NSCocoaErrorDomain, NSPropertyListReadCorruptError, info);
}

// The containers the reader makes. They are the Foundation classes in every respect (class name
// and census included) and only size their storage once, from the element counts the parser already
// knows, instead of growing it element by element.
class JSONArray final : public NSMutableArray {
public:
  static JSONArray* withCapacity(std::size_t count) {
    auto* array = new JSONArray();
    array->enterCensus(NSMutableArray::classCensus());
    array->objects_.reserve(count);
    return array;
  }
};

class JSONDictionary final : public NSMutableDictionary {
public:
  static JSONDictionary* withCapacity(std::size_t count) {
    auto* dictionary = new JSONDictionary();
    dictionary->enterCensus(NSMutableDictionary::classCensus());
    dictionary->entries_.reserve(count);
    if (count > kLinearLimit) dictionary->index_.reserve(count);
    return dictionary;
  }
};

// Builds the object tree from a parsed document. Every object made here is owned (+1) until a
// container takes it; the root is handed back owned.
class TreeBuilder {
public:
  explicit TreeBuilder(NSUInteger options) : mutableLeaves_(options & NSJSONReadingMutableLeaves) {
    stack_.reserve(NSJSONSerialization::kMaximumNestingDepth + 1);
  }
  ~TreeBuilder() {
    for (auto& [text, key] : keys_)
      key->release();
  }

  // The root, owned. The document has kept its nesting within the limit.
  NSObject* build(element root) {
    NSObject* result = makeValue(root);
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      if (frame.isObject) {
        if (frame.field == frame.fieldsEnd) {
          stack_.pop_back();
          continue;
        }
        const Key key = keyFor(frame.field.key());
        element value = frame.field.value();
        ++frame.field;
        auto* dictionary = static_cast<NSMutableDictionary*>(frame.container);
        NSObject* child = makeValue(value); // may push a frame: do not use `frame` after this
        // An equal key already there has its value replaced: the last duplicate wins.
        dictionary->setObject(child, key.string);
        child->release();
        if (key.owned) key.string->release();
      } else {
        if (frame.element == frame.elementsEnd) {
          stack_.pop_back();
          continue;
        }
        element value = *frame.element;
        ++frame.element;
        auto* array = static_cast<NSMutableArray*>(frame.container);
        NSObject* child = makeValue(value);
        array->addObject(child);
        child->release();
      }
    }
    return result;
  }

private:
  struct Frame {
    NSObject* container;
    bool isObject;
    simdjson::dom::array::iterator element, elementsEnd;
    simdjson::dom::object::iterator field, fieldsEnd;
  };

  NSObject* makeValue(element value) {
    switch (value.type()) {
    case element_type::ARRAY: {
      auto elements = value.get_array().value_unsafe();
      auto* array = JSONArray::withCapacity(elements.size());
      stack_.push_back({array, false, elements.begin(), elements.end(), {}, {}});
      return array;
    }
    case element_type::OBJECT: {
      auto fields = value.get_object().value_unsafe();
      auto* dictionary = JSONDictionary::withCapacity(fields.size());
      stack_.push_back({dictionary, true, {}, {}, fields.begin(), fields.end()});
      return dictionary;
    }
    case element_type::STRING:
      return makeString(value.get_string().value_unsafe());
    case element_type::INT64:
      return NSNumber::numberWithLongLong(value.get_int64().value_unsafe())->retain();
    case element_type::UINT64:
      return NSNumber::numberWithUnsignedLongLong(value.get_uint64().value_unsafe())->retain();
    case element_type::DOUBLE:
      return NSNumber::numberWithDouble(value.get_double().value_unsafe())->retain();
    case element_type::BOOL:
      return NSNumber::numberWithBool(value.get_bool().value_unsafe())->retain();
    case element_type::NULL_VALUE:
      break;
    }
    return NSNull::null()->retain();
  }

  NSString* makeString(std::string_view utf8) {
    const std::u16string text = JSONValue::utf16From(utf8);
    if (mutableLeaves_) return NSMutableString::alloc()->initWithUTF16(text);
    return NSString::newWithCharacters(text);
  }

  // A dictionary key; owned keys are released once the dictionary has retained them.
  struct Key {
    NSString* string;
    bool owned;
  };

  // The keys of menu records and similar data repeat in every object; one string per distinct
  // short key serves them all (keys are immutable, so sharing cannot be observed).
  Key keyFor(std::string_view text) {
    constexpr std::size_t kLongestSharedKey = 64, kMostSharedKeys = 1024;
    if (auto found = keys_.find(text); found != keys_.end()) return {found->second, false};
    NSString* key = NSString::alloc()->initWithUTF16(JSONValue::utf16From(text));
    if (text.size() > kLongestSharedKey || keys_.size() >= kMostSharedKeys) return {key, true};
    // The parser's copy of the key outlives this builder, so the view can key the map.
    keys_.emplace(text, key);
    return {key, false};
  }

  bool mutableLeaves_;
  std::vector<Frame> stack_;
  std::unordered_map<std::string_view, NSString*> keys_;
};

} // namespace

NSObject* NSJSONSerialization::JSONObjectWithData(const NSData* data, NSUInteger options,
                                                  NSError** error) {
  if (!data) {
    reportFailure(error, "The data parameter is nil.", std::string_view::npos);
    return nullptr;
  }
  JSONDocument document;
  if (!document.parse(
          std::string_view(reinterpret_cast<const char*>(data->bytes()), data->length()),
          options & NSJSONReadingFragmentsAllowed)) {
    reportFailure(error, document.failureReason(), document.failureIndex());
    return nullptr;
  }
  return TreeBuilder(options).build(document.root().element())->autorelease();
}
