package ixa.testkit;

import ixa.internal.NativeLibraries;

/**
 * Pictures of the screen for tests and galleries: PNG images of one window (with its title bar,
 * its sheets drawn separately) or of the whole 1440 x 900 point screen with every on-screen
 * window in z-order, sheets, panels and alerts included. The scale is device pixels per point,
 * from 0.1 to 8 (2 gives the sharp pictures of a Retina screen); any other scale gives an {@link
 * IllegalArgumentException}, as does an unknown window number.
 *
 * <p>Every method may be called from any thread; the rendering is handed to the main run loop
 * and the caller waits up to 10 seconds, then gets an {@link IllegalStateException}.
 */
public final class Snapshots {
  static {
    NativeLibraries.load(Snapshots.class, "brixtestkit");
  }

  private Snapshots() {}

  /**
   * A PNG picture of one window with its title bar; its sheets are drawn as on screen.
   *
   * @param window the window's number
   * @param scale device pixels per point, from 0.1 to 8
   * @return the PNG file's bytes
   */
  public static native byte[] snapshot(int window, double scale);

  /**
   * A PNG picture of the whole screen: every on-screen window in z-order, sheets, panels,
   * alerts and an open context menu included.
   *
   * @param scale device pixels per point, from 0.1 to 8
   * @return the PNG file's bytes
   */
  public static native byte[] snapshotScreen(double scale);
}
