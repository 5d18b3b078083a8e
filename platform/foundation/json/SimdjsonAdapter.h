// The one place that knows the JSON parser's internals: the layout of its tape. The rest of the
// json room uses only the parser's public interface.
#pragma once

#include <simdjson.h>

#include <cstddef>

namespace simdjson_adapter {

// Room in the parser for a text of length bytes, nesting at most maxDepth; false when it cannot
// be had.
bool reserve(simdjson::dom::parser& parser, std::size_t length, std::size_t maxDepth);

// Whether no container in the parsed document nests deeper than maxDepth, read off its tape.
bool withinNestingLimit(const simdjson::dom::document& document, std::size_t maxDepth);

} // namespace simdjson_adapter
