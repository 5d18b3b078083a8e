package ixa.careless;

import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.testkit.Screen;
import java.util.Map;
import java.util.TreeMap;

/** The number of live platform objects per class, as the screen description counts them. */
final class Census {
  private Census() {}

  static Map<String, Long> take() {
    Screen.run(0.1); // lets go of the last step's events and windows still on their way out
    JsonObject screen = JsonParser.parseString(Screen.describe()).getAsJsonObject();
    JsonElement census = screen.get("census");
    if (census == null || !census.isJsonObject())
      throw new AssertionError("the screen description has no \"census\" object");
    Map<String, Long> counts = new TreeMap<>();
    for (Map.Entry<String, JsonElement> entry : census.getAsJsonObject().entrySet())
      counts.put(entry.getKey(), entry.getValue().getAsLong());
    return counts;
  }

  /**
   * Fails, naming the classes that differ, unless the census comes back to where it was. The last
   * round's events and windows may still be on their way out, so the main loop gets up to a
   * second to let them go; what leaks never comes back.
   */
  static void expectUnchanged(Map<String, Long> before, String what) {
    long deadline = System.nanoTime() + 1_000_000_000L;
    String differences;
    do {
      Screen.run(0.02);
      differences = differences(before, take());
    } while (!differences.isEmpty() && System.nanoTime() < deadline);
    if (!differences.isEmpty())
      throw new AssertionError("live objects changed after " + what + ":" + differences);
  }

  private static String differences(Map<String, Long> before, Map<String, Long> after) {
    StringBuilder differences = new StringBuilder();
    TreeMap<String, Long> all = new TreeMap<>(before);
    all.putAll(after);
    for (String type : all.keySet()) {
      long was = before.getOrDefault(type, 0L), is = after.getOrDefault(type, 0L);
      if (was != is) differences.append(String.format(" %s: %d -> %d", type, was, is));
    }
    return differences.toString();
  }
}
