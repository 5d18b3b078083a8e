package ixa.careless;

/** Putting any Java text into a context-menu description, as careful and careless callers do. */
final class Json {
  private Json() {}

  /** The text as a JSON string's content with only quotes and backslashes escaped. */
  static String raw(String text) {
    return text.replace("\\", "\\\\").replace("\"", "\\\"");
  }

  /** The text as plain ASCII JSON: everything outside printable ASCII as a \\u escape. */
  static String escaped(String text) {
    StringBuilder out = new StringBuilder(text.length() + 16);
    for (int i = 0; i < text.length(); i++) {
      char c = text.charAt(i);
      if (c == '"' || c == '\\') out.append('\\').append(c);
      else if (c < 0x20 || c > 0x7E) out.append(String.format("\\u%04x", (int) c));
      else out.append(c);
    }
    return out.toString();
  }

  /** Whether a string's content is valid JSON: no raw control characters. */
  static boolean isValidString(String content) {
    return content.chars().noneMatch(c -> c < 0x20);
  }

  /** The text as the menu shows it: each lone surrogate replaced by U+FFFD. */
  static String asBuilt(String text) {
    StringBuilder out = new StringBuilder(text.length());
    for (int i = 0; i < text.length(); i++) {
      char c = text.charAt(i);
      boolean pairs =
          Character.isHighSurrogate(c)
              && i + 1 < text.length()
              && Character.isLowSurrogate(text.charAt(i + 1));
      if (pairs) {
        out.append(c).append(text.charAt(++i));
      } else if (Character.isSurrogate(c)) {
        out.append('\uFFFD');
      } else {
        out.append(c);
      }
    }
    return out.toString();
  }
}
