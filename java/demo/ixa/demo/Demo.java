package ixa.demo;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;

/**
 * The tour of the library: every feature driven by the simulated user, what reached Java printed
 * as it comes, and a gallery of snapshots (folder from BRIX_GALLERY, default "gallery") with an
 * index.html that shows them in order.
 */
public final class Demo {
  private Demo() {}

  public static void main(String[] args) {
    // The main thread is the one the library's user interface runs on.
    Screen.run(0);
    Ixa.register("APPMENU_ABOUT", () -> System.out.println("  Java received APPMENU_ABOUT"));
    IxaDialogs.modifyMenuBar();

    Gallery gallery = new Gallery();
    ControlsTour.run(gallery);
    SheetsTour.run(gallery);
    if (SwingTour.canRun()) SwingTour.run(gallery);
    ChromeTour.run(gallery);
    DarkTour.run(gallery);
    systemTour();
    System.out.println("Gallery: " + gallery.writeIndex().toAbsolutePath());
  }

  private static void systemTour() {
    System.out.println("System tour: queries and a shell command ...");
    String[] keys = {"HIGHLIGHTCOLOUR", "APPLICATIONSUPPORTDIRECTORY", "highlightcolour"};
    for (String key : keys) {
      System.out.println("  getMiscMacInfo(\"" + key + "\") = " + quoted(IxaDialogs.getMiscMacInfo(key)));
    }
    System.out.flush();
    IxaDialogs.runCommandAsNSTask("echo '  a shell command says: Grüße, 東京 😀'");
  }

  private static String quoted(String value) {
    return value == null ? "null" : "\"" + value + "\"";
  }
}
