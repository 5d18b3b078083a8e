package ixa.testkit;

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
    System.loadLibrary("brixtestkit");
  }

  private Snapshots() {}

  /** A PNG picture of one window. */
  public static native byte[] snapshot(int window, double scale);

  /** A PNG picture of the whole screen. */
  public static native byte[] snapshotScreen(double scale);
}
