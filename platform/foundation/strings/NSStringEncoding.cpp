// Byte encodings of NSString: UTF-8 (strict, as Foundation decodes it), the JVM's modified
// UTF-8, ASCII (decoded as Latin-1, as Foundation does for compatibility) and ISO Latin-1.
// Hot loops of the Java bridge: let the compiler vectorise the ASCII runs.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("O3")
#endif

#include "foundation/strings/NSStringEncoding.h"

#include <cstdint>
#include <cstring>

namespace {

void appendCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  }
}

bool isContinuation(unsigned char b) {
  return (b & 0xC0) == 0x80;
}

} // namespace

std::optional<std::u16string> decodeUTF8Strict(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    std::size_t extra;
    char32_t c;
    char32_t minimum;
    if (b >= 0xC2 && b <= 0xDF) {
      extra = 1, c = b & 0x1F, minimum = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2, c = b & 0x0F, minimum = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3, c = b & 0x07, minimum = 0x10000;
    } else {
      return std::nullopt;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      if (i + k >= n || !isContinuation(p[i + k])) return std::nullopt;
      c = (c << 6) | (p[i + k] & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    appendCodePoint(out, c);
    i += extra + 1;
  }
  return out;
}

std::optional<std::u16string> decodeModifiedUTF8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  // Every character takes at least one byte, so n units always suffice.
  std::u16string out(n, u'\0');
  char16_t* q = out.data();
  std::size_t i = 0;
  while (i < n) {
    // Runs of ASCII, the common case, are found eight bytes at a time and then widened in
    // one loop that the compiler vectorises.
    std::size_t run = i;
    while (run + 8 <= n) {
      uint64_t chunk;
      std::memcpy(&chunk, p + run, 8);
      if (chunk & 0x8080808080808080ull) break;
      run += 8;
    }
    for (std::size_t k = i; k < run; ++k)
      q[k - i] = p[k];
    q += run - i;
    i = run;
    if (i >= n) break;
    const unsigned char b = p[i];
    if (b < 0x80) {
      // A raw NUL byte never occurs inside modified UTF-8; it is not well formed.
      if (b == 0) return std::nullopt;
      *q++ = b;
      ++i;
    } else if ((b & 0xE0) == 0xC0) {
      if (i + 1 >= n || !isContinuation(p[i + 1])) return std::nullopt;
      *q++ = static_cast<char16_t>(((b & 0x1F) << 6) | (p[i + 1] & 0x3F));
      i += 2;
    } else if ((b & 0xF0) == 0xE0) {
      if (i + 2 >= n || !isContinuation(p[i + 1]) || !isContinuation(p[i + 2])) return std::nullopt;
      *q++ =
          static_cast<char16_t>(((b & 0x0F) << 12) | ((p[i + 1] & 0x3F) << 6) | (p[i + 2] & 0x3F));
      i += 3;
    } else {
      return std::nullopt;
    }
  }
  out.resize(static_cast<std::size_t>(q - out.data()));
  return out;
}

namespace {
// True when four UTF-16 units starting at p are all in 1..0x7F (one byte each).
bool fourAreASCII(const char16_t* p) {
  uint64_t chunk;
  std::memcpy(&chunk, p, 8);
  constexpr uint64_t kHigh = 0xFF80FF80FF80FF80ull; // bits that make a unit 0x80 or more
  // A zero unit is two bytes in modified UTF-8: subtracting 1 from each lane borrows into its
  // top bit exactly when the lane is zero.
  const uint64_t zeroLane = (chunk - 0x0001000100010001ull) & ~chunk & 0x8000800080008000ull;
  return !(chunk & kHigh) && !zeroLane;
}
} // namespace

std::size_t modifiedUTF8Length(std::u16string_view text) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0, length = 0;
  while (i < n) {
    if (i + 4 <= n && fourAreASCII(p + i)) {
      length += 4;
      i += 4;
      continue;
    }
    const char16_t u = p[i++];
    length += (u != 0 && u < 0x80) ? 1 : (u < 0x800 ? 2 : 3);
  }
  return length;
}

void writeModifiedUTF8(std::u16string_view text, char* q) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    std::size_t run = i;
    while (run + 4 <= n && fourAreASCII(p + run))
      run += 4;
    if (run > i) {
      for (std::size_t k = i; k < run; ++k)
        q[k - i] = static_cast<char>(p[k]);
      q += run - i;
      i = run;
      continue;
    }
    const char16_t u = p[i++];
    if (u != 0 && u < 0x80) {
      *q++ = static_cast<char>(u);
    } else if (u < 0x800) {
      *q++ = static_cast<char>(0xC0 | (u >> 6));
      *q++ = static_cast<char>(0x80 | (u & 0x3F));
    } else {
      *q++ = static_cast<char>(0xE0 | (u >> 12));
      *q++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *q++ = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}

