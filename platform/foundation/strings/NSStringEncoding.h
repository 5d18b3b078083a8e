// Conversions between UTF-16 and the byte encodings NSString supports. Internal to the platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Strict UTF-8: overlong forms, encoded surrogates, values past U+10FFFF and truncated
// sequences are errors.
std::optional<std::u16string> decodeUTF8Strict(std::string_view bytes);
// Appends one code point as UTF-8.
void appendUTF8(std::string& out, char32_t c);
// UTF-8 from UTF-16; a lone surrogate is an error unless replaced by U+FFFD.
std::optional<std::string> encodeUTF8(std::u16string_view text, bool replaceLoneSurrogates);
// The same into a caller's buffer, with room for three bytes per unit (a pair's four bytes are two
// units'), a lone surrogate as U+FFFD; returns the bytes written. One pass, for a caller that
// would rather reserve room than count.
std::size_t writeUTF8(std::u16string_view text, char* out);
// The JVM's modified UTF-8 (U+0000 as C0 80, supplementary characters as two 3-byte units).
std::optional<std::u16string> decodeModifiedUTF8(std::string_view bytes);
std::string encodeModifiedUTF8(std::u16string_view text);
// The same in two steps, for callers that bring their own buffer (length bytes, no terminator).
std::size_t modifiedUTF8Length(std::u16string_view text);
void writeModifiedUTF8(std::u16string_view text, char* out);
// Each byte as the character of the same value (ISO Latin-1).
std::u16string decodeLatin1(std::string_view bytes);
// One byte per character; an error for any character above limit (0x7F ASCII, 0xFF Latin-1).
std::optional<std::string> encodeSingleByte(std::u16string_view text, char16_t limit);
