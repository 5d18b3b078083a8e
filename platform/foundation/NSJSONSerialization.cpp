// Reading JSON: simdjson parses and validates the text (UTF-8, escapes, numbers, structure,
// nesting), then one iterative walk over its document builds the Foundation objects, so no input
// can exhaust the stack. Forms that the reader tolerates and simdjson refuses (trailing commas,
// integers beyond 64 bits, lone surrogate escapes) are repaired in a second attempt, which costs
// nothing for strict text.
#include "foundation/NSJSONSerialization.h"

#include <simdjson.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "foundation/NSJSONSerializationText.h"
#include "foundation/NSNumber.h"

NSString* const NSJSONSerializationErrorIndex =
    NSString::alloc()->initWithUTF16(u"NSJSONSerializationErrorIndex");

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

// A parser keeps its buffers between documents; one per thread, since parsers are not shared.
// Reallocating them for every document costs a large menu about a third of its time in page
// faults, so they are kept for documents up to 16 MB (about 40 MB of memory, once touched);
// after a larger one they are given back rather than kept for the thread's life.
constexpr std::size_t kRetainedParserCapacity = 16 << 20;

simdjson::dom::parser& threadParser() {
  thread_local simdjson::dom::parser parser;
  return parser;
}

void trimParser(simdjson::dom::parser& parser) {
  if (parser.capacity() > kRetainedParserCapacity) parser = simdjson::dom::parser();
}

// simdjson counts the values inside the innermost container as one more level, so it gets one
// level of room; the builder enforces the exact limit on containers.
constexpr std::size_t kParserDepth = NSJSONSerialization::kMaximumNestingDepth + 1;

bool ensureDepthLimit(simdjson::dom::parser& parser) {
  if (parser.capacity() && parser.max_depth() == kParserDepth) return true;
  return parser.allocate(64 * 1024, kParserDepth) == simdjson::SUCCESS;
}

struct ReadFailure {
  std::string reason;
  std::size_t index = std::string_view::npos;
};

void reportFailure(NSError** error, const ReadFailure& failure) {
  if (!error) return;
  auto* info = NSMutableDictionary::dictionary();
  info->setObject(NSSTR(failure.reason), NSDebugDescriptionErrorKey);
  if (failure.index != std::string_view::npos)
    info->setObject(NSNumber::numberWithUnsignedLongLong(failure.index),
                    NSJSONSerializationErrorIndex);
  *error = NSError::errorWithDomain(NSCocoaErrorDomain, NSPropertyListReadCorruptError, info);
}

ReadFailure describeParseError(simdjson::error_code code, std::string_view text) {
  using namespace simdjson;
  switch (code) {
  case EMPTY:
    return {"Unexpected end of file during JSON parse."};
  case DEPTH_ERROR: {
    const auto at =
        json_text::offsetOfExcessNesting(text, NSJSONSerialization::kMaximumNestingDepth);
    return {"Too many nested arrays or dictionaries around character " + std::to_string(at) + ".",
            at};
  }
  case UTF8_ERROR:
    return {"The data is not valid UTF-8."};
  case UNESCAPED_CHARS:
    return {"Unescaped control character in a string."};
  case STRING_ERROR:
    return {"Invalid string: an unknown escape or a malformed \\u escape."};
  case NUMBER_ERROR:
    return {"Invalid number: a leading zero, a missing digit, or a value out of range."};
  case T_ATOM_ERROR:
  case F_ATOM_ERROR:
  case N_ATOM_ERROR:
    return {"Invalid value: a misspelt true, false or null."};
  case TAPE_ERROR:
  case INCORRECT_TYPE:
    return {"Badly formed JSON text: a missing or superfluous comma, colon, bracket, brace or "
            "key, or text after the value."};
  case CAPACITY:
    return {"The JSON text is too large."};
  case MEMALLOC:
    return {"Not enough memory to parse the JSON text."};
  default:
    return {std::string("Invalid JSON text: ") + error_message(code)};
  }
}

