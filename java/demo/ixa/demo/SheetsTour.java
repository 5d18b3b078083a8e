package ixa.demo;

import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.User;

/**
 * The progress sheet, a three-button alert, and a Java window shown as a sheet of another one
 * (the window titled "SHEETIFY"), with a snapshot of each.
 */
public final class SheetsTour {
  private static final double SCALE = 2;

  private SheetsTour() {}

  public static void run(Gallery gallery) {
    System.out.println("Sheets tour: progress, a three-button alert, a sheetified window ...");
    int main = Screen.openWindow("Library", 120, 220, 700, 460);
    Screen.run(0);

    IxaDialogs.initProgressDialog();
    double[] steps = {-1, 10, 10, 45, 80};
    for (double step : steps) {
      IxaDialogs.updateProgressDialog("Importing photos", "Photo " + (int) Math.max(step, 0) + " of 100", step);
      Screen.run(0.02);
    }
    gallery.add("A progress sheet at 80 %, after a filtered repeat of 10", Screen.snapshotScreen(SCALE));
    IxaDialogs.updateProgressDialog("Preparing", "Waiting for the disk ...", -100);
    Screen.run(0.05);
    gallery.add("The same sheet indeterminate (-100 always applies the texts)", Screen.snapshot(main, SCALE));
    IxaDialogs.closeProgressDialog();
    Screen.run(0.05);

    Thread user =
        new Thread(
            () -> {
              waitForAlert();
              gallery.add("A three-button alert", Screen.snapshotScreen(SCALE));
              User.pressButton("Later");
            },
            "simulated-user");
    user.setDaemon(true);
    user.start();
    int answer =
        IxaDialogs.show3ButtonMacDialog(
            "Install the update now?", "Version 2.4 is ready to install.", "Install", null, "Later");
    System.out.println("  \"Later\" is the second button shown: show3ButtonMacDialog returned " + answer);

    int sheetWindow = Screen.openWindow("SHEETIFY", 300, 300, 360, 200);
    Screen.run(0);
    IxaDialogs.sheetifyWindow();
    Screen.run(0.2);
    gallery.add("The window titled SHEETIFY attached as a sheet of the library window", Screen.snapshotScreen(SCALE));
    IxaDialogs.closeSheetifiedWindow();
    Screen.run(0.05);
    System.out.println("  windows after closing the sheet: " + String.join(", ", Screen.windowTitles()));
    Screen.close(main);
    Screen.run(0);
    if (sheetWindow < 0) throw new IllegalStateException("no window");
  }

  private static void waitForAlert() {
    for (int i = 0; i < 2000; i++) {
      if (Screen.describe().contains("\"alert\":{")) return;
      try {
        Thread.sleep(5);
      } catch (InterruptedException e) {
        Thread.currentThread().interrupt();
        return;
      }
    }
  }
}
