package ixa.live.support;

import ixa.testkit.Screen;
import java.time.Duration;

/**
 * A window of the platform's own (an ordinary titled window, {@link Screen#openWindow}), on the
 * server, key and with the keyboard focus once {@link #open} returns; {@link #close} closes it
 * unless the test already has.
 */
public final class PlatformWindow implements AutoCloseable {
  private static final Duration LIMIT = Duration.ofSeconds(10);

  private final int number;
  private final XWindows.Window onServer;

  private PlatformWindow(int number, XWindows.Window onServer) {
    this.number = number;
    this.onServer = onServer;
  }

  /** Opens it with that title and frame (points from the screen's lower left) and waits. */
  public static PlatformWindow open(String title, double x, double y, double width, double height) {
    int number = Screen.openWindow(title, x, y, width, height);
    XWindows.Window onServer = RealInput.waitUntilMapped(title);
    try {
      XWindows.waitForFocus(onServer.id(), Duration.ofSeconds(2));
    } catch (AssertionError takenBack) {
      // A Swing frame that was given the focus just before (its window became key when the
      // previous test's window closed) now and then takes it back a moment later, when Java's
      // own focus handling catches up. The user clicks the window then, and so does the test.
      RealInput.click(onServer.screenX(onServer.width() / 2.0), onServer.screenY(14));
      XWindows.waitForFocus(onServer.id(), LIMIT);
    }
    return new PlatformWindow(number, onServer);
  }

  /** Its window number, for {@link Screen}. */
  public int number() {
    return number;
  }

  /** Its X window as it was when it had been mapped. */
  public XWindows.Window onServer() {
    return onServer;
  }

  @Override
  public void close() {
    try {
      Screen.close(number);
    } catch (IllegalArgumentException alreadyClosed) {
      // the test closed it
    }
  }
}
