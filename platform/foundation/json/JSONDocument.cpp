// Parsing: simdjson parses and validates the text (UTF-8, escapes, numbers, structure), in the
// document's own parser. Forms that the reader tolerates and simdjson refuses (trailing commas,
// integers beyond 64 bits) are repaired in a second attempt, which costs nothing for strict text;
// the nesting limit is checked exactly on the parsed tape. An escaped surrogate without its other
// half is refused, as Foundation refuses it: simdjson checks that as it decodes the escape.
#include "foundation/json/JSONDocument.h"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

#include "foundation/json/NSJSONSerialization.h"
#include "foundation/json/NSJSONSerializationText.h"
#include "foundation/json/SimdjsonAdapter.h"
#include "foundation/strings/NSStringEncoding.h"
#include "foundation/values/NSNumber.h"

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;

// simdjson counts the values inside the innermost container as one more level, so it gets one
// level of room; the tape check enforces the exact limit on containers.
constexpr std::size_t kParserDepth = NSJSONSerialization::kMaximumNestingDepth + 1;

std::string describeParseError(simdjson::error_code code, std::string_view text,
                               std::size_t& index) {
  using namespace simdjson;
  switch (code) {
  case EMPTY:
    return "Unexpected end of file during JSON parse.";
  case DEPTH_ERROR: {
    index = json_text::offsetOfExcessNesting(text, NSJSONSerialization::kMaximumNestingDepth);
    return "Too many nested arrays or dictionaries around character " + std::to_string(index) + ".";
  }
  case UTF8_ERROR:
    return "The data is not valid UTF-8.";
  case UNESCAPED_CHARS:
    return "Unescaped control character in a string.";
  case STRING_ERROR:
    return "Invalid string: an unknown escape, a malformed \\u escape or an escaped surrogate "
           "without its other half.";
  case NUMBER_ERROR:
    return "Invalid number: a leading zero, a missing digit, or a value out of range.";
  case T_ATOM_ERROR:
  case F_ATOM_ERROR:
  case N_ATOM_ERROR:
    return "Invalid value: a misspelt true, false or null.";
  case TAPE_ERROR:
  case INCORRECT_TYPE:
    return "Badly formed JSON text: a missing or superfluous comma, colon, bracket, brace or "
           "key, or text after the value.";
  case CAPACITY:
    return "The JSON text is too large.";
  case MEMALLOC:
    return "Not enough memory to parse the JSON text.";
  default:
    return std::string("Invalid JSON text: ") + error_message(code);
  }
}

// Strings up to this many bytes are decoded without being counted first; at worst (three bytes
// per unit) their text then takes three times the room it needs.
constexpr std::size_t kShortText = 64;

// True when the eight bytes starting at p are all ASCII.
bool eightAreASCII(const void* p) {
  std::uint64_t word;
  std::memcpy(&word, p, 8);
  return !(word & 0x8080808080808080u);
}

// The UTF-16 units of valid UTF-8: one per sequence, two for a four-byte one. ASCII, the usual
// text of a menu, is counted eight bytes at a time.
std::size_t utf16Length(std::string_view utf8) {
  std::size_t units = 0, i = 0;
  const std::size_t n = utf8.size();
  for (; i + 8 <= n && eightAreASCII(utf8.data() + i); i += 8)
    units += 8;
  for (; i < n; ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    units += (b & 0xC0u) != 0x80u; // not a continuation byte
    units += b >= 0xF0u;           // a supplementary character takes a pair
  }
  return units;
}

// Writes the UTF-16 of valid UTF-8 at out, which has room for utf16Length(utf8) units; returns
// the units written.
std::size_t writeUTF16(std::string_view utf8, char16_t* out) {
  char16_t* o = out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    // Runs of ASCII, the usual text of a menu, widened eight bytes at a time.
    while (end - p >= 8 && eightAreASCII(p)) {
      for (int i = 0; i < 8; ++i)
        o[i] = p[i];
      o += 8;
      p += 8;
    }
    if (p == end) break;
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
  return static_cast<std::size_t>(o - out);
}

} // namespace

struct JSONDocument::Parse {
  simdjson::dom::parser parser;
  std::string transcoded, repaired; // the text parsed, when not the bytes given
  element root;
};

JSONDocument::JSONDocument() : parse_(std::make_unique<Parse>()) {}

JSONDocument::~JSONDocument() = default;

bool JSONDocument::parse(std::string_view bytes, bool fragmentsAllowed) {
  return parseBytes(bytes, fragmentsAllowed, false);
}

bool JSONDocument::parseUnicode(std::u16string_view text, bool fragmentsAllowed) {
  // Room for the longest UTF-8 the text can have; only what is written is ever touched. The
  // document keeps its strings in the parser, so the bytes are needed only while they are parsed.
  const std::size_t room = text.size() * 3 + simdjson::SIMDJSON_PADDING;
  const auto bytes = std::make_unique_for_overwrite<char[]>(room);
  const std::size_t length = writeUTF8(text, bytes.get());
  std::memset(bytes.get() + length, 0, simdjson::SIMDJSON_PADDING);
  const bool parsed = parseBytes(std::string_view(bytes.get(), length), fragmentsAllowed, true);
  return parsed;
}

