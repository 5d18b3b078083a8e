package ixa.live.support;

import com.google.gson.JsonArray;
import com.google.gson.JsonElement;
import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.testkit.Screen;
import java.awt.GraphicsEnvironment;
import java.awt.Point;

/**
 * Where the platform's own windows and views are, read from {@link Screen#describe} and turned
 * into X coordinates (origin at the top left of the screen, y down) for real input: the platform
 * places windows in points from the screen's lower left, views from their superview's lower left.
 */
public final class OnScreen {
  private OnScreen() {}

  /** The number of the front-most alert's window; fails when no alert is up. */
  public static int alertWindow() {
    JsonElement alert = describe().get("alert");
    if (!alert.isJsonObject()) throw new AssertionError("no alert is up");
    return alert.getAsJsonObject().get("window").getAsInt();
  }

  /** The number of the sheet attached to the window; fails when it has none. */
  public static int sheetOf(int window) {
    JsonElement sheet = windowDescription(window).get("attachedSheet");
    if (sheet == null || sheet.isJsonNull())
      throw new AssertionError("window " + window + " has no sheet");
    return sheet.isJsonObject()
        ? sheet.getAsJsonObject().get("number").getAsInt()
        : sheet.getAsInt();
  }

  /** The middle of the window's first editable text field, in X coordinates. */
  public static Point editableFieldCentre(int window) {
    JsonObject description = windowDescription(window);
    JsonArray frame = description.getAsJsonArray("frame");
    Point found =
        findField(
            description.getAsJsonObject("contentView"),
            frame.get(0).getAsDouble(),
            frame.get(1).getAsDouble());
    if (found == null) throw new AssertionError("window " + window + " has no editable text field");
    return found;
  }

  // The centre of the first editable field in the view's tree, depth first; the view's superview
  // has its origin at (x, y) of the screen.
  private static Point findField(JsonObject view, double x, double y) {
    JsonArray frame = view.getAsJsonArray("frame");
    double left = x + frame.get(0).getAsDouble();
    double bottom = y + frame.get(1).getAsDouble();
    JsonElement editable = view.get("editable");
    if (view.get("class").getAsString().equals("NSTextField")
        && editable != null
        && editable.getAsBoolean()) {
      double middleX = left + frame.get(2).getAsDouble() / 2;
      double middleY = bottom + frame.get(3).getAsDouble() / 2;
      return new Point((int) Math.round(middleX), (int) Math.round(screenHeight() - middleY));
    }
    JsonArray subviews = view.getAsJsonArray("subviews");
    if (subviews == null) return null;
    for (JsonElement subview : subviews) {
      Point found = findField(subview.getAsJsonObject(), left, bottom);
      if (found != null) return found;
    }
    return null;
  }

  private static JsonObject windowDescription(int window) {
    for (JsonElement element : describe().getAsJsonArray("windows")) {
      JsonObject description = element.getAsJsonObject();
      if (description.get("number").getAsInt() == window) return description;
    }
    throw new AssertionError("window " + window + " is not on screen");
  }

  private static JsonObject describe() {
    return JsonParser.parseString(Screen.describe()).getAsJsonObject();
  }

  private static double screenHeight() {
    return GraphicsEnvironment.getLocalGraphicsEnvironment()
        .getDefaultScreenDevice()
        .getDefaultConfiguration()
        .getBounds()
        .getHeight();
  }
}
