import com.google.gson.JsonArray;
import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;
import java.util.Arrays;
import javax.swing.JCheckBoxMenuItem;
import javax.swing.JComponent;
import javax.swing.JMenu;
import javax.swing.JMenuItem;
import javax.swing.JPopupMenu;
import javax.swing.KeyStroke;

/**
 * Times, in one JVM after warm-up, showMacContextMenuWithJSON (a second thread dismissing each
 * menu as soon as it is open) against building the same menu as Swing JPopupMenu/JMenuItem
 * objects from the same JSON with Gson, and prints microseconds per item (medians of five
 * rounds) and the ratio.
 *
 * <pre>
 * javac -cp build-X/ixa.jar:/usr/share/java/gson.jar -d /tmp/harness bench/MenuHarness.java
 * BRIX_MAIN_BUNDLE=resources/Ixa.app java -Djava.awt.headless=true -Djava.library.path=build-X \
 *   -cp build-X/ixa.jar:/usr/share/java/gson.jar:/tmp/harness MenuHarness [items]
 * </pre>
 */
public final class MenuHarness {
  private MenuHarness() {}

  /** A menu of items records, a submenu every 10th record, some shortcuts, states, separators. */
  static String menuJson(int items) {
    StringBuilder text = new StringBuilder("[");
    int[] left = {items};
    records(text, left, 1);
    return text.append(']').toString();
  }

  private static void records(StringBuilder text, int[] left, int level) {
    for (int i = 0; left[0] > 0 && i < (level == 1 ? Integer.MAX_VALUE : 8); i++) {
      left[0]--;
      if (i > 0) text.append(',');
      if (i % 13 == 7) {
        text.append("{\"HEADER\":\"-\"}");
        continue;
      }
      text.append("{\"HEADER\":\"Document ").append(left[0]).append(" \\u00e9t\\u00e9\",");
      text.append("\"IDENTITY\":\"id-").append(left[0]).append('"');
      if (i % 5 == 0) text.append(",\"KEYBOARDSHORTCUT\":\"").append((char) ('a' + i % 26)).append('"');
      if (i % 3 == 0) text.append(",\"STATE\":\"1\"");
      if (i % 10 == 3 && level < 4) {
        text.append(",\"CHILDREN\":[");
        records(text, left, level + 1);
        text.append(']');
      }
      text.append('}');
    }
  }

  static JPopupMenu swingMenu(String json) {
    JPopupMenu popup = new JPopupMenu();
    fill(popup, JsonParser.parseString(json).getAsJsonArray());
    return popup;
  }

  private static void fill(JComponent menu, JsonArray records) {
    for (JsonElement element : records) {
      if (!element.isJsonObject()) continue;
      JsonObject record = element.getAsJsonObject();
      String header = record.has("HEADER") ? record.get("HEADER").getAsString() : null;
      if (header == null) continue;
      if (header.equals("-")) {
        menu.add(new JPopupMenu.Separator());
        continue;
      }
      JMenuItem item;
      if (record.has("CHILDREN")) {
        JMenu submenu = new JMenu(header);
        fill(submenu.getPopupMenu(), record.getAsJsonArray("CHILDREN"));
        item = submenu;
      } else if (record.has("STATE")) {
        item = new JCheckBoxMenuItem(header, "1".equals(record.get("STATE").getAsString()));
      } else {
        item = new JMenuItem(header);
      }
      if (record.has("IDENTITY")) item.setActionCommand(record.get("IDENTITY").getAsString());
      if (record.has("KEYBOARDSHORTCUT"))
        item.setAccelerator(KeyStroke.getKeyStroke("meta " + record.get("KEYBOARDSHORTCUT").getAsString().toUpperCase()));
      item.setEnabled(!record.has("DISABLED") || !"1".equals(record.get("DISABLED").getAsString()));
      menu.add(item);
    }
  }

  public static void main(String[] args) throws Exception {
    int items = args.length > 0 ? Integer.parseInt(args[0]) : 1000;
    String json = menuJson(items);
    Screen.run(0); // this thread serves the main run loop
    Thread dismisser =
        new Thread(
            () -> {
              while (true) {
                try {
                  User.dismissMenu();
                } catch (IllegalStateException mainThreadBusy) {
                  // the main thread is building Swing menus meanwhile
                }
              }
            });
    dismisser.setDaemon(true);
    dismisser.start();
    // The first round warms up; the figures are the medians of the rounds after it, each side
    // measured right after the other in every round. A single round's Swing figure swings by
    // half between runs (compilation, collections), which alone could decide the ratio.
    final int measured = 5;
    double[] ours = new double[measured];
    double[] swing = new double[measured];
    int built = 0;
    int repeats = Math.max(5, 200_000 / items);
    for (int round = 0; round <= measured; round++) {
      long start = System.nanoTime();
      for (int i = 0; i < repeats; i++) IxaDialogs.showMacContextMenuWithJSON(10, 10, json);
      double oursNow = (System.nanoTime() - start) / 1e3 / repeats / items;
      start = System.nanoTime();
      built = 0;
      for (int i = 0; i < repeats; i++) built += swingMenu(json).getComponentCount();
      double swingNow = (System.nanoTime() - start) / 1e3 / repeats / items;
      if (round == 0) continue;
      ours[round - 1] = oursNow;
      swing[round - 1] = swingNow;
    }
    Arrays.sort(ours);
    Arrays.sort(swing);
    double oursMedian = ours[measured / 2];
    double swingMedian = swing[measured / 2];
    System.out.printf(
        "items %d: showMacContextMenuWithJSON %.3f us/item, Gson+JPopupMenu %.3f us/item,"
            + " ratio %.1fx (%d), medians of %d rounds%n",
        items, oursMedian, swingMedian, swingMedian / oursMedian, built / repeats, measured);
    System.exit(0);
  }
}
