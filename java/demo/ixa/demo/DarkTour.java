package ixa.demo;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.Snapshots;
import ixa.testkit.User;
import java.util.concurrent.CompletableFuture;

/**
 * The same dialogs with the desktop switched to its dark scheme: an alert, a text-entry sheet, a
 * progress sheet and the colour panel, each snapshotted (scale 2); the desktop is light again
 * afterwards.
 */
public final class DarkTour {
  private static final double SCALE = 2;

  private DarkTour() {}

  public static void run(Gallery gallery) {
    System.out.println("Dark tour: the dialogs on a desktop in its dark scheme ...");
    Screen.setDesktopAppearance(true, 1);
    int window = Screen.openWindow("Travel Notes", 200, 240, 640, 420);
    Screen.run(0);

    CompletableFuture<Void> answered =
        ControlsTour.actAsUser(
            () -> {
              ControlsTour.waitForAlert();
              gallery.add("Dark: a three-button alert", Snapshots.snapshotScreen(SCALE));
              if (!User.pressButton("Cancel")) throw new IllegalStateException("no Cancel button");
            });
    IxaDialogs.show3ButtonMacDialog(
        "Save the changes to \"Travel Notes\"?",
        "Your changes are lost if you don't save them.",
        "Save",
        "Cancel",
        "Don't Save");
    ControlsTour.finish(answered);

    Ixa.register("RENAME_NOTES", (String text) -> {});
    IxaDialogs.renderMacButton(0, 0, 0);
    Screen.orderFront(window);
    IxaDialogs.showTextEntrySheetDialog(
        "Rename the notes", "Enter a new title.", "Rename", "Cancel", "RENAME_NOTES");
    Screen.run(0.05);
    User.focusField(0);
    User.type("Lisbon, May");
    gallery.add("Dark: a text-entry sheet with a title typed", Snapshots.snapshotScreen(SCALE));
    User.pressKey("Return");
    Screen.run(0.05);
    Ixa.unregister("RENAME_NOTES");

    IxaDialogs.initProgressDialog();
    IxaDialogs.updateProgressDialog("Exporting notes", "Page 6 of 10", 60);
    Screen.run(0.05);
    gallery.add("Dark: a progress sheet at 60 %", Snapshots.snapshot(window, SCALE));
    IxaDialogs.closeProgressDialog();
    Screen.run(0.05);

    Ixa.register("COLORCHANGED", colour -> {});
    IxaDialogs.showMacColorPopover(0, 0);
    User.pickColor(0.9, 0.45, 0.2);
    Screen.run(0);
    gallery.add("Dark: the colour panel", Snapshots.snapshotScreen(SCALE));
    Ixa.unregister("COLORCHANGED");
    ChromeTour.closeColourPanel();

    Screen.close(window);
    Screen.setDesktopAppearance(false, 1);
    Screen.run(0);
  }
}
