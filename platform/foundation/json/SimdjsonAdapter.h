// The one place that knows the JSON parser's internals: the layout of its buffers and of its
// tape. The rest of the json room uses only the parser's public interface.
#pragma once

#include <simdjson.h>

#include <cstddef>

namespace simdjson_adapter {

// Room in the parser for a text of length bytes, nesting at most maxDepth; false when it cannot
// be had. The parser's buffers for a large text (its structural index, tape and strings,
// together some eight times the text) are swept once per parse, so they get huge pages before
// they are first touched.
bool reserve(simdjson::dom::parser& parser, std::size_t length, std::size_t maxDepth);

// Whether no container in the parsed document nests deeper than maxDepth, read off its tape.
bool withinNestingLimit(const simdjson::dom::document& document, std::size_t maxDepth);

} // namespace simdjson_adapter
