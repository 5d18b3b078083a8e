package ixa.testkit;

/**
 * The view of the screen for tests: opens and arranges windows as a Java toolkit would,
 * serves the main run loop, describes everything on the screen as JSON and reads the log.
 *
 * <p>Every method may be called from any thread. The platform's main thread (its own thread, which
 * serves the main run loop all the time, also inside modal loops such as an alert's) carries the
 * call out while the caller waits up to 10 seconds; after that (the main thread is stuck in an
 * application handler) the caller gets an {@link IllegalStateException} and the call has no
 * effect. Called on the main thread itself (from a handler) a method acts at once. {@link #log}
 * and {@link #clearLog} do not need the main thread.
 *
 * <p>Geometry is in points, with the origin at the lower left of the screen (1440 x 900).
 * Windows are named by their window numbers; a number that names no window gives an {@link
 * IllegalArgumentException} and changes nothing.
 */
public final class Screen {
  static {
    ixa.internal.NativeLibraries.load(Screen.class, "brixtestkit");
  }

  private Screen() {}

  /**
   * Opens an ordinary titled, closable, resizable window with that frame, orders it front and
   * makes it key. Its content view holds one plain subview that fills it and resizes with it, as
   * a Java toolkit's own window does.
   *
   * @param title the window's title
   * @param x the left edge of the frame
   * @param y the bottom edge of the frame
   * @param width the frame's width, at least 0
   * @param height the frame's height, at least 0
   * @return the window's number
   */
  public static native int openWindow(
      String title, double x, double y, double width, double height);

  /**
   * Brings the window in front of the other windows of its level.
   *
   * @param window the window's number
   */
  public static native void orderFront(int window);

  /**
   * Closes the window, as its close button would without asking anyone; a window opened with
   * {@link #openWindow} is released and its number names nothing afterwards.
   *
   * @param window the window's number
   */
  public static native void close(int window);

  /**
   * Sets the window's title.
   *
   * @param window the window's number
   * @param title the new title
   */
  public static native void setTitle(int window, String title);

  /**
   * The titles of the application's ordered windows (no panels, no sheets), front to back.
   *
   * @return the titles, front to back
   */
  public static native String[] windowTitles();

  /**
   * Replaces the items of the application menu (the first menu of the main menu, which {@link
   * ixa.IxaDialogs#modifyMenuBar} adds to); "-" stands for a separator.
   *
   * @param titles the items' titles, top to bottom
   */
  public static native void setApplicationMenu(String... titles);

  /**
   * Lets the main run loop serve for that many seconds, then waits until it has served what was
   * queued before the call (0: only that), delayed blocks that are due included. Called on the
   * main thread itself (from a handler) it runs the loop there for that long, and returns early
   * when Java code run by the loop throws, so that the exception reaches the caller.
   *
   * @param seconds how long to serve, from 0; a negative or infinite time gives an {@link
   *     IllegalArgumentException}
   */
  public static native void run(double seconds);

  /**
   * A PNG of one window, sheets included; the same as {@link Snapshots#snapshot}.
   *
   * @param window the window's number
   * @param scale device pixels per point, from 0.1 to 8 (1 = one pixel per point)
   * @return the PNG file's bytes
   */
  public static native byte[] snapshot(int window, double scale);

  /**
   * A PNG of the whole screen, windows in z-order with sheets, panels and alerts; the same as
   * {@link Snapshots#snapshotScreen}.
   *
   * @param scale device pixels per point, from 0.1 to 8
   * @return the PNG file's bytes
   */
  public static native byte[] snapshotScreen(double scale);

  /**
   * The whole state of the screen as one JSON object: {@code "windows"} (on screen, front to
   * back, with their frames, titles, sheets and view trees), {@code "offscreenWindows"}, {@code
   * "mainMenu"}, {@code "contextMenu"} (the last one, open or not), {@code "alert"} (the
   * front-most open alert, or null), {@code "colorPanel"}, {@code "userDefaults"} and {@code
   * "census"} (live platform objects per class).
   *
   * @return the description, as JSON text
   */
  public static native String describe();

  /**
   * The lines the platform and the library have logged (with {@code NSLog}, which also writes
   * them to standard error), oldest first, without their date and process banner. The buffer
   * keeps the most recent lines only.
   *
   * @return the lines logged since the start or since {@link #clearLog}
   */
  public static native String[] log();

  /** Forgets the lines logged so far; {@link #log} then starts empty. */
  public static native void clearLog();

  /**
   * The text on the clipboard: the headless display's own, or on a live display the desktop's,
   * whichever application put it there (a field's Copy, Control+C, puts it there too).
   *
   * @return the text, or null when the clipboard holds none
   */
  public static native String clipboard();

  /**
   * Puts text on the clipboard, as another application's Copy does: a field's Paste (Control+V)
   * then inserts it.
   *
   * @param text the text
   */
  public static native void setClipboard(String text);

  /**
   * Changes the desktop's look, as a user who switches the desktop to its dark scheme or enlarges
   * its text does: windows redraw in the new look once the main thread runs ({@link #run}). On a
   * live display the desktop's own settings may change it back when they change.
   *
   * @param dark the dark appearance, else the light one
   * @param textScale the desktop's text size against the standard one, from 0.5 to 3 (1: standard)
   * @throws IllegalArgumentException for a text scale outside 0.5 to 3
   */
  public static native void setDesktopAppearance(boolean dark, double textScale);
}
