package ixa.live.support;

import com.google.gson.JsonObject;
import com.google.gson.JsonParser;
import ixa.testkit.Screen;
import java.awt.Point;
import java.awt.Rectangle;
import java.time.Duration;
import java.util.function.BooleanSupplier;
import java.util.function.Supplier;

/** Swing frames hosted in windows of the platform: where they are, and typing into them. */
public final class HostedFrames {
  private HostedFrames() {}

  /** Waits until the frame's window is on the server where Java believes its frame is. */
  public static void waitUntilInItsWindow(SwingApp app) {
    String title = app.onEdt(() -> app.frame().getTitle());
    waitUntil(() -> title + " is in its window on the server, and Java sees it there: "
        + XWindows.find(title) + " java " + app.onEdt(() -> app.frame().getBounds()), () -> {
      XWindows.Window host = XWindows.find(title);
      return host != null && host.viewable()
          && app.onEdt(() -> app.frame().getBounds())
                 .equals(new Rectangle(host.x(), host.y(), host.width(), host.height()));
    });
  }

  /** Clicks into the frame's field, once it is where Java believes it is, and types the text. */
  public static void typeInto(SwingApp app, String text) {
    String title = app.onEdt(() -> app.frame().getTitle());
    waitUntilInItsWindow(app);
    Point field = app.onEdt(() -> {
      Point at = app.field().getLocationOnScreen();
      return new Point(at.x + 20, at.y + app.field().getHeight() / 2);
    });
    String before = app.onEdt(() -> app.field().getText());
    RealInput.click(field.x, field.y);
    waitUntil(title + "'s field has the focus", () -> app.onEdt(() -> app.field().hasFocus()));
    // The click put the caret somewhere in the text there is: the new text goes at its end.
    RealInput.key("End");
    RealInput.type(text);
    waitUntil(title + "'s field took the text",
              () -> app.onEdt(() -> app.field().getText()).equals(before + text));
  }

  /** Whether the platform lists a window with that title that hosts a Java frame. */
  public static boolean isHosted(String title) {
    JsonObject screen = JsonParser.parseString(Screen.describe()).getAsJsonObject();
    for (var window : screen.getAsJsonArray("windows")) {
      JsonObject description = window.getAsJsonObject();
      if (description.get("title").getAsString().equals(title)
          && description.get("class").getAsString().equals("NSHostedWindow"))
        return true;
    }
    return false;
  }

  /** Waits up to 10 s for the condition, running the platform's run loop meanwhile. */
  public static void waitUntil(String what, BooleanSupplier condition) {
    waitUntil(() -> what, condition);
  }

  /** The same, with what was waited for said when it failed. */
  public static void waitUntil(Supplier<String> what, BooleanSupplier condition) {
    long deadline = System.nanoTime() + Duration.ofSeconds(10).toNanos();
    while (!condition.getAsBoolean()) {
      if (System.nanoTime() > deadline) throw new AssertionError("not within 10 s: " + what.get());
      Screen.run(0.02);
    }
  }
}
