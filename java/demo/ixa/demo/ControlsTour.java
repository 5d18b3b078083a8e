package ixa.demo;

import ixa.Ixa;
import ixa.IxaDialogs;
import ixa.testkit.Screen;
import ixa.testkit.Snapshots;
import ixa.testkit.User;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutionException;
import java.util.concurrent.TimeUnit;
import java.util.function.Consumer;

/**
 * A walk through the controls: two windows, an alert that the simulated user answers from a
 * second thread, and a text-entry alert into whose field the user types, with a snapshot of the
 * screen (scale 2) at every step. Runs on the main thread, which serves the alerts' modal loops
 * while the user's thread acts.
 */
public final class ControlsTour {
  private static final double SCALE = 2;

  /** Something the simulated user does on its own thread. */
  interface UserStep {
    void run() throws Exception;
  }

  private ControlsTour() {}

  public static void run(Gallery gallery) {
    System.out.println("Controls tour: two windows, an alert and a text entry ...");
    int documents = Screen.openWindow("Quarterly Report", 80, 300, 620, 420);
    int inspector = Screen.openWindow("Inspector", 760, 260, 380, 460);
    Screen.run(0);
    gallery.add("Two windows: the inspector is key and in front", Snapshots.snapshotScreen(SCALE));
    Screen.orderFront(documents);
    Screen.run(0);
    gallery.add("The report window brought to the front", Snapshots.snapshot(documents, SCALE));

    CompletableFuture<Void> answered =
        actAsUser(
            () -> {
              waitForAlert();
              gallery.add(
                  "An alert waits for an answer; the first button is the default button",
                  Snapshots.snapshotScreen(SCALE));
              if (!User.pressButton("Keep Editing")) throw new IllegalStateException("no button");
            });
    int choice =
        IxaDialogs.showMacDialog(
            "Do you want to close the report?",
            "The report has changes that were not exported yet.",
            "Close",
            "Keep Editing");
    finish(answered);
    System.out.println("  the user pressed \"Keep Editing\": showMacDialog returned " + choice);

    CompletableFuture<Void> typed =
        actAsUser(
            () -> {
              waitForAlert();
              User.focusField(0);
              User.pressKey("End");
              for (int i = 0; i < "Untitled".length(); i++) User.pressKey("Backspace");
              User.type("Quarterly Report Q3");
              gallery.add(
                  "The user typed a new name into the alert's text field",
                  Snapshots.snapshotScreen(SCALE));
              User.pressKey("Return");
            });
    String name =
        IxaDialogs.showMacTextEntryDialog(
            "Export the report as:", "Choose a name for the exported file.", "Export", "Cancel",
            "Untitled");
    finish(typed);
    System.out.println("  the user typed a name: showMacTextEntryDialog returned \"" + name + "\"");
    Screen.run(0);
    renameInASheet(gallery, documents);
    gallery.add("Back to the two windows after the alerts", Snapshots.snapshotScreen(SCALE));
    Screen.close(inspector);
    Screen.close(documents);
    Screen.run(0);
  }

  /**
   * A text-entry sheet on the report window, answered on this thread: the simulated user acts at
   * once on the main thread, and the accepted text reaches Java through the named action.
   */
  private static void renameInASheet(Gallery gallery, int documents) {
    String[] received = new String[1];
    Ixa.register("RENAME_REPORT", (Consumer<String>) text -> received[0] = text);
    IxaDialogs.renderMacButton(0, 0, 0);  // remembers the environment the sheet calls back with
    Screen.orderFront(documents);
    IxaDialogs.showTextEntrySheetDialog(
        "Rename the report", "Enter a new title for the report.", "Rename", "Cancel",
        "RENAME_REPORT");
    Screen.run(0.05);
    User.focusField(0);
    User.type("Q3 Summary");
    gallery.add(
        "A text-entry sheet on the report window, with the new title typed",
        Snapshots.snapshotScreen(SCALE));
    User.pressKey("Return");
    Screen.run(0.05);
    Ixa.unregister("RENAME_REPORT");
    System.out.println("  the sheet's Rename reached Java with \"" + received[0] + "\"");
  }

  static CompletableFuture<Void> actAsUser(UserStep step) {
    CompletableFuture<Void> done = new CompletableFuture<>();
    Thread user =
        new Thread(
            () -> {
              try {
                step.run();
                done.complete(null);
              } catch (Throwable thrown) {
                done.completeExceptionally(thrown);
                // Whatever failed, the alert must not keep the main thread waiting.
                User.pressKey("Escape");
              }
            },
            "simulated-user");
    user.setDaemon(true);
    user.start();
    return done;
  }

  static void finish(CompletableFuture<Void> step) {
    try {
      step.get(30, TimeUnit.SECONDS);
    } catch (ExecutionException failed) {
      throw new IllegalStateException("the simulated user failed", failed.getCause());
    } catch (Exception e) {
      throw new IllegalStateException("the simulated user did not finish", e);
    }
  }

  static void waitForAlert() throws InterruptedException {
    for (int i = 0; i < 2000; i++) {
      if (Screen.describe().contains("\"alert\":{")) return;
      Thread.sleep(5);
    }
    throw new IllegalStateException("no alert appeared");
  }
}
