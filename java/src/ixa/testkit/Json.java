package ixa.testkit;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * Reads the JSON that {@link Screen#describe} writes into maps, lists, strings, doubles, booleans
 * and null, so that the testkit needs no JSON library of the application's.
 */
final class Json {
  private final String text;
  private int at;

  private Json(String text) {
    this.text = text;
  }

  static Object parse(String text) {
    Json reader = new Json(text);
    Object value = reader.value();
    reader.space();
    if (reader.at != text.length()) throw reader.error("text after the value");
    return value;
  }

  @SuppressWarnings("unchecked")
  static Map<String, Object> object(Object value) {
    return value instanceof Map<?, ?> map ? (Map<String, Object>) map : Map.of();
  }

  static List<?> array(Object value) {
    return value instanceof List<?> list ? list : List.of();
  }

  private Object value() {
    space();
    if (at >= text.length()) throw error("a value");
    char c = text.charAt(at);
    switch (c) {
      case '{':
        return members();
      case '[':
        return elements();
      case '"':
        return string();
      case 't':
        return word("true", Boolean.TRUE);
      case 'f':
        return word("false", Boolean.FALSE);
      case 'n':
        return word("null", null);
      default:
        return number();
    }
  }

  private Map<String, Object> members() {
    Map<String, Object> map = new LinkedHashMap<>();
    at++;
    space();
    if (peek('}')) return map;
    do {
      space();
      String key = string();
      space();
      expect(':');
      map.put(key, value());
      space();
    } while (take(','));
    expect('}');
    return map;
  }

  private List<Object> elements() {
    List<Object> list = new ArrayList<>();
    at++;
    space();
    if (peek(']')) return list;
    do {
      list.add(value());
      space();
    } while (take(','));
    expect(']');
    return list;
  }

  private String string() {
    expect('"');
    StringBuilder out = new StringBuilder();
    while (at < text.length()) {
      char c = text.charAt(at++);
      if (c == '"') return out.toString();
      if (c != '\\') {
        out.append(c);
        continue;
      }
      if (at >= text.length()) break;
      char escaped = text.charAt(at++);
      switch (escaped) {
        case 'b' -> out.append('\b');
        case 'f' -> out.append('\f');
        case 'n' -> out.append('\n');
        case 'r' -> out.append('\r');
        case 't' -> out.append('\t');
        case 'u' -> {
          if (at + 4 > text.length()) throw error("four hex digits");
          out.append((char) Integer.parseInt(text.substring(at, at + 4), 16));
          at += 4;
        }
        default -> out.append(escaped);
      }
    }
    throw error("the end of the string");
  }

  private Double number() {
    int start = at;
    while (at < text.length() && "+-0123456789.eE".indexOf(text.charAt(at)) >= 0) at++;
    try {
      return Double.valueOf(text.substring(start, at));
    } catch (NumberFormatException e) {
      at = start;
      throw error("a value");
    }
  }

  private Object word(String word, Object value) {
    if (!text.startsWith(word, at)) throw error(word);
    at += word.length();
    return value;
  }

  private void space() {
    while (at < text.length() && Character.isWhitespace(text.charAt(at))) at++;
  }

  private boolean peek(char c) {
    if (at < text.length() && text.charAt(at) == c) {
      at++;
      return true;
    }
    return false;
  }

  private boolean take(char c) {
    return peek(c);
  }

  private void expect(char c) {
    if (!peek(c)) throw error("'" + c + "'");
  }

  private IllegalStateException error(String wanted) {
    return new IllegalStateException(
        "unreadable screen description: expected " + wanted + " at offset " + at);
  }
}
