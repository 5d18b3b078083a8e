// The text-level steps of JSON reading that run before and beside the parser: decoding the
// input to UTF-8, the repairs that bring Foundation's tolerated forms into strict JSON, and
// locating a nesting error. Internal to the platform.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace json_text {

// The input as UTF-8 text. UTF-8 (a leading byte-order mark dropped) is returned as a view of
// the bytes; UTF-16 and UTF-32, recognised by their byte-order mark or by the pattern of zero
// bytes among the first four, are transcoded into storage. nullopt when the bytes are not valid
// in the detected encoding (an unpaired surrogate, a value past U+10FFFF, a truncated unit).
std::optional<std::string_view> decodeToUTF8(std::string_view bytes, std::string& storage);

// The text with what a strict parser refuses but the reader accepts turned into what it means,
// at the same byte offsets: a comma that follows a value and precedes a closing bracket or brace
// becomes a space, an integer too large for 64 bits is rewritten as the nearest double in
// exponent form, padded with spaces. nullopt when there is nothing to repair.
std::optional<std::string> repairToleratedForms(std::string_view text);

// The offset of the first opening bracket or brace that nests deeper than maxDepth, or
// std::string_view::npos.
std::size_t offsetOfExcessNesting(std::string_view text, std::size_t maxDepth);

// JSON's insignificant white space: space, tab, line feed, carriage return.
constexpr bool isJSONWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace json_text
