package ixa.internal;

import ixa.IxaDialogs;
import java.awt.HeadlessException;

/**
 * What {@code java -jar ixa.jar} runs: prints the library's version and the display it uses and
 * why, then shows one alert as a check that the native side works, or says why it cannot. Ends
 * with 0 when the check passed (or the headless display has nobody to answer it), 1 without a
 * screen, 2 when the native libraries do not load.
 */
public final class SelfCheck {
  private SelfCheck() {}

  /**
   * Runs the check.
   *
   * @param args ignored
   */
  public static void main(String[] args) {
    String version = SelfCheck.class.getPackage().getImplementationVersion();
    version = version != null ? version : "(version unknown: not run from ixa.jar)";
    System.out.println("ixa " + version + ", native libraries for " + NativeLibraries.platform());
    System.out.println("Display: " + display());
    System.exit(check(version));
  }

  /** The display the library will use, and why, from the same settings it reads. */
  static String display() {
    String chosen = System.getenv("BRIX_DISPLAY");
    String named = System.getenv("DISPLAY");
    if ("headless".equals(chosen))
      return "the headless display (BRIX_DISPLAY=headless): windows stay in memory, for tests";
    if (named == null || named.isEmpty())
      return "none: DISPLAY is not set, so there is no X server to show windows on";
    return "the X server at DISPLAY=" + named + " (DISPLAY names it)";
  }

  private static int check(String version) {
    if ("headless".equals(System.getenv("BRIX_DISPLAY"))) {
      System.out.println("No self-check alert: on the headless display nobody could answer it.");
      return 0;
    }
    try {
      int answer =
          IxaDialogs.showMacDialog(
              "ixa " + version + " works",
              "This alert is the self-check of java -jar ixa.jar.",
              "OK",
              null);
      System.out.println(
          "The self-check alert was shown and " + (answer == 1 ? "answered." : "closed."));
      return 0;
    } catch (HeadlessException e) {
      System.out.println("No self-check alert: " + e.getMessage().lines().findFirst().orElse(""));
      return 1;
    } catch (UnsatisfiedLinkError e) {
      System.out.println("The native libraries did not load: " + e.getMessage());
      return 2;
    }
  }
}
