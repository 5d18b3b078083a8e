#include "foundation/json/SimdjsonAdapter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "foundation/json/JSONDocument.h"

namespace simdjson_adapter {

bool reserve(simdjson::dom::parser& parser, std::size_t length, std::size_t maxDepth) {
  if (parser.capacity() >= length && parser.max_depth() == maxDepth) return true;
  const std::size_t capacity = std::max<std::size_t>(length, 64 * 1024);
  if (parser.allocate(capacity, maxDepth) != simdjson::SUCCESS) return false;
  return true;
}

// The tape holds one word per value (numbers two) and one per opening and closing bracket or
// brace, between the two root words.
bool withinNestingLimit(const simdjson::dom::document& document, std::size_t maxDepth) {
  const std::uint64_t* tape = document.tape.get();
  std::size_t depth = 0;
  for (std::size_t i = 1;; ++i) {
    switch (static_cast<char>(tape[i] >> 56)) {
    case '[':
    case '{':
      if (++depth > maxDepth) return false;
      break;
    case ']':
    case '}':
      --depth;
      break;
    case 'l':
    case 'u':
    case 'd':
      ++i; // the number's value takes the next word
      break;
    case 'r':
      return true;
    default:
      break;
    }
  }
}

} // namespace simdjson_adapter

// A JSONValue keeps the parser's element (a document and a position on its tape) opaque, as
// bytes of the same size.
static_assert(sizeof(simdjson::dom::element) == 16 && alignof(simdjson::dom::element) <= 8 &&
              std::is_trivially_copyable_v<simdjson::dom::element>);

JSONValue::JSONValue(const simdjson::dom::element& value) {
  std::memcpy(element_, &value, sizeof value);
}

simdjson::dom::element JSONValue::element() const {
  simdjson::dom::element value;
  std::memcpy(&value, element_, sizeof value);
  return value;
}