std::string encodeModifiedUTF8(std::u16string_view text) {
  std::string out(modifiedUTF8Length(text), '\0');
  writeModifiedUTF8(text, out.data());
  return out;
}

void appendUTF8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

namespace {
// True when the eight units starting at p are all below 0x80 (one byte each in UTF-8, NUL
// included). Reading eight at a time buys: BM_NSJSONSerialization/10000 0.56 us per item, 0.68
// unit by unit; BM_LibraryRoundTrip/20/0 223 ns, 261 ns (bench_menu_build, bench_string_bridge,
// medians of 6 runs interleaved off and on).
bool eightAreASCII(const char16_t* p) {
  constexpr uint64_t kHigh = 0xFF80FF80FF80FF80ull; // bits that make a unit 0x80 or more
  uint64_t first, second;
  std::memcpy(&first, p, 8);
  std::memcpy(&second, p + 4, 8);
  return !((first | second) & kHigh);
}

// Where the run of units below 0x80 that starts at i ends, checked eight units at a time; a run
// shorter than eight ends at i.
std::size_t asciiRunAt(const char16_t* p, std::size_t i, std::size_t n) {
  while (i + 8 <= n && eightAreASCII(p + i))
    i += 8;
  return i;
}

// Writes the run of units below 0x80 that starts at i to out as bytes, eight at a time, and
// returns where it ends (a run shorter than eight ends at i).
std::size_t narrowASCIIRun(const char16_t* p, std::size_t i, std::size_t n, char* out) {
  for (; i + 8 <= n && eightAreASCII(p + i); i += 8, out += 8) {
    for (int k = 0; k < 8; ++k)
      out[k] = static_cast<char>(p[i + k]);
  }
  return i;
}

// Whether a high surrogate at i is followed by a low one.
bool isPairAt(std::u16string_view text, std::size_t i) {
  return text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
         text[i + 1] <= 0xDFFF;
}
} // namespace

std::size_t writeUTF8(std::u16string_view text, char* out) {
  const std::size_t n = text.size();
  const char16_t* p = text.data();
  char* o = out;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t run = narrowASCIIRun(p, i, n, o);
    o += run - i;
    i = run;
    if (i == n) break;
    char32_t c = text[i];
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    if (isPairAt(text, i)) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x800) {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *o++ = static_cast<char>(0xE0 | (c >> 12));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *o++ = static_cast<char>(0xF0 | (c >> 18));
      *o++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *o++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *o++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return static_cast<std::size_t>(o - out);
}

// Text that begins as ASCII (a menu description, nearly always all of it) is narrowed in one
// pass, one byte per unit. From the first unit that is not, two passes over the rest: its exact
// length and then its bytes, written in place, so that a long text is neither appended byte by
// byte nor reallocated as it grows.
std::optional<std::string> encodeUTF8(std::u16string_view text, bool replaceLoneSurrogates) {
  const std::size_t n = text.size();
  const char16_t* p = text.data();
  std::string out(n, '\0');
  std::size_t start = narrowASCIIRun(p, 0, n, out.data());
  while (start < n && p[start] < 0x80) {
    out[start] = static_cast<char>(p[start]);
    ++start;
  }
  if (start == n) return out;
  std::size_t length = start;
  for (std::size_t i = start; i < n; ++i) {
    const std::size_t run = asciiRunAt(p, i, n);
    length += run - i;
    i = run;
    if (i == n) break;
    const char16_t c = text[i];
    if (c < 0x80) {
      length += 1;
    } else if (c < 0x800) {
      length += 2;
    } else if (isPairAt(text, i)) {
      length += 4;
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF && !replaceLoneSurrogates) {
      return std::nullopt;
    } else {
      length += 3; // U+FFFD for a lone surrogate
    }
  }
  out.resize(length);
  writeUTF8(text.substr(start), out.data() + start);
  return out;
}

std::u16string decodeLatin1(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

std::optional<std::string> encodeSingleByte(std::u16string_view text, char16_t limit) {
  std::string out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] > limit) return std::nullopt;
    out[i] = static_cast<char>(text[i]);
  }
  return out;
}