// UTF-16 from UTF-8 that simdjson has already validated.
std::u16string widen(std::string_view utf8) {
  std::u16string out(utf8.size(), u'\0'); // never more units than bytes
  char16_t* o = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    const unsigned char lead = *p;
    if (lead < 0x80) {
      *o++ = lead;
      ++p;
      continue;
    }
    char32_t c;
    if (lead < 0xE0) {
      c = ((lead & 0x1Fu) << 6) | (p[1] & 0x3Fu);
      p += 2;
    } else if (lead < 0xF0) {
      c = ((lead & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
      p += 3;
    } else {
      c = ((lead & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
      p += 4;
    }
    if (c < 0x10000) {
      *o++ = static_cast<char16_t>(c);
    } else {
      c -= 0x10000;
      *o++ = static_cast<char16_t>(0xD800 + (c >> 10));
      *o++ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
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

  // The root, owned; nullptr when containers nest deeper than the limit.
  NSObject* build(element root) {
    NSObject* result = makeValue(root);
    while (!stack_.empty()) {
      if (tooDeep_) {
        result->release(); // the tree built so far hangs from the root
        return nullptr;
      }
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
    const bool container =
        value.type() == element_type::ARRAY || value.type() == element_type::OBJECT;
    if (container && stack_.size() == NSJSONSerialization::kMaximumNestingDepth) {
      tooDeep_ = true;
      return NSNull::null()->retain();
    }
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
    NSString* string = mutableLeaves_ ? NSMutableString::alloc() : NSString::alloc();
    return string->initWithUTF16(widen(utf8));
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
    NSString* key = NSString::alloc()->initWithUTF16(widen(text));
    if (text.size() > kLongestSharedKey || keys_.size() >= kMostSharedKeys) return {key, true};
    // The parser's copy of the key outlives this builder, so the view can key the map.
    keys_.emplace(text, key);
    return {key, false};
  }

  bool mutableLeaves_;
  bool tooDeep_ = false;
  std::vector<Frame> stack_;
  std::unordered_map<std::string_view, NSString*> keys_;
};

// Parses text into the parser's document, first as it stands, then once more with Foundation's
// tolerated forms repaired. repaired holds the text the document was parsed from when repaired.
simdjson::simdjson_result<element> parseTolerant(simdjson::dom::parser& parser,
                                                 std::string_view text, std::string& repaired) {
  auto result = parser.parse(text.data(), text.size());
  const auto code = result.error();
  if (code != simdjson::TAPE_ERROR && code != simdjson::NUMBER_ERROR &&
      code != simdjson::STRING_ERROR)
    return result;
  auto fixed = json_text::repairToleratedForms(text);
  if (!fixed) return result;
  repaired = std::move(*fixed);
  return parser.parse(repaired.data(), repaired.size());
}

} // namespace

NSObject* NSJSONSerialization::JSONObjectWithData(const NSData* data, NSUInteger options,
                                                  NSError** error) {
  if (!data) {
    reportFailure(error, {"The data parameter is nil."});
    return nullptr;
  }
  std::string transcoded;
  auto decoded = json_text::decodeToUTF8(
      std::string_view(reinterpret_cast<const char*>(data->bytes()), data->length()), transcoded);
  if (!decoded) {
    reportFailure(error, {"Unable to convert data to a string using the detected encoding."});
    return nullptr;
  }
  const std::string_view text = *decoded;

  std::size_t start = 0;
  while (start < text.size() && json_text::isJSONWhitespace(text[start]))
    ++start;
  if (start == text.size()) {
    reportFailure(error, {"Unexpected end of file during JSON parse.", start});
    return nullptr;
  }
  const bool fragmentsAllowed = options & NSJSONReadingFragmentsAllowed;
  if (!fragmentsAllowed && text[start] != '[' && text[start] != '{') {
    reportFailure(error, {"JSON text did not start with array or object and option to allow "
                          "fragments not set.",
                          start});
    return nullptr;
  }

  auto& parser = threadParser();
  if (!ensureDepthLimit(parser)) {
    reportFailure(error, describeParseError(simdjson::MEMALLOC, text));
    return nullptr;
  }
  std::string repaired;
  auto parsed = parseTolerant(parser, text, repaired);
  if (parsed.error()) {
    reportFailure(error, describeParseError(parsed.error(), text));
    trimParser(parser);
    return nullptr;
  }
  NSObject* root = TreeBuilder(options).build(parsed.value_unsafe());
  trimParser(parser);
  if (!root) {
    reportFailure(error, describeParseError(simdjson::DEPTH_ERROR, text));
    return nullptr;
  }
  return root->autorelease();
}