bool JSONDocument::parseBytes(std::string_view bytes, bool fragmentsAllowed, bool padded) {
  Parse& state = *parse_;
  auto fail = [this](std::string reason, std::size_t index = std::string_view::npos) {
    failureReason_ = std::move(reason);
    failureIndex_ = index;
    return false;
  };
  // A parser's error, described; the description finds the offset of a nesting error.
  auto failParsing = [&](simdjson::error_code code, std::string_view text) {
    std::size_t index = std::string_view::npos;
    std::string reason = describeParseError(code, text, index);
    return fail(std::move(reason), index);
  };
  auto decoded = json_text::decodeToUTF8(bytes, state.transcoded);
  if (!decoded) return fail("Unable to convert data to a string using the detected encoding.");
  const std::string_view text = *decoded;

  std::size_t start = 0;
  while (start < text.size() && json_text::isJSONWhitespace(text[start]))
    ++start;
  if (start == text.size()) return fail("Unexpected end of file during JSON parse.", start);
  if (!fragmentsAllowed && text[start] != '[' && text[start] != '{')
    return fail("JSON text did not start with array or object and option to allow fragments not "
                "set.",
                start);

  simdjson::dom::parser& parser = state.parser;
  if (!simdjson_adapter::reserve(parser, text.size(), kParserDepth))
    return failParsing(simdjson::MEMALLOC, text);
  // Bytes that have the parser's padding behind them are read in place; others are copied.
  const bool inPlace = padded && text.data() == bytes.data();
  auto parsed = parser.parse(text.data(), text.size(), !inPlace);
  const auto code = parsed.error();
  // Only structure and numbers can be repaired; a string the parser refuses stays refused.
  if (code == simdjson::TAPE_ERROR || code == simdjson::NUMBER_ERROR) {
    if (auto fixed = json_text::repairToleratedForms(text)) {
      state.repaired = std::move(*fixed);
      parsed = parser.parse(state.repaired.data(), state.repaired.size());
    }
  }
  if (parsed.error()) return failParsing(parsed.error(), text);
  if (!simdjson_adapter::withinNestingLimit(parser.doc, NSJSONSerialization::kMaximumNestingDepth))
    return failParsing(simdjson::DEPTH_ERROR, text);
  state.root = parsed.value_unsafe();
  return true;
}

JSONValue JSONDocument::root() const {
  return JSONValue(parse_->root);
}

JSONValue::Kind JSONValue::kind() const {
  switch (element().type()) {
  case element_type::ARRAY:
    return Kind::Array;
  case element_type::OBJECT:
    return Kind::Object;
  case element_type::STRING:
    return Kind::String;
  case element_type::INT64:
    return Kind::Integer;
  case element_type::UINT64:
    return Kind::UnsignedInteger;
  case element_type::DOUBLE:
    return Kind::Double;
  case element_type::BOOL:
    return Kind::Boolean;
  case element_type::NULL_VALUE:
    break;
  }
  return Kind::Null;
}

bool JSONValue::isNumber() const {
  const Kind k = kind();
  return k == Kind::Integer || k == Kind::UnsignedInteger || k == Kind::Double ||
         k == Kind::Boolean;
}

std::string_view JSONValue::utf8() const {
  std::string_view text;
  if (element().get(text) != simdjson::SUCCESS) return {};
  return text;
}

std::u16string JSONValue::utf16() const {
  return utf16From(utf8());
}

NSString* JSONValue::newString() const {
  std::string_view text;
  if (element().get(text) != simdjson::SUCCESS) return nullptr; // not a string
  // Decoded straight into the string's own storage. Short text (a title, an identity) is decoded
  // in one pass into room for a unit per byte, which UTF-8 never needs more than; longer text is
  // counted first, so that it takes no more room than it needs.
  auto decode = [&](char16_t* units) { return writeUTF16(text, units); };
  if (text.size() <= kShortText) return NSString::newWithRoomFilled(text.size(), decode);
  return NSString::newWithLength(utf16Length(text), decode);
}

int JSONValue::intValue() const {
  const simdjson::dom::element value = element();
  // The same conversions as the NSNumber that NSJSONSerialization makes of the value.
  switch (value.type()) {
  case element_type::INT64:
    return NSNumber::numberWithLongLong(value.get_int64().value_unsafe())->intValue();
  case element_type::UINT64:
    return NSNumber::numberWithUnsignedLongLong(value.get_uint64().value_unsafe())->intValue();
  case element_type::DOUBLE:
    return NSNumber::numberWithDouble(value.get_double().value_unsafe())->intValue();
  case element_type::BOOL:
    return value.get_bool().value_unsafe() ? 1 : 0;
  default:
    return 0;
  }
}

void JSONValue::visitElements(void (*visit)(void*, JSONValue), void* context) const {
  simdjson::dom::array elements;
  if (element().get(elements) != simdjson::SUCCESS) return;
  for (simdjson::dom::element value : elements)
    visit(context, JSONValue(value));
}

void JSONValue::visitMembers(void (*visit)(void*, std::string_view, JSONValue),
                             void* context) const {
  simdjson::dom::object members;
  if (element().get(members) != simdjson::SUCCESS) return;
  for (simdjson::dom::key_value_pair member : members)
    visit(context, member.key, JSONValue(member.value));
}

void JSONValue::membersNamed(std::span<const std::string_view> keys,
                             std::span<std::optional<JSONValue>> values) const {
  std::fill(values.begin(), values.end(), std::nullopt);
  simdjson::dom::object members;
  if (element().get(members) != simdjson::SUCCESS) return;
  const std::size_t count = std::min(keys.size(), values.size());
  for (simdjson::dom::key_value_pair member : members) {
    for (std::size_t i = 0; i < count; ++i) {
      if (member.key == keys[i]) {
        values[i].emplace(member.value);
        break;
      }
    }
  }
}

std::u16string JSONValue::utf16From(std::string_view utf8) {
  std::u16string out(utf16Length(utf8), u'\0');
  writeUTF16(utf8, out.data());
  return out;
}
