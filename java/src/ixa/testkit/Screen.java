package ixa.testkit;

/**
 * The view of the screen for tests: opens and arranges windows as a Java toolkit would,
 * serves the main run loop, describes everything on the screen as JSON and reads the log.
 *
 * <p>Every method may be called from any thread. On the main thread (the first thread that used
 * the native platform) it acts at once. From another thread it is handed to the main run loop,
 * which serves it whenever the main thread runs that loop ({@link #run}, or a modal loop such as
 * an alert's), and the caller waits up to 10 seconds; after that it gets an {@link
 * IllegalStateException} and the call has no effect. {@link #log} and {@link #clearLog} do not
 * need the main thread.
 *
 * <p>Geometry is in points, with the origin at the lower left of the screen (1440 x 900).
 * Windows are named by their window numbers; a number that names no window gives an {@link
 * IllegalArgumentException} and changes nothing.
 */
public final class Screen {
  static {
    System.loadLibrary("brixtestkit");
  }

  private Screen() {}

  /**
   * Opens an ordinary titled, closable, resizable window with that frame, orders it front and
   * makes it key. Its content view holds one plain subview that fills it and resizes with it, as
   * a Java toolkit's own window does.
   *
   * @return the window's number
   */
  public static native int openWindow(
      String title, double x, double y, double width, double height);

  /** Brings the window in front of the other windows of its level. */
  public static native void orderFront(int window);

  /** Closes the window, as its close button would without asking anyone. */
  public static native void close(int window);

  public static native void setTitle(int window, String title);

  /** The titles of the application's ordered windows (no panels, no sheets), front to back. */
  public static native String[] windowTitles();

  /** Replaces the items of the application menu; "-" stands for a separator. */
  public static native void setApplicationMenu(String... titles);

  /**
   * Serves the main run loop for that many seconds (0 serves only what is due now). On the main
   * thread this is where events, tasks handed over by other threads and delayed blocks run; it
   * returns early when Java code run by the loop throws, so the exception reaches the caller. On
   * any other thread it only lets the time pass.
   */
  public static native void run(double seconds);

  /** The whole state of the screen as one JSON object. */
  /** A PNG of one window at the scale factor (1 = one pixel per point), sheets included. */
  public static native byte[] snapshot(int window, double scale);

  /** A PNG of the whole 1440 x 900 screen, windows in z-order with sheets, panels and alerts. */
  public static native byte[] snapshotScreen(double scale);

  public static native String describe();

  /** The lines logged so far (without their banner), oldest first. */
  public static native String[] log();

  public static native void clearLog();
}
