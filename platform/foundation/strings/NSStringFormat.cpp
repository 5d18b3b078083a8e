// stringWithFormat: printf conversions plus %@ (an object's description), always formatted in
// the C locale: the JVM sets the process locale from the environment, and "%f" must still
// print a full stop.
#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

#include "foundation/strings/NSString.h"
#include "foundation/strings/NSStringEncoding.h"

namespace {

locale_t cLocale() {
  static locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Formats one conversion with snprintf under the C locale.
template <class T> void formatOne(std::string& out, const std::string& spec, T value) {
  locale_t previous = uselocale(cLocale());
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
  if (n >= static_cast<int>(sizeof buffer)) {
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), spec.c_str(), value);
    big.resize(static_cast<std::size_t>(n));
    out += big;
  } else if (n > 0) {
    out.append(buffer, static_cast<std::size_t>(n));
  }
  uselocale(previous);
}

} // namespace

NSString* NSString::stringWithFormatV(const char* format, va_list arguments) {
  if (!format) return nullptr;
  std::string out;
  va_list args;
  va_copy(args, arguments);
  for (const char* p = format; *p;) {
    if (*p != '%') {
      out.push_back(*p++);
      continue;
    }
    const char* start = p++;
    if (*p == '%') {
      out.push_back('%');
      ++p;
      continue;
    }
    std::string spec = "%";
    // Flags, then width and precision, where '*' takes an int argument.
    while (*p && std::string_view("-+ #0'").find(*p) != std::string_view::npos)
      spec += *p++;
    auto numberOrStar = [&] {
      if (*p == '*') {
        spec += std::to_string(va_arg(args, int));
        ++p;
      }
      while (*p >= '0' && *p <= '9')
        spec += *p++;
    };
    numberOrStar();
    if (*p == '.') {
      spec += *p++;
      numberOrStar();
    }
    std::string length;
    while (*p && std::string_view("hlqLzjt").find(*p) != std::string_view::npos)
      length += *p++;
    const char conversion = *p ? *p++ : '\0';
    switch (conversion) {
    case '@': {
      auto* object = va_arg(args, NSObject*);
      out += object ? object->description()->utf8() : "(null)";
      break;
    }
    case 'd':
    case 'i':
      if (length == "hh" || length == "h" || length.empty())
        formatOne(out, spec + conversion, va_arg(args, int));
      else
        formatOne(out, spec + "ll" + conversion, static_cast<long long>(va_arg(args, long)));
      break;
    case 'u':
    case 'o':
    case 'x':
    case 'X':
      if (length == "hh" || length == "h" || length.empty())
        formatOne(out, spec + conversion, va_arg(args, unsigned));
      else
        formatOne(out, spec + "ll" + conversion,
                  static_cast<unsigned long long>(va_arg(args, unsigned long)));
      break;
    case 'c':
      formatOne(out, spec + 'c', va_arg(args, int));
      break;
    case 'C': {
      const char16_t c = static_cast<char16_t>(va_arg(args, int));
      out += NSUTF16ToUTF8(std::u16string_view(&c, 1));
      break;
    }
    case 's': {
      const char* s = va_arg(args, const char*);
      formatOne(out, spec + 's', s ? s : "(null)");
      break;
    }
    case 'p':
      formatOne(out, spec + 'p', va_arg(args, void*));
      break;
    case 'f':
    case 'F':
    case 'e':
    case 'E':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      if (length == "L")
        formatOne(out, spec + 'L' + conversion, va_arg(args, long double));
      else
        formatOne(out, spec + conversion, va_arg(args, double));
      break;
    default:
      // An unknown conversion is copied as it stands rather than reading an argument.
      out.append(start, static_cast<std::size_t>(p - start));
      break;
    }
  }
  va_end(args);
  // %s may bring bytes that are not UTF-8; keep them as Latin-1 rather than losing the text.
  auto text = decodeUTF8Strict(out);
  auto* result = NSString::alloc()->initWithUTF16(text ? std::move(*text) : decodeLatin1(out));
  return static_cast<NSString*>(result->autorelease());
}

NSString* NSString::stringWithFormat(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  NSString* result = stringWithFormatV(format, arguments);
  va_end(arguments);
  return result;
}
