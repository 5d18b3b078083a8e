package ixa.live.support;

import java.nio.file.Files;
import java.nio.file.Path;
import java.util.List;

/**
 * The window manager on the test's Xvfb (tests/xvfb/wm, which tests/xvfb/under-wm runs for the
 * window-manager suites), stopped, started again or replaced by a new one of its kind, as a
 * user's session does it. The environment names it, and the Xvfb's state directory.
 */
public final class WindowManager {
  private WindowManager() {}

  /** Whether the window manager runs (started by under-wm or by {@link #start}). */
  public static boolean runs() {
    return Files.exists(Path.of(environment("BRIX_TEST_WM_STATE"), "wm.pid"));
  }

  /** The window manager's name (openbox, metacity, xfwm4, mutter). */
  public static String name() {
    return environment("BRIX_TEST_WM");
  }

  /**
   * Ends the window manager and waits until it has gone. The lists of clients it leaves on the
   * root are removed, so that {@link XWindows#managed} only reads the next one's.
   */
  public static void quit() {
    Commands.run(List.of(tool("wm-stop"), environment("BRIX_TEST_WM_STATE")));
    XWindows.forgetClientLists();
  }

  /** Starts the window manager and waits until it has announced itself. */
  public static void start() {
    Commands.run(List.of(tool("wm"), environment("BRIX_TEST_WM_STATE"), name()));
  }

  /** Starts a new one of its kind that takes over from the one running. */
  public static void replace() {
    XWindows.forgetClientLists();
    Commands.run(List.of(tool("wm"), environment("BRIX_TEST_WM_STATE"), name(), "--replace"));
  }

  private static String tool(String name) {
    return environment("BRIX_TEST_WM_TOOLS") + "/" + name;
  }

  private static String environment(String name) {
    String value = System.getenv(name);
    if (value == null)
      throw new IllegalStateException(name + " is not set: run the test under tests/xvfb/under-wm");
    return value;
  }
}
