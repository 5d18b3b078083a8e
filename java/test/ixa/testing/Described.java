package ixa.testing;

import com.google.gson.JsonArray;
import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.testkit.Screen;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.Optional;
import java.util.function.Predicate;

/**
 * The screen as {@link Screen#describe} tells it, read with Gson, and the few ways the tests look
 * into it: windows by number, wherever they are, and objects of a class anywhere in the tree.
 */
public final class Described {
  private Described() {}

  /**
   * Waits up to 10 seconds for a context menu to be open; false when none opened. The platform's
   * main thread serves the simulated user at once, also before a call that shows a menu has
   * opened it, so a user that means that menu waits for it first.
   */
  public static boolean awaitOpenContextMenu() {
    return await(screen -> {
      JsonElement menu = screen.get("contextMenu");
      return menu.isJsonObject() && menu.getAsJsonObject().get("open").getAsBoolean();
    });
  }

  /**
   * Waits up to 10 seconds for an alert to be on screen (running as a modal panel or as a sheet);
   * false when none appeared. As with menus, a user that means to act while an alert is up waits
   * for the call that shows it to have shown it.
   */
  public static boolean awaitAlert() {
    return await(screen -> screen.get("alert").isJsonObject());
  }

  /**
   * Waits up to the seconds for an alert to be on screen, also while the main thread is too busy
   * to answer a look within the testkit's limit (an alert with megabytes of text takes a while
   * to lay out); false when none appeared.
   */
  public static boolean awaitAlert(int seconds) {
    long deadline = System.nanoTime() + seconds * 1_000_000_000L;
    while (System.nanoTime() < deadline) {
      try {
        return awaitAlert();
      } catch (IllegalStateException busy) {
        // the main thread did not get to the look in time: look again
      }
    }
    return false;
  }

  private static boolean await(Predicate<JsonObject> shown) {
    long deadline = System.nanoTime() + 10_000_000_000L;
    while (System.nanoTime() < deadline) {
      if (shown.test(screen())) return true;
      try {
        Thread.sleep(1);
      } catch (InterruptedException e) {
        Thread.currentThread().interrupt();
        return false;
      }
    }
    return false;
  }

  /** The screen now. */
  public static JsonObject screen() {
    return JsonParser.parseString(Screen.describe()).getAsJsonObject();
  }

  /** Every window, those on the screen first, then those off it. */
  public static List<JsonObject> windows(JsonObject screen) {
    List<JsonObject> windows = new ArrayList<>();
    for (String section : List.of("windows", "offscreenWindows")) {
      for (JsonElement window : screen.getAsJsonArray(section))
        windows.add(window.getAsJsonObject());
    }
    return windows;
  }

  /** The window with the number, on the screen or off it, if there is one. */
  public static Optional<JsonObject> findWindow(JsonObject screen, int number) {
    return windows(screen)
        .stream()
        .filter(window -> windowNumber(window.get("number")) == number)
        .findFirst();
  }

  /** The window with the number; an AssertionError when no window has it. */
  public static JsonObject window(JsonObject screen, int number) {
    return findWindow(screen, number)
        .orElseThrow(() -> new AssertionError("no window " + number + " in " + screen));
  }

  /** The window number a field holds, or 0 (no window has it) for null. */
  public static int windowNumber(JsonElement field) {
    if (field.isJsonNull()) return 0;
    if (!field.isJsonPrimitive() || !field.getAsJsonPrimitive().isNumber())
      throw new AssertionError("not a window number: " + field);
    return field.getAsInt();
  }

  /** The numbers of the windows whose "sheetParent" is the window with the number. */
  public static List<Integer> sheetsOf(JsonObject screen, int parent) {
    return windows(screen)
        .stream()
        .filter(window -> windowNumber(window.get("sheetParent")) == parent)
        .map(window -> windowNumber(window.get("number")))
        .toList();
  }

  /** The number of the sheet attached to the window with the number, or 0 for none. */
  public static int attachedSheetNumber(JsonObject screen, int parent) {
    return windowNumber(window(screen, parent).get("attachedSheet"));
  }

  /** The sheet attached to the window with the number; an AssertionError when it has none. */
  public static JsonObject attachedSheet(JsonObject screen, int parent) {
    int sheet = attachedSheetNumber(screen, parent);
    if (sheet == 0) throw new AssertionError("window " + parent + " has no sheet: " + screen);
    return window(screen, sheet);
  }

  /** Every object under root, root included, whose "class" is className, in document order. */
  public static List<JsonObject> ofClass(JsonElement root, String className) {
    List<JsonObject> found = new ArrayList<>();
    collect(root, className, found);
    return found;
  }

  private static void collect(JsonElement element, String className, List<JsonObject> found) {
    if (element.isJsonArray()) {
      for (JsonElement item : (JsonArray)element)
        collect(item, className, found);
    } else if (element.isJsonObject()) {
      JsonObject object = element.getAsJsonObject();
      JsonElement type = object.get("class");
      if (type != null && type.isJsonPrimitive() && className.equals(type.getAsString()))
        found.add(object);
      for (Map.Entry<String, JsonElement> field : object.entrySet())
        collect(field.getValue(), className, found);
    }
  }

  /** The numbers of a JSON array, such as a frame. */
  public static List<Double> numbers(JsonElement array) {
    List<Double> numbers = new ArrayList<>();
    for (JsonElement item : array.getAsJsonArray())
      numbers.add(item.getAsJsonPrimitive().getAsDouble());
    return numbers;
  }
}
