package ixa.testkit;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * A strict reader of JSON text for the tests: objects become maps (in document order), arrays
 * lists, strings strings, numbers doubles, true/false booleans and null null. Anything that is
 * not JSON is an IllegalArgumentException naming the position.
 */
final class Json {
  private final String text;
  private int pos;

  private Json(String text) {
    this.text = text;
  }

  static Object parse(String text) {
    Json reader = new Json(text);
    Object value = reader.value();
    reader.skipSpace();
    if (reader.pos != text.length()) throw reader.error("trailing characters");
    return value;
  }

  @SuppressWarnings("unchecked")
  static Map<String, Object> object(Object value) {
    return (Map<String, Object>) value;
  }

  @SuppressWarnings("unchecked")
  static List<Object> array(Object value) {
    return (List<Object>) value;
  }

  private Object value() {
    skipSpace();
    if (pos >= text.length()) throw error("value expected");
    char c = text.charAt(pos);
    switch (c) {
      case '{':
        return readObject();
      case '[':
        return readArray();
      case '"':
        return readString();
      case 't':
        return literal("true", Boolean.TRUE);
      case 'f':
        return literal("false", Boolean.FALSE);
      case 'n':
        return literal("null", null);
      default:
        return readNumber();
    }
  }

  private Map<String, Object> readObject() {
    Map<String, Object> map = new LinkedHashMap<>();
    pos++;
    skipSpace();
    if (peek() == '}') {
      pos++;
      return map;
    }
    while (true) {
      skipSpace();
      if (peek() != '"') throw error("key expected");
      String key = readString();
      skipSpace();
      expect(':');
      map.put(key, value());
      skipSpace();
      if (peek() == ',') {
        pos++;
        continue;
      }
      expect('}');
      return map;
    }
  }

  private List<Object> readArray() {
    List<Object> list = new ArrayList<>();
    pos++;
    skipSpace();
    if (peek() == ']') {
      pos++;
      return list;
    }
    while (true) {
      list.add(value());
      skipSpace();
      if (peek() == ',') {
        pos++;
        continue;
      }
      expect(']');
      return list;
    }
  }

  private String readString() {
    StringBuilder out = new StringBuilder();
    pos++;
    while (true) {
      if (pos >= text.length()) throw error("unterminated string");
      char c = text.charAt(pos++);
      if (c == '"') return out.toString();
      if (c < 0x20) throw error("control character in string");
      if (c != '\\') {
        out.append(c);
        continue;
      }
      char e = text.charAt(pos++);
      switch (e) {
        case '"', '\\', '/' -> out.append(e);
        case 'b' -> out.append('\b');
        case 'f' -> out.append('\f');
        case 'n' -> out.append('\n');
        case 'r' -> out.append('\r');
        case 't' -> out.append('\t');
        case 'u' -> {
          out.append((char) Integer.parseInt(text.substring(pos, pos + 4), 16));
          pos += 4;
        }
        default -> throw error("bad escape");
      }
    }
  }

  private Double readNumber() {
    int start = pos;
    while (pos < text.length() && "+-0123456789.eE".indexOf(text.charAt(pos)) >= 0) pos++;
    if (start == pos) throw error("unexpected character");
    return Double.valueOf(text.substring(start, pos));
  }

  private Object literal(String word, Object value) {
    if (!text.startsWith(word, pos)) throw error(word + " expected");
    pos += word.length();
    return value;
  }

  private void skipSpace() {
    while (pos < text.length() && " \t\r\n".indexOf(text.charAt(pos)) >= 0) pos++;
  }

  private char peek() {
    return pos < text.length() ? text.charAt(pos) : '\0';
  }

  private void expect(char c) {
    if (peek() != c) throw error("'" + c + "' expected");
    pos++;
  }

  private IllegalArgumentException error(String what) {
    return new IllegalArgumentException("JSON: " + what + " at " + pos);
  }
}
