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

  /**
   * Whether a string's content is valid JSON: no raw control characters, and no escaped surrogate
   * without its other half escaped beside it (a raw lone surrogate is a text matter, not JSON's).
   */
  static boolean isValidString(String content) {
    if (content.chars().anyMatch(c -> c < 0x20)) return false;
    char pendingHigh = 0;
    for (int i = 0; i < content.length(); i++) {
      char escapedUnit = 0;
      if (content.charAt(i) == '\\') {
        if (content.charAt(i + 1) == 'u') {
          escapedUnit = (char) Integer.parseInt(content.substring(i + 2, i + 6), 16);
          i += 5;
        } else {
          i++;
        }
      }
      if (pendingHigh != 0 && !Character.isLowSurrogate(escapedUnit)) return false;
      if (pendingHigh == 0 && Character.isLowSurrogate(escapedUnit)) return false;
      pendingHigh = Character.isHighSurrogate(escapedUnit) ? escapedUnit : 0;
    }
    return pendingHigh == 0;
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
