package ixa.demo;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.Snapshots;
import ixa.testkit.User;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * A walk through the window restyling and the colour panel: an ordinary window restyled with the
 * translucent content and the header band, its dark side panel shown and hidden, and the shared
 * colour panel reporting the user's picks to Java. Every picture is taken at scale 2.
 */
public final class ChromeTour {
  private static final double SCALE = 2;

  private ChromeTour() {}

  public static void run(Gallery gallery) {
    System.out.println("Chrome tour: restyling a window, its side panel and the colour panel ...");
    // The colour panel's picks reach Java through the environment this call remembers.
    IxaDialogs.renderMacButton(0, 0, 0);

    int window = Screen.openWindow("Quarterly Report", 120, 200, 960, 560);
    Screen.run(0);
    gallery.add("An ordinary window before the restyling", Snapshots.snapshot(window, SCALE));

    System.out.println("  modifyWindows() = " + IxaDialogs.modifyWindows());
    Screen.run(0);
    gallery.add(
        "Restyled: translucent content under a transparent title bar, with the header band",
        Snapshots.snapshot(window, SCALE));

    System.out.println("  showSideRect() = " + IxaDialogs.showSideRect());
    Screen.run(0);
    gallery.add("The band's dark side panel shown, with its logo", Snapshots.snapshot(window, SCALE));

    System.out.println("  hideSideRect() = " + IxaDialogs.hideSideRect());
    Screen.run(0);
    gallery.add("The side panel hidden again", Snapshots.snapshot(window, SCALE));

    Ixa.register("COLORCHANGED", colour -> System.out.println("  Java received the colour " + colour));
    System.out.println("  showMacColorPopover(0, 0) = " + IxaDialogs.showMacColorPopover(0, 0));
    User.pickColor(1, 0.5, 0);
    User.pickColor(0.2, 0.4, 0.6);
    Screen.run(0);
    gallery.add(
        "The shared colour panel beside the restyled window, after the user picked #336699",
        Snapshots.snapshotScreen(SCALE));
    Ixa.unregister("COLORCHANGED");

    closeColourPanel();
    Screen.close(window);
    Screen.run(0);
  }

  /** Closes the colour panel as its close button would; the library itself never closes it. */
  static void closeColourPanel() {
    Matcher panel =
        Pattern.compile("\\{\"number\":(\\d+),\"title\":\"Colors\",\"class\":\"NSColorPanel\"")
            .matcher(Screen.describe());
    if (panel.find()) Screen.close(Integer.parseInt(panel.group(1)));
  }
}
